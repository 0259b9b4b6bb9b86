#include "panels/DialogMain.h"

#include <QIcon>
#include <QPushButton>

#include "control/XKorvelCamCtrl.h"

namespace zr
{

namespace
{

// The buttons in their order on the panel, with the panel each shows and its picture.
struct MainButton {
    int id;
    int32_t panel;
    const char* picture;
};

constexpr int kMainLayout = 225;

constexpr ControlSpec kControls[] = {
    {1001, ControlKind::PushCheckBox, 0, 0, 16, 14, nullptr, "Click to common control dialog"},
    {1002, ControlKind::PushCheckBox, 16, 0, 16, 14, nullptr, "Click to imager 1 control dialog"},
    {1003, ControlKind::PushCheckBox, 32, 0, 16, 14, nullptr, "Click to imager 2 control dialog"},
    {1004, ControlKind::PushCheckBox, 48, 0, 16, 14, nullptr, "Click to communication dialog"},
    {1005, ControlKind::PushCheckBox, 64, 0, 16, 14, nullptr, "Click to about dialog"},
};

constexpr MainButton kButtons[] = {
    {1001, PANEL_CONTROL, ":/pictures/stopwatch.svg"},
    {1002, PANEL_IMAGER1, ":/pictures/disc1.svg"},
    {1003, PANEL_IMAGER2, ":/pictures/disc2.svg"},
    {1004, PANEL_COMMUNICATION, ":/pictures/computer.svg"},
    {1005, PANEL_ABOUT, ":/pictures/question.svg"},
};

constexpr int kPictureSize = 32;

} // namespace

const DialogLayout& CDialogMain::Layout()
{
    static constexpr DialogLayout layout{kMainLayout, "", 125, 64, kControls};
    return layout;
}

CDialogMain::CDialogMain(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                         PanelEnvironment& environment, QWidget* parent)
    : CDialogOCXBase(panelSpec, owner, environment, Layout(), parent)
{
    // The main panel covers the control's window, whatever size its container gives it.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    for (const MainButton& entry : kButtons) {
        QPushButton* button = Controls().Get<QPushButton>(entry.id);
        const QIcon picture(entry.picture);
        button->setIcon(picture);
        // The 32 x 32 picture, shrunk to fit inside the button's frame where the button is
        // smaller.
        const int side = std::min({kPictureSize, button->width() - 4, button->height() - 4});
        button->setIconSize(QSize(side, side));
        const int32_t panel = entry.panel;
        Handle(button, &QPushButton::clicked, [this, button, panel](bool) {
            Owner().SetPanelVisible(panel, button->isChecked());
        });
    }
    // Each floating panel sets its own button from its flag when it is created.
    Button(PANEL_ABOUT)->setChecked(true);
    // Always shown, inside the control's window.
    show();
}

void CDialogMain::ShowPanel(int32_t index, bool show)
{
    if (QPushButton* button = Button(index); button != nullptr && HasWindow())
        button->setChecked(show);
}

QPushButton* CDialogMain::Button(int32_t panelIndex) const
{
    for (const MainButton& entry : kButtons)
        if (entry.panel == panelIndex)
            return Controls().Get<QPushButton>(entry.id);
    return nullptr;
}

} // namespace zr
