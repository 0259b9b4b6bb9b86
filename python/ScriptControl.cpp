#include "python/ScriptControl.h"

#include <algorithm>
#include <string>
#include <utility>

#include "automation/CameraUse.h"
#include "automation/HResult.h"
#include "automation/LocalControl.h"
#include "comm/ComPortMap.h"
#include "comm/PortName.h"
#include "component/ComponentModule.h"
#include "python/ValueConversion.h"

namespace zr::python
{

namespace
{

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

const AutomationMember& EventNamed(py::handle name)
{
    const std::string text = EncodeText(name, "the event name");
    const AutomationMember* event = FindMember(text);
    if (event == nullptr)
        RaiseNamed(PyExc_AttributeError, "the control has no event %R", name);
    if (event->kind != MemberKind::Event)
        throw py::type_error("'" + std::string(event->Name()) + "' is a " +
                             MemberKindName(event->kind) + ", not an event");
    return *event;
}

// The result code of an operation that found the camera offline, the code OfflineError carries
// for a member that needed the camera while it was offline.
constexpr int32_t kOfflineResult = 100;

// Every control made and not yet destroyed, oldest first. Touched only with the interpreter
// lock held.
std::vector<ScriptControl*>& LiveControls()
{
    static std::vector<ScriptControl*> live;
    return live;
}

bool SameCallback(const py::object& a, py::handle b)
{
    // Bound methods are made anew on every attribute access: equal, not identical.
    return a.is(b) || a.equal(b);
}

} // namespace

// One call into the control by the thread that owns it for the call's length. The callback
// exception of an enclosing call is set aside meanwhile, so a nested call raises only what its
// own callbacks raised.
class ScriptControl::CallScope
{
public:
    explicit CallScope(ScriptControl& owner) : owner_(owner)
    {
        owner_.CheckUsable();
        owner_.owner_ = std::this_thread::get_id();
        ++owner_.depth_;
        enclosing_ = std::exchange(owner_.callbackError_, std::nullopt);
    }
    ~CallScope()
    {
        owner_.callbackError_ = std::move(enclosing_);
        if (--owner_.depth_ == 0)
            owner_.owner_ = std::thread::id();
    }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

