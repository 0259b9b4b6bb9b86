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

#define ZR_CL_EXPORT extern "C" __attribute__((visibility("default")))

ZR_CL_EXPORT int32_t clFlushPort(void* ref)
{
    return library.FlushPort(ref);
}

ZR_CL_EXPORT int32_t clGetErrorText(int32_t status, char* text, uint32_t* textSize)
{
    return library.GetErrorText(status, text, textSize);
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

ZR_CL_EXPORT int32_t clSerialClose(void* ref)
{
    return library.SerialClose(ref);
}

ZR_CL_EXPORT int32_t clSerialInit(uint32_t serialIndex, void** ref)
{
    return library.SerialInit(serialIndex, ref);
}

ZR_CL_EXPORT int32_t clSerialRead(void* ref, char* buffer, uint32_t* count, uint32_t timeoutMs)
{
    return library.SerialRead(ref, buffer, count, timeoutMs);
}

ZR_CL_EXPORT int32_t clSerialWrite(void* ref, const char* buffer, uint32_t* count,
                                   uint32_t timeoutMs)
{
    return library.SerialWrite(ref, buffer, count, timeoutMs);
}

ZR_CL_EXPORT int32_t clSetBaudRate(void* ref, uint32_t baudRate)
{
    return library.SetBaudRate(ref, baudRate);
}

// The exports must have exactly the types the links call them through.
static_assert(std::is_same_v<decltype(&clFlushPort), zr::cl::FlushPortFn>);
static_assert(std::is_same_v<decltype(&clGetErrorText), zr::cl::GetErrorTextFn>);
static_assert(std::is_same_v<decltype(&clGetNumPorts), zr::cl::GetNumPortsFn>);
static_assert(std::is_same_v<decltype(&clGetNumBytesAvail), zr::cl::GetNumBytesAvailFn>);
static_assert(std::is_same_v<decltype(&clGetPortInfo), zr::cl::GetPortInfoFn>);
static_assert(std::is_same_v<decltype(&clSerialClose), zr::cl::SerialCloseFn>);
static_assert(std::is_same_v<decltype(&clSerialInit), zr::cl::SerialInitFn>);
static_assert(std::is_same_v<decltype(&clSerialRead), zr::cl::SerialReadFn>);
static_assert(std::is_same_v<decltype(&clSerialWrite), zr::cl::SerialWriteFn>);
static_assert(std::is_same_v<decltype(&clSetBaudRate), zr::cl::SetBaudRateFn>);
