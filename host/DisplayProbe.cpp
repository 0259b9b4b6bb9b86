#include "host/DisplayProbe.h"

#include <cstdlib>
#include <cstring>
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
    const std::string platform = Environment("QT_QPA_PLATFORM");
    if ((!platform.empty() && !platform.starts_with("xcb")) ||
        (platform.empty() && !Environment("WAYLAND_DISPLAY").empty()) || display.empty())
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
