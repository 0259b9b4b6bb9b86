"""Writes the type stub of the zr47xcl module from its member table.

    python3 make_stub.py OUTPUT        (with the built module on PYTHONPATH)

Properties become annotated attributes (read-only ones properties without a setter), methods
become methods with their in arguments; a method with out arguments returns a tuple of its
result and the out values. The fixed part of the module (Control's own methods, ScriptError,
OfflineError) is written as it is.
"""

import re
import sys

import zr47xcl

TYPES = {"I4": "int", "BOOL": "bool", "BSTR": "str", "VOID": "None", "PTR(I4)": "int"}
SIGNATURE = re.compile(r"^(\S+) (\w+)\((.*)\)$")

HEADER = '''"""Type stub of the zr47xcl module, generated from its member table. Do not edit."""

from typing import Any, Callable, Optional, Tuple

__version__: str
PROPERTIES: Tuple[str, ...]
METHODS: Tuple[str, ...]
EVENTS: Tuple[str, ...]

class ScriptError(Exception):
    code: int
    description: str
    def __init__(self, code: int, description: str) -> None: ...

class OfflineError(ScriptError): ...

def members() -> list[Tuple[int, str, str, str]]: ...

class Control:
    def __init__(self, connect: bool = True, port: Optional[str] = None,
                 strict: bool = False) -> None: ...
    def connect(self, event: Any, callback: Optional[Callable[..., Any]] = None) -> None: ...
    def disconnect(self, event: Any = None,
                   callback: Optional[Callable[..., Any]] = None) -> None: ...
    def on_log(self, callback: Optional[Callable[[str, bool], Any]]) -> None: ...
    def close(self) -> None: ...
    @property
    def closed(self) -> bool: ...
    def __enter__(self) -> "Control": ...
    def __exit__(self, *exc: Any) -> bool: ...
'''


def method_stub(name, result, arguments):
    ins, outs = [], []
    for argument in filter(None, (a.strip() for a in arguments.split(","))):
        kind, argname = argument.rsplit(" ", 1)
        (outs if kind == "PTR(I4)" else ins).append("%s: %s" % (argname, TYPES[kind]))
    returns = TYPES[result]
    if outs:
        returns = "Tuple[%s]" % ", ".join([returns] + ["int"] * len(outs))
    return "    def %s(%s) -> %s: ...\n" % (name, ", ".join(["self"] + ins), returns)


def property_stub(name, kind, read_only):
    text = "    @property\n    def %s(self) -> %s: ...\n" % (name, TYPES[kind])
    if not read_only:
        text += "    @%s.setter\n    def %s(self, value: %s) -> None: ...\n" % (
            name, name, TYPES[kind])
    return text


def main(output):
    body = []
    for _dispid, kind, name, signature in zr47xcl.members():
        if kind == "property":
            read_only = signature.endswith(" (read-only)")
            body.append(property_stub(name, signature.split(" ", 1)[0], read_only))
        elif kind == "method":
            match = SIGNATURE.match(signature)
            if match is None:
                sys.exit("make_stub.py: cannot read the signature %r" % signature)
            body.append(method_stub(name, match.group(1), match.group(3)))
    with open(output, "w", encoding="utf-8") as stub:
        stub.write(HEADER + "".join(body))


if __name__ == "__main__":
    main(sys.argv[1])
