// Construction, start-up, connection and model detection of the control, with simulated
// cameras on pseudo-terminals and a recording user interface.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ControlTestBed.h"
#include "camera/CameraError.h"
#include "comm/LinkError.h"
#include "control/HeadlessUi.h"
#include "control/Identities.h"

namespace zr
{
namespace
{

using Strings = std::vector<std::string>;
using test::ControlTestBed;

const std::string kStartupTail = "\r\n\r\nUnable to find a camera model.\r\nStart with the default "
                                 "model.";

void StoreRow(test::MemorySettings& settings, int32_t row, int32_t value)
{
    settings.WriteInt(kParameterSettings[static_cast<size_t>(row)].section,
                      kParameterSettings[static_cast<size_t>(row)].key, value);
}

// The panel calls of one notification: the same line on panels 0 to 5, in order.
Strings OnEveryPanel(const std::string& what)
{
    Strings lines;
    for (int i = 0; i < 6; ++i)
        lines.push_back(std::to_string(i) + " " + what);
    return lines;
}

Strings Slice(const Strings& lines, int from, size_t count)
{
    if (from < 0 || static_cast<size_t>(from) + count > lines.size())
        return {};
    return Strings(lines.begin() + from, lines.begin() + from + static_cast<long>(count));
}

TEST(ControlStartup, FirstRunWithoutCameraBuildsMonochromePanelsAndShowsTheMessage)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.MakeControl();

    // Construction reads the flags and opens nothing.
    for (int32_t i = 0; i < PANEL_COUNT; ++i) {
        EXPECT_EQ(control.GetVisibilityFlag(i), 1) << i;
        EXPECT_EQ(control.GetPanel(i), nullptr) << i;
    }
    EXPECT_FALSE(control.CheckOnline());
    EXPECT_TRUE(bed.ui.Journal().empty());

    EXPECT_EQ(control.OnCreate(), 0);
    EXPECT_EQ(control.GetCommClass(), 0);
    EXPECT_EQ(control.GetCommPort(), 0);
    EXPECT_FALSE(control.CheckOnline());
    EXPECT_EQ(control.GetValue(P_IM1), 0);
    EXPECT_EQ(control.GetValue(P_IM2), 0);

    ASSERT_EQ(bed.ui.Messages().size(), 1u);
    const test::RecordingUi::Message& message = bed.ui.Messages()[0];
    EXPECT_EQ(message.text, GetErrorString(LINK_CANNOT_USE_PORT) + kStartupTail);
    EXPECT_EQ(message.caption, "XKorvelZR47xCL Control");
    EXPECT_EQ(message.icon, MessageIcon::Error);

    // The failed attempt: online raised for the check, then dropped; the port change once.
    EXPECT_EQ(bed.ui.Lines("event "),
              (Strings{"event OnlineStatusChanged", "event SynchronizationStatusChanged",
                       "event OnlineStatusChanged", "event OnlineStatusChanged",
                       "event SynchronizationStatusChanged", "event CommPortChanged"}));

