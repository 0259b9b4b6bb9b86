#pragma once

#include "panels/DialogControlBase.h"

namespace zr
{

// The common control panel: output mode, the output format of each Camera Link connector, high
// frame rate, vertical binning and the one-push AYB with its area. The last three rows exist only
// when both imagers are of the same type; otherwise they are hidden and the panel is shortened.
class CDialogControl : public CDialogControlBase
{
    Q_OBJECT

public:
    // Control identifiers of the layout.
    enum ControlId : int {
        kStrip = 1,
        kOutputModeLabel = 10,
        kSynchronous,
        kSeparate,
        kCameraLink1Label,
        kCameraLink1,
        kCameraLink2Label,
        kCameraLink2,
        kProcessModeLabel,
        kHighFrameRate,
        kBinningLabel,
        kBinningOff,
        kBinningOn,
        kAybLabel,
        kAybArea,
        kAybRun,
    };

    static const DialogLayout& Layout();

    CDialogControl(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                   PanelEnvironment& environment, QWidget* parent);

    // The shared refresh, and what follows from a change made by the user or a script: a trigger
    // mode without dual outputs (PIV) or separate operation turns a dual output format into its
    // single form, and high frame rate brings the imagers to synchronous operation.
    void OnParameterChanged(int32_t parameter, bool interactive, bool updateControls) override;

protected:
    // "Run": the one-push AYB of both imagers with its result message, under the wait cursor.
    void RunAction(const ControlBinding& binding) override;

private:
    // Hides the rows that exist only for imagers of the same type, moves the online strip up
    // under the Camera Link rows and shortens the window by as much.
    void HideAlikeRows();
};

} // namespace zr
