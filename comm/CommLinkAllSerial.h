#pragma once

#include <string>

#include "comm/CommLinkLibrary.h"

namespace zr
{

// Link through a Camera Link serial library that lists all serial ports of all installed
// grabbers ("ClAllSerial.dll", here libClAllSerial.so). Each port is named "manufacturer - port
// identifier".
class CCommLinkAllSerial final : public CCommLinkLibrary
{
public:
    static constexpr const char* kDefaultLibrary = "libClAllSerial.so";

    // Loads the library once to list its ports, then unloads it again.
    explicit CCommLinkAllSerial(std::string libraryFile = kDefaultLibrary);

    int Flush() override;
};

} // namespace zr
