#include "panels/DialogControlMono.h"

#include "panels/ImagerControlIds.h"

namespace zr
{

namespace
{

constexpr auto T = ControlKind::TextNoWrap;

constexpr ControlSpec kControls[] = {
    {IC_GROUP + 0, ControlKind::Group, 7, 2, 120, 47, "Shutter Mode", nullptr},
    {IC_SHUTTER_PRESET, ControlKind::RadioFirst, 14, 12, 37, 12, "Preset",
     "Select preset shutter mode"},
    {IC_SHUTTER_PROGRAMMABLE, ControlKind::Radio, 14, 25, 59, 16, "Programmable\nExposure",
     "Select programmable exposure shutter mode"},
    {IC_SHUTTER_SPEED, ControlKind::DropDown, 76, 12, 46, 131, nullptr, "Preset shutter speed"},
    {IC_EXPOSURE, ControlKind::UnsignedNumber, 76, 27, 46, 13, nullptr,
     "Select relative programmable exposure value, 0..792"},
    {IC_EXPOSURE_SPIN, ControlKind::Spin, 122, 27, 10, 13, nullptr, nullptr},

    {IC_GROUP + 1, ControlKind::Group, 7, 52, 120, 95, "Trigger Mode", nullptr},
    {IC_TRIGGER_MODE_LABEL, ControlKind::TextRight, 17, 62, 44, 12, "Trigger Mode", nullptr},
    {IC_TRIGGER_MODE, ControlKind::DropDown, 64, 62, 58, 103, nullptr, "Select trigger mode"},
    {IC_SMEARLESS_LABEL, T, 17, 78, 44, 12, "Smearless", nullptr},
    {IC_SMEARLESS, ControlKind::DropDown, 64, 78, 58, 103, nullptr, "Select smearless mode"},
    {IC_RCT_FVAL_LABEL, T, 9, 94, 52, 12, "RCT FVAL Type", nullptr},
    {IC_RCT_FVAL, ControlKind::DropDown, 64, 94, 58, 103, nullptr, "Select RCT FVAL type"},
    {IC_TRIGGER_POLARITY_LABEL, T, 10, 110, 51, 12, "Trigger Polarity", nullptr},
    {IC_TRIGGER_POLARITY, ControlKind::DropDown, 64, 110, 58, 103, nullptr,
     "Select trigger polarity"},
    {IC_TRIGGER_INPUT_LABEL, T, 17, 126, 44, 12, "Trigger Input", nullptr},
    {IC_TRIGGER_INPUT, ControlKind::DropDown, 64, 126, 58, 103, nullptr, "Select trigger input"},

    {IC_GROUP + 2, ControlKind::Group, 7, 150, 120, 30, "Image Format", nullptr},
    {IC_SCAN_FORMAT_LABEL, T, 14, 160, 46, 12, "Scan Format", nullptr},
    {IC_SCAN_FORMAT, ControlKind::DropDown, 64, 160, 57, 103, nullptr, "Select scanning format"},

    {IC_GROUP + 3, ControlKind::Group, 7, 184, 120, 46, "Shading Correction", nullptr},
    {IC_SHADING_MODE_LABEL, T, 14, 195, 46, 12, "Mode", nullptr},
    {IC_SHADING_MODE, ControlKind::DropDown, 64, 195, 57, 103, nullptr,
     "Select shading calibration mode"},
    {IC_SHADING_RUN, ControlKind::Button, 64, 209, 46, 14, "Run",
     "Click to recalibrate shading correction"},

    // The manual radio starts the group so that its position is the value 0 (AGC off).
    {IC_GROUP + 4, ControlKind::Group, 133, 2, 159, 65, "Gain", nullptr},
    {IC_GAIN_MANUAL, ControlKind::RadioFirst, 140, 37, 80, 10, "Manual Gain Control",
     "Choose AGC select off"},
    {IC_GAIN_AUTO, ControlKind::Radio, 140, 12, 73, 10, "Auto Gain Control",
     "Choose AGC select on"},
    {IC_AGC_REFERENCE_LABEL, T, 149, 22, 51, 13, "AGC Reference", nullptr},
    {IC_AGC_REFERENCE, ControlKind::UnsignedNumber, 207, 22, 38, 13, nullptr,
     "Change AGC reference level, 0..1023"},
    {IC_AGC_REFERENCE_SPIN, ControlKind::Spin, 245, 22, 10, 13, nullptr, nullptr},
    {IC_GAIN_MASTER_LABEL, T, 149, 47, 51, 13, "Gain", nullptr},
    {IC_GAIN_MASTER, ControlKind::SignedNumber, 207, 47, 38, 13, nullptr,
     "Change master gain, -84...336"},
    {IC_GAIN_MASTER_SPIN, ControlKind::Spin, 245, 47, 10, 13, nullptr, nullptr},

    {IC_GROUP + 5, ControlKind::Group, 133, 70, 159, 60, "Knee", nullptr},
    {IC_KNEE_LABEL, T, 149, 79, 52, 13, "Knee Control", nullptr},
    {IC_KNEE_OFF, ControlKind::RadioFirst, 207, 81, 27, 10, "Off", "Choose knee control off"},
    {IC_KNEE_ON, ControlKind::Radio, 237, 81, 25, 10, "On", "Choose knee control on"},
    {IC_KNEE_POINT_LABEL, T, 149, 94, 52, 13, "Point", nullptr},
    {IC_KNEE_POINT_Y, ControlKind::UnsignedNumber, 207, 94, 38, 13, nullptr,
     "Change Knee point Y level, 0..1023"},
    {IC_KNEE_POINT_Y_SPIN, ControlKind::Spin, 245, 94, 10, 13, nullptr, nullptr},
    {IC_KNEE_SLOPE_LABEL, T, 149, 109, 52, 13, "Slope", nullptr},
    {IC_KNEE_SLOPE_Y, ControlKind::UnsignedNumber, 207, 109, 38, 13, nullptr,
     "Change Knee slope Y level, 0..4095"},
    {IC_KNEE_SLOPE_Y_SPIN, ControlKind::Spin, 245, 109, 10, 13, nullptr, nullptr},

    {IC_GROUP + 6, ControlKind::Group, 133, 134, 159, 38, "Setup", nullptr},
    {IC_SETUP_Y_LABEL, T, 149, 148, 52, 13, "Setup Level", nullptr},
    {IC_SETUP_Y, ControlKind::SignedNumber, 207, 148, 38, 13, nullptr,
     "Change setup Y level, -128..256"},
    {IC_SETUP_Y_SPIN, ControlKind::Spin, 245, 148, 10, 13, nullptr, nullptr},

    {IC_GROUP + 7, ControlKind::Group, 133, 176, 159, 54, "Others", nullptr},
    {IC_IMAGE_DATA_LABEL, T, 140, 189, 52, 12, "Image Data", nullptr},
    {IC_IMAGE_DATA, ControlKind::DropDown, 195, 189, 90, 103, nullptr,
     "Select process bypass type"},
    {IC_CENTER_MARKER_LABEL, T, 140, 205, 52, 12, "Center Marker", nullptr},
    {IC_CENTER_MARKER, ControlKind::DropDown, 195, 205, 90, 103, nullptr, "Select center marker"},

    {IC_STRIP, ControlKind::Strip, 7, 232, 285, 3, nullptr, nullptr},
};

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
