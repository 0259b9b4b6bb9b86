// The shared component library's module: the control's windows are those of the panels.

#include "component/ComponentModule.h"
#include "panels/PanelWindowFactory.h"

namespace zr
{

namespace
{

ComponentModule gModule(&PanelWindowFactory());

} // namespace

ComponentModule& EntryModule()
{
    return gModule;
}

} // namespace zr
