#pragma once

#include <span>

#include "panels/DialogControlBase.h"

namespace zr
{

// The bound controls of an imager panel, in the order the lists are filled and the number
// fields initialised. The monochrome panel's table is the colour panel's without the colour
// rows (white balance, red and blue gain, the green, red and blue setup levels and knee rows),
// and with its caption labels bound where the monochrome layout has them.
std::span<const ControlBinding> ImagerBindings(bool colour);

} // namespace zr
