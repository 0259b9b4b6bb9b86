#pragma once

#include "control/ControlWindow.h"

namespace zr
{

// The factory of the control's Qt windows. It creates a window only inside a Qt Widgets
// application; elsewhere the control stays headless.
ControlWindowFactory& PanelWindowFactory();

} // namespace zr
