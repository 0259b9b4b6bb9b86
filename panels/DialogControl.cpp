#include "panels/DialogControl.h"

namespace zr
{

namespace
{

constexpr ControlSpec kControls[] = {
    {1, ControlKind::Strip, 7, 94, 151, 3, nullptr, nullptr},
};

} // namespace

const DialogLayout& CDialogControl::Layout()
{
    static constexpr DialogLayout layout{226, "Common Control", 165, 104, kControls};
    return layout;
}

CDialogControl::CDialogControl(const PanelSpec& spec, CXKorvelCamCtrl& owner,
                               PanelEnvironment& environment, QWidget* parent)
    : CDialogOCXBase(spec, owner, environment, Layout(), parent)
{
}

} // namespace zr
