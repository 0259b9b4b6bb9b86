#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "automation/AutomationMembers.h"
#include "automation/AutomationTypes.h"
#include "automation/CheckInvocation.h"
#include "automation/DispatchResult.h"
#include "base/Signal.h"

namespace zr
{

class CXKorvelCamCtrl;
enum class StatusChange : uint8_t;

// The dispatch interface _DXKorvelCam of one control: every property and method of the member
// table, called by dispid the way a script calls them. Members bound to a parameter row work by
// their kind (value, text, index, range, index range, item text); only the members with a
// behaviour of their own are written out one by one.
//
// Nothing throws out of Invoke: the control's ScriptError becomes the result's status code and
// description. The dispatch also turns the control's notifications into the events of the event
// interface _DXKorvelCamEvents.
class CXKorvelCamDispatch final
{
public:
    // Description of the script error a write to a read-only property raises (status
    // ScriptError::kSetNotSupported): the platform's standard text for it.
    static constexpr const char* kReadOnlyDescription = zr::kReadOnlyDescription;

    // Listens to the control's notifications until destroyed. The control must outlive it.
    explicit CXKorvelCamDispatch(CXKorvelCamCtrl& control);
    CXKorvelCamDispatch(const CXKorvelCamDispatch&) = delete;
    CXKorvelCamDispatch& operator=(const CXKorvelCamDispatch&) = delete;

    // The member of that name, without regard to letter case (the dispatch's own names of the
    // dispids 154 and 215 included), or nullptr.
    static const AutomationMember* GetIDsOfNames(std::string_view name);

    // Calls a member. PropertyGet and PropertyPut address properties, Method addresses methods.
    // `args` holds the arguments in declaration order; a property put passes the new value as
    // its only argument. An argument converts to the declared type as Variant's ToI4, ToBool and
    // ToBStr do; a PTR(I4) argument is overwritten with an I4 (its value on entry, when it has
    // one, is the starting value of that in-out argument). `result` gets the property value or
    // the method's result (empty for none).
    DispatchResult Invoke(int32_t dispid, InvokeKind kind, std::vector<Variant>& args,
                          Variant& result);

    // The events of the event interface, as they fire.
    Signal<const AutomationMember&> eventFired;

    // The event member a notification of the control fires, or nullptr.
    static const AutomationMember* StatusEvent(StatusChange change);

private:
    void Fire(const AutomationMember* event);

    Variant GetProperty(const AutomationMember& member);
    void PutProperty(const AutomationMember& member, const Variant& value);
    Variant CallMethod(const AutomationMember& member, std::vector<Variant>& args);
    Variant CallSpecialMethod(const AutomationMember& member, std::vector<Variant>& args);
    Variant RunLongOperation(const AutomationMember& member, std::vector<Variant>& args);

    CXKorvelCamCtrl& control_;
    ScopedConnection<StatusChange> statusConnection_;
    ScopedConnection<int32_t> parameterConnection_;
};

} // namespace zr
