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

#define ZR_CL_EXPORT extern "C" __attribute__((visibility("default")))

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

ZR_CL_EXPORT int32_t clSerialInit(uint32_t serialIndex, void** ref)
{
    return library.SerialInit(serialIndex, ref);
}

ZR_CL_EXPORT int32_t clSerialClose(void* ref)
{
    return library.SerialClose(ref);
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

ZR_CL_EXPORT int32_t clGetErrorText(int32_t status, char* text, uint32_t* textSize)
{
    return library.GetErrorText(status, text, textSize);
}

// The exports must have exactly the types the links call them through.
static_assert(std::is_same_v<decltype(&clGetManufacturer), zr::cl::GetManufacturerFn>);
static_assert(std::is_same_v<decltype(&clGetNumManufacturers), zr::cl::GetNumManufacturersFn>);
static_assert(std::is_same_v<decltype(&clSelectManufacturer), zr::cl::SelectManufacturerFn>);
static_assert(std::is_same_v<decltype(&clGetNumSerialPorts), zr::cl::GetNumSerialPortsFn>);
static_assert(std::is_same_v<decltype(&clSerialInit), zr::cl::SerialInitFn>);
static_assert(std::is_same_v<decltype(&clSerialClose), zr::cl::SerialCloseFn>);
static_assert(std::is_same_v<decltype(&clSerialRead), zr::cl::SerialReadFn>);
static_assert(std::is_same_v<decltype(&clSerialWrite), zr::cl::SerialWriteFn>);
static_assert(std::is_same_v<decltype(&clSetBaudRate), zr::cl::SetBaudRateFn>);
static_assert(std::is_same_v<decltype(&clGetErrorText), zr::cl::GetErrorTextFn>);
