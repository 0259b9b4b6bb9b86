#pragma once

#include <cstdint>
#include <string>

#include "comm/CommLinkLibrary.h"

namespace zr
{

// Link through a Camera Link serial library that offers manufacturers to choose from
// ("ClSerial.dll", here libClSerial.so). Each port is a manufacturer; its index is also the
// serial index passed to the library.
class CCommLinkSerial final : public CCommLinkLibrary
{
public:
    static constexpr const char* kDefaultLibrary = "libClSerial.so";
    // The most bytes one Flush discards. A camera never has more than a stale answer or some
    // noise pending, far less than this; the limit only stops a peer that never falls quiet
    // from holding the flush for ever.
    static constexpr int32_t kFlushByteLimit = 4096;

    // Loads the library once to list its manufacturers, then unloads it again.
    explicit CCommLinkSerial(std::string libraryFile = kDefaultLibrary);

    int Flush() override;

private:
    bool SelectPort(const std::string& name) override;
};

} // namespace zr
