#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "automation/AutomationTypes.h"

namespace zr
{

// How a member works, so that one generic Invoke serves every member bound to a parameter row.
enum class MemberBehaviour : uint8_t {
    RowValue,      // property: get the row's mirrored value; put SetParameterValue (row, value)
    RowText,       // property: get GetParameterText (row); put SetParameterText (row, text)
    RowIndex,      // property: get GetParameterIndex (row); put SetValueIndex (row, position)
    RowRange,      // method (I4 nMinMax) -> I4: the row's minimum for 0, else its maximum
    RowIndexRange, // method (I4 nMinMax) -> I4: 0 for 0, else CountEnabledItems (row) - 1
    RowItemString, // method (I4 nIndex) -> BSTR: GetItemString (row, nIndex)
    RowEvent,      // event: fired by OnValueChanged of the row
    Special,       // behaviour of its own, named by `special`
};

// The members with a behaviour of their own. `row`, `imager` and `panel` of the member give the
// operands where there are any.
enum class SpecialOp : uint8_t {
    None,
    // properties
    PanelVisibility, // BOOL, the visibility flag of panel `panel`
    CommClass,       // read-only, the class remembered by CComm
    CommPort,        // read-only, the port remembered by CComm
    UserId,          // get as RowText (row UD); put SetUserID, then report on the row
    // methods
    AboutBox, // shows panel `panel` like a write of true to its visibility property
    CheckOnline,
    CheckSynchronized,
    CheckSending,
    CheckReceiving,
    IsSameImager,
    IsColorImager,
    ReadCurrentArea,       // row EA
    ReadCurrentAreaString, // row EA
    LoadSettings,
    StoreSettings,
    ReadAllFromCamera,
    WriteAllToCamera,
    ReadAllFromFile,
    WriteAllToFile,
    WriteCameraDataToFile,
    AskCommClassRange,
    AskCommClassString,
    AskCommPortRange,
    AskCommPortString,
    StartCommunication,
    AutoSelectCommunication,
    OnePushBalance,       // command row AW1, AW2 or AYB; kind = imager, or 2 for AYB
    ShadingRecalibration, // imager `imager`, command row RS1 or RS2
    // events
    OnlineStatusChanged,
    SynchronizationStatusChanged,
    SendingStatusChanged,
    ReceivingStatusChanged,
    CommPortChanged,
};

struct AutomationArgument {
    const char* name; // as the type library names it
    VarType type;
};

inline constexpr size_t kMaxMemberNameLength = 39;
inline constexpr size_t kMaxMemberArguments = 3;

struct AutomationMember {
    std::array<char, kMaxMemberNameLength + 1> name; // NUL-terminated
    MemberKind kind;
    int32_t dispid;
    VarType type;  // property type, method result (Void for none), Void for events
    bool readOnly; // properties only
    uint8_t argumentCount;
    std::array<AutomationArgument, kMaxMemberArguments> arguments;
    MemberBehaviour behaviour;
    SpecialOp special; // None unless behaviour is Special
    int32_t row;       // parameter row (ParameterIndex), -1 when none
    int8_t imager;     // 0 or 1 for the members of one imager, -1 otherwise
    int8_t panel;      // panel index of PanelVisibility and AboutBox, -1 otherwise

    constexpr std::string_view Name() const { return name.data(); }
    constexpr std::span<const AutomationArgument> Arguments() const
    {
        return {arguments.data(), argumentCount};
    }
};

// Every member, ordered by kind (properties, methods, events) and then by dispid.
std::span<const AutomationMember> AutomationMembers();

// The member of that name without regard to letter case, or nullptr. Names are unique across
// all three kinds. Besides the members' own names this accepts the names that the dispatch
// gives the members at dispids 154 and 215 ("AskIMG1ProcessBypassIndexRange",
// "AskIMG2ProcessBypassIndexRange"), which the table lists under their type library names.
const AutomationMember* FindMember(std::string_view name);

// The member of that kind and dispid, or nullptr.
const AutomationMember* FindMember(MemberKind kind, int32_t dispid);

// The change event of a parameter row, or nullptr for a row without one.
const AutomationMember* FindRowEvent(int32_t row);

// The first member of that kind with that special behaviour (for example the event
// OnlineStatusChanged), or nullptr.
const AutomationMember* FindSpecialMember(MemberKind kind, SpecialOp special);

// How many members of that kind there are.
int32_t CountMembers(MemberKind kind);

// "property", "method" or "event".
const char* MemberKindName(MemberKind kind);

// Whether the argument is a file name: a path of this file system, passed on as its bytes where
// the control's other texts are converted (base/AnsiText.h).
bool IsFileName(const AutomationArgument& argument);

// The member's signature in the notation of the interface's documentation:
//   "I4 IMG1ShutterSpeed", "I4 FirmwareVersion (read-only)",
//   "I4 AutoSelectCommunication(PTR(I4) pnClass, PTR(I4) pnPort, I4 nShowProgressBar)",
//   "VOID AboutBox()", "VOID OnlineStatusChanged()".
std::string FormatSignature(const AutomationMember& member);

} // namespace zr
