#include "bus/BusClient.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <map>
#include <poll.h>
#include <thread>

#include <sdbus-c++/Error.h>
#include <sdbus-c++/IConnection.h>
#include <sdbus-c++/IProxy.h>
#include <sdbus-c++/Message.h>
#include <sdbus-c++/Types.h>

#include "automation/HResult.h"
#include "bus/BusProtocol.h"
#include "bus/BusValues.h"
#include "control/ScriptError.h"

namespace zr::bus
{

namespace
{

constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
// Long operations (the port search, the camera data report) may take minutes.
constexpr uint64_t kCallTimeoutUs = 3600ULL * 1000 * 1000;
constexpr uint64_t kLookupTimeoutUs = 2ULL * 1000 * 1000;
constexpr std::chrono::milliseconds kBusyRetry{50};
// How often a call under way asks its stop check.
constexpr int kStopPollMs = 100;

DispatchResult Failure(int32_t status, std::string description)
{
    return {status, std::move(description)};
}

// The result of a bus error: ours carry the status code in their name; the bus's own refusal of
// a write to a read-only property is the dispatch's; everything else is a failure of the bus.
DispatchResult FailureOf(const sdbus::Error& error, const std::string& name)
{
    if (std::optional<int32_t> status = StatusOfErrorName(error.getName()))
        return Failure(*status, error.getMessage());
    if (error.getName() == "org.freedesktop.DBus.Error.PropertyReadOnly")
        return Failure(static_cast<int32_t>(ScriptError::kSetNotSupported),
                       CXKorvelCamDispatch::kReadOnlyDescription);
    return Failure(kBusFailure,
                   "the published control " + name + " did not answer: " +
                       (error.getMessage().empty() ? error.getName() : error.getMessage()));
}

sdbus::Variant ToBusVariant(VarType type, const Variant& value)
{
    if (type == VarType::Bool)
        return sdbus::Variant(value.ToBool().value_or(false));
    if (type == VarType::BStr)
        return sdbus::Variant(value.ToBStr().value_or(std::string()));
    return sdbus::Variant(value.ToI4().value_or(0));
}

Variant FromBusVariant(VarType type, const sdbus::Variant& value)
{
    if (type == VarType::Bool)
        return Variant(value.get<bool>());
    if (type == VarType::BStr)
        return Variant(value.get<std::string>());
    return Variant(value.get<int32_t>());
}

bool Converts(VarType type, const Variant& value)
{
    switch (type) {
    case VarType::I4:
        return value.ToI4().has_value();
    case VarType::Bool:
        return value.ToBool().has_value();
    case VarType::BStr:
        return value.ToBStr().has_value();
    case VarType::PtrI4:
    case VarType::Void:
        break;
    }
    return true;
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
    std::vector<PublishedControl> found;
    try {
        auto connection = sdbus::createSessionBusConnection();
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
        error = "no session bus: " + e.getMessage();
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
            error = "no published control holds that port";
            return nullptr;
        }
    } else if (controls.size() == 1) {
        chosen = &controls.front();
    } else {
        error = controls.empty() ? "no published control on the session bus"
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
        error = "cannot reach " + chosen->name + ": " + e.getMessage();
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
        match,
        [this](sdbus::Message& message) {
            const std::string member = message.getMemberName();
            if (member == kLogSignal) {
                std::string line;
                bool sent = false;
                message >> line >> sent;
                commLog.Emit(line, sent);
            } else if (member == kProgressSignal) {
                std::string operation;
                int32_t done = 0;
                int32_t total = 0;
                message >> operation >> done >> total;
                operationProgress.Emit(operation, done, total);
            } else if (const AutomationMember* event = FindMember(member);
                       event != nullptr && event->kind == MemberKind::Event) {
                eventFired.Emit(*event);
            }
        },
        sdbus::floating_slot);
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

DispatchResult BusClient::Invoke(const AutomationMember& member, InvokeKind kind,
                                 std::vector<Variant>& args, Variant& result)
{
    result = Variant();
    const bool method = kind == InvokeKind::Method;
    if ((member.kind == MemberKind::Method) != method || member.kind == MemberKind::Event)
        return Failure(hresult::kMemberNotFound, "Member not found.");
    const size_t expected = kind == InvokeKind::PropertyGet   ? 0
                            : kind == InvokeKind::PropertyPut ? 1
                                                              : member.argumentCount;
    if (args.size() != expected)
        return Failure(hresult::kBadParamCount, "Invalid number of parameters.");
    if (kind == InvokeKind::PropertyPut && member.readOnly)
        return Failure(static_cast<int32_t>(ScriptError::kSetNotSupported),
                       CXKorvelCamDispatch::kReadOnlyDescription);
    for (size_t i = 0; i < expected; ++i)
        if (!Converts(method ? member.arguments[i].type : member.type, args[i]))
            return Failure(hresult::kTypeMismatch, "Type mismatch.");

    const auto deadline = std::chrono::steady_clock::now() + busyWait_;
    for (;;) {
        DispatchResult outcome = CallOnce(member, kind, args, result);
        if (outcome.status != kBusy || std::chrono::steady_clock::now() >= deadline)
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
                    AppendValue(call, arguments[i].type, args[i]);
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
