#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "base/UniqueFd.h"
#include "comm/CommListedPorts.h"

namespace zr
{

class SettingsStore;

// Why a port could not be opened when another program holds it (its lock or exclusive mode).
inline constexpr const char* kPortInUse = "in use by another program";

// A plain serial port, COM1..COM16, each name mapped to a device path (ComPortMap.h).
// 9600 baud 8N1, raw, no flow control, exclusive use.
class CCommPort final : public CCommListedPorts
{
public:
    // The settings give explicit "Comm"/"COMn" device paths; they are looked up at Open.
    explicit CCommPort(const SettingsStore& settings);
    ~CCommPort() override;
    CCommPort(const CCommPort&) = delete;
    CCommPort& operator=(const CCommPort&) = delete;

    bool IsOpen() const override;
    int Open(int32_t port) override;
    int Close() override;
    int Flush() override;
    int32_t GetBytesWaiting() override;
    int Write(const char* buffer, uint32_t length, uint32_t timeoutMs) override;
    int Read(char* buffer, int32_t wanted, int32_t& received, uint32_t timeoutMs) override;
    std::string GetOpenFailure() const override { return openFailure_; }
    std::string GetLinkFailure() const override { return linkFailure_; }

private:
    // Gives up the port: clears exclusive use, releases the lock, closes the descriptor.
    void Release();
    // Moves up to `wanted` bytes from the read buffer to `buffer`; returns how many.
    int32_t TakeBuffered(char* buffer, int32_t wanted);
    // Records why opening failed with `error` (an errno value) and returns link error 3.
    int OpenFailed(int error);
    // Records why the open line failed under a Read or Write and returns `code`.
    int LineFailed(int code, std::string reason);

    const SettingsStore& settings_;
    UniqueFd fd_;
    // What one read() fetched beyond what the caller wanted: the camera's answers are read a
    // byte at a time, and one system call per byte costs more than the line itself. Bytes
    // readStart_ .. readEnd_ are still to be handed out.
    std::array<char, 256> readBuffer_{};
    size_t readStart_ = 0;
    size_t readEnd_ = 0;
    std::string openFailure_;
    std::string linkFailure_;
};

} // namespace zr
