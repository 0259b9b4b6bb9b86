#pragma once

#include "panels/DialogControlBase.h"

namespace zr
{

// The imager panel of a colour imager (panel 4 for imager 1, panel 5 for imager 2): shutter,
// trigger, gain, white balance, knee, setup levels, scan format, shading and image data of its
// imager, titled "Imager %d - %s" with the imager's type name. Every control is filled,
// committed, refreshed and enabled from the imager binding table; what is the panel's own are
// the one-push white balance and the shading recalibration.
class CDialogControlColor : public CDialogControlBase
{
    Q_OBJECT

public:
    // Control identifiers of the imager layouts. The colour and the monochrome layout give the
    // same control the same identifier, so that one binding table serves both.
    enum ControlId : int {
        kStrip = 1,
        kShutterPreset = 10,
        kShutterProgrammable,
        kShutterSpeed,
        kExposure,
        kExposureSpin,
        kTriggerModeLabel = 20,
        kTriggerMode,
        kSmearlessLabel,
        kSmearless,
        kRctFvalLabel,
        kRctFval,
        kTriggerPolarityLabel,
        kTriggerPolarity,
        kTriggerInputLabel,
        kTriggerInput,
        kScanFormatLabel,
        kScanFormat,
        kShadingModeLabel,
        kShadingMode,
        kShadingRun,
        kImageDataLabel,
        kImageData,
        kCenterMarkerLabel,
        kCenterMarker,
        kGainManual = 40,
        kGainAuto,
        kAgcReferenceLabel,
        kAgcReference,
        kAgcReferenceSpin,
        kGainMasterLabel, // "Master" on the colour panel, "Gain" on the monochrome panel
        kGainRedLabel,
        kGainBlueLabel,
        kGainMaster,
        kGainMasterSpin,
        kGainRed,
        kGainRedSpin,
        kGainBlue,
        kGainBlueSpin,
        kWbModeLabel = 60,
        kWbMode,
        kWbAreaLabel,
        kWbArea,
        kAwbLabel,
        kAwbRun,
        kKneeLabel = 70,
        kKneeOff,
        kKneeOn,
        kKneePointLabel, // column label on the colour panel, the Y point's caption on the other
        kKneeSlopeLabel,
        kKneeRedLabel,
        kKneeGreenLabel,
        kKneeBlueLabel,
        kKneeYLabel,
        kKneePointRed = 80,
        kKneePointRedSpin,
        kKneePointGreen,
        kKneePointGreenSpin,
        kKneePointBlue,
        kKneePointBlueSpin,
        kKneePointY,
        kKneePointYSpin,
        kKneeSlopeRed,
        kKneeSlopeRedSpin,
        kKneeSlopeGreen,
        kKneeSlopeGreenSpin,
        kKneeSlopeBlue,
        kKneeSlopeBlueSpin,
        kKneeSlopeY,
        kKneeSlopeYSpin,
        kSetupGreenLabel = 100,
        kSetupRedLabel,
        kSetupBlueLabel,
        kSetupYLabel, // "Y" on the colour panel, "Setup Level" on the monochrome panel
        kSetupGreen,
        kSetupGreenSpin,
        kSetupRed,
        kSetupRedSpin,
        kSetupBlue,
        kSetupBlueSpin,
        kSetupY,
        kSetupYSpin,
        kGroup = 200, // group frames: 200 and up
    };

    static const DialogLayout& Layout();

    CDialogControlColor(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                        PanelEnvironment& environment, QWidget* parent);

protected:
    // The monochrome panel: another layout and the table without the colour rows.
    CDialogControlColor(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                        PanelEnvironment& environment, QWidget* parent, const DialogLayout& layout,
                        bool colour);

    // "Run" of the white balance or of the shading correction: the imager's one-push operation
    // with its progress and result message, under the wait cursor. The new values come back as
    // parameter changes.
    void RunAction(const ControlBinding& binding) override;
};

} // namespace zr
