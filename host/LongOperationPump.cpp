#include "host/LongOperationPump.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "base/TerminationSignals.h"

namespace zr
{

void LongOperationPump::OnProgress(const char*, int32_t, int32_t)
{
    Pump();
}

bool LongOperationPump::IsStopRequested()
{
    Pump();
    return TerminationSignals::Requested();
}

void LongOperationPump::Pump()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < kInterval)
        return;
    last_ = now;
    // User input and the window manager's close request stay queued until the operation is over
    // (the event loop then delivers them in order); the ping, paint and timer events go through.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace zr
