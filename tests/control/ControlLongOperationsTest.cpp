// One-push balances, shading recalibration and the port search, against simulated cameras.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "ControlTestBed.h"
#include "camera/CameraError.h"

namespace zr
{
namespace
{

using Strings = std::vector<std::string>;
using test::ControlTestBed;

const std::string kTimeoutText =
    "Operation time out.\nPlease check the camera power and its cable.";

TEST(ControlOnePush, BalanceSucceedsAfterThreePollsAndReadsTheGainsBack)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.StartWithCamera(); // awb: two "working" polls, then 1
    sim::SimCamera& camera = bed.Camera(0);
    const uint64_t sleptBefore = bed.clock.SleptMs();
    int32_t result = -1;

    EXPECT_EQ(control.RunOnePushBalance(0, result, true), 0);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(camera.ReceivedLines(),
              (Strings{"AW1=0", "AWR1?", "AWR1?", "AWR1?", "GA1?", "GAR1?", "GAB1?"}));
    // The camera moved the gains; the mirror follows, with their events.
    EXPECT_EQ(control.GetValue(P_GAR1), camera.Value("GAR1"));
    EXPECT_EQ(control.GetValue(P_GAB1), camera.Value("GAB1"));
    EXPECT_EQ(bed.ui.Lines("event IMG1Gain"),
              (Strings{"event IMG1GainMasterChanged", "event IMG1GainRedChanged",
                       "event IMG1GainBlueChanged"}));
    // The command row is notified as a user's change, the re-read gains as read values.
    EXPECT_EQ(bed.ui.Lines("5 param 2"),
              (Strings{"5 param 23 1 1", "5 param 20 0 1", "5 param 21 0 1", "5 param 22 0 1"}));
    ASSERT_EQ(bed.ui.Messages().size(), 1u);
    EXPECT_EQ(bed.ui.Messages()[0].text, "Imager 1: One-Push AWB completed, gain values updated.");
    EXPECT_EQ(bed.ui.Messages()[0].caption, "XKorvelZR47xCL Control");
    EXPECT_EQ(bed.ui.Messages()[0].icon, MessageIcon::Information);
    // Three polls 100 ms apart on the control's clock (plus 1 ms per answer byte).
    EXPECT_GE(bed.clock.SleptMs() - sleptBefore, 300u);
    EXPECT_LT(bed.clock.SleptMs() - sleptBefore, 400u);
}

TEST(ControlOnePush, BalanceOfAMonochromeImagerRunsIntoTheTimeOut)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.StartWithCamera("ZR-471");
    const uint64_t sleepsBefore = bed.clock.SleepCalls();
    int32_t result = -1;

    EXPECT_EQ(control.RunOnePushBalance(0, result, true), CAMERA_TIMEOUT);
    EXPECT_EQ(result, 0);
    // Nothing sent or asked: the rows do not exist for a monochrome imager.
    EXPECT_TRUE(bed.Camera(0).ReceivedLines().empty());
    // Polled every 100 ms until more than 10 s had passed.
    EXPECT_EQ(bed.clock.SleepCalls() - sleepsBefore, 101u);
    ASSERT_EQ(bed.ui.Messages().size(), 1u);
    EXPECT_EQ(bed.ui.Messages()[0].text, "Imager 1: One-Push AWB failed, " + kTimeoutText);
    EXPECT_EQ(bed.ui.Messages()[0].icon, MessageIcon::Error);
    EXPECT_TRUE(control.CheckOnline());
}

TEST(ControlOnePush, CameraReportedFailureAndAybOfBothImagers)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.StartWithCamera("ZR-471", {"ayb-result=2"});
    int32_t result = -1;
    EXPECT_EQ(control.RunOnePushBalance(2, result, true), 0);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(bed.Camera(0).ReceivedLines(), (Strings{"AYB=0", "AYR?", "AYR?", "AYR?"}));
    ASSERT_EQ(bed.ui.Messages().size(), 1u);
    EXPECT_EQ(bed.ui.Messages()[0].text, "One-Push AYB failed. \r\n\"Error, Too Dark Green\".");

    ControlTestBed second;
    CXKorvelCamCtrl& both = second.StartWithCamera("ZR-471");
    EXPECT_EQ(both.RunOnePushBalance(2, result, false), 0);
    EXPECT_EQ(result, 1);
    // Monochrome imagers have no red and blue gains.
    EXPECT_EQ(second.Camera(0).ReceivedLines(),
              (Strings{"AYB=0", "AYR?", "AYR?", "AYR?", "GA1?", "GA2?"}));
    EXPECT_TRUE(second.ui.Messages().empty());

    int32_t untouched = 7;
    EXPECT_EQ(both.RunOnePushBalance(3, untouched, true), CAMERA_INVALID_PARAMETER);
}

