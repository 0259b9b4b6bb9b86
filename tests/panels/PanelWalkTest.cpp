// Every bound control of every control panel, once: the user sets it, the command reaches the
// simulator's line, and a change made elsewhere comes back into the control.

#include <gtest/gtest.h>

#include <QLineEdit>

#include <algorithm>
#include <set>

#include "ControlPanelTestBed.h"
#include "camera/ParameterTable.h"
#include "panels/DialogControl.h"
#include "panels/DialogControlColor.h"

namespace zr::test
{
namespace
{

using enum CDialogControlColor::ControlId;

// `set` is a list position, radio position, check state or number typed; `sent` the line the
// camera receives (a line starting with it for a push button); `refresh` a value set through
// the control and `shown` what the control then shows.
struct Step {
    int id;
    int32_t row;
    int set;
    const char* sent;
    int32_t refresh;
    int shown;
};

// Every control the panel binds appears in the walk.
void ExpectCovers(std::span<const ControlBinding> bindings, std::span<const Step> steps)
{
    std::set<int> walked;
    for (const Step& step : steps)
        walked.insert(step.id);
    for (const ControlBinding& binding : bindings)
        EXPECT_TRUE(walked.count(binding.control)) << "row " << binding.row << " not walked";
}

void Walk(ControlPanelTestBed& bed, int32_t panel, std::span<const Step> steps)
{
    ExpectCovers(dynamic_cast<CDialogControlBase&>(bed.Panel(panel)).Bindings(), steps);
    CXKorvelCamCtrl& control = bed.bed.Control();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.sent);
        bed.TakeLines();
        QWidget* widget = bed.Widget(panel, step.id);
        ASSERT_NE(widget, nullptr);
        if (qobject_cast<QComboBox*>(widget) != nullptr)
            bed.Choose(panel, step.id, step.set);
        else if (qobject_cast<QCheckBox*>(widget) != nullptr)
            bed.Tick(panel, step.id, step.set != 0);
        else if (bed.Panel(panel).Controls().RadioGroup(step.id) != nullptr)
            bed.ClickRadio(panel, step.id, step.set);
        else if (qobject_cast<QLineEdit*>(widget) != nullptr)
            bed.Type(panel, step.id, QString::number(step.set));
        else
            bed.Press(panel, step.id);
        const std::vector<std::string> lines = bed.TakeLines();
        const std::string sent = step.sent;
        const bool prefix = sent.back() == '=';
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return prefix ? line.rfind(sent, 0) == 0 : line == sent;
        })) << ::testing::PrintToString(lines);
        if (prefix)
            continue; // a push button shows nothing
        control.SetParameterValue(step.row, step.refresh);
        EXPECT_EQ(bed.Shown(panel, step.id), step.shown);
    }
}

// Imager 2 of a camera whose second imager is the colour one: every row ends in 2.
constexpr Step kColourSteps[] = {
    {kShutterSpeed, P_SH2, 3, "SH2=3", 5, 5},
    {kTriggerMode, P_TR2, 1, "TR2=1", 3, 3},
    {kSmearless, P_SL2, 1, "SL2=1", 0, 0},
    {kRctFval, P_RF2, 1, "RF2=1", 0, 0},
    {kTriggerInput, P_TI2, 1, "TI2=1", 0, 0},
    {kTriggerPolarity, P_TP2, 1, "TP2=1", 0, 0},
    {kShadingMode, P_SDM2, 2, "SDM2=2", 3, 3},
    {kScanFormat, P_SC2, 2, "SC2=2", 1, 1},
    {kWbMode, P_WB2, 2, "WB2=2", 4, 4},
    {kWbArea, P_WA2, 4, "WA2=4", 9, 9},
    // Without "Bypass" the second position is "TestPattern1", value 2.
    {kImageData, P_PBY2, 1, "PBY2=2", 3, 2},
    {kCenterMarker, P_CM2, 3, "CM2=3", 1, 1},
    {kExposure, P_PE2, 700, "PE2=700", 12, 12},
    {kAgcReference, P_AGR2, 500, "AGR2=500", 7, 7},
    {kGainMaster, P_GA2, 120, "GA2=120", -20, -20},
    {kGainRed, P_GAR2, -300, "GAR2=-300", 1000, 1000},
    {kGainBlue, P_GAB2, 900, "GAB2=900", -5, -5},
    {kSetupGreen, P_BL2, -100, "BL2=-100", 200, 200},
    {kSetupRed, P_BLR2, 50, "BLR2=50", -3, -3},
    {kSetupBlue, P_BLB2, -7, "BLB2=-7", 250, 250},
    {kSetupY, P_BLY2, 255, "BLY2=255", -128, -128},
    {kKneePointGreen, P_KPM2, 1000, "KPM2=1000", 3, 3},
    {kKneePointRed, P_KPR2, 900, "KPR2=900", 4, 4},
    {kKneePointBlue, P_KPB2, 800, "KPB2=800", 5, 5},
    {kKneePointY, P_KPY2, 700, "KPY2=700", 6, 6},
    {kKneeSlopeGreen, P_KSM2, 4000, "KSM2=4000", 8, 8},
    {kKneeSlopeRed, P_KSR2, 3000, "KSR2=3000", 9, 9},
    {kKneeSlopeBlue, P_KSB2, 2000, "KSB2=2000", 10, 10},
    {kKneeSlopeY, P_KSY2, 1000, "KSY2=1000", 11, 11},
    {kShutterPreset, P_SM2, 1, "SM2=1", 0, 0},
    {kGainManual, P_AGC2, 1, "AGC2=1", 0, 0},
    {kKneeOff, P_KN2, 1, "KN2=1", 0, 0},
    {kAwbRun, P_AW2, 0, "AW2=", 0, 0},
    // The shading mode is "User 2" from its step above, so the recalibration runs.
    {kShadingRun, P_RS2, 0, "RS2=", 0, 0},
};

