#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "automation/AutomationMembers.h"
#include "automation/AutomationTypes.h"
#include "automation/ControlSession.h"
#include "base/Signal.h"
#include "control/HeadlessUi.h"

namespace sdbus
{
class IConnection;
class IProxy;
class Message;
} // namespace sdbus

namespace zr::bus
{

// A published control found on the session bus.
struct PublishedControl {
    std::string name;
    int32_t commClass = 0;
    int32_t port = 0;
    bool online = false;
};

// A program's end of a control published on the session bus: the same members, results,
// script errors and events as the local dispatch, over the bus.
//
// Calls are made asynchronously and the connection is served until the reply arrives, so the
// events, log lines and progress of the call arrive while it runs, in the order the control sent
// them. A call the control refuses as busy is tried again until `busyWait` has passed, then it
// fails with kBusy. A message box the control shows for a call of this client comes here and
// goes to the client's user interface (standard error unless SetUi gives another). Nothing
// throws.
class BusClient final : public ControlSession
{
public:
    ~BusClient() override;
    BusClient(const BusClient&) = delete;
    BusClient& operator=(const BusClient&) = delete;

    // Every control published on the session bus of this user. Empty, with `error` set, when
    // there is no session bus or it did not answer within a few seconds.
    static std::vector<PublishedControl> List(std::string& error);

    // Attaches to the published control that holds class `commClass` and port `port` (an online
    // one first), or without a port to the only one there is. nullptr with `error` set to a
    // one-line reason when there is none, or more than one and no port was given.
    static std::unique_ptr<BusClient> Attach(std::optional<std::pair<int32_t, int32_t>> port,
                                             std::string& error);

    const std::string& Name() const { return name_; }

    // As CXKorvelCamDispatch::Invoke, checked the same way (CheckInvocation) before anything
    // goes on the bus. A failure of the bus itself gives kBusFailure.
    DispatchResult Invoke(const AutomationMember& member, InvokeKind kind,
                          std::vector<Variant>& args, Variant& result) override;
    Signal<const AutomationMember&>& Events() override { return eventFired; }
    Signal<const std::string&, bool>& Log() override { return commLog; }
    Signal<const std::string&, int32_t, int32_t>& Progress() override { return operationProgress; }
    void SetUi(ControlUi& ui) override { ui_ = &ui; }
    void Flush() override { Drain(); }

    // How long a call refused as busy is tried again.
    void SetBusyWait(std::chrono::milliseconds wait) { busyWait_ = wait; }
    // Asked while a call runs; once it says true the control is asked to stop the operation
    // where it safely can, and the call then ends as the operation does.
    void SetStopCheck(std::function<bool()> check) override { stopCheck_ = std::move(check); }

    // While a call runs: the control's events, its communication-log lines (CR LF removed) and
    // the steps of its long operations.
    Signal<const AutomationMember&> eventFired;
    Signal<const std::string&, bool> commLog;
    Signal<const std::string&, int32_t, int32_t> operationProgress;
    // A property that changed, with its new value (also between calls: see Drain).
    Signal<const AutomationMember&, const Variant&> propertyChanged;

    // Serves the connection until nothing is waiting (signals that arrived between calls).
    void Drain();

private:
    BusClient(std::unique_ptr<sdbus::IConnection> connection, std::string name);
    // List, waiting as long as the bus takes.
    static std::vector<PublishedControl> ListNow(std::string& error);
    void Subscribe();
    void Decode(sdbus::Message& message);
    void OnPropertiesChanged(sdbus::Message& message);
    DispatchResult CallOnce(const AutomationMember& member, InvokeKind kind,
                            std::vector<Variant>& args, Variant& result);
    // Serves the connection until `done` is set or the bus fails.
    bool Wait(const bool& done);

    std::unique_ptr<sdbus::IConnection> connection_;
    std::string name_;
    std::unique_ptr<sdbus::IProxy> proxy_;
    std::chrono::milliseconds busyWait_{10000};
    std::function<bool()> stopCheck_;
    HeadlessUi headless_;
    ControlUi* ui_ = &headless_;
};

} // namespace zr::bus
