#include "comm/CommListedPorts.h"

#include <utility>

namespace zr
{

CCommListedPorts::CCommListedPorts(std::string className, std::vector<std::string> portNames)
    : className_(std::move(className)), portNames_(std::move(portNames))
{
}

int32_t CCommListedPorts::GetPortCount() const
{
    return static_cast<int32_t>(portNames_.size());
}

std::string CCommListedPorts::GetPortName(int32_t port) const
{
    if (port < 0 || port >= GetPortCount())
        return {};
    return portNames_[static_cast<size_t>(port)];
}

} // namespace zr
