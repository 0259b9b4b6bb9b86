#include "web/ControlChannel.h"

#include <algorithm>

#include "base/AnsiText.h"

namespace zr::web
{

namespace
{

// How often the watcher looks for the control's signals: changes show within this.
constexpr std::chrono::milliseconds kWatchTick{5};

// The status a client reports when the bus itself failed.
constexpr int32_t kBusFailure = static_cast<int32_t>(0x80010108);

std::string EventText(const char* event, const Json& data)
{
    return std::string("event: ") + event +
           "\ndata: " + data.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n\n";
}

} // namespace

std::shared_ptr<ControlChannel> ControlChannel::Open(const std::string& id, std::string& error)
{
    std::unique_ptr<BusControl> watcher = BusControl::Open(id, error);
    if (!watcher)
        return nullptr;
    std::unique_ptr<BusControl> caller = BusControl::Open(id, error);
    if (!caller)
        return nullptr;
    std::shared_ptr<ControlChannel> channel(
        new ControlChannel(id, std::move(watcher), std::move(caller)));
    channel->Connect();
    return channel;
}

ControlChannel::ControlChannel(std::string id, std::unique_ptr<BusControl> watcher,
                               std::unique_ptr<BusControl> caller)
    : id_(std::move(id)), messages_([this](const std::string& text, MessageIcon icon) {
          const bool problem = icon != MessageIcon::Information;
          Broadcast("message", {{"text", AnsiToUtf8(text)}, {"problem", problem}});
      }),
      watcher_(std::move(watcher)), caller_(std::move(caller))
{
}

ControlChannel::~ControlChannel()
{
    Close();
}

void ControlChannel::Close()
{
    stopRequested_ = true;
    alive_ = false;
    closing_ = true;
    callerThread_.reset();
    watcherThread_.reset();
}

void ControlChannel::Connect()
{
    watcher_->PropertyChanged().Connect(
        [this](const AutomationMember& property, const Variant& value) {
            OnChange(property, value);
        });
    watcher_->CommLog().Connect([this](const std::string& line, bool sent) {
        Broadcast("log", {{"line", AnsiToUtf8(line)}, {"sent", sent}});
    });
    watcher_->Progress().Connect([this](const std::string& operation, int32_t step, int32_t steps) {
        progressSeen_ = true;
        Broadcast("progress",
                  {{"operation", AnsiToUtf8(operation)}, {"step", step}, {"steps", steps}});
    });
    watcher_->EventFired().Connect([this](const AutomationMember& event) {
        if (event.special == SpecialOp::OnlineStatusChanged)
            onlineStale_ = true;
        Broadcast("event", {{"name", std::string(event.Name())}});
    });
    caller_->SetStopCheck([this] { return stopRequested_.load(); });
    watcher_->SetUi(messages_);
    caller_->SetUi(messages_);
    watcherThread_ = std::make_unique<JobThread>(kWatchTick, [this] {
        watcher_->Serve();
        if (onlineStale_) {
            onlineStale_ = false;
            ReadOnline();
        }
    });
    callerThread_ = std::make_unique<JobThread>(std::chrono::milliseconds(1000), nullptr);
    watcherThread_->Post([this] {
        ReadAll();
        ReadOnline();
    });
}

void ControlChannel::ReadAll()
{
    std::map<std::string, Variant> values;
    for (const AutomationMember& member : AutomationMembers()) {
        if (member.kind != MemberKind::Property)
            continue;
        std::vector<Variant> args;
        Variant value;
        const DispatchResult outcome =
            watcher_->Invoke(member, InvokeKind::PropertyGet, args, value);
        if (outcome.status == kBusFailure) {
            Fail();
            return;
        }
        if (outcome.Succeeded())
            values[std::string(member.Name())] = std::move(value);
    }
    std::lock_guard lock(mutex_);
    for (auto& [name, value] : values)
        values_[name] = std::move(value);
}

void ControlChannel::ReadOnline()
{
    const AutomationMember* check = FindSpecialMember(MemberKind::Method, SpecialOp::CheckOnline);
    if (check == nullptr)
        return;
    std::vector<Variant> args;
    Variant result;
    const DispatchResult outcome = watcher_->Invoke(*check, InvokeKind::Method, args, result);
    if (outcome.status == kBusFailure) {
        Fail();
        return;
    }
    if (!outcome.Succeeded())
        return; // busy: an operation holds the port
    const bool online = result.ToBool().value_or(false);
    bool changed = false;
    {
        std::lock_guard lock(mutex_);
        changed = online != online_;
        online_ = online;
    }
    if (changed)
        Broadcast("online", {{"online", online}});
}

void ControlChannel::OnChange(const AutomationMember& property, const Variant& value)
{
    Json enabled = Json::object();
    {
        std::lock_guard lock(mutex_);
        const std::map<std::string, bool> before = Enablement(values_);
        values_[std::string(property.Name())] = value;
        for (const auto& [name, on] : Enablement(values_))
            if (auto old = before.find(name); old == before.end() || old->second != on)
                enabled[name] = on;
    }
    Broadcast("change", {{"name", std::string(property.Name())},
                         {"value", ValueJson(value)},
                         {"enabled", enabled}});
}

void ControlChannel::Snapshot(std::function<void(Json)> done)
{
    if (closing_)
        return done(CurrentValues());
    watcherThread_->Post([this, done = std::move(done)] {
        watcher_->Serve();
        done(CurrentValues());
    });
}

Json ControlChannel::CurrentValues()
{
    std::lock_guard lock(mutex_);
    Json values = Json::object();
    for (const auto& [name, value] : values_)
        values[name] = ValueJson(value);
    Json enabled = Json::object();
    for (const auto& [name, on] : Enablement(values_))
        enabled[name] = on;
    return {{"values", std::move(values)},
            {"enabled", std::move(enabled)},
            {"online", online_ && alive_},
            {"busy", busy_.load()}};
}

void ControlChannel::Set(const AutomationMember& property, Variant value,
                         std::function<void(DispatchResult)> done)
{
    if (closing_)
        return done({kBusFailure, "the web face is ending"});
    watcherThread_->Post([this, &property, value = std::move(value), done = std::move(done)] {
        std::vector<Variant> args{value};
        Variant unused;
        const DispatchResult outcome =
            watcher_->Invoke(property, InvokeKind::PropertyPut, args, unused);
        if (outcome.status == kBusFailure)
            Fail();
        done(outcome);
    });
}

bool ControlChannel::Call(const AutomationMember& method, std::vector<Variant> args, CallDone done)
{
    if (closing_ || busy_.exchange(true))
        return false;
    stopRequested_ = false;
    callerThread_->Post([this, &method, args = std::move(args), done = std::move(done)]() mutable {
        Variant result;
        const DispatchResult outcome = caller_->Invoke(method, InvokeKind::Method, args, result);
        if (outcome.status == kBusFailure)
            Fail();
        busy_ = false;
        // The watcher reads the signals the call sent before it says the operation is done.
        if (!closing_)
            watcherThread_->Post([this] {
                watcher_->Serve();
                if (progressSeen_.exchange(false))
                    Broadcast("progress", {{"done", true}});
            });
        done(outcome, std::move(result), std::move(args));
    });
    return true;
}

void ControlChannel::Subscribe(const std::shared_ptr<EventSubscriber>& subscriber)
{
    std::lock_guard lock(mutex_);
    std::erase_if(subscribers_, [](const auto& s) { return s.expired(); });
    subscribers_.push_back(subscriber);
}

void ControlChannel::Broadcast(const char* event, const Json& data)
{
    const std::string text = EventText(event, data);
    std::vector<std::shared_ptr<EventSubscriber>> receivers;
    {
        std::lock_guard lock(mutex_);
        for (const auto& weak : subscribers_)
            if (auto s = weak.lock())
                receivers.push_back(std::move(s));
    }
    for (const auto& receiver : receivers)
        receiver->Deliver(text);
}

void ControlChannel::Fail()
{
    if (alive_.exchange(false))
        Broadcast("online", {{"online", false}});
}

} // namespace zr::web
