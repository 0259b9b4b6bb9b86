#include "bus/CallerUi.h"

#include "control/XKorvelCamCtrl.h"

namespace zr::bus
{

CallerUi::CallerUi(CXKorvelCamCtrl& control, Deliver deliver)
    : control_(control), own_(control.Ui()), deliver_(std::move(deliver))
{
    control_.SetUi(*this);
}

CallerUi::~CallerUi()
{
    control_.SetUi(own_);
}

} // namespace zr::bus
