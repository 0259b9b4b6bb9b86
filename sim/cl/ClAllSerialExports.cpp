// Entry points of the test library libClAllSerial.so: a flat list of serial ports, each served
// by a simulated camera.

#include <type_traits>

#include "comm/ClSerialApi.h"
#include "sim/cl/ClTestLibrary.h"

namespace
{

// The library's state lives from load to unload, as a real library's would; each load reads
// the configuration afresh.
zr::cltest::ClTestLibrary library("ClAllSerial");

} // namespace

zr::cltest::ClTestLibrary& zr::cltest::TheLibrary()
{
    return library;
}

ZR_CL_EXPORT int32_t clFlushPort(void* ref)
{
    return library.FlushPort(ref);
}

ZR_CL_EXPORT int32_t clGetNumPorts(uint32_t* count)
{
    return library.GetNumPorts(count);
}

ZR_CL_EXPORT int32_t clGetNumBytesAvail(void* ref, uint32_t* count)
{
    return library.GetNumBytesAvail(ref, count);
}

ZR_CL_EXPORT int32_t clGetPortInfo(uint32_t index, char* manufacturer, uint32_t* manufacturerSize,
                                   char* portId, uint32_t* portIdSize, uint32_t* version)
{
    return library.GetPortInfo(index, manufacturer, manufacturerSize, portId, portIdSize, version);
}

// The exports must have exactly the types the links call them through.
static_assert(std::is_same_v<decltype(&clFlushPort), zr::cl::FlushPortFn>);
static_assert(std::is_same_v<decltype(&clGetNumPorts), zr::cl::GetNumPortsFn>);
static_assert(std::is_same_v<decltype(&clGetNumBytesAvail), zr::cl::GetNumBytesAvailFn>);
static_assert(std::is_same_v<decltype(&clGetPortInfo), zr::cl::GetPortInfoFn>);