    const Strings created = bed.ui.Lines("create ");
    EXPECT_EQ(created,
              (Strings{
                  "create 0 Main alike=0 top=1 layout=225 parent=-1 section=Main",
                  "create 1 About alike=0 top=0 layout=1 parent=0 section=About",
                  "create 2 Communication alike=0 top=0 layout=224 parent=0 section=Communication",
                  "create 3 Control alike=1 top=0 layout=226 parent=0 section=Control",
                  "create 4 Mono alike=0 top=0 layout=228 parent=0 section=Control - IMG1",
                  "create 5 Mono alike=0 top=0 layout=228 parent=0 section=Control - IMG2",
              }));
    ASSERT_EQ(created.size(), 6u);
    // The message comes before the panels; each new panel is shown, then its toggle button set.
    EXPECT_LT(bed.ui.Find("message Error: " + message.text), bed.ui.Find(created[0]));
    EXPECT_EQ(Slice(bed.ui.Journal(), bed.ui.Find(created[2]) + 1, 2),
              (Strings{"2 show 2 1", "0 show 2 1"}));
    // The main panel is both the new panel and the main panel.
    EXPECT_EQ(bed.ui.Lines("0 show 0"), (Strings{"0 show 0 1", "0 show 0 1"}));
    EXPECT_TRUE(control.IsModified());
}

TEST(ControlStartup, AWindowedStartupMessageNamesThePortItsDeviceAndTheReason)
{
    // A user interface whose boxes carry detail gets the port, its device and the system's
    // reason between the code's sentence and the start-up's; the headless one the sentence only.
    for (const bool detail : {true, false}) {
        ControlTestBed bed;
        bed.ui.SetShowsFailureDetail(detail);
        CXKorvelCamCtrl& control = bed.MakeControl();
        control.OnCreate();
        const std::string failure = control.GetConnectionFailure();
        EXPECT_TRUE(failure.starts_with("COM1 is /")) << failure;
        ASSERT_EQ(bed.ui.Messages().size(), 1u);
        const std::string sentence = GetErrorString(LINK_CANNOT_USE_PORT);
        EXPECT_EQ(bed.ui.Messages()[0].text, detail ? sentence + "\r\n\r\n" + failure + kStartupTail
                                                    : sentence + kStartupTail);
    }
}

TEST(ControlStartup, NoCameraKeepsThePreviousImagerTypesAndNormalisesFlags)
{
    ControlTestBed bed;
    StoreRow(bed.settings, P_IM1, 5);
    StoreRow(bed.settings, P_IM2, 0);
    bed.settings.WriteInt("Main", "Show", 0);
    bed.settings.WriteInt("About", "Show", 0);
    bed.settings.WriteInt("Communication", "Show", 2);
    bed.settings.WriteInt("Comm", "Port", 3);
    CXKorvelCamCtrl& control = bed.MakeControl();

    EXPECT_EQ(control.GetVisibilityFlag(PANEL_MAIN), 1);
    EXPECT_FALSE(control.GetPanelVisible(PANEL_ABOUT));
    EXPECT_TRUE(control.GetPanelVisible(PANEL_COMMUNICATION)); // 2 counts as shown until created

    control.OnCreate();
    EXPECT_EQ(control.GetCommPort(), 3); // the remembered port was tried
    EXPECT_FALSE(control.CheckOnline());
    EXPECT_EQ(bed.ui.Lines("create 3"),
              (Strings{"create 3 Control alike=0 top=0 layout=226 parent=0 section=Control"}));
    EXPECT_EQ(bed.ui.Lines("create 4"),
              (Strings{"create 4 Color alike=0 top=0 layout=227 parent=0 section=Control - IMG1"}));
    EXPECT_EQ(bed.ui.Lines("create 5"),
              (Strings{"create 5 Mono alike=0 top=0 layout=228 parent=0 section=Control - IMG2"}));
    EXPECT_EQ(bed.ui.Lines("1 show"), (Strings{"1 show 1 0"}));
    // Only exactly 1 means shown once the panel exists.
    EXPECT_EQ(control.GetVisibilityFlag(PANEL_COMMUNICATION), 0);
    EXPECT_EQ(bed.ui.Lines("2 show"), (Strings{"2 show 2 0"}));
}

TEST(ControlStartup, StartupWithCameraReadsTheModelQuietly)
{
    ControlTestBed bed;
    test::MemorySettings& settings = bed.settings;
    StoreRow(settings, P_IM1, 0);
    sim::SimCamera& camera = bed.AttachCamera(0, "ZR-472");
    CXKorvelCamCtrl& control = bed.MakeControl();
    control.OnCreate();

    EXPECT_TRUE(control.CheckOnline());
    EXPECT_TRUE(bed.ui.Messages().empty());
    EXPECT_EQ(control.GetText(P_MD), "ZR-472");
    EXPECT_EQ(control.GetValue(P_IM1), 0);
    EXPECT_EQ(control.GetValue(P_IM2), 5);
    EXPECT_EQ(camera.ReceivedLines(), (Strings{"EB?", "MD?"}));
    // No row event at start-up, and the panels fit the model at once.
    EXPECT_EQ(bed.ui.Find("event ModelNameChanged"), -1);
    EXPECT_EQ(bed.ui.Lines("create 4"),
              (Strings{"create 4 Mono alike=0 top=0 layout=228 parent=0 section=Control - IMG1"}));
    EXPECT_EQ(bed.ui.Lines("create 5"),
              (Strings{"create 5 Color alike=0 top=0 layout=227 parent=0 section=Control - IMG2"}));
}

TEST(ControlStartup, FailedModelQueryGivesTwoColourImagersAndTheMessage)
{
    ControlTestBed bed;
    sim::SimOptions options;
    options.faults = {"silent:MD"};
    bed.AttachCamera(0, options);
    CXKorvelCamCtrl& control = bed.MakeControl();
    control.OnCreate();

    EXPECT_EQ(control.GetValue(P_IM1), 5);
    EXPECT_EQ(control.GetValue(P_IM2), 5);
    ASSERT_EQ(bed.ui.Messages().size(), 1u);
    EXPECT_EQ(bed.ui.Messages()[0].text, GetErrorString(CAMERA_TIMEOUT) + kStartupTail);
    // A time-out is a failure of the line: the control goes on offline.
    EXPECT_FALSE(control.CheckOnline());
    EXPECT_EQ(bed.ui.Lines("create 3"),
              (Strings{"create 3 Control alike=1 top=0 layout=226 parent=0 section=Control"}));
    EXPECT_EQ(bed.ui.Lines("create 4"),
              (Strings{"create 4 Color alike=0 top=0 layout=227 parent=0 section=Control - IMG1"}));
}

TEST(ControlStartup, FailedConnectionCheckClosesTheLinkAndSkipsTheModel)
{
    ControlTestBed bed;
    sim::SimOptions options;
    options.faults = {"silent:EB"};
    sim::SimCamera& camera = bed.AttachCamera(0, options);
    CXKorvelCamCtrl& control = bed.MakeControl();
    control.OnCreate();

    EXPECT_FALSE(control.CheckOnline());
    EXPECT_FALSE(control.ActiveLink().IsOpen());
    EXPECT_EQ(camera.ReceivedLines(), (Strings{"EB?"}));
    ASSERT_EQ(bed.ui.Messages().size(), 1u);
    EXPECT_EQ(bed.ui.Messages()[0].text, GetErrorString(CAMERA_TIMEOUT) + kStartupTail);
    // The port, where it leads and the first line of the reason.
    const std::string failure = control.GetConnectionFailure();
    EXPECT_TRUE(failure.starts_with("COM1 is /dev/")) << failure;
    EXPECT_TRUE(failure.ends_with(": Operation time out.")) << failure;
    // Raised for the check; dropped by the transaction, by the failed check and once more as
    // the attempt's outcome; then the port change.
    const std::string online = "event OnlineStatusChanged";
    const std::string sync = "event SynchronizationStatusChanged";
    const std::string receiving = "event ReceivingFromCameraStatusChanged";
    EXPECT_EQ(bed.ui.Lines("event "),
              (Strings{online, sync, online, receiving, receiving, online, sync, online, sync,
                       online, sync, "event CommPortChanged"}));
}

TEST(ControlStartup, StartCommunicationRebuildsThePanelsThatNoLongerFit)
{
    ControlTestBed bed;
    StoreRow(bed.settings, P_IM1, 5);
    StoreRow(bed.settings, P_IM2, 5);
    CXKorvelCamCtrl& control = bed.MakeControl();
    control.OnCreate(); // no camera: panels for two colour imagers
    ASSERT_EQ(bed.ui.Lines("create 3"),
              (Strings{"create 3 Control alike=1 top=0 layout=226 parent=0 section=Control"}));
    bed.AttachCamera(1, "ZR-472");
    bed.ui.Clear();

    EXPECT_EQ(control.StartCommunication(0, 1), 0);
    EXPECT_TRUE(control.CheckOnline());
    EXPECT_EQ(control.GetCommPort(), 1);
    EXPECT_EQ(control.GetValue(P_IM1), 0);
    EXPECT_EQ(control.GetValue(P_IM2), 5);

    EXPECT_EQ(bed.ui.Lines("event "),
              (Strings{"event OnlineStatusChanged", "event SynchronizationStatusChanged",
                       "event OnlineStatusChanged", "event ReceivingFromCameraStatusChanged",
                       "event ReceivingFromCameraStatusChanged", "event OnlineStatusChanged",
                       "event CommPortChanged", "event ReceivingFromCameraStatusChanged",
                       "event ReceivingFromCameraStatusChanged", "event ModelNameChanged"}));

    // The common control panel (no longer alike) and the imager 1 panel (now monochrome) are
    // replaced, each shown again as before; the imager 2 panel stays.
    const Strings& journal = bed.ui.Journal();
    const int rebuilt = bed.ui.Find("destroy-window 3");
    ASSERT_GE(rebuilt, 0);
    EXPECT_EQ(Slice(journal, rebuilt, 10),
              (Strings{"destroy-window 3", "delete 3",
                       "create 3 Control alike=0 top=0 layout=226 parent=0 section=Control",
                       "3 show 3 1", "0 show 3 1", "destroy-window 4", "delete 4",
                       "create 4 Mono alike=0 top=0 layout=228 parent=0 section=Control - IMG1",
                       "4 show 4 1", "0 show 4 1"}));
    EXPECT_EQ(Slice(journal, rebuilt + 10, 7), [] {
        Strings lines{"event ModelNameChanged"};
        for (const std::string& line : OnEveryPanel("param 6 0 1"))
            lines.push_back(line);
        return lines;
    }());
    EXPECT_TRUE(bed.ui.Lines("create 5").empty());
    EXPECT_TRUE(bed.ui.Lines("delete 5").empty());
    EXPECT_EQ(bed.ui.Find("event IMG1ImagerTypeChanged"), -1);
    EXPECT_EQ(bed.ui.Find("event IMG2ImagerTypeChanged"), -1);

    // Every status change reaches all panels in index order right after its event; the EB
    // check is not logged, the model query is.
    const int first = bed.ui.Find("event OnlineStatusChanged");
    EXPECT_EQ(Slice(journal, first + 1, 6), OnEveryPanel("online 0"));
    EXPECT_EQ(bed.ui.Find("0 message EB? received=0"), -1);
    EXPECT_EQ(bed.ui.Lines("0 message"),
              (Strings{"0 message MD? received=0", "0 message MD=ZR-472 received=1"}));
}

TEST(ControlStartup, PanelsExistOnlyWhileTheWindowDoes)
{
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.MakeControl();
    // Before the window: a visibility write only stores the flag.
    bed.settings.WriteInt("Control - IMG2", "Show", 0);
    control.SetPanelVisible(PANEL_IMAGER2, true);
    control.CreatePanels(-1);
    control.ApplyCameraModel(true);
    EXPECT_TRUE(bed.ui.Lines("create").empty());
    EXPECT_TRUE(bed.ui.Lines("5 show").empty());

    control.OnCreate();
    EXPECT_EQ(bed.ui.Lines("5 show"), (Strings{"5 show 5 1"}));

    bed.ui.Clear();
    control.OnDestroy();
    EXPECT_EQ(bed.ui.Journal(),
              (Strings{"destroy-window 0", "delete 0", "destroy-window 1", "delete 1",
                       "destroy-window 2", "delete 2", "destroy-window 3", "delete 3",
                       "destroy-window 4", "delete 4", "destroy-window 5", "delete 5"}));
    control.ApplyCameraModel(true);
    EXPECT_EQ(control.GetPanel(PANEL_MAIN), nullptr);
    EXPECT_TRUE(bed.ui.Lines("create").empty());
}

TEST(ControlStartup, HeadlessUiWritesTheMessageAndCreatesNoPanels)
{
    ControlTestBed bed;
    std::ostringstream out;
    HeadlessUi headless(out);
    CXKorvelCamCtrl control(bed.settings, headless, bed.clock);
    control.OnCreate();
    EXPECT_EQ(out.str(), GetErrorString(LINK_CANNOT_USE_PORT) +
                             "\n\nUnable to find a camera model.\nStart with the default model.\n");
    for (int32_t i = 0; i < PANEL_COUNT; ++i)
        EXPECT_EQ(control.GetPanel(i), nullptr);

    // A control made without a user interface works on the headless one.
    CXKorvelCamCtrl plain(bed.settings, bed.clock);
    EXPECT_EQ(plain.SetParameterValue(P_SH1, 3), CAMERA_OFFLINE);
    EXPECT_EQ(plain.GetPanel(PANEL_MAIN), nullptr);
}

} // namespace
} // namespace zr
