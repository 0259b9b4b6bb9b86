#include "CliHarness.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
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

} // namespace

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const EnvList& env, int timeoutMs)
{
    RunResult result;
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return result;
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return result;
    }
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv = Pointers(argStrings);
    std::vector<std::string> envStrings = MergedEnvironment(env);
    std::vector<char*> envp = Pointers(envStrings);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    pid_t pid = -1;
    int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    if (spawned != 0) {
        ::close(out[0]);
        ::close(err[0]);
        result.err = "spawn failed: " + std::string(std::strerror(spawned));
        return result;
    }

    // Both streams at once, so that neither pipe fills up and blocks the program.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    bool killed = false;
    while (open > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) {
            ::kill(pid, SIGKILL);
            killed = true;
            break;
        }
        int n = ::poll(fds, 2, static_cast<int>(left));
        if (n < 0 && errno == EINTR)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (pollfd& p : fds) {
        if (p.fd >= 0)
            ::close(p.fd);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = !killed && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
    return {{"XDG_CONFIG_HOME", dir.Path() + "/config"},
            {"XDG_DATA_HOME", dir.Path() + "/data"},
            {"HOME", dir.Path()}};
}

RunResult CliSession::Run(const std::vector<std::string>& args) const
{
    return RunProgram(std::string(ZR_BIN_DIR) + "/zr47xcl", args, Environment());
}

std::vector<std::string> SplitLines(const std::string& text)
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

} // namespace zr::test
