#pragma once

#include <cstdint>

#include "base/Clock.h"

namespace zr::test
{

// A tick count that moves only when told to: each SleepMs(ms) returns at once and advances the
// count by ms * step (step 0 freezes it). Counts the sleeps, so tests can check the pacing of a
// poll loop without waiting for it.
class ManualClock final : public Clock
{
public:
    explicit ManualClock(uint32_t start = 0, uint32_t step = 1) : now_(start), step_(step) {}

    uint32_t TickMs() override { return now_; }
    void SleepMs(uint32_t ms) override
    {
        ++sleepCalls_;
        sleptMs_ += ms;
        now_ += ms * step_;
    }

    void Advance(uint32_t ms) { now_ += ms; }
    void SetStep(uint32_t step) { step_ = step; }
    uint64_t SleepCalls() const { return sleepCalls_; }
    uint64_t SleptMs() const { return sleptMs_; }

private:
    uint32_t now_;
    uint32_t step_;
    uint64_t sleepCalls_ = 0;
    uint64_t sleptMs_ = 0;
};

} // namespace zr::test