TEST(ControlOnePush, BalanceWhileOfflineFailsAtOnce)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.MakeControl();
    control.StoreValue(P_IM2, 5);
    int32_t result = -1;
    EXPECT_EQ(control.RunOnePushBalance(1, result, true), CAMERA_OFFLINE);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(bed.ui.Messages().size(), 1u);
    EXPECT_EQ(bed.ui.Messages()[0].text,
              "Imager 2: One-Push AWB failed, Operation failed. The camera is offline.");
}

TEST(ControlOnePush, BalanceInRealTime)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.StartWithCamera("ZR-470", {}, &Clock::System());
    int32_t result = -1;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(control.RunOnePushBalance(0, result, false), 0);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result, 1);
    EXPECT_GE(elapsed, std::chrono::milliseconds(300)); // three polls, 100 ms apart
}

TEST(ControlShading, ModesOtherThanUserAreRefusedWithoutSending)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.StartWithCamera();
    bed.Camera(0).SetValue("SDM2", 1); // "Factory"
    int32_t result = -1;

    EXPECT_EQ(control.RunShadingRecalibration(1, result, true), 200);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(bed.Camera(0).ReceivedLines(), (Strings{"SDM2?"}));
    EXPECT_EQ(bed.ui.Lines("event IMG2Shading"),
              (Strings{"event IMG2ShadingCorrectionModeChanged"}));
    ASSERT_EQ(bed.ui.Messages().size(), 1u);
    EXPECT_EQ(bed.ui.Messages()[0].text,
              "Imager 2: Recalibration of shading correction failed, Actual shading correction "
              "mode is neither \"User 1\" nor \"User 2\".");
}

TEST(ControlShading, UserTwoSendsOneAndReportsTheCamerasResult)
{
    for (bool show : {true, false}) {
        ControlTestBed bed;
        CXKorvelCamCtrl& control = bed.StartWithCamera("ZR-470", {"shading-result=3"});
        bed.Camera(0).SetValue("SDM1", 3); // "User 2"
        int32_t result = -1;

        EXPECT_EQ(control.RunShadingRecalibration(0, result, show), 0);
        EXPECT_EQ(result, 3);
        EXPECT_EQ(bed.Camera(0).ReceivedLines(),
                  (Strings{"SDM1?", "RS1=1", "RSS1?", "RSS1?", "RSS1?"}));
        EXPECT_EQ(control.GetValue(P_RS1), 1);
        if (show) {
            ASSERT_EQ(bed.ui.Messages().size(), 1u);
            EXPECT_EQ(bed.ui.Messages()[0].text,
                      "Imager 1: Recalibration of shading correction failed. \r\n\"Error, Too "
                      "Dark Image\".");
            EXPECT_EQ(bed.ui.Messages()[0].icon, MessageIcon::Error);
        } else {
            EXPECT_TRUE(bed.ui.Messages().empty());
        }
    }
}

TEST(ControlShading, ACameraThatNeverFinishesEndsWithoutError)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.StartWithCamera("ZR-470", {"shading-working=100000"});
    bed.Camera(0).SetValue("SDM2", 2); // "User 1"
    int32_t result = -1;
    EXPECT_EQ(control.RunShadingRecalibration(1, result, true), 0);
    EXPECT_EQ(result, 0);
    const Strings lines = bed.Camera(0).ReceivedLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "RS2=0");
    // About 10 s of polls, each 100 ms plus the answer's time on the control's clock.
    EXPECT_GT(lines.size(), 80u);
    EXPECT_LT(lines.size(), 105u);
    ASSERT_EQ(bed.ui.Messages().size(), 1u);
    EXPECT_EQ(bed.ui.Messages()[0].text,
              "Imager 2: Recalibration of shading correction failed, Operation timeout!");
}

TEST(ControlShading, RecalibrationInRealTime)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.StartWithCamera("ZR-471", {}, &Clock::System());
    bed.Camera(0).SetValue("SDM1", 2);
    int32_t result = -1;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(control.RunShadingRecalibration(0, result, true), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(result, 1);
    ASSERT_EQ(bed.ui.Messages().size(), 1u);
    EXPECT_EQ(bed.ui.Messages()[0].text,
              "Imager 1: Recalibration of shading correction completed.");
    EXPECT_EQ(bed.ui.Messages()[0].icon, MessageIcon::Information);
}

// The search tests' controls have no Camera Link libraries, so the sixteen COM ports are the
// only candidates.
class ControlSearch : public ::testing::Test
{
protected:
    ControlTestBed bed;
};

