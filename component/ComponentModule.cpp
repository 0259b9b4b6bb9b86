#include "component/ComponentModule.h"

namespace zr
{

void ComponentModule::Lock()
{
    if (locks_++ == 0)
        app_.InitInstance();
}

void ComponentModule::Unlock()
{
    if (locks_ > 0 && --locks_ == 0)
        app_.ExitInstance();
}

ModuleSettings& ComponentModule::Settings()
{
    return app_.Settings();
}

} // namespace zr
