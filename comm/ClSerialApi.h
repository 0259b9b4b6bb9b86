#pragma once

// The C interface of the Camera Link serial libraries, as the links call it: every entry point
// returns a signed 32-bit status, 0 for success. The links bind these by name once when a
// library is loaded; the test libraries implement them with exactly these types.

#include <cstdint>

namespace zr::cl
{

// Opaque reference to an initialised serial port, handed out by clSerialInit.
using SerialRef = void*;

constexpr int32_t kStatusOk = 0;
// The only failure status the links tell apart from the others.
constexpr int32_t kStatusTimeout = -10004;

// clSetBaudRate's bit for 9600 baud.
constexpr uint32_t kBaudRate9600 = 1;
// Size in bytes of every text buffer passed to the libraries.
constexpr uint32_t kTextBufferSize = 260;

extern "C" {

// Manufacturer functions (ClSerial only).
using GetManufacturerFn = int32_t (*)(uint32_t index, char* name, uint32_t* nameSize,
                                      uint32_t* version);
using GetNumManufacturersFn = int32_t (*)(int32_t* count);
using SelectManufacturerFn = int32_t (*)(const char* name);
using GetNumSerialPortsFn = int32_t (*)(uint32_t* count);

// Port listing (ClAllSerial only).
using GetNumPortsFn = int32_t (*)(uint32_t* count);
using GetPortInfoFn = int32_t (*)(uint32_t index, char* manufacturer, uint32_t* manufacturerSize,
                                  char* portId, uint32_t* portIdSize, uint32_t* version);
using GetNumBytesAvailFn = int32_t (*)(SerialRef ref, uint32_t* count);
using FlushPortFn = int32_t (*)(SerialRef ref);

// Serial functions (both libraries).
using SerialInitFn = int32_t (*)(uint32_t serialIndex, SerialRef* ref);
using SerialCloseFn = int32_t (*)(SerialRef ref);
// `count`: in the wanted byte count, out the count received.
using SerialReadFn = int32_t (*)(SerialRef ref, char* buffer, uint32_t* count, uint32_t timeoutMs);
// `count`: in the byte count to write, out the count written.
using SerialWriteFn = int32_t (*)(SerialRef ref, const char* buffer, uint32_t* count,
                                  uint32_t timeoutMs);
using SetBaudRateFn = int32_t (*)(SerialRef ref, uint32_t baudRate);
using GetErrorTextFn = int32_t (*)(int32_t status, char* text, uint32_t* textSize);

} // extern "C"

// Every entry point a link may call, bound once when its library is loaded. A link binds the
// ten its library must export; the others stay null.
struct EntryPoints {
    GetManufacturerFn getManufacturer = nullptr;
    GetNumManufacturersFn getNumManufacturers = nullptr;
    SelectManufacturerFn selectManufacturer = nullptr;
    GetNumSerialPortsFn getNumSerialPorts = nullptr;
    GetNumPortsFn getNumPorts = nullptr;
    GetPortInfoFn getPortInfo = nullptr;
    GetNumBytesAvailFn getNumBytesAvail = nullptr;
    FlushPortFn flushPort = nullptr;
    SerialInitFn serialInit = nullptr;
    SerialCloseFn serialClose = nullptr;
    SerialReadFn serialRead = nullptr;
    SerialWriteFn serialWrite = nullptr;
    SetBaudRateFn setBaudRate = nullptr;
    GetErrorTextFn getErrorText = nullptr;
};

} // namespace zr::cl
