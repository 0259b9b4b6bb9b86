#pragma once

#include <QString>
#include <cstdint>

namespace zr
{

class CXKorvelCamCtrl;

// "Imager %d - %s": the imager's number (1 or 2) and the display name of its imager type.
QString ImagerTitle(CXKorvelCamCtrl& control, int32_t panelIndex);

} // namespace zr
