#include "panels/ImagerTitle.h"

#include "control/XKorvelCamCtrl.h"
#include "panels/ControlText.h"

namespace zr
{

QString ImagerTitle(CXKorvelCamCtrl& control, int32_t panelIndex)
{
    const int32_t imager = panelIndex == PANEL_IMAGER1 ? 0 : 1;
    const int32_t row = imager == 0 ? P_IM1 : P_IM2;
    const std::string type = control.AskItemString(row, control.GetParameterIndex(row));
    return QString("Imager %1 - %2").arg(imager + 1).arg(FromControlText(type));
}

} // namespace zr
