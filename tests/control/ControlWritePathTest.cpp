// The control's write path, result reporting, events, visibility and accessors.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ControlTestBed.h"
#include "automation/AutomationMembers.h"
#include "automation/Dispatch.h"
#include "camera/CameraError.h"
#include "control/ScriptError.h"

namespace zr
{
namespace
{

using Strings = std::vector<std::string>;
using test::ControlTestBed;

// The script error a call raises; status 0 when it raises none.
template <typename Call> std::pair<uint32_t, std::string> ErrorOf(Call call)
{
    try {
        call();
    } catch (const ScriptError& error) {
        return {error.Status(), error.Description()};
    }
    return {0, ""};
}

TEST(ControlWritePath, WriteIsClampedAndEventedBeforeItIsSent)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.StartWithCamera();
    control.SetModifiedFlag(false);
    sim::SimCamera& camera = bed.Camera(0);

    EXPECT_EQ(control.SetParameterValue(P_SH1, 15), 0);
    EXPECT_EQ(control.GetValue(P_SH1), 11);
    EXPECT_EQ(camera.Value("SH1"), 11);
    EXPECT_EQ(camera.ReceivedLines(), (Strings{"SH1=11"}));
    EXPECT_TRUE(control.IsRowSynchronized(P_SH1));
    EXPECT_TRUE(control.IsModified());

    const Strings& journal = bed.ui.Journal();
    ASSERT_GE(journal.size(), 8u);
    EXPECT_EQ(Strings(journal.begin(), journal.begin() + 8),
              (Strings{"event IMG1ShutterSpeedChanged", "0 param 11 1 1", "1 param 11 1 1",
                       "2 param 11 1 1", "3 param 11 1 1", "4 param 11 1 1", "5 param 11 1 1",
                       "event SendingToCameraStatusChanged"}));
    EXPECT_EQ(bed.ui.Lines("2 "),
              (Strings{"2 param 11 1 1", "2 sending 1", "2 message SH1=11 received=0",
                       "2 sending 0", "2 message COMPLETE received=1"}));

    // Below the minimum, and the text and index paths.
    EXPECT_EQ(control.SetParameterValue(P_GA1, -100), 0);
    EXPECT_EQ(camera.Value("GA1"), -84);
    EXPECT_EQ(control.SetParameterText(P_WB1, "continuous awb"), 0);
    EXPECT_EQ(camera.Value("WB1"), 1);
    EXPECT_EQ(control.SetParameterIndex(P_TR1, 3), 0);
    EXPECT_EQ(camera.Value("TR1"), 3);
    EXPECT_EQ(control.GetParameterIndex(P_TR1), 3);
}

TEST(ControlWritePath, OfflineWritesChangeTheMirrorAndEventSilently)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.MakeControl();
    EXPECT_EQ(control.SetParameterValue(P_GA1, -100), CAMERA_OFFLINE);
    EXPECT_EQ(control.GetValue(P_GA1), -84);
    EXPECT_EQ(control.SetParameterText(P_SH1, "1/250"), CAMERA_OFFLINE);
    EXPECT_EQ(control.GetValue(P_SH1), 4);
    EXPECT_EQ(control.SetParameterIndex(P_PBY1, 1), CAMERA_OFFLINE);
    EXPECT_EQ(control.GetValue(P_PBY1), 2); // "Bypass" is never an enabled item
    EXPECT_EQ(control.SetUserIDText("me"), CAMERA_OFFLINE);
    EXPECT_EQ(bed.ui.Journal(),
              (Strings{"event IMG1GainMasterChanged", "event IMG1ShutterSpeedChanged",
                       "event IMG1ProcessBypassChanged"}));
    // A row outside the table is refused, not clamped.
    EXPECT_EQ(ErrorOf([&] { control.SetParameterValue(95, 1); }).first, 0x800A017Cu);
}

TEST(ControlWritePath, CameraRefusalAndTimeoutBecomeScriptErrors)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control =
        bed.StartWithCamera("ZR-470", {"noise=Bad Parameters!!\\r\\n:GA1@1", "silent:SH1"});

    EXPECT_EQ(ErrorOf([&] { control.SetParameterValue(P_GA1, 50); }),
              std::make_pair(0x800A017Cu, std::string("\"GA1\" : Bad Parameter !!")));
    EXPECT_EQ(control.GetValue(P_GA1), 50);
    EXPECT_FALSE(control.IsRowSynchronized(P_GA1));
    EXPECT_EQ(bed.ui.Lines("event IMG1GainMaster"), (Strings{"event IMG1GainMasterChanged"}));
    EXPECT_TRUE(control.CheckOnline()); // a refusal leaves the line up

    EXPECT_EQ(ErrorOf([&] { control.SetParameterValue(P_SH1, 3); }),
              std::make_pair(0x800A0039u,
                             std::string("Operation time out.\nPlease check the camera power "
                                         "and its cable.")));
    EXPECT_FALSE(control.CheckOnline());
    EXPECT_EQ(control.GetValue(P_SH1), 3);
}

