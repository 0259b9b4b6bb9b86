#pragma once

#include <pybind11/pybind11.h>

namespace zr::python
{

// Adds zr47xcl.attach(port=None) to the module: a Control driving the published control that
// holds that port ("COM1".."COM16" or "CL:N"), or the only one. `scriptError` is the module's
// ScriptError.
void DefineAttach(pybind11::module_& module, pybind11::object scriptError);

} // namespace zr::python
