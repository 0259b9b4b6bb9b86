#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "control/AutomationMembers.h"
#include "control/AutomationTypes.h"
#include "control/EventSink.h"

namespace zr
{

class CXKorvelCamCtrl;

// The outcome of a dispatch call: status 0, a script error's status code with its description,
// or a dispatch failure (unknown member, wrong argument count, argument of the wrong type).
struct DispatchResult {
    int32_t status = 0;
    std::string description;

    bool Succeeded() const { return status == 0; }
};

// The dispatch interface _DXKorvelCam of one control: every property and method of the member
// table, called by dispid the way a script calls them. Members bound to a parameter row work by
// their kind (value, text, index, range, index range, item text); only the members with a
// behaviour of their own are written out one by one.
//
// Nothing throws out of Invoke: the control's ScriptError becomes the result's status code and
// description. The dispatch also hands the control's events on to its own receivers.
class CXKorvelCamDispatch final : private EventSink
{
public:
    // Description of the script error a write to a read-only property raises (status
    // ScriptError::kSetNotSupported): the platform's standard text for it.
    static constexpr const char* kReadOnlyDescription = "Property is read-only.";

    // Registers with the control for its events until destroyed. The control must outlive it.
    explicit CXKorvelCamDispatch(CXKorvelCamCtrl& control);
    ~CXKorvelCamDispatch() override;
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

    // Receivers of the control's events (not owned; a receiver added twice gets every event
    // twice). Removing is safe from inside an event.
    void Advise(EventSink& sink);
    bool Unadvise(EventSink& sink);

private:
    void OnEvent(int32_t dispid, const char* name) override;

    Variant GetProperty(const AutomationMember& member);
    void PutProperty(const AutomationMember& member, const Variant& value);
    Variant CallMethod(const AutomationMember& member, std::vector<Variant>& args);
    Variant CallSpecialMethod(const AutomationMember& member, std::vector<Variant>& args);

    CXKorvelCamCtrl& control_;
    std::vector<EventSink*> sinks_;
    int firing_ = 0; // nesting depth of OnEvent; removed receivers are compacted at depth 0
};

} // namespace zr