    // The exception a callback of this call raised, if any.
    std::optional<py::error_already_set> TakeCallbackError()
    {
        return std::exchange(owner_.callbackError_, std::nullopt);
    }

private:
    ScriptControl& owner_;
    std::optional<py::error_already_set> enclosing_;
};

ScriptControl::ScriptControl(const Options& options, py::object scriptError,
                             py::object offlineError)
    : scriptError_(std::move(scriptError)), offlineError_(std::move(offlineError)),
      strict_(options.strict), module_(std::make_unique<ComponentModule>())
{
    hold_.emplace(*module_);
    auto local = std::make_unique<LocalControl>(module_->Settings());
    if (options.port) {
        std::string error;
        const std::optional<PortChoice> choice =
            ResolvePort(*options.port, ComPortMap(local->Control().Settings()), error);
        if (!choice)
            throw py::value_error(error);
        local->Control().SelectCommPort(choice->commClass, choice->port);
    }
    if (options.connect) {
        // Nothing is connected to the signals yet: the start-up needs no Python.
        py::gil_scoped_release release;
        local->Control().OnCreate();
    }
    session_ = std::move(local);
    ConnectSession();
}

ScriptControl::ScriptControl(std::unique_ptr<ControlSession> session, py::object scriptError)
    : scriptError_(std::move(scriptError)), session_(std::move(session))
{
    ConnectSession();
}

void ScriptControl::ConnectSession()
{
    // Ctrl-C in the middle of a call stops the operation where it safely can (the control in
    // the other program too); the call then raises KeyboardInterrupt.
    session_->SetStopCheck([this] { return InterruptRequested(); });
    events_ = ScopedConnection<const AutomationMember&>(
        session_->Events(), [this](const AutomationMember& e) { DeliverEvent(e); });
    log_ = ScopedConnection<const std::string&, bool>(
        session_->Log(), [this](const std::string& line, bool sent) { DeliverLog(line, sent); });
    LiveControls().push_back(this);
}

ScriptControl::~ScriptControl()
{
    std::erase(LiveControls(), this);
}

bool ScriptControl::IsLive(const ScriptControl* control)
{
    const std::vector<ScriptControl*>& live = LiveControls();
    return control != nullptr && std::find(live.begin(), live.end(), control) != live.end();
}

void ScriptControl::CloseAll()
{
    // A copy: closing drops callbacks, which may destroy other controls.
    const std::vector<ScriptControl*> live = LiveControls();
    for (ScriptControl* control : live) {
        if (!IsLive(control) || control->depth_ > 0)
            continue;
        try {
            control->Close();
        } catch (const std::exception&) {
            // Busy after all: it closes when it goes, if it ever does.
        }
    }
}

int ScriptControl::Traverse(visitproc visit, void* arg) const
{
    Py_VISIT(scriptError_.ptr());
    for (const EventReceiver& r : eventReceivers_) {
        Py_VISIT(r.callback.ptr());
        Py_VISIT(r.handler.ptr());
    }
    for (const py::object& callback : logReceivers_)
        Py_VISIT(callback.ptr());
    return 0;
}

void ScriptControl::Clear()
{
    // Moved out first: letting the callbacks go may run arbitrary Python code.
    std::vector<EventReceiver> events = std::move(eventReceivers_);
    std::vector<py::object> logs = std::move(logReceivers_);
    eventReceivers_.clear();
    logReceivers_.clear();
}

void ScriptControl::CheckUsable() const
{
    if (depth_ > 0 && owner_ != std::this_thread::get_id())
        throw std::runtime_error("control is busy in another thread: a control serves one "
                                 "thread at a time");
    if (session_ == nullptr)
        throw std::runtime_error("the control is closed");
}

void ScriptControl::Close()
{
    if (session_ == nullptr)
        return;
    CheckUsable();
    if (depth_ > 0)
        throw std::runtime_error("the control cannot be closed from inside one of its own calls");
    events_.Reset();
    log_.Reset();
    session_.reset();
    // The callbacks may refer to this control: let them go so nothing keeps the other alive.
    eventReceivers_.clear();
    logReceivers_.clear();
}

py::object ScriptControl::Invoke(const AutomationMember& member, InvokeKind kind,
                                 std::vector<Variant>& args)
{
    CallScope scope(*this);
    Variant result;
    DispatchResult outcome;
    {
        py::gil_scoped_release release;
        outcome = session_->Invoke(member, kind, args, result);
    }
    if (std::optional<py::error_already_set> interrupt = std::exchange(interrupt_, std::nullopt))
        throw std::move(*interrupt);
    if (std::optional<py::error_already_set> error = scope.TakeCallbackError())
        throw std::move(*error);
    if (!outcome.Succeeded())
        RaiseFailure(outcome);
    if (strict_)
        CheckStrict(member, kind, result);
    return FromVariant(result);
}

void ScriptControl::CheckStrict(const AutomationMember& member, InvokeKind kind,
                                const Variant& result) const
{
    if (!NeedsCamera(member, kind))
        return;
    const std::string name(member.Name());
    if (!SessionOnline()) {
        const std::string what = kind == InvokeKind::PropertyPut ? " kept in the mirror only"
                                                                 : " did not reach the camera";
        RaiseOffline(kOfflineResult, "camera offline: " + name + what);
    }
    const int32_t code = ReturnsResultCode(member) ? result.ToI4().value_or(0) : 0;
    if (code != 0)
        RaiseOffline(code, name + " returned result code " + std::to_string(code));
}

bool ScriptControl::InterruptRequested()
{
    // Asked with the interpreter lock released, at the operation's safe points.
    if (interrupt_)
        return true;
    py::gil_scoped_acquire gil;
    // Runs the Python signal handlers (in the main thread only): SIGINT's raises
    // KeyboardInterrupt, kept for the call under way.
    if (PyErr_CheckSignals() == 0)
        return false;
    interrupt_.emplace();
    return true;
}

bool ScriptControl::SessionOnline() const
{
    // Through the dispatch, so a control on the session bus answers as one of this process.
    const AutomationMember* checkOnline =
        FindSpecialMember(MemberKind::Method, SpecialOp::CheckOnline);
    std::vector<Variant> none;
    Variant online;
    return checkOnline != nullptr &&
           session_->Invoke(*checkOnline, InvokeKind::Method, none, online).Succeeded() &&
           online.ToBool().value_or(false);
}

void ScriptControl::RaiseOffline(int32_t code, const std::string& description) const
{
    py::object error = offlineError_(static_cast<uint32_t>(code), description);
    PyErr_SetObject(offlineError_.ptr(), error.ptr());
    throw py::error_already_set();
}

// A failed dispatch call as a Python exception. Arguments are checked before the call, so only
// the script errors are expected here; the dispatch failures keep their meaning all the same.
void ScriptControl::RaiseFailure(const DispatchResult& outcome) const
{
    switch (outcome.status) {
    case hresult::kTypeMismatch:
    case hresult::kBadParamCount:
        throw py::type_error(outcome.description);
    case hresult::kMemberNotFound:
        throw py::attribute_error(outcome.description);
    case hresult::kOutOfMemory:
        throw std::bad_alloc();
    default:
        break;
    }
    py::object error =
        scriptError_(static_cast<uint32_t>(outcome.status), DecodeText(outcome.description));
    PyErr_SetObject(scriptError_.ptr(), error.ptr());
    throw py::error_already_set();
}

py::object ScriptControl::Get(const AutomationMember& property)
{
    std::vector<Variant> none;
    return Invoke(property, InvokeKind::PropertyGet, none);
}

void ScriptControl::Put(const AutomationMember& property, py::handle value)
{
    CheckUsable();
    // A read-only property refuses the write whatever the value, as the dispatch does.
    std::vector<Variant> args{property.readOnly ? Variant()
                                                : ToVariant(value, property.type, property.Name())};
    Invoke(property, InvokeKind::PropertyPut, args);
}

py::object ScriptControl::Call(const AutomationMember& method, const py::args& args,
                               const py::kwargs& kwargs)
{
    CheckUsable();
    const std::string name(method.Name());
    // The in arguments are the caller's; the out arguments (PTR(I4)) start empty.
    std::vector<size_t> inputs;
    const auto declared = method.Arguments();
    for (size_t i = 0; i < declared.size(); ++i) {
        if (declared[i].type != VarType::PtrI4)
            inputs.push_back(i);
    }
    if (args.size() > inputs.size()) {
        throw py::type_error(name + "() takes " + std::to_string(inputs.size()) +
                             " argument(s) but " + std::to_string(args.size()) + " were given");
    }
    std::vector<py::handle> given(declared.size());
    for (size_t i = 0; i < args.size(); ++i)
        given[inputs[i]] = args[i];
    for (const auto& [key, value] : kwargs) {
        const std::string keyword = EncodeText(key, "a keyword");
        auto it = std::find_if(inputs.begin(), inputs.end(),
                               [&](size_t i) { return keyword == declared[i].name; });
        if (it == inputs.end())
            RaiseNamed(PyExc_TypeError, (name + "() got an unexpected keyword argument %R").c_str(),
                       key);
        if (given[*it])
            RaiseNamed(PyExc_TypeError, (name + "() got multiple values for argument %R").c_str(),
                       key);
        given[*it] = value;
    }

    std::vector<Variant> values(declared.size());
    for (size_t i : inputs) {
        if (!given[i])
            throw py::type_error(name + "() missing required argument '" + declared[i].name + "'");
        values[i] = ToVariant(given[i], declared[i].type, name + "() argument " + declared[i].name,
                              IsFileName(declared[i]));
    }

    py::object result = Invoke(method, InvokeKind::Method, values);
    if (inputs.size() == declared.size())
        return result;
    py::list outcome;
    outcome.append(result);
    for (size_t i = 0; i < declared.size(); ++i) {
        if (declared[i].type == VarType::PtrI4)
            outcome.append(FromVariant(values[i]));
    }
    return py::tuple(outcome);
}

void ScriptControl::Connect(py::handle target, py::handle callback)
{
    CheckUsable();
    if (py::isinstance<py::str>(target)) {
        const AutomationMember& event = EventNamed(target);
        if (!PyCallable_Check(callback.ptr()))
            throw py::type_error("the callback of " + std::string(event.Name()) +
                                 " must be callable");
        eventReceivers_.push_back(
            {&event, py::reinterpret_borrow<py::object>(callback), py::none()});
        return;
    }
    if (!callback.is_none())
        throw py::type_error("connect() takes an event name and a callable, or a handler object");

    // A handler object: its On<EventName> methods, names matched without regard to letter case.
    py::object handler = py::reinterpret_borrow<py::object>(target);
    std::vector<std::pair<std::string, py::str>> methods;
    for (py::handle attribute : py::reinterpret_steal<py::list>(PyObject_Dir(handler.ptr()))) {
        if (!py::isinstance<py::str>(attribute))
            continue;
        std::string lower = Lower(EncodeText(attribute, "an attribute name"));
        if (lower.starts_with("on"))
            methods.emplace_back(std::move(lower), py::reinterpret_borrow<py::str>(attribute));
    }
    std::vector<EventReceiver> found;
    for (const AutomationMember& event : AutomationMembers()) {
        if (event.kind != MemberKind::Event)
            continue;
        const std::string wanted = "on" + Lower(event.Name());
        for (const auto& [lower, attribute] : methods) {
            if (lower != wanted)
                continue;
            py::object method = handler.attr(attribute);
            if (PyCallable_Check(method.ptr()))
                found.push_back({&event, std::move(method), handler});
            break;
        }
    }
    if (found.empty()) {
        throw py::type_error("the handler has no On<EventName> method for any event (for "
                             "example OnOnlineStatusChanged)");
    }
    eventReceivers_.insert(eventReceivers_.end(), found.begin(), found.end());
}

void ScriptControl::Disconnect(py::handle target, py::handle callback)
{
    CheckUsable();
    if (target.is_none()) {
        eventReceivers_.clear();
        return;
    }
    if (py::isinstance<py::str>(target)) {
        const AutomationMember* event = &EventNamed(target);
        std::erase_if(eventReceivers_, [&](const EventReceiver& r) {
            return r.event == event && (callback.is_none() || SameCallback(r.callback, callback));
        });
        return;
    }
    std::erase_if(eventReceivers_, [&](const EventReceiver& r) { return r.handler.is(target); });
}

void ScriptControl::OnLog(py::handle callback)
{
    CheckUsable();
    if (callback.is_none()) {
        logReceivers_.clear();
        return;
    }
    if (!PyCallable_Check(callback.ptr()))
        throw py::type_error("on_log() takes a callable or None");
    logReceivers_.push_back(py::reinterpret_borrow<py::object>(callback));
}

template <typename F> void ScriptControl::RunCallback(F&& callback)
{
    try {
        callback();
    } catch (py::error_already_set& error) {
        if (!callbackError_)
            callbackError_ = std::move(error);
    } catch (const std::exception& error) {
        // A failure of the binding itself: kept like a callback's own exception, since nothing
        // may be thrown into the control.
        if (!callbackError_) {
            PyErr_SetString(PyExc_RuntimeError, error.what());
            callbackError_ = py::error_already_set();
        }
    }
}

void ScriptControl::DeliverEvent(const AutomationMember& event)
{
    // Only this thread changes the receivers while it is inside a call.
    if (eventReceivers_.empty())
        return;
    py::gil_scoped_acquire gil;
    // A copy: a callback may connect or disconnect.
    std::vector<py::object> callbacks;
    for (const EventReceiver& r : eventReceivers_) {
        if (r.event == &event)
            callbacks.push_back(r.callback);
    }
    for (const py::object& callback : callbacks)
        RunCallback([&] { callback(); });
}

void ScriptControl::DeliverLog(const std::string& line, bool sent)
{
    if (logReceivers_.empty())
        return;
    py::gil_scoped_acquire gil;
    const std::vector<py::object> callbacks = logReceivers_;
    for (const py::object& callback : callbacks)
        RunCallback([&] { callback(DecodeText(line), sent); });
}

} // namespace zr::python
