#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "automation/AutomationMembers.h"
#include "automation/AutomationTypes.h"
#include "automation/Dispatch.h"
#include "web/BusControl.h"
#include "web/JobThread.h"
#include "web/MemberCatalog.h"
#include "web/MessageRelay.h"

namespace zr::web
{

// Receives the events of a control as Server-Sent Events text, on a thread of the channel.
class EventSubscriber
{
public:
    virtual ~EventSubscriber() = default;
    virtual void Deliver(const std::string& text) = 0;
};

// One published control as the web face holds it: two attachments to it on threads of their
// own, so a long operation never holds up the rest. The watcher reads and writes properties,
// keeps the current values (updated by the control's change signals) and hands the control's
// changes, log lines and progress to the subscribers; the caller runs methods one at a time and
// can ask the one under way to stop.
class ControlChannel
{
public:
    // Attaches to the control of port `id`; nullptr with `error` set when none is published.
    static std::shared_ptr<ControlChannel> Open(const std::string& id, std::string& error);
    ~ControlChannel();
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;

    const std::string& Id() const { return id_; }
    // False once the control stopped answering (it went away).
    bool Alive() const { return alive_; }

    // {"values": {...}, "enabled": {...}, "online": bool, "busy": bool}, handed to `done` on the
    // watcher once it has read the control (the first time) and what the bus has brought.
    void Snapshot(std::function<void(Json)> done);

    // Writes a property on the watcher; `done` runs there with the outcome.
    void Set(const AutomationMember& property, Variant value,
             std::function<void(DispatchResult)> done);

    using CallDone = std::function<void(DispatchResult, Variant result, std::vector<Variant> args)>;
    // Runs a method on the caller; false (and `done` is not called) while another runs.
    bool Call(const AutomationMember& method, std::vector<Variant> args, CallDone done);
    // Asks the method under way to stop where it safely can.
    void Stop() { stopRequested_ = true; }

    void Subscribe(const std::shared_ptr<EventSubscriber>& subscriber);

    // Ends both threads after the call under way, which is asked to stop; later requests are
    // answered as failures of the bus. On the server's thread only.
    void Close();

private:
    ControlChannel(std::string id, std::unique_ptr<BusControl> watcher,
                   std::unique_ptr<BusControl> caller);
    void Connect();
    void ReadAll();
    void ReadOnline();
    void OnChange(const AutomationMember& property, const Variant& value);
    void Broadcast(const char* event, const Json& data);
    void Fail();
    Json CurrentValues();

    std::string id_;
    MessageRelay messages_; // before the clients that show through it
    std::unique_ptr<BusControl> watcher_;
    std::unique_ptr<BusControl> caller_;
    std::atomic<bool> alive_{true};
    std::atomic<bool> busy_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> progressSeen_{false};
    std::atomic<bool> closing_{false};
    bool onlineStale_ = false; // watcher thread only

    std::mutex mutex_;
    std::map<std::string, Variant> values_;
    bool online_ = false;
    std::vector<std::weak_ptr<EventSubscriber>> subscribers_;

    std::vector<SignalConnection> connections_;
    // Last: the threads end before the rest goes.
    std::unique_ptr<JobThread> watcherThread_;
    std::unique_ptr<JobThread> callerThread_;
};

} // namespace zr::web
