// The dispatch interface over a control: member kinds driven by the table, the members with a
// behaviour of their own, failures of the call itself, script errors and event forwarding.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "control/ControlTestBed.h"
#include "automation/Dispatch.h"
#include "comm/LinkError.h"
#include "component/ComponentInterface.h"
#include "control/ScriptError.h"

namespace zr
{
namespace
{

using Strings = std::vector<std::string>;
using test::ControlTestBed;

constexpr int32_t kDeviceIoError = static_cast<int32_t>(ScriptError::kDeviceIoError);
constexpr int32_t kSetNotSupported = static_cast<int32_t>(ScriptError::kSetNotSupported);

// Event names as a receiver of the dispatch gets them.
class EventLog
{
public:
    void OnEvent(const AutomationMember& event)
    {
        names.emplace_back(event.name.data());
        dispids.push_back(event.dispid);
    }
    // The events that belong to parameter rows (status events left out), in order.
    Strings RowEvents() const
    {
        Strings rows;
        for (const std::string& name : names) {
            const AutomationMember* m = FindMember(name);
            if (m != nullptr && m->behaviour == MemberBehaviour::RowEvent)
                rows.push_back(name);
        }
        return rows;
    }
    Strings names;
    std::vector<int32_t> dispids;
};

// Calls by member name, the way a script binds them.
class Script
{
public:
    explicit Script(CXKorvelCamCtrl& control) : dispatch(control)
    {
        dispatch.eventFired.Connect([this](const AutomationMember& e) { events.OnEvent(e); });
    }

    DispatchResult Invoke(const std::string& name, InvokeKind kind, std::vector<Variant>& args,
                          Variant& result)
    {
        const AutomationMember* m = CXKorvelCamDispatch::GetIDsOfNames(name);
        EXPECT_NE(m, nullptr) << name;
        return m == nullptr ? DispatchResult{-1, "no such member"}
                            : dispatch.Invoke(m->dispid, kind, args, result);
    }
    Variant Get(const std::string& name)
    {
        std::vector<Variant> none;
        Variant value;
        DispatchResult r = Invoke(name, InvokeKind::PropertyGet, none, value);
        EXPECT_TRUE(r.Succeeded()) << name << ": " << r.description;
        return value;
    }
    DispatchResult Put(const std::string& name, Variant value)
    {
        std::vector<Variant> args{std::move(value)};
        Variant ignored;
        return Invoke(name, InvokeKind::PropertyPut, args, ignored);
    }
    // A method call that must succeed.
    Variant Call(const std::string& name, std::vector<Variant> args = {})
    {
        Variant value;
        DispatchResult r = Invoke(name, InvokeKind::Method, args, value);
        EXPECT_TRUE(r.Succeeded()) << name << ": " << r.description;
        return value;
    }
    DispatchResult TryCall(const std::string& name, std::vector<Variant>& args)
    {
        Variant ignored;
        return Invoke(name, InvokeKind::Method, args, ignored);
    }

