#include "panels/DialogControlMono.h"

#include "panels/ImagerTitle.h"

namespace zr
{

namespace
{

constexpr ControlSpec kControls[] = {
    {1, ControlKind::Strip, 7, 232, 285, 3, nullptr, nullptr},
};

} // namespace

const DialogLayout& CDialogControlMono::Layout()
{
    static constexpr DialogLayout layout{228, "Monochrome Control", 299, 242, kControls};
    return layout;
}

CDialogControlMono::CDialogControlMono(const PanelSpec& spec, CXKorvelCamCtrl& owner,
                                       PanelEnvironment& environment, QWidget* parent)
    : CDialogOCXBase(spec, owner, environment, Layout(), parent)
{
    setWindowTitle(ImagerTitle(owner, spec.index));
}

} // namespace zr
