#pragma once

#include <string>
#include <vector>

#include "base/UniqueFd.h"
#include "comm/CommAbstract.h"

namespace zr
{

class SettingsStore;

// A plain serial port, COM1..COM16, each name mapped to a device path (ComPortMap.h).
// 9600 baud 8N1, raw, no flow control, exclusive use.
class CCommPort final : public CCommAbstract
{
public:
    // The settings give explicit "Comm"/"COMn" device paths; they are looked up at Open.
    explicit CCommPort(const SettingsStore& settings);
    ~CCommPort() override;
    CCommPort(const CCommPort&) = delete;
    CCommPort& operator=(const CCommPort&) = delete;

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
    std::string GetOpenFailure() const override { return openFailure_; }

private:
    // Gives up the port: clears exclusive use, releases the lock, closes the descriptor.
    void Release();
    // Records why opening failed with `error` (an errno value) and returns link error 3.
    int OpenFailed(int error);

    const SettingsStore& settings_;
    std::vector<std::string> portNames_;
    UniqueFd fd_;
    std::string openFailure_;
};

} // namespace zr