// Imager 1 of the same camera, a monochrome imager.
constexpr Step kMonoSteps[] = {
    {kShutterSpeed, P_SH1, 11, "SH1=11", 2, 2},
    {kTriggerMode, P_TR1, 2, "TR1=2", 1, 1},
    {kSmearless, P_SL1, 1, "SL1=1", 0, 0},
    {kRctFval, P_RF1, 1, "RF1=1", 0, 0},
    {kTriggerInput, P_TI1, 1, "TI1=1", 0, 0},
    {kTriggerPolarity, P_TP1, 1, "TP1=1", 0, 0},
    {kShadingMode, P_SDM1, 3, "SDM1=3", 2, 2},
    {kScanFormat, P_SC1, 3, "SC1=3", 0, 0},
    {kImageData, P_PBY1, 2, "PBY1=3", 0, 0},
    {kCenterMarker, P_CM1, 2, "CM1=2", 0, 0},
    {kExposure, P_PE1, 792, "PE1=792", 1, 1},
    {kAgcReference, P_AGR1, 1023, "AGR1=1023", 0, 0},
    {kGainMaster, P_GA1, -83, "GA1=-83", 336, 336},
    {kSetupY, P_BLY1, -127, "BLY1=-127", 17, 17},
    {kKneePointY, P_KPY1, 1023, "KPY1=1023", 40, 40},
    {kKneeSlopeY, P_KSY1, 4095, "KSY1=4095", 41, 41},
    {kShutterPreset, P_SM1, 1, "SM1=1", 0, 0},
    {kGainManual, P_AGC1, 1, "AGC1=1", 0, 0},
    {kKneeOff, P_KN1, 1, "KN1=1", 0, 0},
    {kShadingRun, P_RS1, 0, "RS1=", 0, 0},
};

using C = CDialogControl;
// Both imagers colour: every row of the common panel exists.
constexpr Step kCommonSteps[] = {
    {C::kCameraLink1, P_OS1, 1, "OS1=1", 4, 4}, {C::kCameraLink2, P_OS2, 4, "OS2=4", 3, 3},
    {C::kAybArea, P_YA, 5, "YA=5", 2, 2},       {C::kSynchronous, P_IS, 1, "IS=1", 0, 0},
    {C::kHighFrameRate, P_HF, 1, "HF=1", 0, 0}, {C::kBinningOff, P_BI1, 1, "BI1=1", 0, 0},
    {C::kAybRun, P_AYB, 0, "AYB=", 0, 0},
};

TEST(PanelWalk, EveryBoundControlCommitsAndRefreshes)
{
    {
        SCOPED_TRACE("colour imager 2");
        ControlPanelTestBed bed;
        bed.Start("ZR-472");
        Walk(bed, PANEL_IMAGER2, kColourSteps);
        SCOPED_TRACE("monochrome imager 1");
        Walk(bed, PANEL_IMAGER1, kMonoSteps);
    }
    {
        SCOPED_TRACE("common");
        ControlPanelTestBed bed;
        bed.Start("ZR-479");
        Walk(bed, PANEL_CONTROL, kCommonSteps);
    }
}

} // namespace
} // namespace zr::test
