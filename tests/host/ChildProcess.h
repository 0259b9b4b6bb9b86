#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace zr::test
{

// A program running beside the test: started with the test's environment plus `env`, standard
// input from /dev/null and both output streams into `outputFile`. Killed (SIGTERM, then
// SIGKILL) and reaped when the object goes, unless it has ended before.
class ChildProcess
{
public:
    using Environment = std::vector<std::pair<std::string, std::string>>;

    // `keepFd`, when not -1, is passed on to the program as file descriptor 3.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const Environment& env, const std::string& outputFile, int keepFd = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    // True while the program runs.
    bool Running();
    // Waits up to `timeoutMs` for the program to end: its exit status, or -1 when it was
    // still running (or ended by a signal).
    int Wait(int timeoutMs);

private:
    pid_t pid_ = -1;
    int status_ = -1;
    bool ended_ = false;
};

// The absolute path of `name` on PATH, or empty.
std::string FindOnPath(const std::string& name);

} // namespace zr::test
