// The module of a component without windows, for programs that make their control in-process
// through the entry points (zr47xcl): CreateControlWindow offers none.

#include "component/ComponentModule.h"

namespace zr
{

namespace
{

ComponentModule gModule(nullptr);

} // namespace

ComponentModule& EntryModule()
{
    return gModule;
}

} // namespace zr
