#include "comm/CommLinks.h"

#include "comm/CommLink.h"
#include "comm/CommPort.h"

namespace zr
{

CommLinks CommLinks::Standard(const SettingsStore& settings)
{
    return {std::make_unique<CCommPort>(settings), std::make_unique<CCommLink>()};
}

} // namespace zr
