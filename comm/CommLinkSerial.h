#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "comm/ClSerialLibrary.h"
#include "comm/CommAbstract.h"

namespace zr
{

// Link through a Camera Link serial library that offers manufacturers to choose from
// ("ClSerial.dll", here libClSerial.so). Each port is a manufacturer; its index is also the
// serial index passed to the library. The library is loaded only while a port is open.
class CCommLinkSerial final : public CCommAbstract
{
public:
    static constexpr const char* kDefaultLibrary = "libClSerial.so";
    // The most bytes one Flush discards. A camera never has more than a stale answer or some
    // noise pending, far less than this; the limit only stops a peer that never falls quiet
    // from holding the flush for ever.
    static constexpr int32_t kFlushByteLimit = 4096;

    // Loads the library once to list its manufacturers, then unloads it again.
    explicit CCommLinkSerial(std::string libraryFile = kDefaultLibrary);
    ~CCommLinkSerial() override;
    CCommLinkSerial(const CCommLinkSerial&) = delete;
    CCommLinkSerial& operator=(const CCommLinkSerial&) = delete;

    bool IsOpen() const override;
    int32_t GetPortCount() const override;
    std::string GetPortName(int32_t port) const override;
    std::string GetLinkClassName() const override;
    int Open(int32_t port) override;
    int Close() override;
    int Flush() override;
    int32_t GetBytesWaiting() override;
    int Write(const char* buffer, uint32_t length, uint32_t timeoutMs) override;
    int Read(char* buffer, int32_t wanted, int32_t& received, uint32_t timeoutMs) override;

private:
    std::vector<std::string> portNames_;
    ClSerialLibrary library_;
};

} // namespace zr
