#include "bus/BusClient.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <map>
#include <mutex>
#include <poll.h>
#include <thread>

#include <sdbus-c++/Error.h>
#include <sdbus-c++/IConnection.h>
#include <sdbus-c++/IProxy.h>
#include <sdbus-c++/Message.h>
#include <sdbus-c++/Types.h>

#include "automation/CheckInvocation.h"
#include "automation/HResult.h"
#include "bus/BusErrors.h"
#include "bus/BusProtocol.h"
#include "bus/BusValues.h"
#include "control/Identities.h"
#include "control/ScriptError.h"

namespace zr::bus
{

namespace
{

constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
// Long operations (the port search, the camera data report) may take minutes.
constexpr uint64_t kCallTimeoutUs = 3600ULL * 1000 * 1000;
constexpr uint64_t kLookupTimeoutUs = 2ULL * 1000 * 1000;
// The longest a look-up of the published controls may take.
constexpr std::chrono::milliseconds kListTimeout{2000};
constexpr std::chrono::milliseconds kBusyRetry{50};
// How often a call under way asks its stop check.
constexpr int kStopPollMs = 100;

DispatchResult Failure(int32_t status, std::string description)
{
    return {status, std::move(description)};
}

// A text another program sent (an error's description, a log line) as the control's text; one
// that the control's texts cannot hold is shown as it came rather than lost.
std::string ReceivedText(const std::string& utf8)
{
    try {
        return TextFromBus(utf8);
    } catch (const sdbus::Error&) {
        return utf8;
    }
}

// The result of a bus error: ours carry the status code in their name; the bus's own refusal of
// a write to a read-only property is the dispatch's; everything else is a failure of the bus.
DispatchResult FailureOf(const sdbus::Error& error, const std::string& name)
{
    if (std::optional<int32_t> status = StatusOfErrorName(error.getName()))
        return Failure(*status, ReceivedText(error.getMessage()));
    if (error.getName() == "org.freedesktop.DBus.Error.PropertyReadOnly")
        return Failure(static_cast<int32_t>(ScriptError::kSetNotSupported), kReadOnlyDescription);
    return Failure(kBusFailure, DescribeBusError(error, name));
}

sdbus::Variant ToBusVariant(VarType type, const Variant& value)
{
    if (type == VarType::Bool)
        return sdbus::Variant(value.ToBool().value_or(false));
    if (type == VarType::BStr)
        return sdbus::Variant(TextToBus(value.ToBStr().value_or(std::string())));
    return sdbus::Variant(value.ToI4().value_or(0));
}

Variant FromBusVariant(VarType type, const sdbus::Variant& value)
{
    if (type == VarType::Bool)
        return Variant(value.get<bool>());
    if (type == VarType::BStr)
        return Variant(TextFromBus(value.get<std::string>()));
    return Variant(value.get<int32_t>());
}

// Reads one value of the control called `name`; nothing when it does not answer.
template <typename T>
std::optional<T> ReadProperty(sdbus::IConnection& connection, const std::string& name,
                              const char* property)
{
    try {
        auto proxy = sdbus::createProxy(connection, name, kObjectPath);
        sdbus::MethodCall call = proxy->createMethodCall(kPropertiesInterface, "Get");
        call << std::string(kInterface) << std::string(property);
        sdbus::MethodReply reply = proxy->callMethod(call, kLookupTimeoutUs);
        sdbus::Variant value;
        reply >> value;
        return value.get<T>();
    } catch (const sdbus::Error&) {
        return std::nullopt;
    }
}

} // namespace

BusClient::BusClient(std::unique_ptr<sdbus::IConnection> connection, std::string name)
    : connection_(std::move(connection)), name_(std::move(name))
{
}

BusClient::~BusClient() = default;

std::vector<PublishedControl> BusClient::List(std::string& error)
{
    // The bus library waits up to 90 s for a daemon that does not answer the greeting of a new
    // connection, and cannot be told otherwise: the look-up runs on a thread of its own, and a
    // daemon that hangs costs kListTimeout. The thread then finishes on its own time, with
    // nobody waiting for it.
    struct Lookup {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        std::vector<PublishedControl> found;
        std::string error;
    };
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup] {
        std::string why;
        std::vector<PublishedControl> found = ListNow(why);
        const std::lock_guard<std::mutex> lock(lookup->mutex);
        lookup->found = std::move(found);
        lookup->error = std::move(why);
        lookup->done = true;
        lookup->finished.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(lookup->mutex);
    if (!lookup->finished.wait_for(lock, kListTimeout, [&lookup] { return lookup->done; })) {
        error =
            "the session bus did not answer within " +
            std::to_string(std::chrono::duration_cast<std::chrono::seconds>(kListTimeout).count()) +
            " s";
        return {};
    }
    error = std::move(lookup->error);
    return std::move(lookup->found);
}

std::vector<PublishedControl> BusClient::ListNow(std::string& error)
{
    std::vector<PublishedControl> found;
    try {
        auto connection = sdbus::createSessionBusConnection();
        // Every call of the look-up has its own short time-out as well.
        connection->setMethodCallTimeout(kLookupTimeoutUs);
        auto daemon =
            sdbus::createProxy(*connection, "org.freedesktop.DBus", "/org/freedesktop/DBus");
        std::vector<std::string> names;
        daemon->callMethod("ListNames").onInterface("org.freedesktop.DBus").storeResultsTo(names);
        std::sort(names.begin(), names.end());
        const std::string prefix = std::string(kNamePrefix) + "p";
        for (const std::string& name : names) {
            if (!name.starts_with(prefix))
                continue;
            PublishedControl control{name};
            auto commClass = ReadProperty<int32_t>(*connection, name, "CommClass");
            auto port = ReadProperty<int32_t>(*connection, name, "CommPort");
            if (!commClass || !port)
                continue;
            control.commClass = *commClass;
            control.port = *port;
            try {
                auto proxy = sdbus::createProxy(*connection, name, kObjectPath);
                proxy->callMethod("CheckOnline")
                    .onInterface(kInterface)
                    .storeResultsTo(control.online);
            } catch (const sdbus::Error&) {
                // Busy with an operation: it holds its port.
                control.online = true;
            }
            found.push_back(std::move(control));
        }
    } catch (const sdbus::Error& e) {
        error = DescribeBusError(e);
    } catch (const std::exception& e) {
        error = std::string("no session bus: ") + e.what();
    }
    return found;
}

std::unique_ptr<BusClient> BusClient::Attach(std::optional<std::pair<int32_t, int32_t>> port,
                                             std::string& error)
{
    std::vector<PublishedControl> controls = List(error);
    if (!error.empty())
        return nullptr;
    const PublishedControl* chosen = nullptr;
    if (port) {
        for (const PublishedControl& c : controls)
            if (c.commClass == port->first && c.port == port->second &&
                (chosen == nullptr || (c.online && !chosen->online)))
                chosen = &c;
        if (chosen == nullptr) {
            error = NoControlHoldsPort();
            return nullptr;
        }
    } else if (controls.size() == 1) {
        chosen = &controls.front();
    } else {
        error = controls.empty() ? NoPublishedControl()
                                 : std::to_string(controls.size()) +
                                       " published controls on the session bus; name the port";
        return nullptr;
    }
    try {
        std::unique_ptr<BusClient> client(
            new BusClient(sdbus::createSessionBusConnection(), chosen->name));
        client->Subscribe();
        return client;
    } catch (const sdbus::Error& e) {
        error = DescribeBusError(e, chosen->name);
        return nullptr;
    }
}

void BusClient::Subscribe()
{
    proxy_ = sdbus::createProxy(*connection_, name_, kObjectPath);
    // One match for every signal of the interface, told apart by name.
    const std::string match = "type='signal',sender='" + name_ + "',path='" + kObjectPath +
                              "',interface='" + kInterface + "'";
    connection_->addMatch(
        match, [this](sdbus::Message& message) { Decode(message); }, sdbus::floating_slot);
    const std::string changes = "type='signal',sender='" + name_ + "',path='" + kObjectPath +
                                "',interface='" + kPropertiesInterface +
                                "',member='PropertiesChanged'";
    connection_->addMatch(
        changes, [this](sdbus::Message& message) { OnPropertiesChanged(message); },
        sdbus::floating_slot);
}

void BusClient::OnPropertiesChanged(sdbus::Message& message)
{
    std::string interface;
    std::map<std::string, sdbus::Variant> changed;
    try {
        message >> interface >> changed;
    } catch (const sdbus::Error&) {
        return;
    }
    if (interface != kInterface)
        return;
    for (const auto& [name, value] : changed) {
        const AutomationMember* member = FindMember(name);
        if (member == nullptr || member->kind != MemberKind::Property)
            continue;
        try {
            propertyChanged.Emit(*member, FromBusVariant(member->type, value));
        } catch (const sdbus::Error&) {
            // A value of another type than the table's: not ours to show.
        }
    }
}

void BusClient::Decode(sdbus::Message& message)
{
    const std::string member = message.getMemberName();
    const BusSignalRow* row = FindBusSignal(member);
    if (row == nullptr) {
        if (const AutomationMember* event = FindMember(member);
            event != nullptr && event->kind == MemberKind::Event)
            eventFired.Emit(*event);
        return;
    }
    switch (row->id) {
    case BusSignal::CommLog: {
        std::string line;
        bool sent = false;
        message >> line >> sent;
        commLog.Emit(ReceivedText(line), sent);
        break;
    }
    case BusSignal::Progress: {
        std::string operation;
        int32_t done = 0;
        int32_t total = 0;
        message >> operation >> done >> total;
        operationProgress.Emit(ReceivedText(operation), done, total);
        break;
    }
    case BusSignal::Message: {
        std::string text;
        int32_t icon = 0;
        message >> text >> icon;
        const bool known = icon >= 0 && icon <= static_cast<int32_t>(MessageIcon::Warning);
        ui_->ShowMessageBox(ReceivedText(text), identity::kApplicationName,
                            known ? static_cast<MessageIcon>(icon) : MessageIcon::Error);
        break;
    }
    }
}

DispatchResult BusClient::Invoke(const AutomationMember& member, InvokeKind kind,
                                 std::vector<Variant>& args, Variant& result)
{
    result = Variant();
    if (DispatchResult refused = CheckInvocation(&member, kind, args); !refused.Succeeded())
        return refused;

    const auto deadline = std::chrono::steady_clock::now() + busyWait_;
    for (;;) {
        DispatchResult outcome = CallOnce(member, kind, args, result);
        // A stop asked for while the control is busy with another caller's operation ends the
        // wait: there is nothing of ours to stop.
        if (outcome.status != kBusy || std::chrono::steady_clock::now() >= deadline ||
            (stopCheck_ && stopCheck_()))
            return outcome;
        Drain();
        std::this_thread::sleep_for(kBusyRetry);
    }
}

DispatchResult BusClient::CallOnce(const AutomationMember& member, InvokeKind kind,
                                   std::vector<Variant>& args, Variant& result)
{
    try {
        sdbus::MethodCall call;
        if (kind == InvokeKind::Method) {
            call = proxy_->createMethodCall(kInterface, std::string(member.Name()));
            const auto arguments = member.Arguments();
            for (size_t i = 0; i < arguments.size(); ++i)
                if (arguments[i].type != VarType::PtrI4)
                    AppendArgument(call, arguments[i], args[i]);
        } else {
            const bool get = kind == InvokeKind::PropertyGet;
            call = proxy_->createMethodCall(kPropertiesInterface, get ? "Get" : "Set");
            call << std::string(kInterface) << std::string(member.Name());
            if (!get)
                call << ToBusVariant(member.type, args[0]);
        }

        bool done = false;
        std::optional<sdbus::Error> error;
        sdbus::MethodReply reply;
        proxy_->callMethod(
            call,
            [&](sdbus::MethodReply& answer, const sdbus::Error* failure) {
                done = true;
                if (failure != nullptr)
                    error = *failure;
                else
                    reply = answer;
            },
            kCallTimeoutUs);
        if (!Wait(done))
            return Failure(kBusFailure, "the bus connection to " + name_ + " failed");
        if (error)
            return FailureOf(*error, name_);

        if (kind == InvokeKind::PropertyGet) {
            sdbus::Variant value;
            reply >> value;
            result = FromBusVariant(member.type, value);
        } else if (kind == InvokeKind::Method) {
            result = ReadValue(reply, member.type);
            const auto arguments = member.Arguments();
            for (size_t i = 0; i < arguments.size(); ++i)
                if (arguments[i].type == VarType::PtrI4)
                    args[i] = ReadValue(reply, VarType::PtrI4);
        }
        return {};
    } catch (const sdbus::Error& e) {
        return FailureOf(e, name_);
    }
}

bool BusClient::Wait(const bool& done)
{
    bool stopSent = false;
    while (!done) {
        try {
            if (connection_->processPendingRequest())
                continue;
            if (!stopSent && stopCheck_ && stopCheck_()) {
                stopSent = true;
                sdbus::MethodCall stop = proxy_->createMethodCall(kInterface, kStopMethod);
                stop.dontExpectReply();
                proxy_->callMethod(stop);
            }
            const sdbus::IConnection::PollData data = connection_->getEventLoopPollData();
            pollfd fd{data.fd, data.events, 0};
            const int timeout = data.getPollTimeout();
            if (::poll(&fd, 1, timeout < 0 || timeout > kStopPollMs ? kStopPollMs : timeout) < 0 &&
                errno != EINTR)
                return false;
        } catch (const sdbus::Error&) {
            return false;
        }
    }
    Drain();
    return true;
}

void BusClient::Drain()
{
    try {
        while (connection_->processPendingRequest()) {
        }
    } catch (const sdbus::Error&) {
        // The bus has gone; the next call says so.
    }
}

} // namespace zr::bus
