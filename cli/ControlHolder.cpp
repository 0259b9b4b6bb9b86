#include "cli/ControlHolder.h"

#include "automation/LocalControl.h"
#include "bus/BusClient.h"

namespace zr::cli
{

ControlHolder::ControlHolder() : module_(std::make_unique<ComponentModule>())
{
    hold_.emplace(*module_);
    auto local = std::make_unique<LocalControl>(module_->Settings());
    local_ = local.get();
    session_ = std::move(local);
}

ControlHolder::ControlHolder(const std::optional<PortChoice>& port, std::string& error)
{
    std::optional<std::pair<int32_t, int32_t>> wanted;
    if (port)
        wanted = std::make_pair(port->commClass, port->port);
    session_ = bus::BusClient::Attach(wanted, error);
    if (!session_ && port)
        error = PortName(port->commClass, port->port) + ": " + error;
}

ControlHolder::~ControlHolder()
{
    std::string ignored;
    Close(ignored);
}

void ControlHolder::SelectPort(const PortChoice& port)
{
    if (local_ != nullptr)
        local_->Control().SelectCommPort(port.commClass, port.port);
}

void ControlHolder::Start(bool connect)
{
    // Without a connection the control works offline on its mirror.
    if (local_ != nullptr && connect && !local_->Control().HasWindow())
        local_->Control().OnCreate();
}

std::string ControlHolder::ConnectionFailure() const
{
    return local_ != nullptr ? local_->Control().GetConnectionFailure() : std::string();
}

std::string ControlHolder::LinkLoss() const
{
    return local_ != nullptr ? local_->Control().GetLinkLoss() : std::string();
}

ControlHolder::Saved ControlHolder::Close(std::string& problem)
{
    problem.clear();
    if (session_)
        session_->Flush(); // what arrived after the last reply still reaches the receivers
    local_ = nullptr;
    session_.reset(); // a control of this process writes the module settings as it goes
    if (!module_)
        return Saved::Yes;
    const ModuleSettings& settings = module_->Settings();
    problem = settings.Problem();
    if (settings.HasUnsavedWrites())
        return Saved::No;
    return problem.empty() ? Saved::Yes : Saved::WithProblem;
}

} // namespace zr::cli
