#include "comm/SerialDevices.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace zr
{

namespace
{

// Name prefixes of serial devices in the device folder, in the order they are offered.
struct DeviceKind {
    const char* prefix;
    bool needsUart; // offered only where the kernel found a UART behind it
};
constexpr std::array<DeviceKind, 3> kKinds = {{
    {"ttyUSB", false},
    {"ttyACM", false},
    {"ttyS", true},
}};

constexpr std::array<const char*, 3> kStateNames = {"present", "missing", "not permitted"};

// Sorts "ttyUSB10" after "ttyUSB9": by length first within one prefix.
bool NaturalLess(const std::string& a, const std::string& b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

} // namespace

SerialDevices::SerialDevices(std::string devRoot, std::string sysRoot)
    : devRoot_(std::move(devRoot)), sysRoot_(std::move(sysRoot))
{
}

std::vector<std::string> SerialDevices::Matching(const std::string& folder,
                                                 const std::string& prefix) const
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix) && name.size() > prefix.size())
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

bool SerialDevices::HasUartHardware(const std::string& name) const
{
    // The kernel makes ttyS0..ttyS31 whatever is fitted; a UART it found has a type other than 0.
    std::ifstream type(sysRoot_ + "/class/tty/" + name + "/type");
    int value = 0;
    return type >> value && value != 0;
}

std::vector<std::string> SerialDevices::Present() const
{
    std::vector<std::string> paths;
    const std::string byId = devRoot_ + "/serial/by-id";
    for (const std::string& name : Matching(byId, ""))
        paths.emplace_back(byId).append("/").append(name);
    for (const DeviceKind& kind : kKinds) {
        for (const std::string& name : Matching(devRoot_, kind.prefix)) {
            const bool digits =
                name.find_first_not_of("0123456789", std::string(kind.prefix).size()) ==
                std::string::npos;
            if (digits && (!kind.needsUart || HasUartHardware(name)))
                paths.push_back(devRoot_ + "/" + name);
        }
    }
    return paths;
}

DeviceState SerialDevices::StateOf(const std::string& path)
{
    if (::access(path.c_str(), R_OK | W_OK) == 0)
        return DeviceState::Present;
    return errno == EACCES || errno == EPERM || errno == EROFS ? DeviceState::NotPermitted
                                                               : DeviceState::Missing;
}

const char* SerialDevices::StateName(DeviceState state)
{
    return kStateNames[static_cast<size_t>(state)];
}

} // namespace zr
