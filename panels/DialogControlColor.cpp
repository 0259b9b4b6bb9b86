#include "panels/DialogControlColor.h"

#include "camera/ParameterTable.h"
#include "control/XKorvelCamCtrl.h"
#include "panels/ImagerBindings.h"
#include "panels/ImagerControlIds.h"
#include "panels/ImagerTitle.h"
#include "panels/WaitCursor.h"

namespace zr
{

namespace
{

constexpr auto T = ControlKind::TextNoWrap;

constexpr ControlSpec kControls[] = {
    {IC_GROUP + 0, ControlKind::Group, 7, 2, 120, 45, "Shutter Mode", nullptr},
    {IC_SHUTTER_PRESET, ControlKind::RadioFirst, 14, 12, 37, 12, "Preset",
     "Select preset shutter mode"},
    {IC_SHUTTER_PROGRAMMABLE, ControlKind::Radio, 14, 25, 59, 16, "Programmable\nExposure",
     "Select programmable exposure shutter mode"},
    {IC_SHUTTER_SPEED, ControlKind::DropDown, 76, 12, 46, 131, nullptr, "Preset shutter speed"},
    {IC_EXPOSURE, ControlKind::UnsignedNumber, 76, 27, 46, 13, nullptr,
     "Select relative programmable exposure value, 0..792"},
    {IC_EXPOSURE_SPIN, ControlKind::Spin, 122, 27, 10, 13, nullptr, nullptr},

    {IC_GROUP + 1, ControlKind::Group, 7, 49, 120, 97, "Trigger Mode", nullptr},
    {IC_TRIGGER_MODE_LABEL, ControlKind::TextRight, 17, 60, 44, 12, "Trigger Mode", nullptr},
    {IC_TRIGGER_MODE, ControlKind::DropDown, 64, 60, 58, 103, nullptr, "Select trigger mode"},
    {IC_SMEARLESS_LABEL, T, 17, 76, 44, 12, "Smearless", nullptr},
    {IC_SMEARLESS, ControlKind::DropDown, 64, 76, 58, 103, nullptr, "Select smearless mode"},
    {IC_RCT_FVAL_LABEL, T, 9, 92, 52, 12, "RCT FVAL Type", nullptr},
    {IC_RCT_FVAL, ControlKind::DropDown, 64, 92, 58, 103, nullptr, "Select RCT FVAL type"},
    {IC_TRIGGER_POLARITY_LABEL, T, 10, 108, 51, 12, "Trigger Polarity", nullptr},
    {IC_TRIGGER_POLARITY, ControlKind::DropDown, 64, 108, 58, 103, nullptr,
     "Select trigger polarity"},
    {IC_TRIGGER_INPUT_LABEL, T, 17, 124, 44, 12, "Trigger Input", nullptr},
    {IC_TRIGGER_INPUT, ControlKind::DropDown, 64, 124, 58, 103, nullptr, "Select trigger input"},

    {IC_GROUP + 2, ControlKind::Group, 7, 149, 120, 31, "Image Format", nullptr},
    {IC_SCAN_FORMAT_LABEL, T, 14, 161, 45, 12, "Scan Format", nullptr},
    {IC_SCAN_FORMAT, ControlKind::DropDown, 64, 160, 58, 103, nullptr, "Select scanning format"},

    {IC_GROUP + 3, ControlKind::Group, 7, 183, 120, 49, "Shading Correction", nullptr},
    {IC_SHADING_MODE_LABEL, T, 15, 195, 45, 12, "Mode", nullptr},
    {IC_SHADING_MODE, ControlKind::DropDown, 64, 195, 57, 103, nullptr,
     "Select shading calibration mode"},
    {IC_SHADING_RUN, ControlKind::Button, 64, 210, 46, 14, "Run",
     "Click to recalibrate shading correction"},

    {IC_GROUP + 4, ControlKind::Group, 7, 235, 120, 48, "Others", nullptr},
    {IC_IMAGE_DATA_LABEL, T, 11, 247, 50, 12, "Image Data", nullptr},
    {IC_IMAGE_DATA, ControlKind::DropDown, 64, 247, 58, 103, nullptr, "Select process bypass type"},
    {IC_CENTER_MARKER_LABEL, T, 11, 263, 50, 12, "Center Marker", nullptr},
    {IC_CENTER_MARKER, ControlKind::DropDown, 64, 263, 58, 103, nullptr, "Select center marker"},

    // The manual radio starts the group so that its position is the value 0 (AGC off).
    {IC_GROUP + 5, ControlKind::Group, 133, 2, 159, 72, "Gain", nullptr},
    {IC_GAIN_MANUAL, ControlKind::RadioFirst, 140, 34, 81, 10, "Manual Gain Control",
     "Choose AGC select off"},
    {IC_GAIN_AUTO, ControlKind::Radio, 140, 12, 84, 10, "Auto Gain Control",
     "Choose AGC select on"},
    {IC_AGC_REFERENCE_LABEL, T, 194, 21, 49, 13, "AGC Reference", nullptr},
    {IC_AGC_REFERENCE, ControlKind::UnsignedNumber, 247, 21, 38, 13, nullptr,
     "Change AGC reference level, 0..1023"},
    {IC_AGC_REFERENCE_SPIN, ControlKind::Spin, 285, 21, 10, 13, nullptr, nullptr},
    {IC_GAIN_MASTER_LABEL, ControlKind::TextCentre, 163, 44, 38, 8, "Master", nullptr},
    {IC_GAIN_RED_LABEL, ControlKind::TextCentre, 205, 44, 38, 8, "Red", nullptr},
    {IC_GAIN_BLUE_LABEL, ControlKind::TextCentre, 247, 44, 38, 8, "Blue", nullptr},
    {IC_GAIN_MASTER, ControlKind::SignedNumber, 163, 52, 38, 13, nullptr,
     "Change master gain, -84..336"},
    {IC_GAIN_MASTER_SPIN, ControlKind::Spin, 201, 52, 10, 13, nullptr, nullptr},
    {IC_GAIN_RED, ControlKind::SignedNumber, 205, 52, 38, 13, nullptr,
     "Change red gain, -1023..1024"},
    {IC_GAIN_RED_SPIN, ControlKind::Spin, 243, 52, 10, 13, nullptr, nullptr},
    {IC_GAIN_BLUE, ControlKind::SignedNumber, 247, 52, 38, 13, nullptr,
     "Change blue gain, -1023..1024"},
    {IC_GAIN_BLUE_SPIN, ControlKind::Spin, 285, 52, 10, 13, nullptr, nullptr},

    {IC_GROUP + 6, ControlKind::Group, 133, 76, 159, 62, "White Balance", nullptr},
    {IC_WB_MODE_LABEL, T, 139, 87, 45, 12, "WB Mode", nullptr},
    {IC_WB_MODE, ControlKind::DropDown, 189, 87, 96, 103, nullptr, "Select white balance mode"},
    {IC_WB_AREA_LABEL, T, 139, 102, 45, 12, "WB Area", nullptr},
    {IC_WB_AREA, ControlKind::DropDown, 189, 102, 96, 103, nullptr, "Select AWB area"},
    {IC_AWB_LABEL, T, 139, 117, 49, 14, "One-Push AWB", nullptr},
    {IC_AWB_RUN, ControlKind::Button, 189, 117, 46, 14, "Run", "Click to execute AWB"},

    {IC_GROUP + 7, ControlKind::Group, 133, 141, 159, 91, "Knee", nullptr},
    {IC_KNEE_LABEL, T, 139, 148, 45, 12, "Knee", nullptr},
    {IC_KNEE_OFF, ControlKind::RadioFirst, 189, 148, 31, 13, "Off", "Choose knee control off"},
    {IC_KNEE_ON, ControlKind::Radio, 236, 148, 33, 13, "On", "Choose knee control on"},
    {IC_KNEE_POINT_LABEL, ControlKind::TextCentre, 189, 161, 38, 8, "Point", nullptr},
    {IC_KNEE_SLOPE_LABEL, ControlKind::TextCentre, 236, 161, 38, 8, "Slope", nullptr},
    {IC_KNEE_RED_LABEL, T, 139, 170, 45, 13, "Red", nullptr},
    {IC_KNEE_GREEN_LABEL, T, 139, 184, 45, 13, "Green", nullptr},
    {IC_KNEE_BLUE_LABEL, T, 139, 198, 45, 13, "Blue", nullptr},
    {IC_KNEE_Y_LABEL, T, 139, 212, 45, 13, "Y", nullptr},
    {IC_KNEE_POINT_RED, ControlKind::UnsignedNumber, 189, 170, 38, 13, nullptr,
     "Change red knee point, 0..1023"},
    {IC_KNEE_POINT_RED_SPIN, ControlKind::Spin, 227, 170, 10, 13, nullptr, nullptr},
    {IC_KNEE_SLOPE_RED, ControlKind::UnsignedNumber, 236, 170, 38, 13, nullptr,
     "Change red knee slope, 0..4095"},
    {IC_KNEE_SLOPE_RED_SPIN, ControlKind::Spin, 274, 170, 10, 13, nullptr, nullptr},
    {IC_KNEE_POINT_GREEN, ControlKind::UnsignedNumber, 189, 184, 38, 13, nullptr,
     "Change green knee point, 0..1023"},
    {IC_KNEE_POINT_GREEN_SPIN, ControlKind::Spin, 227, 184, 10, 13, nullptr, nullptr},
    {IC_KNEE_SLOPE_GREEN, ControlKind::UnsignedNumber, 236, 184, 38, 13, nullptr,
     "Change green knee slope, 0..4095"},
    {IC_KNEE_SLOPE_GREEN_SPIN, ControlKind::Spin, 274, 184, 10, 13, nullptr, nullptr},
    {IC_KNEE_POINT_BLUE, ControlKind::UnsignedNumber, 189, 198, 38, 13, nullptr,
     "Change blue knee point, 0..1023"},
    {IC_KNEE_POINT_BLUE_SPIN, ControlKind::Spin, 227, 198, 10, 13, nullptr, nullptr},
    {IC_KNEE_SLOPE_BLUE, ControlKind::UnsignedNumber, 236, 198, 38, 13, nullptr,
     "Change blue knee slope, 0..4095"},
    {IC_KNEE_SLOPE_BLUE_SPIN, ControlKind::Spin, 274, 198, 10, 13, nullptr, nullptr},
    {IC_KNEE_POINT_Y, ControlKind::UnsignedNumber, 189, 212, 38, 13, nullptr,
     "Change Knee point Y level, 0..1023"},
    {IC_KNEE_POINT_Y_SPIN, ControlKind::Spin, 227, 212, 10, 13, nullptr, nullptr},
    {IC_KNEE_SLOPE_Y, ControlKind::UnsignedNumber, 236, 212, 38, 13, nullptr,
     "Change Knee slope Y level, 0..4095"},
    {IC_KNEE_SLOPE_Y_SPIN, ControlKind::Spin, 274, 212, 10, 13, nullptr, nullptr},

    {IC_GROUP + 8, ControlKind::Group, 133, 235, 159, 48, "Setup Level", nullptr},
    {IC_SETUP_GREEN_LABEL, ControlKind::TextCentre, 165, 242, 38, 8, "Green", nullptr},
    {IC_SETUP_RED_LABEL, ControlKind::TextCentre, 207, 242, 38, 8, "Red", nullptr},
    {IC_SETUP_BLUE_LABEL, ControlKind::TextCentre, 247, 242, 38, 8, "Blue", nullptr},
    {IC_SETUP_GREEN, ControlKind::SignedNumber, 167, 250, 38, 13, nullptr,
     "Change green setup level, -128..256"},
    {IC_SETUP_GREEN_SPIN, ControlKind::Spin, 205, 250, 10, 13, nullptr, nullptr},
    {IC_SETUP_RED, ControlKind::SignedNumber, 208, 250, 38, 13, nullptr,
     "Change red setup level, -128..256"},
    {IC_SETUP_RED_SPIN, ControlKind::Spin, 246, 250, 10, 13, nullptr, nullptr},
    {IC_SETUP_BLUE, ControlKind::SignedNumber, 249, 250, 38, 13, nullptr,
     "Change blue setup level, -128..256"},
    {IC_SETUP_BLUE_SPIN, ControlKind::Spin, 287, 250, 10, 13, nullptr, nullptr},
    {IC_SETUP_Y_LABEL, T, 139, 264, 21, 13, "Y", nullptr},
    {IC_SETUP_Y, ControlKind::SignedNumber, 167, 264, 38, 13, nullptr,
     "Change setup Y level, -128..256"},
    {IC_SETUP_Y_SPIN, ControlKind::Spin, 205, 264, 10, 13, nullptr, nullptr},

    {IC_STRIP, ControlKind::Strip, 7, 285, 285, 3, nullptr, nullptr},
};

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
