#include "panels/DialogComm.h"

namespace zr
{

namespace
{

constexpr ControlSpec kControls[] = {
    {1, ControlKind::Strip, 7, 229, 285, 3, nullptr, nullptr},
};

} // namespace

const DialogLayout& CDialogComm::Layout()
{
    static constexpr DialogLayout layout{224, "Communication", 299, 239, kControls};
    return layout;
}

CDialogComm::CDialogComm(const PanelSpec& spec, CXKorvelCamCtrl& owner,
                         PanelEnvironment& environment, QWidget* parent)
    : CDialogOCXBase(spec, owner, environment, Layout(), parent)
{
}

} // namespace zr
