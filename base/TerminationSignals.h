#pragma once

#include <csignal>

#include "base/UniqueFd.h"

namespace zr
{

// SIGINT, SIGTERM and SIGHUP for a program that holds the camera (Ctrl-C, a service manager or a
// window manager ending it, the terminal or the remote session closing): all three alike. The
// first one only raises a flag, which the control's long operations read where they can stop
// safely (after their restoring steps), and makes Fd() readable so that an event loop waiting on
// it wakes at once, also when the signal came just before the wait. A second one ends the program
// at once, by the signal's default action. The previous handlers come back when the object goes.
// One object at a time.
class TerminationSignals
{
public:
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Readable (POLLIN) from the first signal on, and stays so; -1 when no pipe could be made.
    int Fd() const { return readEnd_.Get(); }

    // Whether a signal arrived, and which (0 when none). Safe to ask at any time, also from a
    // stop check while no object exists (then false).
    static bool Requested();
    static int Signal();
    // "SIGTERM", "SIGINT", "SIGHUP".
    static const char* SignalName(int signal);

private:
    UniqueFd readEnd_;
    UniqueFd writeEnd_;
    struct sigaction previous_[3]{};
};

} // namespace zr
