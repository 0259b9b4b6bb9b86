#pragma once

#include <string>

namespace zr
{

// Result codes of the camera's transactions and of the operations built on them. They share one
// number space with the link codes 0..7 (LinkError.h), which are passed on unchanged.
enum CameraError : int {
    CAMERA_OFFLINE = 100,           // a transaction was started while offline
    CAMERA_TIMEOUT = 101,           // no complete answer line in time, or the link's Read failed
    CAMERA_UNKNOWN_COMMAND = 102,   // the answer contains "Unknown Command!!"
    CAMERA_BAD_PARAMETER = 103,     // the answer contains "Bad Parameters!!"
    CAMERA_OUT_OF_DATA_RANGE = 104, // not raised by the camera object
    CAMERA_INVALID_ANSWER = 105,    // a set answer other than "COMPLETE", a malformed query answer
    CAMERA_INVALID_PARAMETER = 106, // a caller passed an argument the operation cannot use
    CAMERA_ANSWER_OUT_OF_RANGE = 107, // a queried number refused by the row's validation
    CAMERA_FILE_ACCESS = 108,         // reading or writing a setup or camera data file failed
    CAMERA_UNMATCHED_FILE = 109,      // a setup file of another model, or a value missing in it
};

// Not a camera code: a long operation stopped where its caller asked it to stop (an
// interrupted command-line run), after its restoring steps. Beside the control's own 200.
inline constexpr int OPERATION_STOPPED = 201;
// An operation that changed the camera's settings for its own purposes (the camera data report
// loads each EEPROM area) could not put them back: the camera keeps settings the user did not
// choose. Whatever else went wrong, this is what the operation reports.
inline constexpr int RESTORE_FAILED = 202;

// The fixed message of any result code: link codes 0..7, camera codes 100..109,
// OPERATION_STOPPED, RESTORE_FAILED, and "Unknown error detected." for every other code.
std::string GetErrorString(int code);

// Failures that leave the link and the online flag as they are. Every other non-zero code
// (time-out, link codes, ...) counts as a failure of the link itself.
bool IsCameraLevelFailure(int code);

} // namespace zr
