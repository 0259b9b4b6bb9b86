// Compiled only into the shared component library, together with the window layer: the
// control's windows are those of the panels.

#include "component/ComponentWindows.h"
#include "panels/PanelWindowFactory.h"

namespace zr
{

ControlWindowFactory* ComponentWindowFactory()
{
    return &PanelWindowFactory();
}

} // namespace zr
