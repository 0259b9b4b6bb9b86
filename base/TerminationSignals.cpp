#include "base/TerminationSignals.h"

#include <cerrno>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace zr
{

namespace
{

struct NamedSignal {
    int signal;
    const char* name;
};
constexpr NamedSignal kSignals[] = {{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}};

// A signal handler can reach nothing but static storage of these types.
volatile std::sig_atomic_t gSignal = 0;
volatile std::sig_atomic_t gWakeFd = -1;

extern "C" void OnTerminationSignal(int signal)
{
    if (gSignal != 0) {
        // The second one: no more waiting for the operation under way.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    gSignal = signal;
    const int savedErrno = errno;
    const char byte = 1;
    if (gWakeFd >= 0)
        (void)!::write(gWakeFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals()
{
    gSignal = 0;
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        readEnd_.Reset(fds[0]);
        writeEnd_.Reset(fds[1]);
        gWakeFd = fds[1];
    }
    struct sigaction action {
    };
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in the link wakes up, and the link goes on waiting by itself.
    action.sa_flags = 0;
    for (size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i].signal, &action, &previous_[i]);
}

TerminationSignals::~TerminationSignals()
{
    for (size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i].signal, &previous_[i], nullptr);
    gWakeFd = -1;
}

bool TerminationSignals::Requested()
{
    return gSignal != 0;
}

int TerminationSignals::Signal()
{
    return gSignal;
}

const char* TerminationSignals::SignalName(int signal)
{
    for (const auto& known : kSignals)
        if (known.signal == signal)
            return known.name;
    return "a signal";
}

} // namespace zr