TEST_F(ControlSearch, NoCameraAnywhereTriesAllSixteenPorts)
{
    bed.ui.SetHasMainWindow(true);
    CXKorvelCamCtrl& control = bed.MakeControl();
    int32_t commClass = -7, port = -7;

    EXPECT_EQ(control.AutoSelectCommunication(commClass, port, true), 0);
    EXPECT_EQ(commClass, -7);
    EXPECT_EQ(port, -7);
    EXPECT_EQ(control.GetCommClass(), 0);
    EXPECT_EQ(control.GetCommPort(), 15);
    EXPECT_FALSE(control.CheckOnline());

    const Strings titles = bed.ui.Lines("progress title ");
    ASSERT_EQ(titles.size(), 16u);
    EXPECT_EQ(titles[5], "progress title In Progress ( 37.5%)");
    EXPECT_EQ(titles[15], "progress title In Progress (100.0%)");
    EXPECT_EQ(bed.ui.Lines("event CommPortChanged").size(), 16u);
    EXPECT_EQ(bed.ui.Lines("progress message").back(),
              "progress message Checking COM-Ports - COM16 ...");
    const Strings& journal = bed.ui.Journal();
    EXPECT_EQ(Strings(journal.begin(), journal.begin() + 8),
              (Strings{"progress create In Progress", "progress range 0 16", "progress show",
                       "main-window 0", "progress message Checking COM-Ports - COM1 ...",
                       "progress position 1", "progress title In Progress (  6.2%)",
                       "progress cancelled?"}));
    EXPECT_EQ(Strings(journal.end() - 2, journal.end()),
              (Strings{"main-window 1", "progress destroy"}));
}

TEST_F(ControlSearch, StopsAtTheFirstPortWithACamera)
{
    sim::SimCamera& camera = bed.AttachCamera(2, "ZR-471");
    CXKorvelCamCtrl& control = bed.MakeControl();
    int32_t commClass = -1, port = -1;

    EXPECT_EQ(control.AutoSelectCommunication(commClass, port, true), 1);
    EXPECT_EQ(commClass, 0);
    EXPECT_EQ(port, 2);
    EXPECT_TRUE(control.CheckOnline());
    EXPECT_EQ(control.GetCommPort(), 2);
    EXPECT_EQ(bed.ui.Lines("progress title ").back(), "progress title In Progress ( 18.8%)");
    EXPECT_EQ(bed.ui.Lines("event CommPortChanged").size(), 3u);
    // The connection check only: the model name is not read, so nothing changes for it.
    EXPECT_EQ(camera.ReceivedLines(), (Strings{"EB?"}));
    EXPECT_EQ(control.GetText(P_MD), "");
    EXPECT_EQ(bed.ui.Journal().back(), "progress destroy"); // no main window to enable

    // Without progress the search is the same, and no window appears.
    bed.ui.Clear();
    EXPECT_EQ(control.AutoSelectCommunication(commClass, port, false), 1);
    EXPECT_EQ(port, 2);
    EXPECT_TRUE(bed.ui.Lines("progress").empty());
}

TEST_F(ControlSearch, CancelStopsBeforeTheNextCandidate)
{
    bed.AttachCamera(2, "ZR-470");
    bed.ui.SetHasMainWindow(true);
    bed.ui.CancelAtQuery(2);
    CXKorvelCamCtrl& control = bed.MakeControl();
    int32_t commClass = -1, port = -1;

    EXPECT_EQ(control.AutoSelectCommunication(commClass, port, true), 0);
    EXPECT_EQ(port, -1);
    EXPECT_EQ(control.GetCommPort(), 0); // the one candidate tried
    EXPECT_EQ(bed.ui.Lines("event CommPortChanged").size(), 1u);
    const Strings& journal = bed.ui.Journal();
    EXPECT_EQ(Strings(journal.end() - 3, journal.end()),
              (Strings{"progress cancelled?", "main-window 1", "progress destroy"}));

    // A stop request (an interrupted command line) ends the search as Cancel does, also
    // without a progress window; each candidate tried is one progress step of 16.
    bed.ui.Clear();
    int steps = 0;
    control.operationProgress.Connect([&](const char*, int32_t done, int32_t total) {
        EXPECT_EQ(done, steps++);
        EXPECT_EQ(total, 16);
    });
    control.SetStopCheck([&] { return steps == 2; });
    EXPECT_EQ(control.AutoSelectCommunication(commClass, port, false), 0);
    EXPECT_EQ(port, -1);
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(bed.ui.Lines("event CommPortChanged").size(), 2u);
}

} // namespace
} // namespace zr
