#include "panels/DialogControlColor.h"

#include "camera/ParameterTable.h"
#include "control/XKorvelCamCtrl.h"
#include "panels/ImagerBindings.h"
#include "panels/ImagerTitle.h"
#include "panels/WaitCursor.h"

namespace zr
{

namespace
{

using enum ControlKind;
using enum CDialogControlColor::ControlId;

// clang-format off
constexpr ControlSpec kControls[] = {
    {kGroup + 0,            Group,            7,   2, 120,  45, "Shutter Mode",           nullptr,                                               {}},
    {kShutterPreset,        RadioFirst,      14,  12,  37,  12, "Preset",                 "Select preset shutter mode",                          {}},
    {kShutterProgrammable,  Radio,           14,  25,  59,  16, "Programmable\nExposure", "Select programmable exposure shutter mode",           {}},
    {kShutterSpeed,         DropDown,        76,  12,  46, 131, nullptr,                  "Preset shutter speed",                                {kShutterPreset}},
    {kExposure,             UnsignedNumber,  76,  27,  46,  13, nullptr,                  "Select relative programmable exposure value, 0..792", {kShutterProgrammable}},
    {kExposureSpin,         Spin,           122,  27,  10,  13, nullptr,                  nullptr,                                               {}},

    {kGroup + 1,            Group,            7,  49, 120,  97, "Trigger Mode",           nullptr,                                               {}},
    {kTriggerModeLabel,     TextRight,       17,  60,  44,  12, "Trigger Mode",           nullptr,                                               {}},
    {kTriggerMode,          DropDown,        64,  60,  58, 103, nullptr,                  "Select trigger mode",                                 {kTriggerModeLabel}},
    {kSmearlessLabel,       TextNoWrap,      17,  76,  44,  12, "Smearless",              nullptr,                                               {}},
    {kSmearless,            DropDown,        64,  76,  58, 103, nullptr,                  "Select smearless mode",                               {kSmearlessLabel}},
    {kRctFvalLabel,         TextNoWrap,       9,  92,  52,  12, "RCT FVAL Type",          nullptr,                                               {}},
    {kRctFval,              DropDown,        64,  92,  58, 103, nullptr,                  "Select RCT FVAL type",                                {kRctFvalLabel}},
    {kTriggerPolarityLabel, TextNoWrap,      10, 108,  51,  12, "Trigger Polarity",       nullptr,                                               {}},
    {kTriggerPolarity,      DropDown,        64, 108,  58, 103, nullptr,                  "Select trigger polarity",                             {kTriggerPolarityLabel}},
    {kTriggerInputLabel,    TextNoWrap,      17, 124,  44,  12, "Trigger Input",          nullptr,                                               {}},
    {kTriggerInput,         DropDown,        64, 124,  58, 103, nullptr,                  "Select trigger input",                                {kTriggerInputLabel}},

    {kGroup + 2,            Group,            7, 149, 120,  31, "Image Format",           nullptr,                                               {}},
    {kScanFormatLabel,      TextNoWrap,      14, 161,  45,  12, "Scan Format",            nullptr,                                               {}},
    {kScanFormat,           DropDown,        64, 160,  58, 103, nullptr,                  "Select scanning format",                              {kScanFormatLabel}},

    {kGroup + 3,            Group,            7, 183, 120,  49, "Shading Correction",     nullptr,                                               {}},
    {kShadingModeLabel,     TextNoWrap,      15, 195,  45,  12, "Mode",                   nullptr,                                               {}},
    {kShadingMode,          DropDown,        64, 195,  57, 103, nullptr,                  "Select shading calibration mode",                     {kShadingModeLabel}},
    {kShadingRun,           Button,          64, 210,  46,  14, "Run",                    "Click to recalibrate shading correction",             {}},

    {kGroup + 4,            Group,            7, 235, 120,  48, "Others",                 nullptr,                                               {}},
    {kImageDataLabel,       TextNoWrap,      11, 247,  50,  12, "Image Data",             nullptr,                                               {}},
    {kImageData,            DropDown,        64, 247,  58, 103, nullptr,                  "Select process bypass type",                          {kImageDataLabel}},
    {kCenterMarkerLabel,    TextNoWrap,      11, 263,  50,  12, "Center Marker",          nullptr,                                               {}},
    {kCenterMarker,         DropDown,        64, 263,  58, 103, nullptr,                  "Select center marker",                                {kCenterMarkerLabel}},

    // The manual radio starts the group so that its position is the value 0 (AGC off).
    {kGroup + 5,            Group,          133,   2, 159,  72, "Gain",                   nullptr,                                               {}},
    {kGainManual,           RadioFirst,     140,  34,  81,  10, "Manual Gain Control",    "Choose AGC select off",                               {}},
    {kGainAuto,             Radio,          140,  12,  84,  10, "Auto Gain Control",      "Choose AGC select on",                                {}},
    {kAgcReferenceLabel,    TextNoWrap,     194,  21,  49,  13, "AGC Reference",          nullptr,                                               {}},
    {kAgcReference,         UnsignedNumber, 247,  21,  38,  13, nullptr,                  "Change AGC reference level, 0..1023",                 {kAgcReferenceLabel}},
    {kAgcReferenceSpin,     Spin,           285,  21,  10,  13, nullptr,                  nullptr,                                               {}},
    {kGainMasterLabel,      TextCentre,     163,  44,  38,   8, "Master",                 nullptr,                                               {}},
    {kGainRedLabel,         TextCentre,     205,  44,  38,   8, "Red",                    nullptr,                                               {}},
    {kGainBlueLabel,        TextCentre,     247,  44,  38,   8, "Blue",                   nullptr,                                               {}},
    {kGainMaster,           SignedNumber,   163,  52,  38,  13, nullptr,                  "Change master gain, -84..336",                        {kGainMasterLabel, kGroup + 5}},
    {kGainMasterSpin,       Spin,           201,  52,  10,  13, nullptr,                  nullptr,                                               {}},
    {kGainRed,              SignedNumber,   205,  52,  38,  13, nullptr,                  "Change red gain, -1023..1024",                        {kGainRedLabel, kGroup + 5}},
    {kGainRedSpin,          Spin,           243,  52,  10,  13, nullptr,                  nullptr,                                               {}},
    {kGainBlue,             SignedNumber,   247,  52,  38,  13, nullptr,                  "Change blue gain, -1023..1024",                       {kGainBlueLabel, kGroup + 5}},
    {kGainBlueSpin,         Spin,           285,  52,  10,  13, nullptr,                  nullptr,                                               {}},

    {kGroup + 6,            Group,          133,  76, 159,  62, "White Balance",          nullptr,                                               {}},
    {kWbModeLabel,          TextNoWrap,     139,  87,  45,  12, "WB Mode",                nullptr,                                               {}},
    {kWbMode,               DropDown,       189,  87,  96, 103, nullptr,                  "Select white balance mode",                           {kWbModeLabel}},
    {kWbAreaLabel,          TextNoWrap,     139, 102,  45,  12, "WB Area",                nullptr,                                               {}},
    {kWbArea,               DropDown,       189, 102,  96, 103, nullptr,                  "Select AWB area",                                     {kWbAreaLabel}},
    {kAwbLabel,             TextNoWrap,     139, 117,  49,  14, "One-Push AWB",           nullptr,                                               {}},
    {kAwbRun,               Button,         189, 117,  46,  14, "Run",                    "Click to execute AWB",                                {kAwbLabel}},

    {kGroup + 7,            Group,          133, 141, 159,  91, "Knee",                   nullptr,                                               {}},
    {kKneeLabel,            TextNoWrap,     139, 148,  45,  12, "Knee",                   nullptr,                                               {}},
    {kKneeOff,              RadioFirst,     189, 148,  31,  13, "Off",                    "Choose knee control off",                             {}},
    {kKneeOn,               Radio,          236, 148,  33,  13, "On",                     "Choose knee control on",                              {}},
    {kKneePointLabel,       TextCentre,     189, 161,  38,   8, "Point",                  nullptr,                                               {}},
    {kKneeSlopeLabel,       TextCentre,     236, 161,  38,   8, "Slope",                  nullptr,                                               {}},
    {kKneeRedLabel,         TextNoWrap,     139, 170,  45,  13, "Red",                    nullptr,                                               {}},
    {kKneeGreenLabel,       TextNoWrap,     139, 184,  45,  13, "Green",                  nullptr,                                               {}},
    {kKneeBlueLabel,        TextNoWrap,     139, 198,  45,  13, "Blue",                   nullptr,                                               {}},
    {kKneeYLabel,           TextNoWrap,     139, 212,  45,  13, "Y",                      nullptr,                                               {}},
    {kKneePointRed,         UnsignedNumber, 189, 170,  38,  13, nullptr,                  "Change red knee point, 0..1023",                      {kKneeRedLabel, kKneePointLabel}},
    {kKneePointRedSpin,     Spin,           227, 170,  10,  13, nullptr,                  nullptr,                                               {}},
    {kKneeSlopeRed,         UnsignedNumber, 236, 170,  38,  13, nullptr,                  "Change red knee slope, 0..4095",                      {kKneeRedLabel, kKneeSlopeLabel}},
    {kKneeSlopeRedSpin,     Spin,           274, 170,  10,  13, nullptr,                  nullptr,                                               {}},
    {kKneePointGreen,       UnsignedNumber, 189, 184,  38,  13, nullptr,                  "Change green knee point, 0..1023",                    {kKneeGreenLabel, kKneePointLabel}},
    {kKneePointGreenSpin,   Spin,           227, 184,  10,  13, nullptr,                  nullptr,                                               {}},
    {kKneeSlopeGreen,       UnsignedNumber, 236, 184,  38,  13, nullptr,                  "Change green knee slope, 0..4095",                    {kKneeGreenLabel, kKneeSlopeLabel}},
    {kKneeSlopeGreenSpin,   Spin,           274, 184,  10,  13, nullptr,                  nullptr,                                               {}},
    {kKneePointBlue,        UnsignedNumber, 189, 198,  38,  13, nullptr,                  "Change blue knee point, 0..1023",                     {kKneeBlueLabel, kKneePointLabel}},
    {kKneePointBlueSpin,    Spin,           227, 198,  10,  13, nullptr,                  nullptr,                                               {}},
    {kKneeSlopeBlue,        UnsignedNumber, 236, 198,  38,  13, nullptr,                  "Change blue knee slope, 0..4095",                     {kKneeBlueLabel, kKneeSlopeLabel}},
    {kKneeSlopeBlueSpin,    Spin,           274, 198,  10,  13, nullptr,                  nullptr,                                               {}},
    {kKneePointY,           UnsignedNumber, 189, 212,  38,  13, nullptr,                  "Change Knee point Y level, 0..1023",                  {kKneeYLabel, kKneePointLabel}},
    {kKneePointYSpin,       Spin,           227, 212,  10,  13, nullptr,                  nullptr,                                               {}},
    {kKneeSlopeY,           UnsignedNumber, 236, 212,  38,  13, nullptr,                  "Change Knee slope Y level, 0..4095",                  {kKneeYLabel, kKneeSlopeLabel}},
    {kKneeSlopeYSpin,       Spin,           274, 212,  10,  13, nullptr,                  nullptr,                                               {}},

    {kGroup + 8,            Group,          133, 235, 159,  48, "Setup Level",            nullptr,                                               {}},
    {kSetupGreenLabel,      TextCentre,     165, 242,  38,   8, "Green",                  nullptr,                                               {}},
    {kSetupRedLabel,        TextCentre,     207, 242,  38,   8, "Red",                    nullptr,                                               {}},
    {kSetupBlueLabel,       TextCentre,     247, 242,  38,   8, "Blue",                   nullptr,                                               {}},
    {kSetupGreen,           SignedNumber,   167, 250,  38,  13, nullptr,                  "Change green setup level, -128..256",                 {kSetupGreenLabel, kGroup + 8}},
    {kSetupGreenSpin,       Spin,           205, 250,  10,  13, nullptr,                  nullptr,                                               {}},
    {kSetupRed,             SignedNumber,   208, 250,  38,  13, nullptr,                  "Change red setup level, -128..256",                   {kSetupRedLabel, kGroup + 8}},
    {kSetupRedSpin,         Spin,           246, 250,  10,  13, nullptr,                  nullptr,                                               {}},
    {kSetupBlue,            SignedNumber,   249, 250,  38,  13, nullptr,                  "Change blue setup level, -128..256",                  {kSetupBlueLabel, kGroup + 8}},
    {kSetupBlueSpin,        Spin,           287, 250,  10,  13, nullptr,                  nullptr,                                               {}},
    {kSetupYLabel,          TextNoWrap,     139, 264,  21,  13, "Y",                      nullptr,                                               {}},
    {kSetupY,               SignedNumber,   167, 264,  38,  13, nullptr,                  "Change setup Y level, -128..256",                     {kSetupYLabel, kGroup + 8}},
    {kSetupYSpin,           Spin,           205, 264,  10,  13, nullptr,                  nullptr,                                               {}},

    {kStrip,                Strip,            7, 285, 285,   3, nullptr,                  nullptr,                                               {}},
};
// clang-format on

} // namespace

const DialogLayout& CDialogControlColor::Layout()
{
    static constexpr DialogLayout layout{227, "Color Control", 299, 295, kControls};
    return layout;
}

CDialogControlColor::CDialogControlColor(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                                         PanelEnvironment& environment, QWidget* parent)
    : CDialogControlColor(panelSpec, owner, environment, parent, Layout(), true)
{
}

CDialogControlColor::CDialogControlColor(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                                         PanelEnvironment& environment, QWidget* parent,
                                         const DialogLayout& layout, bool colour)
    : CDialogControlBase(panelSpec, owner, environment, layout, parent, ImagerBindings(colour),
                         panelSpec.index - PANEL_IMAGER1)
{
    setWindowTitle(ImagerTitle(owner, panelSpec.index));
    InitialiseControls();
}

void CDialogControlColor::RunAction(const ControlBinding& binding)
{
    const WaitCursor wait(Owner().Ui());
    int32_t result = 0;
    // The outcome is shown by the operation itself; new values arrive as parameter changes.
    if (binding.row == P_AW1)
        Owner().RunOnePushBalance(Imager(), result, true);
    else
        Owner().RunShadingRecalibration(Imager(), result, true);
}

} // namespace zr