TEST(ControlWritePath, ReportResultMapsCodesToStatusAndDescription)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.MakeControl();
    EXPECT_EQ(control.ReportResult(P_SH1, 0), 0);
    EXPECT_EQ(control.ReportResult(P_SH1, CAMERA_OFFLINE), CAMERA_OFFLINE);

    const std::pair<int, uint32_t> statuses[] = {
        {102, 0x800A017C}, {103, 0x800A017C}, {106, 0x800A017C}, {200, 0x800A017C},
        {108, 0x800A004B}, {109, 0x800A004B}, {101, 0x800A0039}, {104, 0x800A0039},
        {105, 0x800A0039}, {107, 0x800A0039}, {1, 0x800A0039},   {7, 0x800A0039},
        {4242, 0x800A0039}};
    for (const auto& [code, status] : statuses)
        EXPECT_EQ(ErrorOf([&] { control.ReportResult(-1, code); }).first, status) << code;

    // The row is named for 103 to 107 only, and only for a row of the table.
    EXPECT_EQ(ErrorOf([&] { control.ReportResult(P_SH1, 107); }).second,
              "\"SH1\" : Received data might be out of range.");
    EXPECT_EQ(ErrorOf([&] { control.ReportResult(P_UD, 105); }).second,
              "\"UD\" : Invalid answer received from camera.");
    EXPECT_EQ(ErrorOf([&] { control.ReportResult(P_SH1, 102); }).second, "Unkown command !!");
    EXPECT_EQ(ErrorOf([&] { control.ReportResult(95, 103); }).second, "Bad Parameter !!");
    EXPECT_EQ(ErrorOf([&] { control.ReportResult(P_SDM1, 200); }).second,
              "Actual shading correction mode is neither \"User 1\" nor \"User 2\".");
    EXPECT_EQ(CXKorvelCamCtrl::GetResultText(4242), "Unknown error detected.");
}

TEST(ControlWritePath, IndexAndTextReadsOfValuesThatAreNoEnabledItem)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.MakeControl();
    control.StoreValue(P_IM1, 5);
    control.StoreValue(P_IM2, 0);
    // A value that is no enabled item reads as the first enabled item's position.
    control.StoreValue(P_PBY1, 1);
    EXPECT_EQ(control.GetParameterIndex(P_PBY1), 0);
    EXPECT_EQ(control.GetParameterText(P_PBY1), "");
    control.StoreValue(P_PBY1, 3);
    EXPECT_EQ(control.GetParameterIndex(P_PBY1), 2);
    EXPECT_EQ(control.GetParameterText(P_PBY1), "TestPattern2");
    control.StoreValue(P_TR1, 5); // PIV2 is enabled only for alike imagers
    EXPECT_EQ(control.GetParameterIndex(P_TR1), 0);
    control.StoreValue(P_IM2, 5);
    EXPECT_EQ(control.GetParameterIndex(P_TR1), 5);
    EXPECT_EQ(control.GetParameterIndex(P_GA1), 0); // no value names
    EXPECT_EQ(control.GetParameterIndex(-1), 0);
    EXPECT_EQ(control.AskCommClassString(-1), "");
}

TEST(ControlWritePath, VisibilityFollowsTheFlagsAndTheMainPanel)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.MakeControl();
    control.OnCreate();
    bed.ui.Clear();
    control.SetModifiedFlag(false);

    control.SetPanelVisible(PANEL_ABOUT, false);
    EXPECT_FALSE(control.GetPanelVisible(PANEL_ABOUT));
    control.AboutBox();
    EXPECT_TRUE(control.GetPanelVisible(PANEL_ABOUT));
    EXPECT_EQ(bed.ui.Journal(), (Strings{"1 show 1 0", "0 show 1 0", "1 show 1 1", "0 show 1 1"}));
    EXPECT_TRUE(control.IsModified());

    // The main panel cannot be hidden; a panel closed by its close box reads as hidden.
    control.SetPanelVisible(PANEL_MAIN, false);
    control.SetVisibilityFlag(PANEL_MAIN, 0);
    EXPECT_TRUE(control.GetPanelVisible(PANEL_MAIN));
    control.SetVisibilityFlag(PANEL_ABOUT, 0);
    EXPECT_FALSE(control.GetPanelVisible(PANEL_ABOUT));
    EXPECT_FALSE(control.GetPanelVisible(6));
}

