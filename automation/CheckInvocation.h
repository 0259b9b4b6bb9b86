#pragma once

#include <vector>

#include "automation/AutomationMembers.h"
#include "automation/AutomationTypes.h"
#include "automation/DispatchResult.h"

namespace zr
{

// Description of the script error a write to a read-only property raises (status
// ScriptError::kSetNotSupported): the platform's standard text for it.
inline constexpr const char* kReadOnlyDescription = "Property is read-only.";

// Checks a call against the member table before anything runs, the same way for a control of
// this process and one reached over the bus: the member exists as the kind of call addresses it
// (a get or put a property, a method call a method), the argument count is the declared one, a
// put does not write a read-only property, and every argument converts to its declared type (as
// Variant's ToI4, ToBool and ToBStr do; a PTR(I4) slot takes the I4 it holds, or 0).
//
// On success the status is 0 and `typed` (when given) holds the arguments converted; otherwise
// the failure the call answers with.
DispatchResult CheckInvocation(const AutomationMember* member, InvokeKind kind,
                               const std::vector<Variant>& args,
                               std::vector<Variant>* typed = nullptr);

} // namespace zr
