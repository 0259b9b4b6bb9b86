#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/SharedLibrary.h"
#include "comm/ClSerialApi.h"

namespace zr
{

// One Camera Link serial library as a link uses it: the library loaded by file name with all of
// its entry points bound, and the serial port opened through it. Both Camera Link links keep
// one; what differs between them (how ports are listed and chosen) stays in the link.
class ClSerialLibrary
{
public:
    // `entryNames` lists every entry point the library must export, in binding order; it must
    // name clSerialInit, clSerialClose, clSerialRead, clSerialWrite and clSetBaudRate, and
    // must outlive this object.
    ClSerialLibrary(std::string fileName, std::span<const char* const> entryNames);
    // Closes the port and unloads the library.
    ~ClSerialLibrary();
    ClSerialLibrary(const ClSerialLibrary&) = delete;
    ClSerialLibrary& operator=(const ClSerialLibrary&) = delete;

    // Loads the library afresh and binds every entry point by name. A library that lacks any
    // of them is unloaded again and counts as not loaded.
    bool Load();
    bool IsLoaded() const { return library_.IsLoaded(); }

    // The bound entry point `name` (one of the entry names), or nullptr when not loaded.
    template <typename Fn> Fn Entry(std::string_view name) const
    {
        return reinterpret_cast<Fn>(EntryAddress(name));
    }

    // Initialises serial port `index` and sets it to 9600 baud. 0, or 3 when the library
    // refuses the port (the library is then unloaded). Needs a loaded library.
    int OpenPort(uint32_t index);
    bool IsOpen() const { return IsLoaded() && serialRef_.has_value(); }
    cl::SerialRef Reference() const { return serialRef_.value_or(nullptr); }
    // Closes the port if one is open and unloads the library.
    void Close();

    // Link error codes: 0, 2 (not open), 4 (failed) or 6 (time-out).
    int Write(const char* buffer, uint32_t length, uint32_t timeoutMs);
    // Link error codes: 0, 2 (not open), 5 (failed) or 7 (time-out); `received` is the count
    // the library reported.
    int Read(char* buffer, int32_t wanted, int32_t& received, uint32_t timeoutMs);

private:
    void* EntryAddress(std::string_view name) const;

    std::string fileName_;
    std::span<const char* const> entryNames_;
    SharedLibrary library_;
    // Bound entry points, parallel to entryNames_; empty while not loaded.
    std::vector<void*> entries_;
    // Held from a successful clSerialInit to clSerialClose. Any value the library hands out
    // is valid, a null pointer included.
    std::optional<cl::SerialRef> serialRef_;
};

} // namespace zr
