#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "sim/cl/ClTestConfig.h"
#include "sim/lib/SimCamera.h"

namespace zr::cltest
{

// One serial port of a test library with a simulated camera behind it. What the host writes is
// fed to the camera at once; the camera's reply waits in a queue until the host reads it.
class ClTestPort
{
public:
    explicit ClTestPort(const ClTestConfig::Port& config);
    ClTestPort(const ClTestPort&) = delete;
    ClTestPort& operator=(const ClTestPort&) = delete;

    void Write(std::string_view bytes);
    // Takes up to `wanted` queued bytes, waiting up to timeoutMs for all of them to arrive.
    // Returns the count delivered.
    uint32_t Read(char* buffer, uint32_t wanted, uint32_t timeoutMs);
    // Discards every queued byte.
    void Flush();
    uint32_t BytesQueued() const;

private:
    zr::sim::SimCamera camera_;
    const bool silent_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::string queue_;
};

} // namespace zr::cltest
