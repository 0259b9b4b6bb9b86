#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "automation/AutomationMembers.h"
#include "automation/AutomationTypes.h"

// How a control appears on the session bus: its names, the types of its members and the errors
// it answers with. Everything here is derived from the member table, so the bus interface never
// lists a member by hand.

namespace zr::bus
{

// Every published control owns one well-known name of its own, kNamePrefix + "p<pid>" (and
// "p<pid>_<n>" for a further control of the same process), with one object at kObjectPath that
// carries the interface kInterface.
inline constexpr const char* kNamePrefix = "com.korvel.ZR47xCL.";
inline constexpr const char* kObjectPath = "/com/korvel/ZR47xCL/Control";
inline constexpr const char* kInterface = "com.korvel.ZR47xCL.Control";

// The signals besides the events, one row each: the registration, the interface description
// and the client's decoder all read this table.
enum class BusSignal : uint8_t {
    CommLog,  // a communication-log line (CR LF removed; sent is false for a line received)
    Progress, // a step of a long operation
    Message,  // a message box the control would show, sent to the caller of the call under way
};
struct BusSignalRow {
    BusSignal id;
    const char* name;
    const char* signature;               // one D-Bus type per argument
    std::array<const char*, 3> argNames; // as many as the signature has types
    const char* doc;                     // what it tells, for the interface description
};
std::span<const BusSignalRow> BusSignals();
const BusSignalRow& BusSignalOf(BusSignal id);
// The row of a signal name, or nullptr (an event, say).
const BusSignalRow* FindBusSignal(std::string_view name);

inline constexpr const char* kLogSignal = "CommLog";
inline constexpr const char* kProgressSignal = "Progress";
// A method besides the members: asks the long operation the caller started to stop where it
// safely can (it finishes its restoring steps first). Answered at once, also while busy; a
// request from anyone but the operation's caller is ignored.
inline constexpr const char* kStopMethod = "Stop";

// A failed call answers with the error kErrorPrefix + "E" + the status code in eight upper-case
// hex digits, and the description as the error's message:
// "com.korvel.ZR47xCL.Error.E800A017C".
inline constexpr const char* kErrorPrefix = "com.korvel.ZR47xCL.Error.";

// The status of a call refused because the control is busy with another operation; a client may
// try again once that has finished.
inline constexpr int32_t kBusy = static_cast<int32_t>(0x80010001);
inline constexpr const char* kBusyDescription =
    "The control is busy with another operation; try again when it has finished.";
// The status a client reports when the bus itself failed (no reply, the control went away).
inline constexpr int32_t kBusFailure = static_cast<int32_t>(0x80010108);

// The D-Bus type of an automation type: "i", "b", "s"; an out argument (PTR(I4)) is "i"; empty
// for VOID.
inline const char* BusType(VarType type)
{
    return SpellingOf(type).bus;
}

// The input and output signatures of a method: the in arguments; the result (when there is one)
// followed by the out arguments.
std::string InputSignature(const AutomationMember& method);
std::string OutputSignature(const AutomationMember& method);

// The error name of a status code, and the status code of an error name (nothing for an error
// that is not one of ours).
std::string ErrorName(int32_t status);
std::optional<int32_t> StatusOfErrorName(std::string_view name);

// The well-known name of the n-th control (from 1) that process `pid` publishes.
std::string BusName(int64_t pid, int index);

// The interface description of a published control (introspection XML of kInterface alone),
// generated from the member table.
std::string InterfaceXml();

} // namespace zr::bus
