#include "panels/DialogControlColor.h"

#include "panels/ImagerTitle.h"

namespace zr
{

namespace
{

constexpr ControlSpec kControls[] = {
    {1, ControlKind::Strip, 7, 285, 285, 3, nullptr, nullptr},
};

} // namespace

const DialogLayout& CDialogControlColor::Layout()
{
    static constexpr DialogLayout layout{227, "Color Control", 299, 295, kControls};
    return layout;
}

CDialogControlColor::CDialogControlColor(const PanelSpec& spec, CXKorvelCamCtrl& owner,
                                         PanelEnvironment& environment, QWidget* parent)
    : CDialogOCXBase(spec, owner, environment, Layout(), parent)
{
    setWindowTitle(ImagerTitle(owner, spec.index));
}

} // namespace zr
