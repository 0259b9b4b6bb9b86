#include "bus/BusPublication.h"

#include <algorithm>
#include <exception>
#include <unistd.h>

#include <sdbus-c++/Error.h>

#include "automation/CameraUse.h"
#include "bus/BusErrors.h"
#include "bus/BusProtocol.h"
#include "bus/BusValues.h"
#include "bus/CallerUi.h"
#include "camera/ParameterTable.h"
#include "control/XKorvelCamCtrl.h"

namespace zr::bus
{

namespace
{

// Tries the names of this process in order until one is free; a name held by another control
// of this process (or left by one) is skipped.
constexpr int kMaxControlsPerProcess = 64;

sdbus::Error ErrorOf(const DispatchResult& outcome)
{
    return sdbus::Error(ErrorName(outcome.status), TextToBus(outcome.description));
}

sdbus::Error BusyError()
{
    return sdbus::Error(ErrorName(kBusy), kBusyDescription);
}

} // namespace

std::unique_ptr<BusPublication>
BusPublication::Publish(CXKorvelCamCtrl& control, CXKorvelCamDispatch& dispatch, std::string& error)
{
    try {
        std::unique_ptr<sdbus::IConnection> connection = sdbus::createSessionBusConnection();
        for (int index = 1; index <= kMaxControlsPerProcess; ++index) {
            const std::string name = BusName(::getpid(), index);
            try {
                connection->requestName(name);
            } catch (const sdbus::Error&) {
                continue;
            }
            std::unique_ptr<BusPublication> publication(
                new BusPublication(control, dispatch, std::move(connection), name));
            publication->Register();
            return publication;
        }
        error = "no free name on the session bus";
    } catch (const sdbus::Error& e) {
        error = DescribeBusError(e);
    } catch (const std::exception& e) {
        error = e.what();
    }
    return nullptr;
}

BusPublication::BusPublication(CXKorvelCamCtrl& control, CXKorvelCamDispatch& dispatch,
                               std::unique_ptr<sdbus::IConnection> connection, std::string name)
    : control_(control), dispatch_(dispatch), connection_(std::move(connection)),
      name_(std::move(name)), rowProperties_(PARAMETER_COUNT)
{
}

BusPublication::~BusPublication()
{
    control_.StopChecks().Remove(stopSource_);
    // Calls still queued get no reply: their clients see the name go.
    queue_.clear();
    try {
        object_.reset();
        connection_->releaseName(name_);
    } catch (const sdbus::Error&) {
        // The bus went first; nothing is left to release.
    }
}

void BusPublication::Register()
{
    object_ = sdbus::createObject(*connection_, kObjectPath);
    const auto members = AutomationMembers();
    seen_.resize(members.size());
    for (size_t i = 0; i < members.size(); ++i) {
        const AutomationMember& m = members[i];
        if (m.kind == MemberKind::Method)
            RegisterMethod(m);
        else if (m.kind == MemberKind::Event)
            object_->registerSignal(kInterface, std::string(m.Name()), "");
        else
            RegisterProperty(i, m);
    }
    object_->registerMethod(kInterface, kStopMethod, "", "",
                            [this](const sdbus::MethodCall& call) { OnStop(call); });
    for (const BusSignalRow& row : BusSignals()) {
        std::vector<std::string> names;
        for (size_t i = 0; i < std::string_view(row.signature).size(); ++i)
            names.emplace_back(row.argNames[i]);
        object_->registerSignal(kInterface, row.name, row.signature, names);
    }
    object_->finishRegistration();
    // Whatever program owns the control, an operation a bus caller started stops when that
    // caller asks, and the bus is answered between the operation's steps.
    stopSource_ = control_.StopChecks().Add([this] {
        Process();
        return running_ && stopRequested_;
    });

    events_ = ScopedConnection<const AutomationMember&>(
        dispatch_.eventFired,
        [this](const AutomationMember& event) { Emit(event.name.data(), [](sdbus::Signal&) {}); });
    log_ = ScopedConnection<const std::string&, bool>(
        control_.commLog, [this](const std::string& line, bool sent) {
            Emit(BusSignal::CommLog, [&](sdbus::Signal& s) { s << TextToBus(line) << sent; });
        });
    progress_ = ScopedConnection<const char*, int32_t, int32_t>(
        control_.operationProgress, [this](const char* operation, int32_t done, int32_t total) {
            Emit(BusSignal::Progress, [&](sdbus::Signal& s) {
                s << TextToBus(operation != nullptr ? operation : "") << done << total;
            });
        });
    parameters_ = ScopedConnection<int32_t>(control_.parameterChanged,
                                            [this](int32_t row) { OnParameterChanged(row); });
    status_ = ScopedConnection<StatusChange>(control_.statusChanged,
                                             [this](StatusChange c) { OnStatusChanged(c); });
    CheckAllProperties(); // the values later changes are told against
}

void BusPublication::RegisterMethod(const AutomationMember& method)
{
    std::vector<std::string> inNames;
    std::vector<std::string> outNames;
    if (method.type != VarType::Void)
        outNames.emplace_back("result");
    for (const AutomationArgument& a : method.Arguments())
        (a.type == VarType::PtrI4 ? outNames : inNames).emplace_back(a.name);
    const AutomationMember* m = &method;
    object_->registerMethod(kInterface, std::string(method.Name()), InputSignature(method), inNames,
                            OutputSignature(method), outNames, [this, m](sdbus::MethodCall call) {
                                OnMethodCall(std::move(call), *m);
                            });
}

void BusPublication::RegisterProperty(size_t index, const AutomationMember& property)
{
    allProperties_.push_back(index);
    if (property.row >= 0 && property.row < PARAMETER_COUNT)
        rowProperties_[static_cast<size_t>(property.row)].push_back(index);
    else if (property.special == SpecialOp::CommClass || property.special == SpecialOp::CommPort)
        portProperties_.push_back(index);
    sdbus::Flags flags;
    if (property.special == SpecialOp::PanelVisibility)
        flags.set(sdbus::Flags::EMITS_NO_SIGNAL);
    const AutomationMember* m = &property;
    auto get = [this, m](sdbus::PropertyGetReply& reply) { GetProperty(reply, *m); };
    if (property.readOnly) {
        object_->registerProperty(kInterface, std::string(property.Name()), BusType(property.type),
                                  get, flags);
        return;
    }
    object_->registerProperty(
        kInterface, std::string(property.Name()), BusType(property.type), get,
        [this, m](sdbus::PropertySetCall& call) { SetProperty(call, *m); }, flags);
}

std::optional<sdbus::IConnection::PollData> BusPublication::PollData() const
{
    if (!lost_.empty())
        return std::nullopt;
    try {
        return connection_->getEventLoopPollData();
    } catch (const sdbus::Error& e) {
        lost_ = e.getMessage().empty() ? e.getName() : e.getMessage();
    } catch (const std::exception& e) {
        lost_ = e.what();
    }
    if (lost_.empty())
        lost_ = "the connection broke";
    return std::nullopt;
}

int BusPublication::Fd() const
{
    const auto data = PollData();
    return data ? data->fd : -1;
}

short BusPublication::PollEvents() const
{
    const auto data = PollData();
    return data ? static_cast<short>(data->events) : short{0};
}

int BusPublication::PollTimeoutMs() const
{
    const auto data = PollData();
    return data ? data->getPollTimeout() : -1;
}

bool BusPublication::Busy() const
{
    return running_ || (busyCheck_ && busyCheck_());
}

void BusPublication::Process()
{
    // The bus library does not read the bus again from inside its own processing: a nested
    // call leaves the messages waiting until the outer one returns.
    if (reading_ || !lost_.empty())
        return TellLost();
    for (;;) {
        bool handled = false;
        reading_ = true;
        try {
            handled = connection_->processPendingRequest();
        } catch (const std::exception&) {
            // A message the bus library could not handle costs that message only; a connection
            // that has broken has no poll data any more.
            handled = false;
            PollData();
        }
        reading_ = false;
        if (!lost_.empty())
            return TellLost();
        RunQueue();
        if (!handled)
            return;
    }
}

void BusPublication::TellLost()
{
    if (lost_.empty() || lostTold_ || reading_)
        return;
    lostTold_ = true;
    // Nothing the control does from now on goes to the bus; calls still queued get no reply.
    queue_.clear();
    events_.Reset();
    log_.Reset();
    progress_.Reset();
    parameters_.Reset();
    status_.Reset();
    lost.Emit(lost_);
}

bool BusPublication::AnswersAtOnce(const AutomationMember& method) const
{
    // The online state is read like a property: never behind an operation.
    return method.special == SpecialOp::CheckOnline;
}

void BusPublication::OnMethodCall(sdbus::MethodCall call, const AutomationMember& method)
{
    if (AnswersAtOnce(method)) {
        std::vector<Variant> args;
        Variant result;
        const DispatchResult outcome =
            dispatch_.Invoke(method.dispid, InvokeKind::Method, args, result);
        if (!outcome.Succeeded())
            throw ErrorOf(outcome);
        sdbus::MethodReply reply = call.createReply();
        AppendValue(reply, method.type, result);
        reply.send();
        return;
    }
    if (Busy())
        throw BusyError();
    queue_.push_back({std::move(call), &method});
}

void BusPublication::BeforeUse(const AutomationMember& member, InvokeKind kind)
{
    if (beforeCameraUse_ && NeedsCamera(member, kind))
        beforeCameraUse_();
}

void BusPublication::RunQueue()
{
    if (running_)
        return;
    while (!queue_.empty()) {
        QueuedCall next = std::move(queue_.front());
        queue_.pop_front();
        running_ = true;
        stopRequested_ = false;
        try {
            caller_ = next.call.getSender();
            RunMethod(next.call, *next.member);
        } catch (const std::exception&) {
            // A reply that could not be sent (the client has gone) leaves the control as it is.
        }
        running_ = false;
        caller_.clear();
    }
}

void BusPublication::OnStop(const sdbus::MethodCall& call)
{
    if (running_ && call.getSender() == caller_)
        stopRequested_ = true;
    if (!call.doesntExpectReply())
        call.createReply().send();
}

void BusPublication::RunMethod(const sdbus::MethodCall& call, const AutomationMember& method)
{
    if (busyCheck_ && busyCheck_()) {
        call.createErrorReply(BusyError()).send();
        return;
    }
    std::vector<Variant> args;
    sdbus::MethodCall in = call;
    try {
        for (const AutomationArgument& a : method.Arguments())
            args.push_back(a.type == VarType::PtrI4 ? Variant() : ReadArgument(in, a));
    } catch (const sdbus::Error& refused) {
        // A text the control cannot hold, or an argument of another type.
        if (!call.doesntExpectReply())
            call.createErrorReply(refused).send();
        return;
    }
    BeforeUse(method, InvokeKind::Method);
    Variant result;
    DispatchResult outcome;
    {
        CallerUi callerUi(control_, MessagesTo(call.getSender()));
        outcome = dispatch_.Invoke(method.dispid, InvokeKind::Method, args, result);
    }
    CheckAllProperties();
    if (call.doesntExpectReply())
        return;
    if (!outcome.Succeeded()) {
        call.createErrorReply(ErrorOf(outcome)).send();
        return;
    }
    sdbus::MethodReply reply = call.createReply();
    AppendValue(reply, method.type, result);
    const auto arguments = method.Arguments();
    for (size_t i = 0; i < arguments.size(); ++i)
        if (arguments[i].type == VarType::PtrI4)
            AppendValue(reply, VarType::PtrI4, args[i]);
    reply.send();
}

void BusPublication::GetProperty(sdbus::PropertyGetReply& reply, const AutomationMember& property)
{
    std::vector<Variant> args;
    Variant value;
    const DispatchResult outcome =
        dispatch_.Invoke(property.dispid, InvokeKind::PropertyGet, args, value);
    if (!outcome.Succeeded())
        throw ErrorOf(outcome);
    AppendValue(reply, property.type, value);
}

void BusPublication::SetProperty(sdbus::PropertySetCall& call, const AutomationMember& property)
{
    if (Busy())
        throw BusyError();
    std::vector<Variant> args{ReadValue(call, property.type)};
    Variant unused;
    running_ = true;
    BeforeUse(property, InvokeKind::PropertyPut);
    DispatchResult outcome;
    {
        CallerUi callerUi(control_, MessagesTo(call.getSender()));
        outcome = dispatch_.Invoke(property.dispid, InvokeKind::PropertyPut, args, unused);
    }
    running_ = false;
    if (!outcome.Succeeded())
        throw ErrorOf(outcome);
}

void BusPublication::CheckProperties(const std::vector<size_t>& indices)
{
    const auto members = AutomationMembers();
    std::vector<std::string> changed;
    for (size_t index : indices) {
        std::vector<Variant> args;
        Variant value;
        if (!dispatch_.Invoke(members[index].dispid, InvokeKind::PropertyGet, args, value)
                 .Succeeded() ||
            value == seen_[index])
            continue;
        const bool first = seen_[index].IsEmpty();
        seen_[index] = std::move(value);
        if (!first && members[index].special != SpecialOp::PanelVisibility)
            changed.emplace_back(members[index].Name());
    }
    if (changed.empty())
        return;
    try {
        object_->emitPropertiesChangedSignal(kInterface, changed);
    } catch (const std::exception&) {
        // Nobody can hear it: the bus has gone.
    }
}

void BusPublication::CheckAllProperties()
{
    CheckProperties(allProperties_);
}

void BusPublication::OnParameterChanged(int32_t row)
{
    // A new model name changes the imager types and the items enabled in other rows.
    if (row == P_MD || row < 0 || row >= PARAMETER_COUNT)
        CheckAllProperties();
    else
        CheckProperties(rowProperties_[static_cast<size_t>(row)]);
}

void BusPublication::OnStatusChanged(StatusChange change)
{
    if (change == StatusChange::CommPort || change == StatusChange::Online)
        CheckAllProperties();
}

CallerUi::Deliver BusPublication::MessagesTo(std::string caller)
{
    return [this, caller = std::move(caller)](const std::string& text, MessageIcon icon) {
        Emit(BusSignal::Message, [&](sdbus::Signal& s) {
            s << TextToBus(text) << static_cast<int32_t>(icon);
            s.setDestination(caller);
        });
    };
}

void BusPublication::Emit(const char* signal, const std::function<void(sdbus::Signal&)>& fill)
{
    try {
        sdbus::Signal message = object_->createSignal(kInterface, signal);
        fill(message);
        object_->emitSignal(message);
    } catch (const std::exception&) {
        // A signal that cannot be sent is lost; the control goes on.
    }
}

} // namespace zr::bus
