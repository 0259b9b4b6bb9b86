#pragma once

#include <chrono>

#include "component/ComponentInterface.h"

namespace zr
{

// Keeps the window program alive to the window system while a long operation of the control
// holds its thread (a read-all or the camera data report on a slow line takes seconds): at every
// step and safe point the operation reports, pending window events are processed, at most every
// few tens of milliseconds, with user input held back until the operation ends. So the window
// manager's liveness ping (_NET_WM_PING) is answered and the windows repaint, while no click
// can start a second camera operation inside the first. The operation stops at its next safe
// point once a termination signal arrived (base/TerminationSignals).
class LongOperationPump final : public IXKorvelCamProgress
{
public:
    LongOperationPump() = default;
    ~LongOperationPump() override = default;
    LongOperationPump(const LongOperationPump&) = delete;
    LongOperationPump& operator=(const LongOperationPump&) = delete;

    void OnProgress(const char* operation, int32_t done, int32_t total) override;
    bool IsStopRequested() override;

    // The longest time between two rounds of event processing while an operation reports.
    static constexpr std::chrono::milliseconds kInterval{50};

private:
    void Pump();

    std::chrono::steady_clock::time_point last_{};
};

} // namespace zr