    CXKorvelCamDispatch dispatch;
    EventLog events;
};

TEST(Dispatch, FailuresOfTheCallItself)
{
    ControlTestBed bed;
    Script script(bed.MakeControl());
    CXKorvelCamDispatch& d = script.dispatch;
    std::vector<Variant> none;
    Variant result;

    EXPECT_EQ(d.Invoke(9999, InvokeKind::PropertyGet, none, result).status,
              hresult::kMemberNotFound);
    // Property and method dispids are separate: 132 (CheckOnline) is no property, 26
    // (IMG1ShutterSpeed) no method.
    EXPECT_EQ(d.Invoke(132, InvokeKind::PropertyGet, none, result).status,
              hresult::kMemberNotFound);
    EXPECT_EQ(d.Invoke(26, InvokeKind::Method, none, result).status, hresult::kMemberNotFound);
    EXPECT_EQ(d.Invoke(132, InvokeKind::Method, none, result).status, 0);
    EXPECT_EQ(result, Variant(false));

    std::vector<Variant> two{Variant(1), Variant(2)};
    EXPECT_EQ(d.Invoke(26, InvokeKind::PropertyPut, two, result).status, hresult::kBadParamCount);
    std::vector<Variant> noMinMax;
    EXPECT_EQ(script.TryCall("AskIMG1GainMasterRange", noMinMax).status, hresult::kBadParamCount);
    std::vector<Variant> text{Variant("ten")};
    EXPECT_EQ(script.TryCall("AskIMG1GainMasterRange", text).status, hresult::kTypeMismatch);
    EXPECT_EQ(script.Put("IMG1ShutterSpeed", Variant()).status, hresult::kTypeMismatch);
    EXPECT_EQ(script.Put("ShowControlWindow", Variant("maybe")).status, hresult::kTypeMismatch);
    EXPECT_EQ(script.Get("IMG1ShutterSpeed"), Variant(0)); // nothing was written

    // Arguments convert as a script's would: text that reads as a number, a boolean as -1/0.
    EXPECT_EQ(script.Call("AskIMG1GainMasterRange", {Variant("0")}), Variant(-84));
    EXPECT_EQ(script.Call("AskIMG1GainMasterRange", {Variant(true)}), Variant(336));
    EXPECT_TRUE(script.events.names.empty());
}

TEST(Dispatch, ScriptErrorsCarryStatusAndDescription)
{
    ControlTestBed bed;
    Script script(bed.MakeControl());
    for (const AutomationMember& m : AutomationMembers()) {
        if (!m.readOnly)
            continue;
        const std::string name(m.Name());
        Variant before = script.Get(name);
        DispatchResult r = script.Put(name, m.type == VarType::BStr ? Variant("x") : Variant(5));
        EXPECT_EQ(r.status, kSetNotSupported) << name;
        EXPECT_EQ(r.description, "Property is read-only.") << name;
        EXPECT_EQ(script.Get(name), before) << name;
    }
    EXPECT_TRUE(script.events.names.empty());

    // A port that does not exist: the link's text, and the port tried is remembered.
    std::vector<Variant> args{Variant(0), Variant(5)};
    DispatchResult missing = script.TryCall("StartCommunication", args);
    EXPECT_EQ(missing.status, kDeviceIoError);
    EXPECT_EQ(missing.description, GetLinkErrorMessage(LINK_CANNOT_USE_PORT));
    EXPECT_EQ(script.Get("CommPort"), Variant(5));
    EXPECT_EQ(script.Get("CommClass"), Variant(0));
    EXPECT_EQ(script.Call("CheckOnline"), Variant(false));
}

TEST(Dispatch, PropertiesWorkOnTheMirrorWhileOffline)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.MakeControl();
    control.StoreValue(P_IM1, 5); // colour, so the white balance items are there
    control.StoreValue(P_IM2, 0);
    Script script(control);

    // Clamped to the row maximum, event fired, nothing sent and no error while offline.
    EXPECT_TRUE(script.Put("IMG1ShutterSpeed", Variant(15)).Succeeded());
    EXPECT_EQ(script.Get("IMG1ShutterSpeed"), Variant(11));
    EXPECT_EQ(script.events.names, Strings{"IMG1ShutterSpeedChanged"});
    EXPECT_EQ(script.events.dispids, std::vector<int32_t>{18});
    EXPECT_EQ(script.Get("IMG1ShutterSpeedString"),
              Variant(control.GetItemString(P_SH1, control.GetItemPosition(P_SH1, 11))));

    // Text properties match enabled items without regard to case; no match gives the first.
    EXPECT_TRUE(script.Put("IMG1WhiteBalanceString", Variant("continuous awb")).Succeeded());
    EXPECT_EQ(script.Get("IMG1WhiteBalance"), Variant(1));
    EXPECT_EQ(script.Get("IMG1WhiteBalanceString"), Variant("Continuous AWB"));
    EXPECT_TRUE(script.Put("IMG1WhiteBalanceString", Variant("no such mode")).Succeeded());
    EXPECT_EQ(script.Get("IMG1WhiteBalanceString"), Variant(control.GetItemString(P_WB1, 0)));

