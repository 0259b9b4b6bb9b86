#pragma once

#include <cstdint>
#include <string>

namespace zr
{

// The outcome of a dispatch call: status 0, a script error's status code with its description,
// or a dispatch failure (unknown member, wrong argument count, argument of the wrong type).
struct DispatchResult {
    int32_t status = 0;
    std::string description;

    bool Succeeded() const { return status == 0; }
};

} // namespace zr
