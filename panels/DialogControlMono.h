#pragma once

#include "panels/DialogControlColor.h"

namespace zr
{

// The imager panel of a monochrome imager: the colour panel with its own layout and without the
// colour rows (white balance, red and blue gain, the green, red and blue setup levels and knee
// rows).
class CDialogControlMono : public CDialogControlColor
{
    Q_OBJECT

public:
    static const DialogLayout& Layout();

    CDialogControlMono(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                       PanelEnvironment& environment, QWidget* parent);
};

} // namespace zr
