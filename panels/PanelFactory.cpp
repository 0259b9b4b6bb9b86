#include "panels/PanelFactory.h"

#include "panels/DialogAbout.h"
#include "panels/DialogComm.h"
#include "panels/DialogControl.h"
#include "panels/DialogControlColor.h"
#include "panels/DialogControlMono.h"
#include "panels/DialogMain.h"

// Resources of a static library are registered by hand, at global scope.
static void InitPictures()
{
    Q_INIT_RESOURCE(pictures);
}

namespace zr
{

void InitPanelResources()
{
    InitPictures();
}

std::unique_ptr<Panel> CreatePanelWindow(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                                         PanelEnvironment& environment, QWidget* controlWindow)
{
    // Floating panels are windows of their own that stay above the host's window. They are
    // children of the control's window rather than of the main panel, so that each is deleted
    // by its owner, the control, and never along with another panel.
    switch (panelSpec.kind) {
    case PanelKind::Main:
        return std::make_unique<CDialogMain>(panelSpec, owner, environment, controlWindow);
    case PanelKind::About:
        return std::make_unique<CDialogAbout>(panelSpec, owner, environment, controlWindow);
    case PanelKind::Communication:
        return std::make_unique<CDialogComm>(panelSpec, owner, environment, controlWindow);
    case PanelKind::Control:
        return std::make_unique<CDialogControl>(panelSpec, owner, environment, controlWindow);
    case PanelKind::ImagerColor:
        return std::make_unique<CDialogControlColor>(panelSpec, owner, environment, controlWindow);
    case PanelKind::ImagerMono:
        return std::make_unique<CDialogControlMono>(panelSpec, owner, environment, controlWindow);
    }
    return nullptr;
}

} // namespace zr
