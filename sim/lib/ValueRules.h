#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zr::sim
{

// Whether the camera accepts `value` for row `index`: a value of its value-name list, or
// minimum..maximum for a plain row. The EEPROM area rows (LD, SA, EA) take the real areas 0..2
// only, although their rows allow 3.
bool IsAcceptedValue(int32_t index, int32_t value);

// A decimal number as the camera reads it: an optional sign and digits, nothing else, within the
// signed 32-bit range.
std::optional<int32_t> ParseCameraNumber(std::string_view text);

} // namespace zr::sim
