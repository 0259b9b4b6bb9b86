#pragma once

#include <cstdint>
#include <string>

namespace zr
{

class SettingsStore;

// Maps the serial port names COM1..COM16 (port index 0..15) to device paths.
//
// An entry "COMn" = path in section "Comm" of the settings wins. Without one (or with an empty
// one) the default is:
//   COM1  .. COM4  -> /dev/ttyS0   .. /dev/ttyS3    (on-board UARTs)
//   COM5  .. COM12 -> /dev/ttyUSB0 .. /dev/ttyUSB7  (USB serial adapters)
//   COM13 .. COM16 -> /dev/ttyACM0 .. /dev/ttyACM3  (USB CDC-ACM devices)
// so a port search over all sixteen names reaches a camera on a USB adapter without set-up.
class ComPortMap
{
public:
    static constexpr int32_t kPortCount = 16;

    explicit ComPortMap(const SettingsStore& settings) : settings_(settings) {}

    // "COM" followed by index + 1; empty when the index is not in 0..15.
    static std::string PortName(int32_t port);
    // The built-in device path of a port; empty when the index is not in 0..15.
    static std::string DefaultDevicePath(int32_t port);
    // The device path to open for a port, read from the settings at every call; empty when the
    // index is not in 0..15.
    std::string DevicePath(int32_t port) const;

private:
    const SettingsStore& settings_;
};

} // namespace zr
