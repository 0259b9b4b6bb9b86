#pragma once

#include <memory>

#include "control/ControlWindow.h"

namespace zr::bus
{
class BusPublication;
}

namespace zr
{

// The factory of the control's windows that this build of the component carries, or nullptr.
// The component layer's own definition is a weak one that returns nullptr: zr47xcl and the tests
// link the component without windows. The shared component library links a strong definition
// (WindowedComponent.cpp) that hands out the window layer's factory.
ControlWindowFactory* ComponentWindowFactory();

// Serves a control's publication on the session bus from the window system's event loop, on the
// thread of the control, for as long as it lives.
class PublicationWatch
{
public:
    virtual ~PublicationWatch() = default;
};

// A watch over `publication` of the control whose window is `window`, or nullptr in a build
// without windows (a weak definition again, replaced in the shared component library). It tells
// the publication that the control is busy while an operation of the window holds it.
std::unique_ptr<PublicationWatch> WatchPublication(bus::BusPublication& publication,
                                                   ControlWindow& window);

} // namespace zr
