// The zr47xcl Python module: zr47xcl.Control drives one control through its automation
// interface, member for member as the command-line program does. Its properties and methods are
// made here from the automation member table.

#include <memory>
#include <optional>
#include <string>

#include <pybind11/eval.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "automation/AutomationMembers.h"
#include "python/Attach.h"
#include "python/ScriptControl.h"
#include "python/ValueConversion.h"

namespace
{

namespace py = pybind11;
using namespace zr;
using zr::python::PythonTypeName;
using zr::python::RaiseNamed;
using zr::python::ScriptControl;

// The script error, a plain Python exception so that scripts can catch, pickle and subclass it.
// Its text is the command-line program's error line.
constexpr const char* kScriptErrorSource = R"(
class ScriptError(Exception):
    """A script error raised by a member of the control.

    code        -- the status code as an unsigned 32-bit int, for example 0x800A017F
    description -- the description text, for example "Property is read-only."
    """

    def __init__(self, code, description):
        super().__init__(code, description)
        self.code = code
        self.description = description

    def __str__(self):
        return "error 0x%08X: %s" % (self.code, self.description.replace("\r", ""))


class OfflineError(ScriptError):
    """Raised by a control made with strict=True where `zr47xcl --strict` exits with status 3:
    a member that needed the camera ran while it was offline, or a method returned a non-zero
    result code. code is that result code (100 when offline); description says which."""
)";

constexpr const char* kControlDoc = R"(Control(connect=True, port=None, strict=False)

One control of a ZR-47xCL camera with the module settings, driven through its automation
interface. With connect=True the control makes its start-up connection attempt with the
remembered communication class and port; a failure leaves it offline (CheckOnline() tells).
port ("COM5", "CL:0" or a COM port's device path such as "/dev/ttyUSB0") is used instead of the
remembered port and remembered at the end; a text that names no port raises ValueError. With
strict=True a member that needed the camera while it was offline, or a method that returned a
non-zero result code, raises OfflineError (a ScriptError) instead of passing quietly, where
`zr47xcl --strict` exits with status 3.
close(), or leaving a with block, destroys it and writes the module settings.

Properties are attributes (ctl.IMG1ShutterSpeed = 5, ctl.ModelName) and methods are methods;
member names match without regard to letter case. A method with out arguments returns a tuple:
its result, then the out values in order. Failures raise ScriptError (code, description);
arguments of the wrong type or number raise TypeError; unknown members AttributeError.

Events: connect(name, callable), connect(handler) for its On<EventName> methods, disconnect();
communication-log lines: on_log(callable) receiving (line, sent). Callbacks run inside the call
that caused them; an exception a callback raises is raised from that call once the control's
operation has finished. The control releases the interpreter lock while it works; it serves one
thread at a time and raises RuntimeError when another thread calls in meanwhile.)";

std::string PropertyDoc(const AutomationMember& m)
{
    return FormatSignature(m) + "\n\n" + PythonTypeName(m.type) +
           (m.readOnly ? ", read-only" : ", read and write") + "; dispid " +
           std::to_string(m.dispid) + ".";
}

// The docstring opens with "Name(self, a, b)\n--\n\n", the form from which Python takes a
// built-in function's __text_signature__, so inspect.signature() reads the in arguments.
std::string MethodDoc(const AutomationMember& m)
{
    std::string textSignature = std::string(m.Name()) + "(self";
    for (const AutomationArgument& argument : m.Arguments()) {
        if (argument.type != VarType::PtrI4)
            textSignature += std::string(", ") + argument.name;
    }
    textSignature += ")\n--\n\n";
    std::string call = std::string(m.Name()) + "(";
    std::string outs;
    bool first = true;
    for (const AutomationArgument& argument : m.Arguments()) {
        if (argument.type == VarType::PtrI4) {
            outs += std::string(", ") + argument.name;
            continue;
        }
        call += (first ? "" : ", ") + std::string(argument.name);
        first = false;
    }
    const std::string result = PythonTypeName(m.type);
    call += ") -> " + (outs.empty() ? result : "(" + result + outs + ")");
    std::string doc =
        textSignature + call + "\n\n" + FormatSignature(m) + "\ndispid " + std::to_string(m.dispid);
    if (!outs.empty())
        doc +=
            "; returns a tuple: the result, then the out arguments" + outs.substr(1) + " in order";
    return doc + ".";
}

