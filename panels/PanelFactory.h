#pragma once

#include <QWidget>
#include <memory>

#include "control/ControlUi.h"
#include "panels/PanelEnvironment.h"

namespace zr
{

// Registers the panels' pictures; needed once before the first panel is created.
void InitPanelResources();

// The panel class that `panelSpec` names, created in the control's window `controlWindow`.
std::unique_ptr<Panel> CreatePanelWindow(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                                         PanelEnvironment& environment, QWidget* controlWindow);

} // namespace zr
