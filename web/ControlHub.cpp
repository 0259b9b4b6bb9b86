#include "web/ControlHub.h"

#include "comm/PortName.h"

namespace zr::web
{

std::vector<ControlInfo> ControlHub::List(std::string& error) const
{
    return BusControl::List(error);
}

std::shared_ptr<ControlChannel> ControlHub::Get(const std::string& id, std::string& error)
{
    const std::optional<PortChoice> port = ParsePortName(id);
    if (!port) {
        error = "no such control: " + id;
        return nullptr;
    }
    const std::string key = PortId(port->commClass, port->port);
    std::lock_guard lock(mutex_);
    auto& channel = channels_[key];
    if (channel == nullptr || !channel->Alive())
        channel = ControlChannel::Open(key, error);
    return channel;
}

void ControlHub::CloseAll()
{
    std::lock_guard lock(mutex_);
    for (auto& [id, channel] : channels_)
        if (channel)
            channel->Close();
    channels_.clear();
}

} // namespace zr::web
