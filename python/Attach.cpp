#include "python/Attach.h"

#include "bus/BusClient.h"
#include "comm/PortName.h"

#include <optional>
#include <string>

#include "python/ScriptControl.h"
#include "python/ValueConversion.h"

namespace zr::python
{

namespace
{

namespace py = pybind11;

// "COM1".."COM16" or "CL:N", any letter case, as class and port.
std::pair<int32_t, int32_t> PortOf(const std::string& text)
{
    if (std::optional<PortChoice> choice = ParsePortName(text))
        return {choice->commClass, choice->port};
    throw py::value_error("port must be COM1..COM16 or CL:N, not '" + text + "'");
}

constexpr const char* kAttachDoc = R"(attach(port=None) -> Control

The control that another program (zr47xcl-tool, zr47xcl serve) publishes on the session bus:
the one holding port ("COM1".."COM16" or "CL:N"), or without a port the only one there is. The
Control returned has the same members, events and errors as a control of this process, and
every call runs in the other program; close() only lets go of it. A call that finds the control
busy with another operation is tried again for up to 10 seconds, then raises ScriptError with
code 0x80010001. Ctrl-C during a call asks the other program to stop the operation where it
safely can, and KeyboardInterrupt is raised once it has. A message the control would show in a
box for a call goes to standard error, as for a control of this process. ConnectionError when
no published control fits.)";

} // namespace

void DefineAttach(py::module_& module, py::object scriptError)
{
    module.def(
        "attach",
        [scriptError](py::object port) {
            std::optional<std::pair<int32_t, int32_t>> wanted;
            if (!port.is_none())
                wanted = PortOf(EncodeText(port, "the port"));
            std::string error;
            std::unique_ptr<bus::BusClient> client;
            {
                py::gil_scoped_release release;
                client = bus::BusClient::Attach(wanted, error);
            }
            if (!client) {
                PyErr_SetString(PyExc_ConnectionError, error.c_str());
                throw py::error_already_set();
            }
            return std::make_unique<ScriptControl>(std::move(client), scriptError);
        },
        py::arg("port") = py::none(), kAttachDoc);
}

} // namespace zr::python
