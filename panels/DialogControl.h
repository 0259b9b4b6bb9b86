#pragma once

#include "panels/DialogOCXBase.h"

namespace zr
{

// The common control panel: the settings common to both imagers. So far only its frame: title, size
// and online strip.
class CDialogControl : public CDialogOCXBase
{
    Q_OBJECT

public:
    static const DialogLayout& Layout();

    CDialogControl(const PanelSpec& spec, CXKorvelCamCtrl& owner, PanelEnvironment& environment,
                   QWidget* parent);
};

} // namespace zr
