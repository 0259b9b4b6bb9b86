#include "panels/DialogMain.h"

#include <QContextMenuEvent>
#include <QIcon>
#include <QPushButton>

#include "control/XKorvelCamCtrl.h"

namespace zr
{

namespace
{

// The buttons in their order on the panel, with the panel each shows and its picture.
using enum ControlKind;
using enum CDialogMain::ControlId;

struct MainButton {
    int id;
    int32_t panel;
    const char* picture;
};

constexpr int kMainLayout = 225;

// clang-format off
constexpr ControlSpec kControls[] = {
    {kControlButton, PushCheckBox,  0, 0, 16, 14, nullptr, "Click to common control dialog",   {}},
    {kImager1Button, PushCheckBox, 16, 0, 16, 14, nullptr, "Click to imager 1 control dialog", {}},
    {kImager2Button, PushCheckBox, 32, 0, 16, 14, nullptr, "Click to imager 2 control dialog", {}},
    {kCommButton, PushCheckBox, 48, 0, 16, 14, nullptr, "Click to communication dialog",       {}},
    {kAboutButton, PushCheckBox, 64, 0, 16, 14, nullptr, "Click to about dialog",              {}},
};
// clang-format on

constexpr MainButton kButtons[] = {
    {kControlButton, PANEL_CONTROL, ":/pictures/stopwatch.svg"},
    {kImager1Button, PANEL_IMAGER1, ":/pictures/disc1.svg"},
    {kImager2Button, PANEL_IMAGER2, ":/pictures/disc2.svg"},
    {kCommButton, PANEL_COMMUNICATION, ":/pictures/computer.svg"},
    {kAboutButton, PANEL_ABOUT, ":/pictures/question.svg"},
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

void CDialogMain::contextMenuEvent(QContextMenuEvent* event)
{
    event->ignore();
}

QPushButton* CDialogMain::Button(int32_t panelIndex) const
{
    for (const MainButton& entry : kButtons)
        if (entry.panel == panelIndex)
            return Controls().Get<QPushButton>(entry.id);
    return nullptr;
}

} // namespace zr
