#pragma once

#include <memory>

#include "comm/CommAbstract.h"

namespace zr
{

class SettingsStore;

// The two links a CComm chooses between, handed to it by its owner: the serial port link
// (communication class 0) and the Camera Link link (every other class). Both must be set.
struct CommLinks {
    std::unique_ptr<CCommAbstract> serialPort;
    std::unique_ptr<CCommAbstract> cameraLink;

    // The real links: COM1..COM16 mapped to devices through `settings` (which must outlive the
    // links), and the Camera Link libraries found by their usual names.
    static CommLinks Standard(const SettingsStore& settings);
};

} // namespace zr
