#include "comm/PortName.h"

#include <sys/stat.h>

#include "comm/ComPortMap.h"

namespace zr
{

namespace
{

std::optional<int32_t> ParseIndex(std::string_view digits)
{
    if (digits.empty() || digits.size() > 4)
        return std::nullopt;
    int32_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 32) : text[i];
        if (c != prefix[i])
            return false;
    }
    return true;
}

// Whether two paths name the same file once links are followed (both must exist).
bool SameFile(const std::string& a, const std::string& b)
{
    struct stat first {
    };
    struct stat second {
    };
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace

std::string PortName(int32_t commClass, int32_t port)
{
    return commClass == 0 ? "COM" + std::to_string(port + 1) : "CL:" + std::to_string(port);
}

std::optional<PortChoice> ParsePortName(std::string_view text)
{
    if (StartsWithNoCase(text, "COM")) {
        const std::optional<int32_t> number = ParseIndex(text.substr(3));
        if (number && *number >= 1 && *number <= ComPortMap::kPortCount)
            return PortChoice{0, *number - 1};
    } else if (StartsWithNoCase(text, "CL:")) {
        if (const std::optional<int32_t> index = ParseIndex(text.substr(3)))
            return PortChoice{1, *index};
    }
    return std::nullopt;
}

std::optional<PortChoice> ResolvePort(std::string_view text, const ComPortMap& map,
                                      std::string& error)
{
    if (std::optional<PortChoice> named = ParsePortName(text))
        return named;
    const std::string path(text);
    if (!text.starts_with('/')) {
        error = "a port is COM1..COM16, CL:N or a device path, not '" + path + "'";
        return std::nullopt;
    }
    for (int32_t port = 0; port < ComPortMap::kPortCount; ++port) {
        if (map.DevicePath(port) == path)
            return PortChoice{0, port};
    }
    for (int32_t port = 0; port < ComPortMap::kPortCount; ++port) {
        if (SameFile(map.DevicePath(port), path))
            return PortChoice{0, port};
    }
    error = "no port COM1..COM16 is " + path + " (map one to it with COMn=" + path +
            " in section [Comm] of the module settings)";
    return std::nullopt;
}

} // namespace zr
