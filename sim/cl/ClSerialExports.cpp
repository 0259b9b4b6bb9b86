// Entry points of the test library libClSerial.so: manufacturers to choose from, each with one
// serial port served by a simulated camera.

#include <type_traits>

#include "comm/ClSerialApi.h"
#include "sim/cl/ClTestLibrary.h"

namespace
{

// The library's state lives from load to unload, as a real library's would; each load reads
// the configuration afresh.
zr::cltest::ClTestLibrary library("ClSerial");

} // namespace

zr::cltest::ClTestLibrary& zr::cltest::TheLibrary()
{
    return library;
}

ZR_CL_EXPORT int32_t clGetManufacturer(uint32_t index, char* name, uint32_t* nameSize,
                                       uint32_t* version)
{
    return library.GetManufacturer(index, name, nameSize, version);
}

ZR_CL_EXPORT int32_t clGetNumManufacturers(int32_t* count)
{
    return library.GetNumManufacturers(count);
}

ZR_CL_EXPORT int32_t clSelectManufacturer(const char* name)
{
    return library.SelectManufacturer(name);
}

ZR_CL_EXPORT int32_t clGetNumSerialPorts(uint32_t* count)
{
    return library.GetNumSerialPorts(count);
}

// The exports must have exactly the types the links call them through.
static_assert(std::is_same_v<decltype(&clGetManufacturer), zr::cl::GetManufacturerFn>);
static_assert(std::is_same_v<decltype(&clGetNumManufacturers), zr::cl::GetNumManufacturersFn>);
static_assert(std::is_same_v<decltype(&clSelectManufacturer), zr::cl::SelectManufacturerFn>);
static_assert(std::is_same_v<decltype(&clGetNumSerialPorts), zr::cl::GetNumSerialPortsFn>);
