#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "sim/cl/ClTestConfig.h"
#include "sim/cl/ClTestPort.h"

namespace zr::cltest
{

// Failure statuses the test libraries report besides the time-out.
enum ClTestStatus : int32_t {
    kStatusOk = 0,
    kStatusBufferTooSmall = -10001,
    kStatusNoManufacturer = -10002,
    kStatusPortInUse = -10003,
    kStatusTimeout = -10004,
    kStatusInvalidIndex = -10005,
    kStatusInvalidReference = -10006,
    kStatusErrorNotFound = -10007,
    kStatusBaudRateNotSupported = -10008,
};

// The state of one loaded test library ("ClSerial" or "ClAllSerial") from load to unload: its
// configuration, its ports with their simulated cameras, and the call log. Every entry point of
// either library is a member here; each library exports its own set of them.
class ClTestLibrary
{
public:
    // Reads the configuration and logs "<library> load".
    explicit ClTestLibrary(std::string library);
    // Logs "<library> unload".
    ~ClTestLibrary();
    ClTestLibrary(const ClTestLibrary&) = delete;
    ClTestLibrary& operator=(const ClTestLibrary&) = delete;

    // Manufacturer functions (ClSerial).
    int32_t GetNumManufacturers(int32_t* count);
    int32_t GetManufacturer(uint32_t index, char* name, uint32_t* nameSize, uint32_t* version);
    int32_t SelectManufacturer(const char* name);
    int32_t GetNumSerialPorts(uint32_t* count);

    // Port listing (ClAllSerial).
    int32_t GetNumPorts(uint32_t* count);
    int32_t GetPortInfo(uint32_t index, char* manufacturer, uint32_t* manufacturerSize,
                        char* portId, uint32_t* portIdSize, uint32_t* version);
    int32_t GetNumBytesAvail(void* ref, uint32_t* count);
    int32_t FlushPort(void* ref);

    // Serial functions (both).
    int32_t SerialInit(uint32_t serialIndex, void** ref);
    int32_t SerialClose(void* ref);
    int32_t SerialRead(void* ref, char* buffer, uint32_t* count, uint32_t timeoutMs);
    int32_t SerialWrite(void* ref, const char* buffer, uint32_t* count, uint32_t timeoutMs);
    int32_t SetBaudRate(void* ref, uint32_t baudRate);
    int32_t GetErrorText(int32_t status, char* text, uint32_t* textSize);

private:
    // Logs the call and returns the status the configuration forces on `function`, if any.
    std::optional<int32_t> Enter(std::string_view function, const std::string& arguments);
    void Log(const std::string& line);
    // The open port behind `ref`, or nullptr when `ref` is not one.
    ClTestPort* OpenPort(void* ref) const;

    const std::string library_;
    const ClTestConfig config_;
    std::mutex logMutex_;
    std::optional<size_t> selectedManufacturer_;
    // One slot per configured port; a camera is created at the port's first initialisation and
    // keeps its settings until the library is unloaded.
    std::vector<std::unique_ptr<ClTestPort>> ports_;
    std::set<const ClTestPort*> open_;
};

// The one library object of the library this code is linked into; each library's exports file
// defines it.
ClTestLibrary& TheLibrary();

} // namespace zr::cltest

// Marks an entry point a test library exports (its linker map then decides which it keeps).
#define ZR_CL_EXPORT extern "C" __attribute__((visibility("default")))
