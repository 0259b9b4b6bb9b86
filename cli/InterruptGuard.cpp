#include "cli/InterruptGuard.h"

#include <cstring>

namespace zr::cli
{

namespace
{

// A signal handler can reach nothing but static storage of this type.
volatile std::sig_atomic_t gSignal = 0;

extern "C" void OnInterrupt(int signal)
{
    if (gSignal != 0) {
        // The second one: no more waiting for the operation under way.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    gSignal = signal;
}

} // namespace

InterruptGuard::InterruptGuard()
{
    gSignal = 0;
    struct sigaction action {
    };
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in the link wakes up, and the link goes on waiting by itself.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
    sigaction(SIGHUP, &action, &previousHup_);
}

InterruptGuard::~InterruptGuard()
{
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
    sigaction(SIGHUP, &previousHup_, nullptr);
}

bool InterruptGuard::Requested()
{
    return gSignal != 0;
}

int InterruptGuard::Signal()
{
    return gSignal;
}

} // namespace zr::cli
