#include "comm/LinkError.h"

#include <array>
#include <cstddef>

namespace zr
{

namespace
{

constexpr std::array<const char*, 8> kLinkMessages = {
    "No error detected.",
    "Not found the specified port.",
    "Unavailable port specified.",
    "Unable to use communication port.\nMake sure that no other programs are connected to this "
    "port.",
    "Function failed in writing the communicaiton port.",
    "Function failed in reading the communication port.",
    "Time out detected in writing the communicaiton port.",
    "Time out detected in reading the communicaiton port.",
};

} // namespace

const char* GetLinkErrorMessage(int code)
{
    if (code < 0 || code >= static_cast<int>(kLinkMessages.size()))
        return nullptr;
    return kLinkMessages[static_cast<size_t>(code)];
}

} // namespace zr
