#pragma once

#include <string>
#include <vector>

namespace zr
{

// Whether a serial device can be used by this program.
enum class DeviceState {
    Present,      // there, and this user may open it for reading and writing
    Missing,      // no such file
    NotPermitted, // there, but this user may not open it (not in the device's group)
};

// The serial devices of the system, as a user chooses among them: the stable names under
// serial/by-id first (they survive re-plugging and reordering), then the USB serial adapters
// (ttyUSB*), USB CDC-ACM devices (ttyACM*) and the on-board UARTs (ttyS*) that the kernel found
// hardware for. Reads the folders given, so tests can hand it a tree of their own.
class SerialDevices
{
public:
    // `devRoot` stands for /dev, `sysRoot` for /sys (the on-board UARTs' types are read there).
    explicit SerialDevices(std::string devRoot = "/dev", std::string sysRoot = "/sys");

    // The device paths present now, in the order above, each group sorted by name.
    std::vector<std::string> Present() const;

    // The state of `path` for this user.
    static DeviceState StateOf(const std::string& path);
    // "present", "missing" or "not permitted".
    static const char* StateName(DeviceState state);

private:
    std::vector<std::string> Matching(const std::string& folder, const std::string& prefix) const;
    bool HasUartHardware(const std::string& name) const;

    std::string devRoot_;
    std::string sysRoot_;
};

} // namespace zr