TEST(ControlWritePath, EventsReachEverySinkWithTheirDispids)
{
    struct Sink {
        std::vector<std::pair<int32_t, std::string>> seen;
        std::function<void()> onEvent;
        SignalConnection connection = 0;
        void OnEvent(const AutomationMember& event)
        {
            seen.emplace_back(event.dispid, event.name.data());
            if (onEvent)
                onEvent();
        }
    };
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.MakeControl();
    CXKorvelCamDispatch dispatch(control);
    Sink first, second;
    for (Sink* sink : {&first, &second})
        sink->connection = dispatch.eventFired.Connect(
            [sink](const AutomationMember& event) { sink->OnEvent(event); });

    control.SetParameterValue(P_SH2, 2);
    control.SetParameterValue(P_AREA, 1); // a row without an event
    const std::vector<std::pair<int32_t, std::string>> expected = {{53, "IMG2ShutterSpeedChanged"}};
    EXPECT_EQ(first.seen, expected);
    EXPECT_EQ(second.seen, expected);

    // A sink may leave from inside an event; the others still get it.
    first.onEvent = [&] { dispatch.eventFired.Disconnect(first.connection); };
    control.SetParameterValue(P_HF, 1);
    control.SetParameterValue(P_HF, 0);
    EXPECT_EQ(first.seen.size(), 2u);
    EXPECT_EQ(second.seen.size(), 3u);
    EXPECT_EQ(second.seen.back(), std::make_pair(11, std::string("HighFrameRateChanged")));
    EXPECT_FALSE(dispatch.eventFired.Disconnect(first.connection));
    EXPECT_TRUE(dispatch.eventFired.Disconnect(second.connection));

    control.SetOnline(false);
    EXPECT_EQ(second.seen.size(), 3u);
    EXPECT_EQ(bed.ui.Lines("event Online"), (Strings{"event OnlineStatusChanged"}));
}

TEST(ControlWritePath, StatusNotificationsSkipNoPanelAndParameterChangesNeedAWindow)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.MakeControl();
    control.OnCreate();
    control.GetPanel(PANEL_COMMUNICATION)->DestroyWindow();
    bed.ui.Clear();

    control.SetParameterValue(P_CM1, 1);
    EXPECT_TRUE(bed.ui.Lines("2 param").empty());
    EXPECT_EQ(bed.ui.Lines("5 param"), (Strings{"5 param 46 1 1"}));

    control.OnCommLog("SH1=3\r\n", true);
    control.OnCommLog("COMPLETE\r\n", false);
    control.SetSynchronized(true);
    EXPECT_EQ(bed.ui.Lines("2 "),
              (Strings{"2 message SH1=3 received=0", "2 message COMPLETE received=1", "2 sync 1"}));
    EXPECT_EQ(bed.ui.Lines("event Sync"), (Strings{"event SynchronizationStatusChanged"}));
}

TEST(ControlWritePath, PerImagerAccessorsAddressTheImagersRows)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.MakeControl();
    control.StoreValue(P_GA1, 10);
    control.StoreValue(P_GA2, 20);
    EXPECT_EQ(control.GetImagerValue(0, P_GA1), 10);
    EXPECT_EQ(control.GetImagerValue(1, P_GA1), 20);
    EXPECT_EQ(control.GetImagerValue(-3, P_GA1), 20); // any non-zero number is imager 2

    EXPECT_EQ(control.SetImagerValue(1, P_KPY1, 5000), CAMERA_OFFLINE);
    EXPECT_EQ(control.GetValue(P_KPY2), 1023);
    EXPECT_EQ(control.SetImagerIndex(1, P_PBY1, 2), CAMERA_OFFLINE);
    EXPECT_EQ(control.GetValue(P_PBY2), 3);
    EXPECT_EQ(control.GetImagerIndex(1, P_PBY1), 2);
    EXPECT_EQ(bed.ui.Lines("event IMG2"),
              (Strings{"event IMG2KneePointYChanged", "event IMG2ProcessBypassChanged"}));

    // Only imager rows have a twin.
    EXPECT_EQ(CXKorvelCamCtrl::ImagerRow(1, P_CM1), P_CM2);
    EXPECT_EQ(CXKorvelCamCtrl::ImagerRow(1, P_HF), -1);
    EXPECT_EQ(control.GetImagerValue(0, P_HF), 0);
}

} // namespace
} // namespace zr