// The control behind an object of the Control type, or nullptr. pybind11 hands out the storage
// of an object whose __init__ never ran (Control.__new__(Control), a subclass that skips it) as
// if it were a control; only a pointer to a control actually made is taken.
ScriptControl* FindControl(py::handle self) noexcept
{
    try {
        auto* control = py::cast<ScriptControl*>(self);
        return ScriptControl::IsLive(control) ? control : nullptr;
    } catch (...) {
        return nullptr;
    }
}

// The control behind `self`; an object of another type, or one never initialised, is refused.
ScriptControl& Unwrap(py::handle self)
{
    if (!py::isinstance<ScriptControl>(self))
        throw py::type_error(std::string("a zr47xcl.Control is required, not ") +
                             Py_TYPE(self.ptr())->tp_name);
    ScriptControl* control = FindControl(self);
    if (control == nullptr)
        throw py::type_error("the zr47xcl.Control was never initialised: __init__ did not run");
    return *control;
}

// The Control type takes part in the garbage collection through the control's own reports.
void SetUpCollection(PyHeapTypeObject* heapType)
{
    PyTypeObject* type = &heapType->ht_type;
    type->tp_flags |= Py_TPFLAGS_HAVE_GC;
    type->tp_traverse = [](PyObject* self, visitproc visit, void* arg) {
        // The type is a heap type: its instances hold a reference to it.
        Py_VISIT(Py_TYPE(self));
        const ScriptControl* control = FindControl(self);
        return control != nullptr ? control->Traverse(visit, arg) : 0;
    };
    type->tp_clear = [](PyObject* self) {
        if (ScriptControl* control = FindControl(self))
            control->Clear();
        return 0;
    };
}

std::string NameOf(py::handle name)
{
    return zr::python::EncodeText(name, "an attribute name");
}

py::tuple NamesOf(MemberKind kind)
{
    py::list names;
    for (const AutomationMember& m : AutomationMembers()) {
        if (m.kind == kind)
            names.append(std::string(m.Name()));
    }
    return py::tuple(names);
}

using ControlClass = py::class_<ScriptControl>;

// A property or method of the class for every automation member.
void DefineMembers(ControlClass& control)
{
    for (const AutomationMember& member : AutomationMembers()) {
        const AutomationMember* m = &member;
        switch (member.kind) {
        case MemberKind::Property:
            control.def_property_readonly(
                m->name.data(), [m](py::handle self) { return Unwrap(self).Get(*m); },
                py::doc(PropertyDoc(*m).c_str()));
            break;
        case MemberKind::Method:
            control.def(
                m->name.data(),
                [m](py::handle self, const py::args& args, const py::kwargs& kwargs) {
                    return Unwrap(self).Call(*m, args, kwargs);
                },
                py::doc(MethodDoc(*m).c_str()));
            break;
        case MemberKind::Event:
            break;
        }
    }
}

void DefineAttributeAccess(ControlClass& control)
{
    // Names in another letter case and the dispatch's own names of dispids 154 and 215 come here
    // once the exact names have not matched.
    control.def("__getattr__", [](py::object self, py::handle attribute) -> py::object {
        const std::string name = NameOf(attribute);
        const AutomationMember* m = FindMember(name);
        if (m == nullptr)
            RaiseNamed(PyExc_AttributeError, "'Control' object has no attribute %R", attribute);
        if (m->kind == MemberKind::Event)
            throw py::attribute_error("'" + std::string(m->Name()) +
                                      "' is an event: use connect()");
        if (m->kind == MemberKind::Property)
            return Unwrap(self).Get(*m);
        return self.attr(m->name.data());
    });
    control.def("__setattr__", [](py::handle self, py::handle attribute, py::handle value) {
        const std::string name = NameOf(attribute);
        const AutomationMember* m = FindMember(name);
        if (m == nullptr)
            RaiseNamed(PyExc_AttributeError, "'Control' object has no attribute %R", attribute);
        if (m->kind != MemberKind::Property)
            throw py::attribute_error("'" + std::string(m->Name()) + "' is " +
                                      (m->kind == MemberKind::Method ? "a method" : "an event") +
                                      ", not a property");
        Unwrap(self).Put(*m, value);
    });
    control.def("__delattr__", [](py::handle, py::handle) {
        throw py::attribute_error("the members of the control cannot be deleted");
    });
}

