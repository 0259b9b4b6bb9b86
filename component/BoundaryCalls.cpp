#include "component/BoundaryCalls.h"

#include "automation/AutomationMembers.h"

namespace zr
{

int32_t LookUpMemberId(const char* name, int32_t* kind, int32_t* dispid)
{
    if (name == nullptr || kind == nullptr || dispid == nullptr)
        return hresult::kPointer;
    const AutomationMember* member = FindMember(name);
    if (member == nullptr)
        return hresult::kUnknownName;
    *kind = static_cast<int32_t>(member->kind);
    *dispid = member->dispid;
    return hresult::kOk;
}

} // namespace zr
