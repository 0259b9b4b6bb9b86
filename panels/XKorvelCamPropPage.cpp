#include "panels/XKorvelCamPropPage.h"

#include <QCheckBox>

#include "control/XKorvelCamCtrl.h"

namespace zr
{

namespace
{

// The boxes in the order the page exchanges them, with the panel whose property each holds.
struct PageBox {
    int id;
    int32_t panel;
};

constexpr ControlSpec kControls[] = {
    {283, ControlKind::CheckBox, 15, 7, 151, 10, "Control", nullptr, {}},
    {289, ControlKind::CheckBox, 15, 18, 151, 10, "Imager 1 Control", nullptr, {}},
    {290, ControlKind::CheckBox, 15, 29, 151, 10, "Imager 2 Control", nullptr, {}},
    {284, ControlKind::CheckBox, 15, 40, 151, 10, "Communication", nullptr, {}},
    {285, ControlKind::CheckBox, 15, 51, 151, 10, "About", nullptr, {}},
};

constexpr PageBox kBoxes[] = {
    {283, PANEL_CONTROL},       {289, PANEL_IMAGER1}, {290, PANEL_IMAGER2},
    {284, PANEL_COMMUNICATION}, {285, PANEL_ABOUT},
};

} // namespace

const DialogLayout& CXKorvelCamPropPage::Layout()
{
    static constexpr DialogLayout layout{200, "General Property", 250, 68, kControls};
    return layout;
}

CXKorvelCamPropPage::CXKorvelCamPropPage(CXKorvelCamCtrl& control, const DialogMetrics& metrics,
                                         QWidget* parent)
    : QDialog(parent), control_(control)
{
    controls_.Build(*this, Layout(), metrics);
    for (const PageBox& entry : kBoxes) {
        QCheckBox* box = controls_.Get<QCheckBox>(entry.id);
        const int32_t panel = entry.panel;
        // A visibility write raises no script error.
        connect(box, &QCheckBox::clicked, this,
                [this, panel](bool checked) { control_.SetPanelVisible(panel, checked); });
    }
    Load();
}

void CXKorvelCamPropPage::Load()
{
    for (const PageBox& entry : kBoxes)
        controls_.Get<QCheckBox>(entry.id)->setChecked(control_.GetPanelVisible(entry.panel));
}

QCheckBox* CXKorvelCamPropPage::Box(int32_t panelIndex) const
{
    for (const PageBox& entry : kBoxes)
        if (entry.panel == panelIndex)
            return controls_.Get<QCheckBox>(entry.id);
    return nullptr;
}

} // namespace zr
