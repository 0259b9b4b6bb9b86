#include "panels/ImagerBindings.h"

#include <array>
#include <vector>

#include "camera/ParameterTable.h"
#include "panels/ImagerControlIds.h"

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
constexpr auto L = BindingKind::List;
constexpr auto R = BindingKind::Radio;
constexpr auto N = BindingKind::Number;
constexpr auto A = BindingKind::Action;

// Rows are those of imager 1; the panel of imager 2 maps them to its own.
constexpr ImagerBinding kImagerBindings[] = {
    // Lists, in filling order.
    {{P_SH1, L, IC_SHUTTER_SPEED, 0, 0, false, nullptr, 0}, kSameCaption, kBoth},
    {{P_TR1, L, IC_TRIGGER_MODE, 0, 0, true, nullptr, 0}, IC_TRIGGER_MODE_LABEL, kBoth},
    {{P_SL1, L, IC_SMEARLESS, IC_SMEARLESS_LABEL, 0, false, nullptr, 0}, kSameCaption, kBoth},
    {{P_RF1, L, IC_RCT_FVAL, IC_RCT_FVAL_LABEL, 0, false, nullptr, 0}, kSameCaption, kBoth},
    {{P_TI1, L, IC_TRIGGER_INPUT, 0, 0, false, nullptr, 0}, IC_TRIGGER_INPUT_LABEL, kBoth},
    {{P_TP1, L, IC_TRIGGER_POLARITY, 0, 0, false, nullptr, 0}, IC_TRIGGER_POLARITY_LABEL, kBoth},
    {{P_SDM1, L, IC_SHADING_MODE, 0, 0, false, nullptr, 0}, kSameCaption, kBoth},
    {{P_SC1, L, IC_SCAN_FORMAT, 0, 0, false, nullptr, 0}, IC_SCAN_FORMAT_LABEL, kBoth},
    {{P_WB1, L, IC_WB_MODE, IC_WB_MODE_LABEL, 0, false, nullptr, 0}, kSameCaption, kColour},
    {{P_WA1, L, IC_WB_AREA, IC_WB_AREA_LABEL, 0, false, nullptr, 0}, kSameCaption, kColour},
    {{P_PBY1, L, IC_IMAGE_DATA, IC_IMAGE_DATA_LABEL, 0, true, nullptr, 0}, kSameCaption, kBoth},
    {{P_CM1, L, IC_CENTER_MARKER, IC_CENTER_MARKER_LABEL, 0, false, nullptr, 0},
     kSameCaption,
     kBoth},
    // Number fields, in initialisation order. Signed fields keep a lone "-" and short texts
    // while the user types, so that a negative number can be finished.
    {{P_PE1, N, IC_EXPOSURE, 0, IC_EXPOSURE_SPIN, false, "0", 0}, kSameCaption, kBoth},
    {{P_AGR1, N, IC_AGC_REFERENCE, IC_AGC_REFERENCE_LABEL, IC_AGC_REFERENCE_SPIN, false, nullptr,
      0},
     kSameCaption,
     kBoth},
    {{P_GA1, N, IC_GAIN_MASTER, IC_GAIN_MASTER_LABEL, IC_GAIN_MASTER_SPIN, false, "-", 3},
     kSameCaption,
     kBoth},
    {{P_GAR1, N, IC_GAIN_RED, IC_GAIN_RED_LABEL, IC_GAIN_RED_SPIN, false, "-", 4},
     kSameCaption,
     kColour},
    {{P_GAB1, N, IC_GAIN_BLUE, IC_GAIN_BLUE_LABEL, IC_GAIN_BLUE_SPIN, false, "-", 4},
     kSameCaption,
     kColour},
    {{P_BL1, N, IC_SETUP_GREEN, IC_SETUP_GREEN_LABEL, IC_SETUP_GREEN_SPIN, false, "-", 3},
     kSameCaption,
     kColour},
    {{P_BLR1, N, IC_SETUP_RED, IC_SETUP_RED_LABEL, IC_SETUP_RED_SPIN, false, "-", 3},
     kSameCaption,
     kColour},
    {{P_BLB1, N, IC_SETUP_BLUE, IC_SETUP_BLUE_LABEL, IC_SETUP_BLUE_SPIN, false, "-", 3},
     kSameCaption,
     kColour},
    {{P_BLY1, N, IC_SETUP_Y, IC_SETUP_Y_LABEL, IC_SETUP_Y_SPIN, false, "-", 3},
     kSameCaption,
     kBoth},
    {{P_KPM1, N, IC_KNEE_POINT_GREEN, IC_KNEE_GREEN_LABEL, IC_KNEE_POINT_GREEN_SPIN, false, nullptr,
      0},
     kSameCaption,
     kColour},
    {{P_KPR1, N, IC_KNEE_POINT_RED, IC_KNEE_RED_LABEL, IC_KNEE_POINT_RED_SPIN, false, nullptr, 0},
     kSameCaption,
     kColour},
    {{P_KPB1, N, IC_KNEE_POINT_BLUE, IC_KNEE_BLUE_LABEL, IC_KNEE_POINT_BLUE_SPIN, false, nullptr,
      0},
     kSameCaption,
     kColour},
    {{P_KPY1, N, IC_KNEE_POINT_Y, IC_KNEE_Y_LABEL, IC_KNEE_POINT_Y_SPIN, false, nullptr, 0},
     IC_KNEE_POINT_LABEL,
     kBoth},
    {{P_KSM1, N, IC_KNEE_SLOPE_GREEN, IC_KNEE_GREEN_LABEL, IC_KNEE_SLOPE_GREEN_SPIN, false, nullptr,
      0},
     kSameCaption,
     kColour},
    {{P_KSR1, N, IC_KNEE_SLOPE_RED, IC_KNEE_RED_LABEL, IC_KNEE_SLOPE_RED_SPIN, false, nullptr, 0},
     kSameCaption,
     kColour},
    {{P_KSB1, N, IC_KNEE_SLOPE_BLUE, IC_KNEE_BLUE_LABEL, IC_KNEE_SLOPE_BLUE_SPIN, false, nullptr,
      0},
     kSameCaption,
     kColour},
    {{P_KSY1, N, IC_KNEE_SLOPE_Y, IC_KNEE_Y_LABEL, IC_KNEE_SLOPE_Y_SPIN, false, nullptr, 0},
     IC_KNEE_SLOPE_LABEL,
     kBoth},
    // Radio pairs: the first button is value 0.
    {{P_SM1, R, IC_SHUTTER_PRESET, 0, IC_SHUTTER_PROGRAMMABLE, false, nullptr, 0},
     kSameCaption,
     kBoth},
    {{P_AGC1, R, IC_GAIN_MANUAL, 0, IC_GAIN_AUTO, false, nullptr, 0}, kSameCaption, kBoth},
    {{P_KN1, R, IC_KNEE_OFF, IC_KNEE_LABEL, IC_KNEE_ON, false, nullptr, 0}, kSameCaption, kBoth},
    // One-push operations.
    {{P_AW1, A, IC_AWB_RUN, IC_AWB_LABEL, 0, false, nullptr, 0}, kSameCaption, kColour},
    {{P_RS1, A, IC_SHADING_RUN, 0, 0, false, nullptr, 0}, kSameCaption, kBoth},
};

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
