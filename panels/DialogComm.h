#pragma once

#include "panels/DialogOCXBase.h"

namespace zr
{

// The communication panel: class and port, line status, transfers, setup files and the message
// list. So far only its frame: title, size and online strip.
class CDialogComm : public CDialogOCXBase
{
    Q_OBJECT

public:
    static const DialogLayout& Layout();

    CDialogComm(const PanelSpec& spec, CXKorvelCamCtrl& owner, PanelEnvironment& environment,
                QWidget* parent);
};

} // namespace zr
