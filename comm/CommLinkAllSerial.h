#pragma once

#include <string>
#include <vector>

#include "comm/ClSerialLibrary.h"
#include "comm/CommAbstract.h"

namespace zr
{

// Link through a Camera Link serial library that lists all serial ports of all installed
// grabbers ("ClAllSerial.dll", here libClAllSerial.so). Each port is named "manufacturer - port
// identifier". The library is loaded only while a port is open.
class CCommLinkAllSerial final : public CCommAbstract
{
public:
    static constexpr const char* kDefaultLibrary = "libClAllSerial.so";

    // Loads the library once to list its ports, then unloads it again.
    explicit CCommLinkAllSerial(std::string libraryFile = kDefaultLibrary);
    ~CCommLinkAllSerial() override;
    CCommLinkAllSerial(const CCommLinkAllSerial&) = delete;
    CCommLinkAllSerial& operator=(const CCommLinkAllSerial&) = delete;

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
