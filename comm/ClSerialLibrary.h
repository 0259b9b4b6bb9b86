#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <type_traits>

#include "base/SharedLibrary.h"
#include "comm/ClSerialApi.h"

namespace zr
{

// One entry point a library must export: its name, and how its address is stored, typed, in
// the library's entry points.
struct ClEntryBinding {
    const char* name;
    // Looks `name` up in `library` and stores it; false when the library does not export it.
    bool (*bind)(const SharedLibrary& library, const char* name, cl::EntryPoints& entries);
};

// The binding of `name` to the entry point member `Member`, for a link's binding table.
template <auto Member> constexpr ClEntryBinding BindEntry(const char* name)
{
    return {name, [](const SharedLibrary& library, const char* symbol, cl::EntryPoints& entries) {
                using Fn = std::remove_reference_t<decltype(entries.*Member)>;
                entries.*Member = library.Function<Fn>(symbol);
                return entries.*Member != nullptr;
            }};
}

// One Camera Link serial library as a link uses it: the library loaded by file name with all of
// its entry points bound, and the serial port opened through it. Both Camera Link links keep
// one; what differs between them (how ports are listed and chosen) stays in the link.
class ClSerialLibrary
{
public:
    // `bindings` lists every entry point the library must export, in binding order; it must
    // bind serialInit, serialClose, serialRead, serialWrite and setBaudRate, and must outlive
    // this object.
    ClSerialLibrary(std::string fileName, std::span<const ClEntryBinding> bindings);
    // Closes the port and unloads the library.
    ~ClSerialLibrary();
    ClSerialLibrary(const ClSerialLibrary&) = delete;
    ClSerialLibrary& operator=(const ClSerialLibrary&) = delete;

    // Loads the library afresh and binds every entry point. A library that lacks any of them is
    // unloaded again and counts as not loaded.
    bool Load();
    bool IsLoaded() const { return library_.IsLoaded(); }

    // The bound entry points; every pointer is null while the library is not loaded.
    const cl::EntryPoints& Entries() const { return entries_; }

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
    std::string fileName_;
    std::span<const ClEntryBinding> bindings_;
    SharedLibrary library_;
    cl::EntryPoints entries_;
    // Held from a successful clSerialInit to clSerialClose. Any value the library hands out
    // is valid, a null pointer included.
    std::optional<cl::SerialRef> serialRef_;
};

} // namespace zr
