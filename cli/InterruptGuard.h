#pragma once

#include <csignal>

namespace zr::cli
{

// SIGINT, SIGTERM and SIGHUP (a closed terminal or session) while the control runs: the first one
// only raises a flag, which the control's long operations read where they can stop safely and the
// command line reads between verbs; a second one ends the program at once, by the signal's default
// action. The previous handlers come back when the guard goes. One guard at a time.
class InterruptGuard
{
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // Whether a signal arrived, and which (0 when none).
    static bool Requested();
    static int Signal();

private:
    struct sigaction previousInt_ {
    };
    struct sigaction previousTerm_ {
    };
    struct sigaction previousHup_ {
    };
};

} // namespace zr::cli
