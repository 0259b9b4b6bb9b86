#include "web/BusControl.h"

#include <chrono>
#include <optional>

#include "bus/BusClient.h"
#include "comm/PortName.h"

namespace zr::web
{

std::string PortId(int32_t commClass, int32_t port)
{
    return commClass == 0 ? "COM" + std::to_string(port + 1) : "CL:" + std::to_string(port);
}

BusControl::BusControl(std::unique_ptr<bus::BusClient> client) : client_(std::move(client))
{
    // A busy control answers at once: the page shows it rather than wait behind an operation.
    client_->SetBusyWait(std::chrono::milliseconds(0));
}

BusControl::~BusControl() = default;

std::vector<ControlInfo> BusControl::List(std::string& error)
{
    std::vector<ControlInfo> controls;
    for (const bus::PublishedControl& c : bus::BusClient::List(error))
        controls.push_back({PortId(c.commClass, c.port), c.name, c.online});
    return controls;
}

std::unique_ptr<BusControl> BusControl::Open(const std::string& id, std::string& error)
{
    const std::optional<PortChoice> port = ParsePortName(id);
    if (!port) {
        error = "no such control: " + id;
        return nullptr;
    }
    std::unique_ptr<bus::BusClient> client =
        bus::BusClient::Attach(std::make_pair(port->commClass, port->port), error);
    if (!client)
        return nullptr;
    return std::unique_ptr<BusControl>(new BusControl(std::move(client)));
}

DispatchResult BusControl::Invoke(const AutomationMember& member, InvokeKind kind,
                                  std::vector<Variant>& args, Variant& result)
{
    return client_->Invoke(member, kind, args, result);
}

void BusControl::Serve()
{
    client_->Drain();
}

void BusControl::SetStopCheck(std::function<bool()> check)
{
    client_->SetStopCheck(std::move(check));
}

void BusControl::SetUi(ControlUi& ui)
{
    client_->SetUi(ui);
}

Signal<const AutomationMember&>& BusControl::EventFired()
{
    return client_->eventFired;
}

Signal<const std::string&, bool>& BusControl::CommLog()
{
    return client_->commLog;
}

Signal<const std::string&, int32_t, int32_t>& BusControl::Progress()
{
    return client_->operationProgress;
}

Signal<const AutomationMember&, const Variant&>& BusControl::PropertyChanged()
{
    return client_->propertyChanged;
}

} // namespace zr::web
