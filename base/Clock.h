#pragma once

#include <cstdint>

namespace zr
{

// Millisecond tick count and sleep. Tests inject a fake one so that long polls run instantly.
class Clock
{
public:
    virtual ~Clock() = default;
    // Wraps like a 32-bit tick counter; callers compare with unsigned differences.
    virtual uint32_t TickMs() = 0;
    virtual void SleepMs(uint32_t ms) = 0;

    // The steady system clock; stateless, shared by every user.
    static Clock& System();
};

} // namespace zr
