#pragma once

#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include <pybind11/pybind11.h>

#include "automation/AutomationMembers.h"
#include "automation/ControlSession.h"
#include "automation/Dispatch.h"
#include "base/Signal.h"
#include "component/ComponentModule.h"

namespace zr::python
{

namespace py = pybind11;

// The object behind zr47xcl.Control: one control on the module settings and its dispatch, driven
// member by member from Python.
//
// Every call goes through the dispatch's Invoke with the interpreter lock released, so other
// Python threads run while the control waits on the line. Events (the dispatch's eventFired) and
// log lines (the control's commLog) arrive synchronously inside that call; their Python
// callbacks run with the lock taken back. An exception a callback raises is kept and raised from
// the call that fired it once the control's operation has finished, so the control never sees
// it. A control serves one thread at a time: a second thread that calls in while a call is under
// way gets a RuntimeError; a callback may call back in on the same thread (the call runs nested).
//
// Every member runs with the interpreter lock held on entry.
class ScriptControl
{
public:
    // Creates the control with the module settings; `connect` makes the start-up connection
    // attempt with the remembered class and port (a failure leaves it offline).
    //
    // Each control has a module object of its own, as each run of zr47xcl has: controls that
    // work in different threads at once share nothing, and the settings file's merge on save
    // keeps the writes of each apart as it does between programs.
    // `scriptError` is the module's ScriptError class, raised for the control's script errors.
    //
    // `port` ("COM5", "CL:0" or a COM port's device path) is used instead of the remembered
    // class and port, and remembered at the end (ValueError when it names no port). A `strict`
    // control raises `offlineError` (OfflineError, a ScriptError) where zr47xcl --strict exits
    // with status 3: after a member that needed the camera ran while it was offline, or a method
    // whose result is a result code returned a non-zero one.
    struct Options {
        bool connect = true;
        std::optional<std::string> port;
        bool strict = false;
    };
    ScriptControl(const Options& options, py::object scriptError, py::object offlineError);
    // Drives `session` instead, such as a control published on the session bus.
    ScriptControl(std::unique_ptr<ControlSession> session, py::object scriptError);
    ~ScriptControl();
    ScriptControl(const ScriptControl&) = delete;
    ScriptControl& operator=(const ScriptControl&) = delete;

    // Property read and write and method call. A method returns its result, or a tuple of its
    // result and its out arguments in order when it has out arguments. Raise ScriptError,
    // TypeError and the other Python exceptions described with the module.
    py::object Get(const AutomationMember& property);
    void Put(const AutomationMember& property, py::handle value);
    py::object Call(const AutomationMember& method, const py::args& args, const py::kwargs& kwargs);

    // Events by name (any letter case) with a callable, or a handler object whose
    // On<EventName> methods are called. Disconnect takes the same forms; a name alone removes
    // every callback of that event, no target at all every callback of every event.
    void Connect(py::handle target, py::handle callback);
    void Disconnect(py::handle target, py::handle callback);
    // A callable receiving (line, sent) for each communication-log line; None removes them all.
    void OnLog(py::handle callback);

    // Destroys the control, which writes the module settings. Later calls raise RuntimeError.
    void Close();
    bool Closed() const { return session_ == nullptr; }

    // --- Python's garbage collection and the interpreter's exit ------------------------------
    // A callback that refers to its own control (connect(..., lambda: ctl.ModelName)) makes a
    // cycle that reference counting never frees: the port would stay locked and the settings
    // unwritten. So the control reports the objects it holds (Traverse), and drops its
    // callbacks when the collector breaks a cycle (Clear); the control then goes as usual.
    int Traverse(visitproc visit, void* arg) const;
    void Clear();
    // Whether `control` is a control made and not yet destroyed: a Python object of the type
    // whose __init__ never ran has storage, but no control in it.
    static bool IsLive(const ScriptControl* control);
    // Closes every live control (at the interpreter's exit: settings written, ports released).
    // A control in the middle of a call in another thread is left as it is.
    static void CloseAll();

private:
    class CallScope;

    struct EventReceiver {
        const AutomationMember* event;
        py::object callback;
        py::object handler; // the handler object it came from, or None
    };

    // Brings the session's events and log lines to DeliverEvent and DeliverLog.
    void ConnectSession();
    // Raises unless this thread may use the control now.
    void CheckUsable() const;
    py::object Invoke(const AutomationMember& member, InvokeKind kind, std::vector<Variant>& args);
    [[noreturn]] void RaiseFailure(const DispatchResult& outcome) const;
    void DeliverEvent(const AutomationMember& event);
    void DeliverLog(const std::string& line, bool sent);
    // Runs a callback; a Python exception it raises is kept for the call under way.
    template <typename F> void RunCallback(F&& callback);

    // Raises OfflineError after a call a strict control refuses to pass as done.
    void CheckStrict(const AutomationMember& member, InvokeKind kind, const Variant& result) const;
    [[noreturn]] void RaiseOffline(int32_t code, const std::string& description) const;
    // The session's stop check: whether a signal (Ctrl-C) arrived during the call under way.
    bool InterruptRequested();
    // Whether the control's camera is online, asked through its dispatch.
    bool SessionOnline() const;

    py::object scriptError_;
    py::object offlineError_;
    bool strict_ = false;
    std::unique_ptr<ComponentModule> module_;
    std::optional<ComponentModule::Hold> hold_;
    std::unique_ptr<ControlSession> session_;
    // Declared after the session, so they let go of its signals before it goes.
    ScopedConnection<const AutomationMember&> events_;
    ScopedConnection<const std::string&, bool> log_;
    std::vector<EventReceiver> eventReceivers_;
    std::vector<py::object> logReceivers_;

    // The thread inside a call and how deep its calls are nested; only touched with the
    // interpreter lock held.
    std::thread::id owner_;
    int depth_ = 0;
    // The first exception a callback raised during the innermost call under way.
    std::optional<py::error_already_set> callbackError_;
    // The KeyboardInterrupt (or another signal handler's exception) of the call under way.
    std::optional<py::error_already_set> interrupt_;
};

} // namespace zr::python
