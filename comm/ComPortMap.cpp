#include "comm/ComPortMap.h"

#include <array>

#include "base/SettingsStore.h"

namespace zr
{

namespace
{

// Consecutive port indices that map to numbered devices of one kind.
struct DeviceRange {
    int32_t firstPort;
    int32_t count;
    const char* prefix;
};

constexpr std::array<DeviceRange, 3> kDefaultDevices = {{
    {0, 4, "/dev/ttyS"},
    {4, 8, "/dev/ttyUSB"},
    {12, 4, "/dev/ttyACM"},
}};

bool InRange(int32_t port)
{
    return port >= 0 && port < ComPortMap::kPortCount;
}

} // namespace

std::string ComPortMap::PortName(int32_t port)
{
    return InRange(port) ? "COM" + std::to_string(port + 1) : std::string();
}

std::string ComPortMap::DefaultDevicePath(int32_t port)
{
    for (const DeviceRange& range : kDefaultDevices) {
        if (port >= range.firstPort && port < range.firstPort + range.count)
            return range.prefix + std::to_string(port - range.firstPort);
    }
    return {};
}

std::string ComPortMap::DevicePath(int32_t port) const
{
    if (!InRange(port))
        return {};
    std::string path = settings_.GetString("Comm", PortName(port), "");
    return path.empty() ? DefaultDevicePath(port) : path;
}

} // namespace zr
