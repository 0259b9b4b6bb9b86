// Writes the type stub of the zr47xcl module to the file named by its one argument: the module's
// fixed part (the Control class's own methods, attach(), the errors, the member lists) as it is,
// then one typed attribute or method per member of the member table, with its description.

#include <cstdio>
#include <fstream>
#include <string>

#include "automation/AutomationMembers.h"
#include "automation/MemberDoc.h"

namespace
{

using namespace zr;

constexpr const char* kHeader =
    R"("""Type stub of the zr47xcl module, generated from its member table. Do not edit."""

from typing import Any, Callable, Literal, Optional, Tuple, overload

__version__: str
PROPERTIES: Tuple[str, ...]
METHODS: Tuple[str, ...]
EVENTS: Tuple[EventName, ...]

class ScriptError(Exception):
    code: int
    description: str
    def __init__(self, code: int, description: str) -> None: ...

class OfflineError(ScriptError): ...

def members() -> list[Tuple[int, str, str, str]]: ...

def attach(port: Optional[str] = None) -> Control:
    """The control published on the session bus that holds `port` ("COM2"), or the only one."""

class Control:
    def __init__(self, connect: bool = True, port: Optional[str] = None,
                 strict: bool = False) -> None: ...
    @overload
    def connect(self, event: EventName, callback: Callable[[], Any]) -> None: ...
    @overload
    def connect(self, event: object) -> None:
        """A handler: its On<EventName> methods are called for the events they name."""
    @overload
    def disconnect(self, event: Optional[EventName] = None,
                   callback: Optional[Callable[[], Any]] = None) -> None: ...
    @overload
    def disconnect(self, event: object) -> None: ...
    def on_log(self, callback: Optional[Callable[[str, bool], Any]]) -> None: ...
    def close(self) -> None: ...
    @property
    def closed(self) -> bool: ...
    def __enter__(self) -> "Control": ...
    def __exit__(self, *exc: Any) -> bool: ...
)";

const char* PythonType(VarType type)
{
    return type == VarType::PtrI4 ? "int" : SpellingOf(type).python;
}

std::string Docstring(const AutomationMember& member)
{
    return "        \"\"\"" + MemberDoc(member) + "\"\"\"\n";
}

std::string PropertyStub(const AutomationMember& m)
{
    const std::string name(m.Name());
    const std::string type = PythonType(m.type);
    std::string text =
        "    @property\n    def " + name + "(self) -> " + type + ":\n" + Docstring(m);
    if (!m.readOnly)
        text += "    @" + name + ".setter\n    def " + name + "(self, value: " + type +
                ") -> None: ...\n";
    return text;
}

// In arguments become parameters; a method with out arguments returns a tuple of its result and
// the out values, in order.
std::string MethodStub(const AutomationMember& m)
{
    std::string parameters = "self";
    std::string returns = PythonType(m.type);
    int outs = 0;
    for (const AutomationArgument& a : m.Arguments()) {
        if (a.type == VarType::PtrI4) {
            returns += ", int";
            ++outs;
        } else {
            parameters += std::string(", ") + a.name + ": " + PythonType(a.type);
        }
    }
    if (outs > 0)
        returns = "Tuple[" + returns + "]";
    return "    def " + std::string(m.Name()) + "(" + parameters + ") -> " + returns + ":\n" +
           Docstring(m);
}

// The Literal type of the event names, ahead of everything that refers to it.
std::string EventNames()
{
    std::string text = "EventName = Literal[\n";
    for (const AutomationMember& m : AutomationMembers())
        if (m.kind == MemberKind::Event)
            text += "    \"" + std::string(m.Name()) + "\",\n";
    return text + "]\n\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: zr47xcl-python-stub FILE\n", stderr);
        return 2;
    }
    std::string header = kHeader;
    const size_t firstBlank = header.find("\n\n") + 2;
    header.insert(header.find("\n\n", firstBlank) + 2, EventNames());
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << header;
    for (const AutomationMember& m : AutomationMembers()) {
        if (m.kind == MemberKind::Property)
            out << PropertyStub(m);
        else if (m.kind == MemberKind::Method)
            out << MethodStub(m);
    }
    out.close();
    return out ? 0 : 1;
}
