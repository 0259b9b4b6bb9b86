#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zr::test
{

// A program running beside the test, found on PATH when the name has no slash, with the test's
// environment, standard input from /dev/null and both output streams into `outputFile`.
// Killed (SIGTERM, then SIGKILL) and reaped when the object goes, unless it has ended before.
class ChildProcess
{
public:
    // `keepFd`, when not -1, is passed on to the program as file descriptor 3.
    ChildProcess(const std::vector<std::string>& args, const std::string& outputFile,
                 int keepFd = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False when the program could not be started (for example, it is not installed).
    bool Started() const { return pid_ > 0; }
    bool Running();
    // Sends `signal` to the program while it runs.
    void Signal(int signal);
    // Waits up to `timeoutMs` for the program to end: its exit status, or -1 when it is still
    // running or was ended by a signal.
    int Wait(int timeoutMs);

private:
    pid_t pid_ = -1;
    int status_ = -1;
    bool ended_ = false;
};

} // namespace zr::test
