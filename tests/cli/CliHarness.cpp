#include "CliHarness.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "control/ModuleSettings.h"

extern char** environ;

namespace zr::test
{

namespace
{

std::vector<std::string> MergedEnvironment(const EnvList& env)
{
    std::vector<std::string> merged;
    for (char** e = environ; *e != nullptr; ++e) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('='));
        bool overridden = false;
        for (const auto& [key, value] : env)
            overridden = overridden || key == name;
        if (!overridden)
            merged.push_back(entry);
    }
    for (const auto& [key, value] : env)
        merged.push_back(key + "=" + value);
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts `program` with stdin from /dev/null, stdout to `outPath` (created) and stderr to
// `errPath` opened with `errFlags`. Returns posix_spawn's error number, 0 on success.
int Spawn(pid_t& pid, const std::string& program, const std::vector<std::string>& args,
          const EnvList& env, const std::string& outPath, const std::string& errPath, int errFlags)
{
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv = Pointers(argStrings);
    std::vector<std::string> envStrings = MergedEnvironment(env);
    std::vector<char*> envp = Pointers(envStrings);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), errFlags, 0600);
    const int spawned =
        ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned;
}

} // namespace

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const EnvList& env, int timeoutMs)
{
    // Both streams go to files, so that neither can fill up and block the program.
    RunResult result;
    TempDir capture;
    pid_t pid = -1;
    const int spawned = Spawn(pid, program, args, env, capture.File("out"), capture.File("err"),
                              O_WRONLY | O_CREAT | O_TRUNC);
    if (spawned != 0) {
        result.err = "spawn failed: " + std::string(std::strerror(spawned));
        return result;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    pid_t done = 0;
    while ((done = ::waitpid(pid, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (done == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    result.exitCode = done == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = TempDir::ReadFile(capture.File("out"));
    result.err = TempDir::ReadFile(capture.File("err"));
    return result;
}

SimProgram::SimProgram(const std::string& link, const std::vector<std::string>& args)
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return;
    std::vector<std::string> argStrings{std::string(ZR_BIN_DIR) + "/zr47xcl-sim", "--link", link};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv = Pointers(argStrings);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    // The first line of its output is the device path; it serves once that is out.
    char c = 0;
    pollfd p{out[0], POLLIN, 0};
    while (pid_ > 0 && ::poll(&p, 1, 10000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
        device_ += c;
    ::close(out[0]);
}

SimProgram::~SimProgram()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

void SimProgram::Kill()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

TerminalRun::TerminalRun(const std::string& program, const std::vector<std::string>& args,
                         const EnvList& env)
{
    if (Spawn(pid_, program, args, env, capture_.File("out"), terminal_.SlavePath(),
              O_RDWR | O_NOCTTY) != 0)
        pid_ = -1;
}

TerminalRun::~TerminalRun()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void TerminalRun::ReadTerminal(int timeoutMs)
{
    err_ += terminal_.ReadMaster(4096, timeoutMs, 10);
}

bool TerminalRun::WaitFor(const std::string& text, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (err_.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        ReadTerminal(50);
    }
    return true;
}

void TerminalRun::Signal(int signal)
{
    if (pid_ > 0)
        ::kill(pid_, signal);
}

RunResult TerminalRun::Finish(int timeoutMs)
{
    RunResult result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    pid_t done = 0;
    while (pid_ > 0 && (done = ::waitpid(pid_, &status_, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        ReadTerminal(20);
    if (pid_ > 0 && done == 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status_, 0);
    }
    ReadTerminal(20);
    result.exitCode = done == pid_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    pid_ = -1;
    result.out = TempDir::ReadFile(capture_.File("out"));
    result.err = err_;
    return result;
}

CliSession::CliSession()
{
    WriteSettings(dir.File("no-such-tty1"));
}

CliSession::CliSession(const sim::SimOptions& camera)
    : camera_(std::make_unique<sim::PtyServer>(camera))
{
    WriteSettings(camera_->IsServing() ? camera_->DevicePath() : dir.File("no-such-tty1"));
}

CliSession::CliSession(const std::string& com1)
{
    WriteSettings(com1);
}

void CliSession::WriteSettings(const std::string& com1)
{
    ModuleSettings settings(dir.Path() + "/config/Korvel-XKorvelZR47xCL.ini-Control/" +
                            "XKorvelZR47xCL Control.ini");
    settingsFile_ = settings.Path();
    settings.BeginBatch();
    settings.WriteString("Comm", "COM1", com1);
    for (int port = 2; port <= 16; ++port)
        settings.WriteString("Comm", "COM" + std::to_string(port),
                             dir.File("no-such-tty" + std::to_string(port)));
    settings.WriteInt("Comm", "Class", 0);
    settings.WriteInt("Comm", "Port", 0);
    settings.EndBatch();
}

EnvList CliSession::Environment() const
{
    return UserEnvironment(dir.Path());
}

RunResult CliSession::Run(const std::vector<std::string>& args) const
{
    return RunProgram(std::string(ZR_BIN_DIR) + "/zr47xcl", args, Environment());
}

std::unique_ptr<TerminalRun> CliSession::Start(const std::vector<std::string>& args) const
{
    return std::make_unique<TerminalRun>(std::string(ZR_BIN_DIR) + "/zr47xcl", args, Environment());
}

Strings SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool HasLine(const Strings& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace zr::test
