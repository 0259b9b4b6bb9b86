#pragma once

#include "panels/DialogMetrics.h"
#include "panels/Label.h"

namespace zr
{

// What every panel of one control's window shares: the dialog font with its metrics and the
// desktop's "open" action (tests put a recorder in its place).
struct PanelEnvironment {
    DialogMetrics metrics;
    Opener open = &CLabel::OpenWithDesktop;
};

} // namespace zr
