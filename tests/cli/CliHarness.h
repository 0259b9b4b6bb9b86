#pragma once

#include <memory>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

#include <sys/types.h>

#include "sim/lib/PtyServer.h"
#include "sim/lib/SimCamera.h"
#include "support/PseudoTerminal.h"
#include "support/TempDir.h"
#include "support/UserEnvironment.h"

namespace zr::test
{

struct RunResult {
    int exitCode = -1; // -1 when the program did not exit normally or was killed at the deadline
    std::string out;
    std::string err;
};

// Runs a program with these arguments, standard input from /dev/null, the test's environment
// with `env` on top, and both output streams captured. Killed after `timeoutMs`.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const EnvList& env, int timeoutMs = 60000);

// The simulator program build/bin/zr47xcl-sim with these arguments, its device reached through a
// symbolic link at `link`. Terminated (SIGTERM) and reaped on destruction.
class SimProgram
{
public:
    SimProgram(const std::string& link, const std::vector<std::string>& args);
    ~SimProgram();
    SimProgram(const SimProgram&) = delete;
    SimProgram& operator=(const SimProgram&) = delete;

    // The terminal side's path once the simulator serves, else empty.
    const std::string& DevicePath() const { return device_; }
    // Kills it outright (SIGKILL), as a camera losing power: the line hangs up.
    void Kill();

private:
    pid_t pid_ = -1;
    std::string device_;
};

// A program running with standard error on a pseudo-terminal, as in an engineer's shell, and
// standard output in a file. Killed when the object goes while it still runs.
class TerminalRun
{
public:
    TerminalRun(const std::string& program, const std::vector<std::string>& args,
                const EnvList& env);
    ~TerminalRun();
    TerminalRun(const TerminalRun&) = delete;
    TerminalRun& operator=(const TerminalRun&) = delete;

    // Reads the terminal until `text` has appeared or `timeoutMs` passed.
    bool WaitFor(const std::string& text, int timeoutMs);
    void Signal(int signal);
    // Waits for the end: exitCode is -1 after a kill by a signal or at the deadline; err is
    // everything the terminal received.
    RunResult Finish(int timeoutMs = 60000);

private:
    void ReadTerminal(int timeoutMs);

    PseudoTerminal terminal_;
    TempDir capture_;
    std::string err_;
    pid_t pid_ = -1;
    int status_ = 0;
};

// A temporary user for zr47xcl: its own home, XDG folders and session bus (UserEnvironment),
// module settings whose COM1 leads to a simulated camera (when there is one) and COM2..COM16 to
// paths that do not exist, class 0 and port 0 remembered.
class CliSession
{
public:
    // Without a camera: COM1 leads nowhere either.
    CliSession();
    explicit CliSession(const sim::SimOptions& camera);
    // With COM1 leading to `com1`, a device path or a link to one.
    explicit CliSession(const std::string& com1);
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // Runs build/bin/zr47xcl with these arguments in this session.
    RunResult Run(const std::vector<std::string>& args) const;
    // Starts it with standard error on a terminal.
    std::unique_ptr<TerminalRun> Start(const std::vector<std::string>& args) const;

    const std::string& SettingsFile() const { return settingsFile_; }
    EnvList Environment() const;
    sim::PtyServer* Camera() { return camera_.get(); }

    TempDir dir;

private:
    void WriteSettings(const std::string& com1);

    std::unique_ptr<sim::PtyServer> camera_;
    std::string settingsFile_;
};

using Strings = std::vector<std::string>;

// The lines of a text, without their line ends.
Strings SplitLines(const std::string& text);

// Whether `line` is one of `lines`.
bool HasLine(const Strings& lines, const std::string& line);

} // namespace zr::test
