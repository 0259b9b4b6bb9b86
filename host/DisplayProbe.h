#pragma once

#include <string>

struct xcb_connection_t;

namespace zr
{

// Whether the display the window program is about to use answers. Qt's platforms give up with
// an abort (a core file and advice to reinstall) when they cannot open their display, so this
// is asked first, with the display Qt would use. X11: "-display NAME" on the command line, else
// DISPLAY; the probe's connection stays open until Release: a server whose last client leaves
// resets itself, and Qt's own connection must not arrive in the middle of that reset. Wayland
// (chosen by QT_QPA_PLATFORM, or a WAYLAND_DISPLAY without X11 settings or the session's
// choice): the compositor's socket named by WAYLAND_DISPLAY. A session with a Wayland display
// and no X11 display gets Qt's Wayland platform (QT_QPA_PLATFORM), whose first choice is X11.
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
