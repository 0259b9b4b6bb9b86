#include "camera/CameraError.h"

#include <array>
#include <cstddef>

#include "comm/LinkError.h"

namespace zr
{

namespace
{

constexpr int kFirstCameraError = CAMERA_OFFLINE;

// Messages of the camera codes 100..109, in code order; the spelling is the camera tool's own.
constexpr std::array<const char*, 10> kCameraMessages = {
    "Operation failed. The camera is offline.",
    "Operation time out.\nPlease check the camera power and its cable.",
    "Unkown command !!",
    "Bad Parameter !!",
    "Out of data range.",
    "Invalid answer received from camera.",
    "Invalid function parameter detected.",
    "Received data might be out of range.",
    "Access failed on read/write file.",
    "Unmatched data file for this camera.",
};

constexpr const char* kUnknownError = "Unknown error detected.";
constexpr const char* kStopped = "Operation stopped on request.";
constexpr const char* kNotRestored =
    "The camera's settings could not be put back.\nThe camera keeps the settings of an EEPROM "
    "area; check the camera and its cable, then write the settings again.";

} // namespace

std::string GetErrorString(int code)
{
    if (const char* link = GetLinkErrorMessage(code))
        return link;
    if (code >= kFirstCameraError &&
        code < kFirstCameraError + static_cast<int>(kCameraMessages.size()))
        return kCameraMessages[static_cast<size_t>(code - kFirstCameraError)];
    if (code == OPERATION_STOPPED)
        return kStopped;
    if (code == RESTORE_FAILED)
        return kNotRestored;
    return kUnknownError;
}

bool IsCameraLevelFailure(int code)
{
    switch (code) {
    case CAMERA_OFFLINE:
    case CAMERA_UNKNOWN_COMMAND:
    case CAMERA_BAD_PARAMETER:
    case CAMERA_OUT_OF_DATA_RANGE:
    case CAMERA_INVALID_ANSWER:
    case CAMERA_ANSWER_OUT_OF_RANGE:
    case OPERATION_STOPPED:
        return true;
    default:
        return false;
    }
}

} // namespace zr
