#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sdbus-c++/IConnection.h>
#include <sdbus-c++/IObject.h>
#include <sdbus-c++/Message.h>

#include "automation/AutomationMembers.h"
#include "automation/AutomationTypes.h"
#include "automation/Dispatch.h"
#include "base/EventSource.h"
#include "base/Signal.h"
#include "base/StopSources.h"
#include "bus/BusProtocol.h"
#include "bus/CallerUi.h"

namespace zr
{

class CXKorvelCamCtrl;
enum class StatusChange : uint8_t;

namespace bus
{

// One control published on the session bus: every property, method and event of the member
// table on one object, registered from the table at run time, plus the communication log and
// the steps of long operations as signals. Properties that change send PropertiesChanged with
// their new values; script errors answer as errors named after their status code.
//
// Nothing runs on a thread of its own: the owner waits for the connection's file descriptor
// (Fd, PollEvents, PollTimeoutMs) in its own event loop and calls Process, on the thread of the
// control. Method calls are queued and run one at a time after the bus has been read, so a long
// operation runs outside the bus library; meanwhile the owner may call Process again (from the
// control's stop check, or from a window's nested event processing): property reads are
// answered, and every call that would use the control answers busy at once instead of waiting
// behind the operation. A client that goes away mid-call costs its reply, nothing else.
class BusPublication final : public EventSource
{
public:
    // Publishes the control and its dispatch on the session bus under the first free name of
    // this process (BusName(pid, 1), (pid, 2), ...). nullptr with `error` set when there is no
    // session bus. Both must outlive the publication.
    static std::unique_ptr<BusPublication>
    Publish(CXKorvelCamCtrl& control, CXKorvelCamDispatch& dispatch, std::string& error);
    ~BusPublication() override;
    BusPublication(const BusPublication&) = delete;
    BusPublication& operator=(const BusPublication&) = delete;

    // The well-known name the control holds.
    const std::string& Name() const { return name_; }

    // What to wait for before the next Process: the connection's descriptor, the poll events
    // and the longest wait in milliseconds (-1 for none). Never throw: once the bus has gone
    // they ask for nothing (-1, 0, -1).
    int Fd() const override;
    short PollEvents() const override;
    int PollTimeoutMs() const override;

    // Handles everything the bus has brought, then runs the queued method calls in order. Never
    // throws; a nested call only answers the bus.
    void Process() override;

    // Once the session bus has gone (its daemon ended, the connection broke): why, and from then
    // on the publication does nothing; the owner drops it. Empty while it serves.
    const std::string& Lost() const override { return lost_; }
    // Emitted once, from Process, when the bus is found gone, with the reason.
    Signal<const std::string&> lost;

    // Called before a method call or a property write that needs the camera runs (the owner
    // may reconnect a camera that went away); nullptr for nothing.
    void SetBeforeCameraUse(std::function<void()> hook) { beforeCameraUse_ = std::move(hook); }

    // Whether the control is held by an operation that did not come from the bus (a panel's
    // long operation); calls then answer busy.
    void SetBusyCheck(std::function<bool()> check) override { busyCheck_ = std::move(check); }

    // Whether the caller of the call under way asked it to stop (kStopMethod). The publication
    // adds this to the control's stop checks itself, so every program that publishes its
    // control stops an operation at its caller's request.
    bool StopRequested() const { return stopRequested_; }

private:
    struct QueuedCall {
        sdbus::MethodCall call;
        const AutomationMember* member;
    };

    BusPublication(CXKorvelCamCtrl& control, CXKorvelCamDispatch& dispatch,
                   std::unique_ptr<sdbus::IConnection> connection, std::string name);
    void Register();
    void RegisterMethod(const AutomationMember& method);
    void RegisterProperty(size_t index, const AutomationMember& property);

    bool Busy() const;
    // The connection's poll data; nothing (and the bus marked lost) when it has none any more.
    std::optional<sdbus::IConnection::PollData> PollData() const;
    // Tells once that the bus has gone, and lets go of everything that would still use it.
    void TellLost();
    bool AnswersAtOnce(const AutomationMember& method) const;
    void BeforeUse(const AutomationMember& member, InvokeKind kind);
    void OnMethodCall(sdbus::MethodCall call, const AutomationMember& method);
    void RunQueue();
    void RunMethod(const sdbus::MethodCall& call, const AutomationMember& method);
    void OnStop(const sdbus::MethodCall& call);
    void GetProperty(sdbus::PropertyGetReply& reply, const AutomationMember& property);
    void SetProperty(sdbus::PropertySetCall& call, const AutomationMember& property);

    // Re-reads the properties at these member indices and sends PropertiesChanged for those
    // whose value differs from the one last seen.
    void CheckProperties(const std::vector<size_t>& indices);
    void CheckAllProperties();
    void OnParameterChanged(int32_t row);
    void OnStatusChanged(StatusChange change);
    void Emit(const char* signal, const std::function<void(sdbus::Signal&)>& fill);
    void Emit(BusSignal signal, const std::function<void(sdbus::Signal&)>& fill)
    {
        Emit(BusSignalOf(signal).name, fill);
    }
    // Sends the message boxes of a call to its caller alone.
    CallerUi::Deliver MessagesTo(std::string caller);

    CXKorvelCamCtrl& control_;
    CXKorvelCamDispatch& dispatch_;
    std::unique_ptr<sdbus::IConnection> connection_;
    std::string name_;
    std::unique_ptr<sdbus::IObject> object_;
    std::function<bool()> busyCheck_;
    StopSources::Id stopSource_ = 0;
    std::function<void()> beforeCameraUse_;
    // Found by the const poll-data readers, told by Process.
    mutable std::string lost_;
    bool lostTold_ = false;

    std::deque<QueuedCall> queue_;
    bool reading_ = false; // inside the bus library's processing
    bool running_ = false; // a call from the bus holds the control
    std::string caller_;   // the unique name of its caller
    bool stopRequested_ = false;

    // The last value seen of every property (by member index; empty for other members), and
    // the property indices of every parameter row.
    std::vector<Variant> seen_;
    std::vector<std::vector<size_t>> rowProperties_;
    std::vector<size_t> portProperties_;
    std::vector<size_t> allProperties_;

    ScopedConnection<const AutomationMember&> events_;
    ScopedConnection<const std::string&, bool> log_;
    ScopedConnection<const char*, int32_t, int32_t> progress_;
    ScopedConnection<int32_t> parameters_;
    ScopedConnection<StatusChange> status_;
};

} // namespace bus
} // namespace zr
