#pragma once

#include <string>

namespace zr
{

// Whether the X display the window program is about to use answers. Qt's X11 platform gives up
// with an abort (a core file and advice to reinstall) when it cannot open the display, so this
// is asked first, with the display Qt would use: "-display NAME" on the command line, else
// DISPLAY. Asked only where Qt will use X11 (no other platform chosen, no Wayland display
// named). Empty when the display opens or is not ours to check, else one line naming it.
std::string UnreachableDisplay(int argc, char** argv);

} // namespace zr
