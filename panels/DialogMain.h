#pragma once

#include <array>

#include "panels/DialogOCXBase.h"

class QPushButton;

namespace zr
{

// The main panel: a row of five toggle buttons, one per floating panel, inside the control's
// window. A pressed button means that its panel is shown.
class CDialogMain : public CDialogOCXBase
{
    Q_OBJECT

public:
    // Control identifiers of the layout: the toggle buttons of panels 1 to 5.
    enum ControlId : int {
        kControlButton = 1001,
        kImager1Button,
        kImager2Button,
        kCommButton,
        kAboutButton,
    };

    static const DialogLayout& Layout();

    CDialogMain(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner, PanelEnvironment& environment,
                QWidget* parent);

    // Sets the button of panel 1 to 5 to pressed or released; the main panel itself is never
    // hidden.
    void ShowPanel(int32_t index, bool show) override;

    // The toggle button of panel 1 to 5, or nullptr.
    QPushButton* Button(int32_t panelIndex) const;

protected:
    // Passed on to the window that carries the control: a right click anywhere on the panel,
    // its buttons included, opens the host's context menu.
    void contextMenuEvent(QContextMenuEvent* event) override;
};

} // namespace zr
