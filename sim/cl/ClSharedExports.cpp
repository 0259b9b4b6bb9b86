// The serial entry points both test libraries export, each going to the library it is linked
// into.

#include <type_traits>

#include "comm/ClSerialApi.h"
#include "sim/cl/ClTestLibrary.h"

using zr::cltest::TheLibrary;

ZR_CL_EXPORT int32_t clSerialInit(uint32_t serialIndex, void** ref)
{
    return TheLibrary().SerialInit(serialIndex, ref);
}

ZR_CL_EXPORT int32_t clSerialClose(void* ref)
{
    return TheLibrary().SerialClose(ref);
}

ZR_CL_EXPORT int32_t clSerialRead(void* ref, char* buffer, uint32_t* count, uint32_t timeoutMs)
{
    return TheLibrary().SerialRead(ref, buffer, count, timeoutMs);
}

ZR_CL_EXPORT int32_t clSerialWrite(void* ref, const char* buffer, uint32_t* count,
                                   uint32_t timeoutMs)
{
    return TheLibrary().SerialWrite(ref, buffer, count, timeoutMs);
}

ZR_CL_EXPORT int32_t clSetBaudRate(void* ref, uint32_t baudRate)
{
    return TheLibrary().SetBaudRate(ref, baudRate);
}

ZR_CL_EXPORT int32_t clGetErrorText(int32_t status, char* text, uint32_t* textSize)
{
    return TheLibrary().GetErrorText(status, text, textSize);
}

// The exports must have exactly the types the links call them through.
static_assert(std::is_same_v<decltype(&clSerialInit), zr::cl::SerialInitFn>);
static_assert(std::is_same_v<decltype(&clSerialClose), zr::cl::SerialCloseFn>);
static_assert(std::is_same_v<decltype(&clSerialRead), zr::cl::SerialReadFn>);
static_assert(std::is_same_v<decltype(&clSerialWrite), zr::cl::SerialWriteFn>);
static_assert(std::is_same_v<decltype(&clSetBaudRate), zr::cl::SetBaudRateFn>);
static_assert(std::is_same_v<decltype(&clGetErrorText), zr::cl::GetErrorTextFn>);