// Event callbacks and the communication log.
void DefineCallbacks(ControlClass& control)
{
    control.def(
        "connect",
        [](py::handle self, py::handle target, py::handle callback) {
            Unwrap(self).Connect(target, callback);
        },
        py::arg("event"), py::arg("callback") = py::none(),
        "connect(event, callback) or connect(handler)\n\n"
        "Calls callback() whenever the event of that name (any letter case) fires, or the\n"
        "handler's On<EventName> methods for the events they name.");
    control.def(
        "disconnect",
        [](py::handle self, py::handle target, py::handle callback) {
            Unwrap(self).Disconnect(target, callback);
        },
        py::arg("event") = py::none(), py::arg("callback") = py::none(),
        "disconnect(event, callback), disconnect(event), disconnect(handler) or disconnect()\n\n"
        "Removes that callback of the event, every callback of the event, the handler's\n"
        "methods, or every event callback.");
    control.def(
        "on_log", [](py::handle self, py::handle callback) { Unwrap(self).OnLog(callback); },
        py::arg("callback"),
        "on_log(callback)\n\n"
        "Calls callback(line, sent) for every communication-log line: sent is True for a line\n"
        "sent to the camera, False for one received; CR and LF are removed. None removes every\n"
        "log callback.");
}

// Closing, explicitly or by leaving a with block.
void DefineLifetime(ControlClass& control)
{
    control.def(
        "close", [](py::handle self) { Unwrap(self).Close(); },
        "close()\n\nDestroys the control, which writes the module settings.");
    control.def_property_readonly(
        "closed", [](py::handle self) { return Unwrap(self).Closed(); },
        "True once the control has been closed.");
    control.def("__enter__", [](py::object self) {
        Unwrap(self);
        return self;
    });
    control.def("__exit__", [](py::handle self, py::handle, py::handle, py::handle) {
        Unwrap(self).Close();
        return false;
    });
}

// The member tables as module attributes and the members() listing.
void DefineMemberTables(py::module_& module)
{
    module.attr("PROPERTIES") = NamesOf(MemberKind::Property);
    module.attr("METHODS") = NamesOf(MemberKind::Method);
    module.attr("EVENTS") = NamesOf(MemberKind::Event);
    module.def(
        "members",
        [] {
            py::list rows;
            for (const AutomationMember& m : AutomationMembers())
                rows.append(py::make_tuple(m.dispid, MemberKindName(m.kind), std::string(m.Name()),
                                           FormatSignature(m)));
            return rows;
        },
        "members() -> list of (dispid, kind, name, signature)\n\n"
        "Every member of the automation interface, as `zr47xcl list` prints them.");
}

} // namespace

PYBIND11_MODULE(zr47xcl, module)
{
    // The docstrings carry the automation signatures; pybind11's own would only say *args.
    py::options options;
    options.disable_function_signatures();

    module.doc() = "Scripting of the ZR-47xCL camera control through its automation interface.";
    module.attr("__version__") = ZR_VERSION;
    py::exec(kScriptErrorSource, module.attr("__dict__"));

    py::class_<ScriptControl> control(module, "Control", kControlDoc,
                                      py::custom_type_setup(SetUpCollection));
    py::object scriptError = module.attr("ScriptError");
    py::object offlineError = module.attr("OfflineError");
    control.def(py::init([scriptError, offlineError](bool connect, std::optional<std::string> port,
                                                     bool strict) {
                    return std::make_unique<ScriptControl>(
                        ScriptControl::Options{connect, std::move(port), strict}, scriptError,
                        offlineError);
                }),
                py::arg("connect") = true, py::arg("port") = py::none(), py::arg("strict") = false,
                "__init__(self, connect=True, port=None, strict=False)\n--\n\n");

    DefineMembers(control);
    DefineAttributeAccess(control);
    DefineCallbacks(control);
    DefineLifetime(control);

    zr::python::DefineAttach(module, scriptError);

    // Controls still alive when the interpreter ends (held by a global, or by a cycle the last
    // collection did not reach) are closed first, so their settings are written.
    py::module_::import("atexit").attr("register")(
        py::cpp_function([] { ScriptControl::CloseAll(); }));

    DefineMemberTables(module);
}
