#include "panels/DialogControlMono.h"

namespace zr
{

namespace
{

using enum ControlKind;
using enum CDialogControlColor::ControlId;

// clang-format off
constexpr ControlSpec kControls[] = {
    {kGroup + 0,            Group,            7,   2, 120,  47, "Shutter Mode",           nullptr,                                               {}},
    {kShutterPreset,        RadioFirst,      14,  12,  37,  12, "Preset",                 "Select preset shutter mode",                          {}},
    {kShutterProgrammable,  Radio,           14,  25,  59,  16, "Programmable\nExposure", "Select programmable exposure shutter mode",           {}},
    {kShutterSpeed,         DropDown,        76,  12,  46, 131, nullptr,                  "Preset shutter speed",                                {kShutterPreset}},
    {kExposure,             UnsignedNumber,  76,  27,  46,  13, nullptr,                  "Select relative programmable exposure value, 0..792", {kShutterProgrammable}},
    {kExposureSpin,         Spin,           122,  27,  10,  13, nullptr,                  nullptr,                                               {}},

    {kGroup + 1,            Group,            7,  52, 120,  95, "Trigger Mode",           nullptr,                                               {}},
    {kTriggerModeLabel,     TextRight,       17,  62,  44,  12, "Trigger Mode",           nullptr,                                               {}},
    {kTriggerMode,          DropDown,        64,  62,  58, 103, nullptr,                  "Select trigger mode",                                 {kTriggerModeLabel}},
    {kSmearlessLabel,       TextNoWrap,      17,  78,  44,  12, "Smearless",              nullptr,                                               {}},
    {kSmearless,            DropDown,        64,  78,  58, 103, nullptr,                  "Select smearless mode",                               {kSmearlessLabel}},
    {kRctFvalLabel,         TextNoWrap,       9,  94,  52,  12, "RCT FVAL Type",          nullptr,                                               {}},
    {kRctFval,              DropDown,        64,  94,  58, 103, nullptr,                  "Select RCT FVAL type",                                {kRctFvalLabel}},
    {kTriggerPolarityLabel, TextNoWrap,      10, 110,  51,  12, "Trigger Polarity",       nullptr,                                               {}},
    {kTriggerPolarity,      DropDown,        64, 110,  58, 103, nullptr,                  "Select trigger polarity",                             {kTriggerPolarityLabel}},
    {kTriggerInputLabel,    TextNoWrap,      17, 126,  44,  12, "Trigger Input",          nullptr,                                               {}},
    {kTriggerInput,         DropDown,        64, 126,  58, 103, nullptr,                  "Select trigger input",                                {kTriggerInputLabel}},

    {kGroup + 2,            Group,            7, 150, 120,  30, "Image Format",           nullptr,                                               {}},
    {kScanFormatLabel,      TextNoWrap,      14, 160,  46,  12, "Scan Format",            nullptr,                                               {}},
    {kScanFormat,           DropDown,        64, 160,  57, 103, nullptr,                  "Select scanning format",                              {kScanFormatLabel}},

    {kGroup + 3,            Group,            7, 184, 120,  46, "Shading Correction",     nullptr,                                               {}},
    {kShadingModeLabel,     TextNoWrap,      14, 195,  46,  12, "Mode",                   nullptr,                                               {}},
    {kShadingMode,          DropDown,        64, 195,  57, 103, nullptr,                  "Select shading calibration mode",                     {kShadingModeLabel}},
    {kShadingRun,           Button,          64, 209,  46,  14, "Run",                    "Click to recalibrate shading correction",             {}},

    // The manual radio starts the group so that its position is the value 0 (AGC off).
    {kGroup + 4,            Group,          133,   2, 159,  65, "Gain",                   nullptr,                                               {}},
    {kGainManual,           RadioFirst,     140,  37,  80,  10, "Manual Gain Control",    "Choose AGC select off",                               {}},
    {kGainAuto,             Radio,          140,  12,  73,  10, "Auto Gain Control",      "Choose AGC select on",                                {}},
    {kAgcReferenceLabel,    TextNoWrap,     149,  22,  51,  13, "AGC Reference",          nullptr,                                               {}},
    {kAgcReference,         UnsignedNumber, 207,  22,  38,  13, nullptr,                  "Change AGC reference level, 0..1023",                 {kAgcReferenceLabel}},
    {kAgcReferenceSpin,     Spin,           245,  22,  10,  13, nullptr,                  nullptr,                                               {}},
    {kGainMasterLabel,      TextNoWrap,     149,  47,  51,  13, "Gain",                   nullptr,                                               {}},
    {kGainMaster,           SignedNumber,   207,  47,  38,  13, nullptr,                  "Change master gain, -84...336",                       {kGainMasterLabel}},
    {kGainMasterSpin,       Spin,           245,  47,  10,  13, nullptr,                  nullptr,                                               {}},

    {kGroup + 5,            Group,          133,  70, 159,  60, "Knee",                   nullptr,                                               {}},
    {kKneeLabel,            TextNoWrap,     149,  79,  52,  13, "Knee Control",           nullptr,                                               {}},
    {kKneeOff,              RadioFirst,     207,  81,  27,  10, "Off",                    "Choose knee control off",                             {}},
    {kKneeOn,               Radio,          237,  81,  25,  10, "On",                     "Choose knee control on",                              {}},
    {kKneePointLabel,       TextNoWrap,     149,  94,  52,  13, "Point",                  nullptr,                                               {}},
    {kKneePointY,           UnsignedNumber, 207,  94,  38,  13, nullptr,                  "Change Knee point Y level, 0..1023",                  {kKneePointLabel}},
    {kKneePointYSpin,       Spin,           245,  94,  10,  13, nullptr,                  nullptr,                                               {}},
    {kKneeSlopeLabel,       TextNoWrap,     149, 109,  52,  13, "Slope",                  nullptr,                                               {}},
    {kKneeSlopeY,           UnsignedNumber, 207, 109,  38,  13, nullptr,                  "Change Knee slope Y level, 0..4095",                  {kKneeSlopeLabel}},
    {kKneeSlopeYSpin,       Spin,           245, 109,  10,  13, nullptr,                  nullptr,                                               {}},

    {kGroup + 6,            Group,          133, 134, 159,  38, "Setup",                  nullptr,                                               {}},
    {kSetupYLabel,          TextNoWrap,     149, 148,  52,  13, "Setup Level",            nullptr,                                               {}},
    {kSetupY,               SignedNumber,   207, 148,  38,  13, nullptr,                  "Change setup Y level, -128..256",                     {kSetupYLabel}},
    {kSetupYSpin,           Spin,           245, 148,  10,  13, nullptr,                  nullptr,                                               {}},

    {kGroup + 7,            Group,          133, 176, 159,  54, "Others",                 nullptr,                                               {}},
    {kImageDataLabel,       TextNoWrap,     140, 189,  52,  12, "Image Data",             nullptr,                                               {}},
    {kImageData,            DropDown,       195, 189,  90, 103, nullptr,                  "Select process bypass type",                          {kImageDataLabel}},
    {kCenterMarkerLabel,    TextNoWrap,     140, 205,  52,  12, "Center Marker",          nullptr,                                               {}},
    {kCenterMarker,         DropDown,       195, 205,  90, 103, nullptr,                  "Select center marker",                                {kCenterMarkerLabel}},

    {kStrip,                Strip,            7, 232, 285,   3, nullptr,                  nullptr,                                               {}},
};
// clang-format on

} // namespace

const DialogLayout& CDialogControlMono::Layout()
{
    static constexpr DialogLayout layout{228, "Monochrome Control", 299, 242, kControls};
    return layout;
}

CDialogControlMono::CDialogControlMono(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                                       PanelEnvironment& environment, QWidget* parent)
    : CDialogControlColor(panelSpec, owner, environment, parent, Layout(), false)
{
}

} // namespace zr
