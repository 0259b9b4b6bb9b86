#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace zr::sim
{

// What a command word of the camera accepts. This is the simulator's own statement of the
// camera's command language, kept apart from the tool's parameter table on purpose: a wrong
// range in either one then shows as a disagreement between the two instead of being answered
// by an equally wrong camera.
struct CameraCommand {
    enum Access : uint8_t { kQueryAndSet, kQueryOnly, kSetOnly };
    enum Kind : uint8_t { kNumber, kText };

    const char* mnemonic;
    Access access;
    Kind kind;
    // A number word accepts minimum..maximum; a text word takes texts of up to maximum
    // characters (minimum is 0).
    int32_t minimum;
    int32_t maximum;

    bool CanQuery() const { return access != kSetOnly; }
    bool CanSet() const { return access != kQueryOnly; }
    bool IsText() const { return kind == kText; }
};

// Every command word the camera knows.
std::span<const CameraCommand> CameraCommands();
// The command word `mnemonic` (upper case), or nullptr when the camera does not know it.
const CameraCommand* FindCameraCommand(std::string_view mnemonic);

// Whether the camera accepts `value` for the number word `command`.
bool IsAcceptedValue(const CameraCommand& command, int32_t value);
// The same for the command word of parameter row `index`; false for a row without one and for a
// text word.
bool IsAcceptedValue(int32_t index, int32_t value);

// A decimal number as the camera reads it: an optional sign and digits, nothing else, within the
// signed 32-bit range.
std::optional<int32_t> ParseCameraNumber(std::string_view text);

} // namespace zr::sim
