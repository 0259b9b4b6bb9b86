#pragma once

#include <cstdint>

namespace zr
{

// What a camera value operation does beyond the mirror, so a call reads as what it does
// ("Send | Notify") rather than as a row of true and false. Combine with |.
enum class ValueFlags : uint8_t {
    None = 0,
    // Send the row to the camera (a writable row that is available).
    Send = 1U << 0U,
    // Ask the camera first (a readable row that is available, while online).
    Query = 1U << 1U,
    // Report the change through OnValueChanged.
    Notify = 1U << 2U,
    // A link failure closes the link and takes the camera offline.
    DisconnectOnError = 1U << 3U,
};

constexpr ValueFlags operator|(ValueFlags a, ValueFlags b)
{
    return static_cast<ValueFlags>(static_cast<uint8_t>(a) | static_cast<uint8_t>(b));
}

// Whether `flags` holds `flag`.
constexpr bool Has(ValueFlags flags, ValueFlags flag)
{
    return (static_cast<uint8_t>(flags) & static_cast<uint8_t>(flag)) != 0;
}

// The flag when `on`, else none: for a caller that holds a plain boolean.
constexpr ValueFlags If(bool on, ValueFlags flag)
{
    return on ? flag : ValueFlags::None;
}

} // namespace zr
