#pragma once

#include "panels/DialogOCXBase.h"

namespace zr
{

// The imager panel of a colour imager. So far only its frame: title ("Imager %d - %s"), size and
// online strip.
class CDialogControlColor : public CDialogOCXBase
{
    Q_OBJECT

public:
    static const DialogLayout& Layout();

    CDialogControlColor(const PanelSpec& spec, CXKorvelCamCtrl& owner,
                        PanelEnvironment& environment, QWidget* parent);
};

} // namespace zr
