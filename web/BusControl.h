#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "automation/AutomationMembers.h"
#include "automation/AutomationTypes.h"
#include "automation/Dispatch.h"
#include "base/Signal.h"
#include "control/ControlUi.h"

namespace zr::bus
{
class BusClient;
}

namespace zr::web
{

// A control published on the session bus, as the web face lists it.
struct ControlInfo {
    std::string id;      // its port: "COM1".."COM16", "CL:N"
    std::string busName; // the well-known name it holds
    bool online = false;
};

// The web face's one way to a control: a small adapter over the bus client, so the face names
// the client in this file alone. Not thread-safe: one thread uses one BusControl.
class BusControl
{
public:
    ~BusControl();
    BusControl(const BusControl&) = delete;
    BusControl& operator=(const BusControl&) = delete;

    // Every control published on the session bus, by port. Empty, with `error` set, when
    // there is no session bus.
    static std::vector<ControlInfo> List(std::string& error);
    // Attaches to the control published for port `id`; nullptr with `error` set when none is.
    static std::unique_ptr<BusControl> Open(const std::string& id, std::string& error);

    // As the dispatch's Invoke; a call refused as busy fails at once.
    DispatchResult Invoke(const AutomationMember& member, InvokeKind kind,
                          std::vector<Variant>& args, Variant& result);
    // Delivers what arrived from the control between calls (its signals).
    void Serve();
    // Asked while a call runs; true asks the control to stop its long operation.
    void SetStopCheck(std::function<bool()> check);
    // Where the message boxes of this client's calls go; `ui` outlives the client.
    void SetUi(ControlUi& ui);

    Signal<const AutomationMember&>& EventFired();
    Signal<const std::string&, bool>& CommLog();
    Signal<const std::string&, int32_t, int32_t>& Progress();
    Signal<const AutomationMember&, const Variant&>& PropertyChanged();

private:
    explicit BusControl(std::unique_ptr<bus::BusClient> client);
    std::unique_ptr<bus::BusClient> client_;
};

// "COM1".."COM16" for class 0, "CL:N" for the Camera Link class.
std::string PortId(int32_t commClass, int32_t port);

} // namespace zr::web
