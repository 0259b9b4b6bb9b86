#pragma once

#include <QDialog>

#include "panels/DialogLayout.h"

class QCheckBox;

namespace zr
{

class CXKorvelCamCtrl;
class DialogMetrics;

// The control's property page "General Property": five check boxes bound to the visibility
// properties. It shows the properties when created and writes a box to its property as soon as
// it is clicked.
class CXKorvelCamPropPage : public QDialog
{
    Q_OBJECT

public:
    static const DialogLayout& Layout();

    CXKorvelCamPropPage(CXKorvelCamCtrl& control, const DialogMetrics& metrics,
                        QWidget* parent = nullptr);

    // Properties into the boxes.
    void Load();
    // The box of a panel (1 to 5), or nullptr.
    QCheckBox* Box(int32_t panelIndex) const;

private:
    CXKorvelCamCtrl& control_;
    DialogControls controls_;
};

} // namespace zr
