#include "host/DisplayProbe.h"

#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace zr
{

namespace
{

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Whether a compositor accepts connections on the Wayland display `name`; `path` is where it
// was looked for.
bool WaylandAnswers(const std::string& name, std::string& path)
{
    path = name;
    if (!name.starts_with('/')) {
        const std::string runtime = Environment("XDG_RUNTIME_DIR");
        if (runtime.empty()) {
            path = "$XDG_RUNTIME_DIR/" + name + ", with XDG_RUNTIME_DIR not set";
            return false;
        }
        path = runtime + "/" + name;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool answers =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answers;
}

} // namespace

DisplayProbe::DisplayProbe(int argc, char** argv)
{
    std::string display = Environment("DISPLAY");
    std::string origin = "DISPLAY";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0)
            return;
        if (std::strcmp(argv[i], "-display") == 0 && i + 1 < argc) {
            display = argv[i + 1];
            origin = "-display";
        }
    }
    std::string platform = Environment("QT_QPA_PLATFORM");
    const std::string wayland = Environment("WAYLAND_DISPLAY");
    // Qt's first choice is X11: a session with a Wayland display alone gets the Wayland platform.
    if (platform.empty() && !wayland.empty() && display.empty()) {
        platform = "wayland";
        ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    }
    if (platform.starts_with("wayland")) {
        // Without WAYLAND_DISPLAY, Wayland clients use "wayland-0".
        const std::string name = wayland.empty() ? "wayland-0" : wayland;
        std::string path;
        if (!WaylandAnswers(name, path))
            error_ = "cannot open the Wayland display \"" + name +
                     "\" (WAYLAND_DISPLAY): no compositor answers at " + path;
        return;
    }
    // Both displays named: Qt chooses by the session; neither is checked.
    if ((!platform.empty() && !platform.starts_with("xcb")) ||
        (platform.empty() && !wayland.empty()) || display.empty())
        return;
    connection_ = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(connection_) == 0)
        return;
    Release();
    error_ = "cannot open the X display \"" + display + "\" (" + origin +
             "): no X server answers there, or it refused the connection";
}

void DisplayProbe::Release()
{
    if (connection_ != nullptr)
        xcb_disconnect(connection_);
    connection_ = nullptr;
}

} // namespace zr
