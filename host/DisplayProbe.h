#pragma once

#include <string>

struct xcb_connection_t;

namespace zr
{

// Whether the X display the window program is about to use answers. Qt's X11 platform gives up
// with an abort (a core file and advice to reinstall) when it cannot open the display, so this
// is asked first, with the display Qt would use: "-display NAME" on the command line, else
// DISPLAY. Asked only where Qt will use X11 (no other platform chosen, no Wayland display
// named). The probe's connection stays open until Release: a server whose last client leaves
// resets itself, and Qt's own connection must not arrive in the middle of that reset.
class DisplayProbe
{
public:
    DisplayProbe(int argc, char** argv);
    ~DisplayProbe() { Release(); }
    DisplayProbe(const DisplayProbe&) = delete;
    DisplayProbe& operator=(const DisplayProbe&) = delete;

    // Empty when the display opens or is not ours to check, else one line naming it.
    const std::string& Error() const { return error_; }
    void Release();

private:
    xcb_connection_t* connection_ = nullptr;
    std::string error_;
};

} // namespace zr
