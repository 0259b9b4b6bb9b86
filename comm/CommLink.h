#pragma once

#include <string>

#include "comm/CommAbstract.h"
#include "comm/CommLinkAllSerial.h"
#include "comm/CommLinkSerial.h"

namespace zr
{

// The "CameraLink" communication class: the ports of the ClSerial library followed by those of
// the ClAllSerial library. Every data operation goes to the sub-link chosen by the last Open.
class CCommLink final : public CCommAbstract
{
public:
    // The library file names are those of the system's usual search unless a caller (a test)
    // points the links at other files.
    explicit CCommLink(std::string serialLibraryFile = CCommLinkSerial::kDefaultLibrary,
                       std::string allSerialLibraryFile = CCommLinkAllSerial::kDefaultLibrary);
    // Closes the current sub-link; each sub-link then closes its port and unloads its library.
    ~CCommLink() override;
    CCommLink(const CCommLink&) = delete;
    CCommLink& operator=(const CCommLink&) = delete;

    bool IsOpen() const override;
    int32_t GetPortCount() const override;
    std::string GetPortName(int32_t port) const override;
    std::string GetLinkClassName() const override;
    // Ports 0 .. S-1 are the ClSerial link's (S its port count); the rest are the ClAllSerial
    // link's, from index 0.
    int Open(int32_t port) override;
    int Close() override;
    int Flush() override;
    int32_t GetBytesWaiting() override;
    int Write(const char* buffer, uint32_t length, uint32_t timeoutMs) override;
    int Read(char* buffer, int32_t wanted, int32_t& received, uint32_t timeoutMs) override;

private:
    CCommAbstract* current_;
    CCommLinkSerial serial_;
    CCommLinkAllSerial allSerial_;
};

} // namespace zr
