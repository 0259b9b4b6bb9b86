#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <csignal>

#include "base/UniqueFd.h"

namespace zr
{

// SIGTERM, SIGINT and SIGHUP for the window program (a window manager ending a program that
// seems stuck, a logout, Ctrl-C in the terminal that started it). The first one raises a flag,
// which the control's long operations read where they can stop safely (after their restoring
// steps), and wakes the event loop through a pipe, where `requested` is emitted so the program
// can end as after a confirmed close: panels and module settings saved. A second one ends the
// program at once, by the signal's default action. The previous handlers come back when the
// object goes. One object at a time; create it once the application object exists.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    TerminationSignals();
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Whether a signal arrived, and which (0 when none). Safe to ask at any time.
    static bool Requested();
    static int Signal();
    // "SIGTERM", "SIGINT", "SIGHUP".
    static const char* SignalName(int signal);

signals:
    // In the event loop, once after the first signal.
    void requested(int signal);

private:
    void OnWake();

    UniqueFd readEnd_;
    UniqueFd writeEnd_;
    QSocketNotifier* notifier_ = nullptr;
    struct sigaction previous_[3]{};
};

} // namespace zr
