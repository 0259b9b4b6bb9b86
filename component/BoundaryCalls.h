#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "automation/Dispatch.h"
#include "automation/HResult.h"

// What every automation object does alike on its side of the boundary interface, whichever
// dispatch serves it (the control in this process, or one published on the session bus).

namespace zr
{

// GetIDOfName: the kind and dispid of the member of that name, in any letter case.
int32_t LookUpMemberId(const char* name, int32_t* kind, int32_t* dispid);

// Runs `call(arguments, value)` on a copy of the caller's `argCount` arguments. On success the
// out arguments go back into `args` and the value into `*result` (when given); on failure
// `lastError` takes the description and the failure's status is returned. `args` must be valid
// for `argCount` elements.
template <typename Call>
int32_t InvokeOnArguments(Variant* args, uint32_t argCount, Variant* result, std::string& lastError,
                          Call&& call)
{
    std::vector<Variant> arguments(args, args + argCount);
    Variant value;
    DispatchResult outcome = std::forward<Call>(call)(arguments, value);
    if (!outcome.Succeeded()) {
        lastError = std::move(outcome.description);
        return outcome.status;
    }
    std::copy(arguments.begin(), arguments.end(), args); // out arguments
    if (result != nullptr)
        *result = std::move(value);
    return hresult::kOk;
}

} // namespace zr
