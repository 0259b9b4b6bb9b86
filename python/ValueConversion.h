#pragma once

#include <string>
#include <string_view>

#include <pybind11/pybind11.h>

#include "automation/AutomationTypes.h"

namespace zr::python
{

namespace py = pybind11;

// Conversions between Python values and the automation types.
//
// Python to automation: I4 takes an int (anything with __index__, bool included) within 32 bits;
// BOOL takes a bool or an int (non-zero is true); BSTR takes a str without NUL characters, as
// the control's text (EncodeText), or for a file name as the file system's bytes (UTF-8, lone
// surrogates as the bytes they stand for, as os.fsencode does). A float, a str for a number or a
// number for a text is refused, not guessed at: TypeError for a wrong type, OverflowError for an
// int beyond 32 bits, ValueError for an embedded NUL or a character the control's texts cannot
// hold. `what` names the value in the message.
Variant ToVariant(py::handle value, VarType type, std::string_view what, bool fileName = false);

// Automation to Python: I4 as int, BOOL as bool, BSTR as str, nothing as None.
py::object FromVariant(const Variant& value);

// The control's texts are Windows-1252 (base/AnsiText.h): every byte comes out as its
// character, and a str goes back in only when every character has its byte.
py::str DecodeText(std::string_view text);
// A str as the control's text; TypeError for anything else, ValueError naming the character
// for a str with a character the control's texts cannot hold.
std::string EncodeControlText(py::handle text, std::string_view what);
// A str (a name, a file name) as UTF-8 bytes, lone surrogates as the bytes they stand for;
// TypeError for anything else.
std::string EncodeText(py::handle text, std::string_view what);

// Raises `type` with a message of `format` where %R stands for the repr of `name`: names the
// caller gave may hold characters that a C++ string cannot carry back into Python.
[[noreturn]] void RaiseNamed(PyObject* type, const char* format, py::handle name);

// The Python type a value of `type` has, as docstrings name it: "int", "bool", "str" or "None".
inline const char* PythonTypeName(VarType type)
{
    return SpellingOf(type).python;
}

} // namespace zr::python
