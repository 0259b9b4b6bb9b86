#include "python/ValueConversion.h"

#include <cstdint>

#include "base/AnsiText.h"

namespace zr::python
{

namespace
{

std::string TypeNameOf(py::handle value)
{
    return Py_TYPE(value.ptr())->tp_name;
}

[[noreturn]] void Raise(PyObject* type, const std::string& message)
{
    PyErr_SetString(type, message.c_str());
    throw py::error_already_set();
}

int32_t ToI4(py::handle value, std::string_view what)
{
    if (!PyIndex_Check(value.ptr()))
        Raise(PyExc_TypeError, std::string(what) + " must be int, not " + TypeNameOf(value));
    py::object index = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
    if (!index)
        throw py::error_already_set();
    int overflow = 0;
    const long long number = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
    if (number == -1 && PyErr_Occurred())
        throw py::error_already_set();
    if (overflow != 0 || number < INT32_MIN || number > INT32_MAX)
        Raise(PyExc_OverflowError, std::string(what) + " does not fit in 32 bits");
    return static_cast<int32_t>(number);
}

} // namespace

Variant ToVariant(py::handle value, VarType type, std::string_view what, bool fileName)
{
    switch (type) {
    case VarType::I4:
        return ToI4(value, what);
    case VarType::Bool:
        if (PyBool_Check(value.ptr()))
            return value.ptr() == Py_True;
        if (PyIndex_Check(value.ptr()))
            return ToI4(value, what) != 0;
        Raise(PyExc_TypeError, std::string(what) + " must be bool, not " + TypeNameOf(value));
    case VarType::BStr: {
        std::string text = fileName ? EncodeText(value, what) : EncodeControlText(value, what);
        // The control hands texts on as C strings (file names, camera lines): a NUL would cut
        // them short without a word.
        if (text.find('\0') != std::string::npos)
            Raise(PyExc_ValueError, std::string(what) + " contains a NUL character");
        return Variant(std::move(text));
    }
    case VarType::Void:
    case VarType::PtrI4:
        break;
    }
    Raise(PyExc_TypeError, std::string(what) + " cannot be passed");
}

py::object FromVariant(const Variant& value)
{
    switch (value.Type()) {
    case VarType::I4:
        return py::int_(*value.ToI4());
    case VarType::Bool:
        return py::bool_(*value.ToBool());
    case VarType::BStr:
        return DecodeText(value.ToText());
    case VarType::Void:
    case VarType::PtrI4:
        break;
    }
    return py::none();
}

std::string EncodeText(py::handle text, std::string_view what)
{
    if (!PyUnicode_Check(text.ptr()))
        Raise(PyExc_TypeError, std::string(what) + " must be str, not " + TypeNameOf(text));
    py::object bytes = py::reinterpret_steal<py::object>(
        PyUnicode_AsEncodedString(text.ptr(), "utf-8", "surrogateescape"));
    if (!bytes)
        throw py::error_already_set();
    return std::string(PyBytes_AS_STRING(bytes.ptr()),
                       static_cast<size_t>(PyBytes_GET_SIZE(bytes.ptr())));
}

std::string EncodeControlText(py::handle text, std::string_view what)
{
    if (!PyUnicode_Check(text.ptr()))
        Raise(PyExc_TypeError, std::string(what) + " must be str, not " + TypeNameOf(text));
    Py_ssize_t size = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
    if (utf8 == nullptr)
        throw py::error_already_set();
    std::string ansi;
    std::string error;
    if (!Utf8ToAnsi(std::string_view(utf8, static_cast<size_t>(size)), ansi, error))
        Raise(PyExc_ValueError, std::string(what) + ": " + error);
    return ansi;
}

py::str DecodeText(std::string_view text)
{
    const std::string utf8 = AnsiToUtf8(text);
    PyObject* decoded =
        PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "strict");
    if (decoded == nullptr)
        throw py::error_already_set();
    return py::reinterpret_steal<py::str>(decoded);
}

void RaiseNamed(PyObject* type, const char* format, py::handle name)
{
    PyErr_Format(type, format, name.ptr());
    throw py::error_already_set();
}

} // namespace zr::python
