#pragma once

namespace zr
{

// Result codes of link operations. They share one number space with the camera error codes
// (100 and up), so every operation of the system can pass a link code on unchanged.
enum LinkError : int {
    LINK_OK = 0,
    LINK_PORT_NOT_FOUND = 1,
    LINK_PORT_UNAVAILABLE = 2,
    LINK_CANNOT_USE_PORT = 3,
    LINK_WRITE_FAILED = 4,
    LINK_READ_FAILED = 5,
    LINK_WRITE_TIMEOUT = 6,
    LINK_READ_TIMEOUT = 7,
};

// The fixed message of a link code 0..7, or nullptr for any other code.
const char* GetLinkErrorMessage(int code);

} // namespace zr
