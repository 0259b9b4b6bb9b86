#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/EventSource.h"

// The control's window as the component sees it. The component's object creates it through a
// factory so that the component layer itself stays free of any window system: a build without
// windows has no factory, and the shared component library installs the window layer's.

namespace zr
{

class CXKorvelCamCtrl;

class ControlWindow
{
public:
    virtual ~ControlWindow() = default;
    // The window system's handle of the window (a QWidget* in the window layer).
    virtual void* Handle() = 0;
    // Renders every panel (shown or not), the progress window and the property page to
    // `folder`/<settings section>.png. 0 when every picture was written.
    virtual int SaveScreenshots(const std::string& folder) = 0;
    // Shows the serial ports window and returns once it is closed; 0, or 1 without one.
    virtual int ShowPortsWindow() { return 1; }
    // Serves `source` from the window system's event loop, on the control's thread, for as long
    // as the returned watch lives; the source is busy while an operation of the window holds
    // the control. nullptr when the window cannot serve it.
    virtual std::unique_ptr<EventSourceWatch> Watch(EventSource& source) = 0;
};

class ControlWindowFactory
{
public:
    virtual ~ControlWindowFactory() = default;
    // Creates the control's window as a child of `parent` (the host's window handle), hands the
    // control its user interface and runs its start-up (connection attempt, start-up message,
    // panels). With a non-empty `screenshotFolder` every message box is rendered to
    // `screenshotFolder`/Message-<n>.png and dismissed at once. nullptr when it cannot.
    virtual std::unique_ptr<ControlWindow> Create(CXKorvelCamCtrl& control, void* parent,
                                                  const std::string& screenshotFolder) = 0;
};

} // namespace zr
