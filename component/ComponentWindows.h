#pragma once

#include "control/ControlWindow.h"

namespace zr
{

// The factory of the control's windows that this build of the component carries, or nullptr.
// The component layer's own definition is a weak one that returns nullptr: zr47xcl and the tests
// link the component without windows. The shared component library links a strong definition
// (WindowedComponent.cpp) that hands out the window layer's factory.
ControlWindowFactory* ComponentWindowFactory();

} // namespace zr
