#include "panels/ImagerBindings.h"

#include <array>
#include <vector>

#include "camera/ParameterTable.h"
#include "panels/DialogControlColor.h"

namespace zr
{

namespace
{

// One bound control of an imager panel: its binding on the colour panel, the caption label the
// monochrome panel binds instead (kSameCaption: the same), and whether the row is colour only.
struct ImagerBinding {
    ControlBinding binding;
    int monoCaption;
    bool colourOnly;
};

constexpr int kSameCaption = -1;
constexpr bool kColour = true;
constexpr bool kBoth = false;
using enum BindingKind;
using enum CDialogControlColor::ControlId;

// Rows are those of imager 1; the panel of imager 2 maps them to its own.
// clang-format off
constexpr ImagerBinding kImagerBindings[] = {
    // row   kind    control           caption             second                index  guard   min  monochrome caption     rows
    // Lists, in filling order.
    {{P_SH1,  List,   kShutterSpeed,    0,                  0,                    false, nullptr, 0}, kSameCaption,          kBoth},
    {{P_TR1,  List,   kTriggerMode,     0,                  0,                    true,  nullptr, 0}, kTriggerModeLabel,     kBoth},
    {{P_SL1,  List,   kSmearless,       kSmearlessLabel,    0,                    false, nullptr, 0}, kSameCaption,          kBoth},
    {{P_RF1,  List,   kRctFval,         kRctFvalLabel,      0,                    false, nullptr, 0}, kSameCaption,          kBoth},
    {{P_TI1,  List,   kTriggerInput,    0,                  0,                    false, nullptr, 0}, kTriggerInputLabel,    kBoth},
    {{P_TP1,  List,   kTriggerPolarity, 0,                  0,                    false, nullptr, 0}, kTriggerPolarityLabel, kBoth},
    {{P_SDM1, List,   kShadingMode,     0,                  0,                    false, nullptr, 0}, kSameCaption,          kBoth},
    {{P_SC1,  List,   kScanFormat,      0,                  0,                    false, nullptr, 0}, kScanFormatLabel,      kBoth},
    {{P_WB1,  List,   kWbMode,          kWbModeLabel,       0,                    false, nullptr, 0}, kSameCaption,          kColour},
    {{P_WA1,  List,   kWbArea,          kWbAreaLabel,       0,                    false, nullptr, 0}, kSameCaption,          kColour},
    {{P_PBY1, List,   kImageData,       kImageDataLabel,    0,                    true,  nullptr, 0}, kSameCaption,          kBoth},
    {{P_CM1,  List,   kCenterMarker,    kCenterMarkerLabel, 0,                    false, nullptr, 0}, kSameCaption,          kBoth},
    // Number fields, in initialisation order. Signed fields keep a lone "-" and short texts
    // while the user types, so that a negative number can be finished.
    {{P_PE1,  Number, kExposure,        0,                  kExposureSpin,        false, "0",     0}, kSameCaption,          kBoth},
    {{P_AGR1, Number, kAgcReference,    kAgcReferenceLabel, kAgcReferenceSpin,    false, nullptr, 0}, kSameCaption,          kBoth},
    {{P_GA1,  Number, kGainMaster,      kGainMasterLabel,   kGainMasterSpin,      false, "-",     3}, kSameCaption,          kBoth},
    {{P_GAR1, Number, kGainRed,         kGainRedLabel,      kGainRedSpin,         false, "-",     4}, kSameCaption,          kColour},
    {{P_GAB1, Number, kGainBlue,        kGainBlueLabel,     kGainBlueSpin,        false, "-",     4}, kSameCaption,          kColour},
    {{P_BL1,  Number, kSetupGreen,      kSetupGreenLabel,   kSetupGreenSpin,      false, "-",     3}, kSameCaption,          kColour},
    {{P_BLR1, Number, kSetupRed,        kSetupRedLabel,     kSetupRedSpin,        false, "-",     3}, kSameCaption,          kColour},
    {{P_BLB1, Number, kSetupBlue,       kSetupBlueLabel,    kSetupBlueSpin,       false, "-",     3}, kSameCaption,          kColour},
    {{P_BLY1, Number, kSetupY,          kSetupYLabel,       kSetupYSpin,          false, "-",     3}, kSameCaption,          kBoth},
    {{P_KPM1, Number, kKneePointGreen,  kKneeGreenLabel,    kKneePointGreenSpin,  false, nullptr, 0}, kSameCaption,          kColour},
    {{P_KPR1, Number, kKneePointRed,    kKneeRedLabel,      kKneePointRedSpin,    false, nullptr, 0}, kSameCaption,          kColour},
    {{P_KPB1, Number, kKneePointBlue,   kKneeBlueLabel,     kKneePointBlueSpin,   false, nullptr, 0}, kSameCaption,          kColour},
    {{P_KPY1, Number, kKneePointY,      kKneeYLabel,        kKneePointYSpin,      false, nullptr, 0}, kKneePointLabel,       kBoth},
    {{P_KSM1, Number, kKneeSlopeGreen,  kKneeGreenLabel,    kKneeSlopeGreenSpin,  false, nullptr, 0}, kSameCaption,          kColour},
    {{P_KSR1, Number, kKneeSlopeRed,    kKneeRedLabel,      kKneeSlopeRedSpin,    false, nullptr, 0}, kSameCaption,          kColour},
    {{P_KSB1, Number, kKneeSlopeBlue,   kKneeBlueLabel,     kKneeSlopeBlueSpin,   false, nullptr, 0}, kSameCaption,          kColour},
    {{P_KSY1, Number, kKneeSlopeY,      kKneeYLabel,        kKneeSlopeYSpin,      false, nullptr, 0}, kKneeSlopeLabel,       kBoth},
    // Radio pairs: the first button is value 0.
    {{P_SM1,  Radio,  kShutterPreset,   0,                  kShutterProgrammable, false, nullptr, 0}, kSameCaption,          kBoth},
    {{P_AGC1, Radio,  kGainManual,      0,                  kGainAuto,            false, nullptr, 0}, kSameCaption,          kBoth},
    {{P_KN1,  Radio,  kKneeOff,         kKneeLabel,         kKneeOn,              false, nullptr, 0}, kSameCaption,          kBoth},
    // One-push operations.
    {{P_AW1,  Action, kAwbRun,          kAwbLabel,          0,                    false, nullptr, 0}, kSameCaption,          kColour},
    {{P_RS1,  Action, kShadingRun,      0,                  0,                    false, nullptr, 0}, kSameCaption,          kBoth},
};
// clang-format on

std::vector<ControlBinding> Select(bool colour)
{
    std::vector<ControlBinding> bindings;
    for (const ImagerBinding& entry : kImagerBindings) {
        if (colour) {
            bindings.push_back(entry.binding);
        } else if (!entry.colourOnly) {
            ControlBinding binding = entry.binding;
            if (entry.monoCaption != kSameCaption)
                binding.caption = entry.monoCaption;
            bindings.push_back(binding);
        }
    }
    return bindings;
}

} // namespace

std::span<const ControlBinding> ImagerBindings(bool colour)
{
    static const std::vector<ControlBinding> colourBindings = Select(true);
    static const std::vector<ControlBinding> monoBindings = Select(false);
    return colour ? colourBindings : monoBindings;
}

} // namespace zr
