#include "MemoryLink.h"

#include <algorithm>
#include <cstring>

#include "comm/LinkError.h"

namespace zr::fuzz
{

int MemoryLink::Open(int32_t port)
{
    if (port != 0)
        return LINK_PORT_NOT_FOUND;
    open_ = true;
    return Flush();
}

int MemoryLink::Close()
{
    open_ = false;
    return LINK_OK;
}

int MemoryLink::Flush()
{
    pending_.clear();
    taken_ = 0;
    return open_ ? LINK_OK : LINK_PORT_UNAVAILABLE;
}

int32_t MemoryLink::GetBytesWaiting()
{
    return static_cast<int32_t>(pending_.size() - taken_);
}

int MemoryLink::Write(const char* buffer, uint32_t length, uint32_t)
{
    if (!open_)
        return LINK_PORT_UNAVAILABLE;
    pending_ += answer_(std::string(buffer, length));
    return LINK_OK;
}

int MemoryLink::Read(char* buffer, int32_t wanted, int32_t& received, uint32_t)
{
    received = 0;
    if (!open_)
        return LINK_PORT_UNAVAILABLE;
    if (wanted < 1)
        return LINK_OK;
    const size_t count = std::min(pending_.size() - taken_, static_cast<size_t>(wanted));
    std::memcpy(buffer, pending_.data() + taken_, count);
    taken_ += count;
    received = static_cast<int32_t>(count);
    return received == wanted ? LINK_OK : LINK_READ_TIMEOUT;
}

} // namespace zr::fuzz