    // Index properties count enabled items only (IM1 differs from IM2: no PIV items).
    EXPECT_TRUE(script.Put("IMG1TriggerModeIndex", Variant(3)).Succeeded());
    EXPECT_EQ(script.Get("IMG1TriggerMode"), Variant(3));
    EXPECT_EQ(script.Get("IMG1TriggerModeString"), Variant("RCT"));
    EXPECT_EQ(script.Get("IMG1TriggerModeIndex"), Variant(3));
    EXPECT_TRUE(script.Put("IMG1TriggerModeIndex", Variant(4)).Succeeded());
    EXPECT_EQ(script.Get("IMG1TriggerMode"), Variant(0));

    // The chosen EEPROM area has no event of its own.
    script.events.names.clear();
    EXPECT_TRUE(script.Put("EEPROMArea", Variant(2)).Succeeded());
    EXPECT_EQ(script.Get("EEPROMArea"), Variant(2));
    EXPECT_EQ(script.Get("EEPROMAreaString"), Variant("User 2 Data"));
    EXPECT_TRUE(script.events.names.empty());

    // Visibility: any non-zero number is true; AboutBox shows the about panel.
    EXPECT_TRUE(script.Put("ShowImage2Window", Variant(0)).Succeeded());
    EXPECT_EQ(script.Get("ShowImage2Window"), Variant(false));
    EXPECT_TRUE(script.Put("ShowImage2Window", Variant(7)).Succeeded());
    EXPECT_EQ(control.GetVisibilityFlag(PANEL_IMAGER2), 1);
    EXPECT_TRUE(script.Put("ShowAboutWindow", Variant(false)).Succeeded());
    EXPECT_EQ(script.Get("ShowAboutWindow"), Variant(false));
    EXPECT_EQ(script.Call("AboutBox"), Variant());
    EXPECT_EQ(script.Get("ShowAboutWindow"), Variant(true));

