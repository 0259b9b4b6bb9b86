#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zr
{

class ComPortMap;

// A communication class and port as users name them: "COM1".."COM16" (class 0, port 0..15),
// "CL:N" (class 1, the Camera Link class, port index N), or the device path of a COM port.
struct PortChoice {
    int32_t commClass = 0;
    int32_t port = 0;
};

// "COM1".."COM16" for class 0, "CL:N" for the Camera Link class: the one spelling every face
// shows a port in.
std::string PortName(int32_t commClass, int32_t port);

// "COMn" or "CL:N" in any letter case; nothing for anything else.
std::optional<PortChoice> ParsePortName(std::string_view text);

// A port name as above, or a device path (starting with '/'): the first COM port whose device
// through `map` is that file, by its path or, after symbolic links, as the same file. Nothing,
// with `error` saying why, when the text is neither or no COM port leads to the device.
std::optional<PortChoice> ResolvePort(std::string_view text, const ComPortMap& map,
                                      std::string& error);

} // namespace zr
