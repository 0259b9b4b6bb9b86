#pragma once

#include <memory>

#include "base/EventSource.h"

class QWidget;

namespace zr
{

// Serves `source` from Qt's event loop on the calling thread for as long as the watch lives. The
// source counts as busy while an operation of `window` holds the control: the wait cursor is
// up, the window is disabled, or a modal dialog other than the window is on top.
std::unique_ptr<EventSourceWatch> WatchEventSource(EventSource& source, QWidget* window);

} // namespace zr