    // Offline, the reported whole-camera methods return 100 and raise nothing.
    EXPECT_EQ(script.Call("ReadAllFromCamera"), Variant(100));
    EXPECT_EQ(script.Call("WriteAllToCamera"), Variant(100));
    EXPECT_EQ(script.Call("LoadSettings"), Variant(100));
    EXPECT_EQ(script.Call("ReadCurrentEEPROMArea"), Variant(0));
}

TEST(Dispatch, MethodsEvaluateTheMirrorAtTheTimeOfTheCall)
{
    // The fixed table bounds and item texts are checked end to end (zr47xcl tests); here the
    // answers that follow the mirror as it changes.
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.MakeControl();
    Script script(control);
    auto call1 = [&](const char* name, int32_t arg) { return script.Call(name, {Variant(arg)}); };

    control.StoreValue(P_IM1, 5);
    control.StoreValue(P_IM2, 0);
    EXPECT_EQ(call1("AskIMG1TriggerModeIndex", 0), Variant(0));
    EXPECT_EQ(call1("AskIMG1TriggerModeIndex", 1), Variant(3));
    EXPECT_EQ(call1("AskIMG1TriggerModeString", 4), Variant(""));
    EXPECT_EQ(script.Call("IsSameImager"), Variant(false));
    control.StoreValue(P_IM2, 5);
    EXPECT_EQ(call1("AskIMG1TriggerModeIndex", 1), Variant(6));
    EXPECT_EQ(call1("AskIMG1TriggerModeString", 4), Variant("PIV1"));
    EXPECT_EQ(script.Call("IsSameImager"), Variant(true));
    EXPECT_EQ(call1("AskIMG1ProcessBypassIndexRange" /* the dispatch's name */, 1),
              call1("AskIMG1ProcessBypassIndex", 1));

    // Imager types: 5 to 7 are colour; an imager number beyond 1 reads nothing outside.
    for (int32_t type = 0; type <= 7; ++type) {
        control.StoreValue(P_IM2, type);
        EXPECT_EQ(call1("IsColorImager", 1), Variant(type >= 5)) << type;
    }
    EXPECT_EQ(call1("IsColorImager", 7), Variant(false));
    EXPECT_EQ(call1("IsColorImager", -1), Variant(false));

    EXPECT_EQ(call1("AskCommClassString", 0), Variant("COM-Ports"));
    EXPECT_EQ(script.Call("AskCommPortString", {Variant(0), Variant(15)}), Variant("COM16"));
    EXPECT_EQ(script.Call("AskCommPortString", {Variant(0), Variant(16)}), Variant(""));
    EXPECT_EQ(script.Call("AskCommPortRange", {Variant(0), Variant(1)}), Variant(15));
    EXPECT_TRUE(script.events.names.empty());
}

TEST(Dispatch, AreasEventsAndOutArgumentsWithACamera)
{
    // On the system clock: the camera answers from its own thread.
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.StartWithCamera("ZR-470", {"awb-working=1"}, &Clock::System());
    Script script(control);

    // Choosing the area fires nothing; loading it reads all, the current area's event last.
    EXPECT_TRUE(script.Put("EEPROMArea", Variant(1)).Succeeded());
    EXPECT_TRUE(script.events.names.empty());
    EXPECT_EQ(script.Call("LoadSettings"), Variant(0));
    Strings rows = script.events.RowEvents();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back(), "EEPROMAreaChanged");
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "EEPROMAreaChanged"), 1);
    EXPECT_EQ(script.Call("CheckSynchronized"), Variant(true));

    // The current area is asked without an event.
    script.events.names.clear();
    EXPECT_EQ(script.Call("ReadCurrentEEPROMAreaString"),
              Variant(control.GetItemString(
                  P_EA, control.GetItemPosition(P_EA, control.GetValue(P_EA)))));
    EXPECT_TRUE(script.events.RowEvents().empty());

    // Out arguments come back through the caller's slots; an in-out slot's value is its start.
    std::vector<Variant> search{Variant(7), Variant(9), Variant(0)};
    Variant found;
    ASSERT_TRUE(
        script.Invoke("AutoSelectCommunication", InvokeKind::Method, search, found).Succeeded());
    EXPECT_EQ(found, Variant(1));
    EXPECT_EQ(search[0], Variant(0));
    EXPECT_EQ(search[1], Variant(0));

    std::vector<Variant> awb{Variant(), Variant(0)};
    Variant code;
    ASSERT_TRUE(script.Invoke("DoIMG1OnePushAWB", InvokeKind::Method, awb, code).Succeeded());
    EXPECT_EQ(code, Variant(0));
    EXPECT_EQ(awb[0], Variant(1)); // succeeded
    EXPECT_EQ(awb[1], Variant(0)); // an input stays as it was
}

TEST(Dispatch, EventReceiversMayLeaveDuringAnEvent)
{
    ControlTestBed bed;
    Script script(bed.MakeControl());
    Signal<const AutomationMember&>& fired = script.dispatch.eventFired;
    int calls = 0;
    SignalConnection leaving = 0;
    leaving = fired.Connect([&](const AutomationMember&) {
        ++calls;
        fired.Disconnect(leaving);
    });
    EXPECT_TRUE(script.Put("IMG1ShutterSpeed", Variant(2)).Succeeded());
    EXPECT_TRUE(script.Put("IMG1ShutterSpeed", Variant(3)).Succeeded());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(script.events.names.size(), 2u);
    EXPECT_FALSE(fired.Disconnect(leaving));

    // A receiver that breaks its contract and throws fails the call, not the program; removing
    // receivers works as before afterwards.
    SignalConnection throwing =
        fired.Connect([](const AutomationMember&) { throw std::runtime_error("receiver"); });
    EXPECT_EQ(script.Put("IMG1ShutterSpeed", Variant(4)).status, hresult::kFail);
    EXPECT_TRUE(fired.Disconnect(throwing));
    // Nor does an exception of a type of its own.
    SignalConnection throwingOther = fired.Connect([](const AutomationMember&) { throw 42; });
    EXPECT_EQ(script.Put("IMG1ShutterSpeed", Variant(6)).status, hresult::kFail);
    EXPECT_TRUE(fired.Disconnect(throwingOther));
    EXPECT_TRUE(script.Put("IMG1ShutterSpeed", Variant(5)).Succeeded());
    EXPECT_EQ(script.Get("IMG1ShutterSpeed"), Variant(5));
}

} // namespace
} // namespace zr
