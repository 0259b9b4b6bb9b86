// The behaviours of the common control panel and the imager panels beyond the walk of their
// bindings: layouts by imager types, output conversions, enabling, typing, refusals, titles.

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <algorithm>

#include "ControlPanelTestBed.h"
#include "camera/ParameterTable.h"
#include "panels/DialogControl.h"
#include "panels/DialogControlColor.h"
#include "panels/DialogControlMono.h"
#include "panels/DialogMetrics.h"
#include "panels/NEdit.h"

namespace zr::test
{
namespace
{

using enum CDialogControlColor::ControlId;

using C = CDialogControl;
using Strings = std::vector<std::string>;

bool Enabled(ControlPanelTestBed& bed, int32_t panel, int id)
{
    QWidget* widget = bed.Widget(panel, id);
    EXPECT_NE(widget, nullptr) << id;
    return widget != nullptr && widget->isEnabled();
}

TEST(CommonPanel, AlikeRowsOnlyForImagersOfOneType)
{
    const DialogMetrics metrics;
    for (const char* model : {"ZR-470", "ZR-471"}) {
        SCOPED_TRACE(model);
        ControlPanelTestBed bed;
        bed.Start(model);
        const bool alike = std::string(model) == "ZR-471";
        CDialogOCXBase& panel = bed.Panel(PANEL_CONTROL);
        EXPECT_EQ(panel.windowTitle(), "Common Control");
        for (int id : {C::kProcessModeLabel, C::kHighFrameRate, C::kBinningLabel, C::kBinningOff,
                       C::kBinningOn, C::kAybLabel, C::kAybArea, C::kAybRun})
            EXPECT_EQ(bed.Widget(PANEL_CONTROL, id)->isHidden(), !alike) << id;
        for (int id : {C::kSynchronous, C::kCameraLink1, C::kCameraLink2})
            EXPECT_FALSE(bed.Widget(PANEL_CONTROL, id)->isHidden()) << id;
        // Not alike: the strip sits where "Process Mode" was, right below "Camera Link 2", and
        // the window is shorter by as much as the strip moved.
        const int stripTop = metrics.Y(alike ? 94 : 51);
        EXPECT_EQ(bed.Widget(PANEL_CONTROL, C::kStrip)->y(), stripTop);
        EXPECT_EQ(panel.height(), metrics.Y(104) - (metrics.Y(94) - stripTop));
    }
}

TEST(CommonPanel, DualOutputsGiveWayToPivAndSeparateOnlyWhenInteractive)
{
    ControlPanelTestBed bed;
    CXKorvelCamCtrl& control = bed.Start("ZR-479");
    auto* link1 = bed.Control<QComboBox>(PANEL_CONTROL, C::kCameraLink1);
    const QStringList all = {"10bit", "8bit", "10bit + 10bit", "8bit + 8bit", "Full Color"};
    EXPECT_EQ(ControlPanelTestBed::Items(*link1), all);

    // A setup file with PIV2 loaded over "10bit + 10bit" leaves the outputs alone.
    control.SetParameterValue(P_OS1, 2);
    control.SetValue(P_TR1, 5, true, false, false);
    int32_t rows = 0;
    const std::string file = bed.bed.dir.File("piv2.txt");
    ASSERT_EQ(control.WriteSetupFile(file, rows), 0);
    control.SetParameterValue(P_TR1, 0);
    bed.TakeLines();
    ASSERT_EQ(control.ReadSetupFile(file, rows), 0);
    const Strings loaded = bed.TakeLines();
    EXPECT_NE(std::find(loaded.begin(), loaded.end(), "TR1=5"), loaded.end());
    EXPECT_EQ(std::find(loaded.begin(), loaded.end(), "OS1=0"), loaded.end());
    EXPECT_EQ(control.GetParameterValue(P_OS1), 2);

    // Chosen on the imager 1 panel, PIV2 turns the dual formats into their single forms.
    control.SetParameterValue(P_TR1, 0);
    bed.Choose(PANEL_CONTROL, C::kCameraLink1, 2);
    bed.Choose(PANEL_CONTROL, C::kCameraLink2, 3);
    bed.TakeLines();
    // The control sends a row after its change notification, so the conversions go first.
    bed.Choose(PANEL_IMAGER1, kTriggerMode, 5);
    EXPECT_EQ(bed.TakeLines(), (Strings{"OS1=0", "OS2=1", "TR1=5"}));
    EXPECT_EQ(bed.Shown(PANEL_CONTROL, C::kCameraLink1), 0);
    EXPECT_EQ(bed.Shown(PANEL_CONTROL, C::kCameraLink2), 1);
    EXPECT_EQ(ControlPanelTestBed::Items(*link1), (QStringList{"10bit", "8bit", "Full Color"}));

    // "Separate" does the same; "Full Color" (position 2 once the dual formats are gone) stays.
    control.SetParameterValue(P_TR1, 0);
    control.SetParameterValue(P_IS, 0);
    bed.Choose(PANEL_CONTROL, C::kCameraLink1, 4);
    bed.Choose(PANEL_CONTROL, C::kCameraLink2, 2);
    bed.TakeLines();
    bed.ClickRadio(PANEL_CONTROL, C::kSynchronous, 1);
    EXPECT_EQ(bed.TakeLines(), (Strings{"OS2=0", "IS=1"}));
    control.SetParameterValue(P_TR1, 5);
    EXPECT_EQ(bed.TakeLines(), (Strings{"TR1=5"}));
    EXPECT_EQ(control.GetParameterValue(P_OS1), 4);
    EXPECT_EQ(bed.Messages(), 0);
}

TEST(CommonPanel, HighFrameRateBringsSynchronousOperation)
{
    ControlPanelTestBed bed;
    CXKorvelCamCtrl& control = bed.Start("ZR-479");
    bed.ClickRadio(PANEL_CONTROL, C::kSynchronous, 1);
    EXPECT_TRUE(Enabled(bed, PANEL_CONTROL, C::kSeparate));
    bed.TakeLines();
    bed.Tick(PANEL_CONTROL, C::kHighFrameRate, true);
    EXPECT_EQ(bed.TakeLines(), (Strings{"IS=0", "HF=1"}));
    EXPECT_EQ(bed.Shown(PANEL_CONTROL, C::kSynchronous), 0);
    for (int id : {C::kOutputModeLabel, C::kSynchronous, C::kSeparate})
        EXPECT_FALSE(Enabled(bed, PANEL_CONTROL, id)) << id;
    // The radio click leaves the keyboard focus on the strip.
    control.SetParameterValue(P_HF, 0);
    bed.Panel(PANEL_CONTROL).show();
    bed.Panel(PANEL_CONTROL).activateWindow();
    bed.ClickRadio(PANEL_CONTROL, C::kSynchronous, 1);
    EXPECT_EQ(bed.Panel(PANEL_CONTROL).focusWidget(), bed.Widget(PANEL_CONTROL, C::kStrip));
}

TEST(ImagerPanels, TitlesListsAndKinds)
{
    ControlPanelTestBed bed;
    bed.Start("ZR-470");
    EXPECT_EQ(bed.Panel(PANEL_IMAGER1).windowTitle(), "Imager 1 - Color");
    EXPECT_EQ(bed.Panel(PANEL_IMAGER2).windowTitle(), "Imager 2 - Monochrome");
    EXPECT_EQ(bed.Panel(PANEL_IMAGER1).Kind(), PanelKind::ImagerColor);
    // Imagers of different types: no PIV modes; never "Bypass".
    EXPECT_EQ(ControlPanelTestBed::Items(*bed.Control<QComboBox>(PANEL_IMAGER1, kTriggerMode)),
              (QStringList{"Normal", "EPS", "PWC", "RCT"}));
    for (int32_t panel : {PANEL_IMAGER1, PANEL_IMAGER2})
        EXPECT_EQ(ControlPanelTestBed::Items(*bed.Control<QComboBox>(panel, kImageData)),
                  (QStringList{"Video", "TestPattern1", "TestPattern2"}));
    // The monochrome panel has none of the colour rows.
    for (int id : {kWbMode, kAwbRun, kGainRed, kSetupGreen, kKneePointRed})
        EXPECT_EQ(bed.Widget(PANEL_IMAGER2, id), nullptr) << id;

    // A camera with a colour second imager.
    ControlPanelTestBed second;
    second.Start("ZR-479");
    EXPECT_EQ(second.Panel(PANEL_IMAGER2).windowTitle(), "Imager 2 - Color");
    EXPECT_EQ(
        ControlPanelTestBed::Items(*second.Control<QComboBox>(PANEL_IMAGER1, kTriggerMode)).size(),
        7);
}

TEST(ImagerPanels, MonochromeTypeFiveNamesItsPanel)
{
    ControlPanelTestBed bed;
    CXKorvelCamCtrl& control = bed.StartOffline();
    control.SetValue(P_IM2, 4, false, false, false);
    PanelSpec panelSpec{PANEL_IMAGER2, PanelKind::ImagerMono, 228, "Control - IMG2", false, false};
    PanelEnvironment environment;
    CDialogControlMono panel(panelSpec, control, environment, nullptr);
    EXPECT_EQ(panel.windowTitle(), "Imager 2 - Monochrome5(IR2)");
}

TEST(ImagerPanels, NewImagerTypesRebuildPanelsInPlace)
{
    ControlPanelTestBed bed;
    CXKorvelCamCtrl& control = bed.Start("ZR-470");
    bed.bed.AttachCamera(1, "ZR-471");
    control.SetPanelVisible(PANEL_IMAGER1, true);
    bed.Panel(PANEL_IMAGER1).move(230, 140);
    bed.Panel(PANEL_CONTROL).move(310, 150);
    const QWidget* oldImager2 = &bed.Panel(PANEL_IMAGER2);
    ASSERT_EQ(control.StartCommunication(0, 1), 0);
    // Imager 1 turned monochrome and the imagers alike: panels 3 and 4 are new, in place.
    EXPECT_EQ(bed.Panel(PANEL_IMAGER1).Kind(), PanelKind::ImagerMono);
    EXPECT_EQ(bed.Panel(PANEL_IMAGER1).windowTitle(), "Imager 1 - Monochrome");
    EXPECT_EQ(bed.Panel(PANEL_IMAGER1).pos(), QPoint(230, 140));
    EXPECT_TRUE(control.GetPanelVisible(PANEL_IMAGER1));
    EXPECT_TRUE(bed.Panel(PANEL_CONTROL).ImagersAlike());
    EXPECT_EQ(bed.Panel(PANEL_CONTROL).pos(), QPoint(310, 150));
    EXPECT_FALSE(bed.Widget(PANEL_CONTROL, C::kAybRun)->isHidden());
    EXPECT_EQ(&bed.Panel(PANEL_IMAGER2), oldImager2);
}

// Enabled states of an imager panel as the governing rows change.
struct EnableCase {
    const char* what;
    std::vector<std::pair<int32_t, int32_t>> rows; // set through the control, in order
    std::vector<int> enabled;
    std::vector<int> disabled;
};

TEST(ImagerPanels, EnablingFollowsTheGoverningRows)
{
    const std::vector<EnableCase> cases = {
        {"PWC",
         {{P_TR1, 2}},
         {kSmearless, kSmearlessLabel, kTriggerInput},
         {kShutterPreset, kShutterProgrammable, kShutterSpeed, kExposure, kExposureSpin}},
        {"normal, preset",
         {{P_TR1, 0}, {P_SM1, 0}},
         {kShutterPreset, kShutterSpeed},
         {kSmearless, kExposure, kTriggerInput, kRctFval}},
        {"AGC on",
         {{P_AGC1, 1}},
         {kAgcReference, kAgcReferenceLabel, kAgcReferenceSpin},
         {kGainMaster, kGainMasterLabel, kGainMasterSpin, kGainRed, kGainBlue}},
        {"AGC off, colour output",
         {{P_AGC1, 0}, {P_OS1, 4}, {P_KN1, 1}},
         {kGainMaster, kGainRed, kGainBlueLabel, kWbMode, kWbAreaLabel, kAwbRun, kSetupGreen,
          kSetupRed, kKneePointRed, kKneeSlopeGreenSpin},
         {kAgcReference, kAgcReferenceLabel}},
        {"no colour output",
         {{P_OS1, 0}, {P_OS2, 0}},
         {kGainMaster, kSetupY, kKneeOn, kKneePointY},
         {kWbMode, kWbModeLabel, kWbArea, kAwbLabel, kAwbRun, kGainRed, kGainBlue, kSetupGreen,
          kSetupRed, kSetupBlue, kKneePointGreen, kKneeSlopeBlue, kKneeGreenLabel}},
    };
    ControlPanelTestBed bed;
    CXKorvelCamCtrl& control = bed.Start("ZR-470");
    for (const EnableCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (auto [row, value] : c.rows)
            control.SetParameterValue(row, value);
        for (int id : c.enabled)
            EXPECT_TRUE(Enabled(bed, PANEL_IMAGER1, id)) << id;
        for (int id : c.disabled)
            EXPECT_FALSE(Enabled(bed, PANEL_IMAGER1, id)) << id;
    }
}

TEST(ImagerPanels, MonochromeKneeAndSetupNeedAMonochromeOutput)
{
    ControlPanelTestBed bed;
    CXKorvelCamCtrl& control = bed.Start("ZR-472");
    control.SetParameterValue(P_OS2, 0);
    control.SetParameterValue(P_OS1, 4);
    for (int id : {kKneeLabel, kKneeOff, kKneeOn, kKneePointY, kKneePointLabel, kKneeSlopeY,
                   kSetupY, kSetupYLabel, kSetupYSpin})
        EXPECT_FALSE(Enabled(bed, PANEL_IMAGER1, id)) << id;
    EXPECT_TRUE(Enabled(bed, PANEL_IMAGER1, kGainMaster));
    control.SetParameterValue(P_AGC1, 1);
    EXPECT_FALSE(Enabled(bed, PANEL_IMAGER1, kGainMasterLabel));
}

TEST(ImagerPanels, TypingANegativeGainKeepsEachText)
{
    ControlPanelTestBed bed;
    bed.Start("ZR-470");
    auto* field = bed.Control<CNEdit>(PANEL_IMAGER1, kGainMaster);
    struct Keystroke {
        const char* text;
        const char* sent;
    };
    for (const Keystroke& k :
         {Keystroke{"-", "GA1=0"}, Keystroke{"-8", "GA1=-8"}, Keystroke{"-84", "GA1=-84"}}) {
        bed.Type(PANEL_IMAGER1, kGainMaster, k.text);
        EXPECT_EQ(bed.TakeLines(), (Strings{k.sent}));
        EXPECT_EQ(field->text(), k.text);
    }
    // A change from elsewhere is shown whatever the field held.
    bed.bed.Control().SetParameterValue(P_GA1, 12);
    EXPECT_EQ(field->text(), "12");
}

TEST(ImagerPanels, RefusedValueShowsOneStopMessage)
{
    ControlPanelTestBed bed;
    sim::SimOptions options;
    options.model = "ZR-470";
    options.faults = {"silent:GA1@1"};
    bed.bed.AttachCamera(0, options);
    bed.bed.settings.WriteInt("Comm", "Class", 0);
    bed.bed.settings.WriteInt("Comm", "Port", 0);
    CXKorvelCamCtrl& control = bed.StartOffline();
    ASSERT_TRUE(control.CheckOnline());
    const int before = bed.Messages();
    bed.Type(PANEL_IMAGER1, kGainMaster, "25");
    EXPECT_EQ(bed.Messages(), before + 1);
    EXPECT_FALSE(bed.Panel(PANEL_IMAGER1).IsUserTyping());
    // The next refresh decides what the field shows.
    control.SetParameterValue(P_GA1, 30);
    EXPECT_EQ(bed.Shown(PANEL_IMAGER1, kGainMaster), 30);
    EXPECT_EQ(bed.Messages(), before + 1);
}

// The panels' pictures: the common panel with and without the rows of alike imagers, and both
// imager panels. Kept in the folder ZR_PANEL_PICTURES names, when set.
TEST(PanelPictures, RenderedAtTheirLayoutSize)
{
    const QByteArray keep = qgetenv("ZR_PANEL_PICTURES");
    QSize commonAlike;
    for (const char* model : {"ZR-479", "ZR-470"}) {
        SCOPED_TRACE(model);
        ControlPanelTestBed bed;
        bed.Start(model);
        const QString folder = keep.isEmpty() ? QString::fromStdString(bed.bed.dir.File("pictures"))
                                              : QString::fromLocal8Bit(keep) + "/" + model;
        ASSERT_EQ(bed.Window().SaveScreenshots(folder), 0);
        const QImage common(folder + "/Control.png");
        const QImage imager1(folder + "/Control - IMG1.png");
        ASSERT_FALSE(common.isNull());
        EXPECT_EQ(imager1.size(), bed.Panel(PANEL_IMAGER1).size());
        if (commonAlike.isEmpty())
            commonAlike = common.size();
        else
            EXPECT_LT(common.height(), commonAlike.height());
    }
}

} // namespace
} // namespace zr::test
