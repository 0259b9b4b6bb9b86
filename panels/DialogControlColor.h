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
