#include "sim/cl/ClTestPort.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace zr::cltest
{

namespace
{

zr::sim::SimOptions CameraOptions(const ClTestConfig::Port& config)
{
    zr::sim::SimOptions options;
    options.model = config.model;
    options.faults = config.faults;
    return options;
}

} // namespace

ClTestPort::ClTestPort(const ClTestConfig::Port& config)
    : camera_(CameraOptions(config)), silent_(config.silent), queue_(config.backlog, 'U')
{
}

void ClTestPort::Write(std::string_view bytes)
{
    const std::string reply = camera_.Receive(bytes);
    if (silent_ || reply.empty())
        return;
    {
        std::lock_guard lock(mutex_);
        queue_ += reply;
    }
    arrived_.notify_all();
}

uint32_t ClTestPort::Read(char* buffer, uint32_t wanted, uint32_t timeoutMs)
{
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                      [&] { return queue_.size() >= wanted; });
    const size_t count = std::min<size_t>(wanted, queue_.size());
    std::memcpy(buffer, queue_.data(), count);
    queue_.erase(0, count);
    return static_cast<uint32_t>(count);
}

void ClTestPort::Flush()
{
    std::lock_guard lock(mutex_);
    queue_.clear();
}

uint32_t ClTestPort::BytesQueued() const
{
    std::lock_guard lock(mutex_);
    return static_cast<uint32_t>(queue_.size());
}

} // namespace zr::cltest
