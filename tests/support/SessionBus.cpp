#include "support/SessionBus.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zr::test
{

namespace
{

// Reads one line from `fd` within ten seconds.
std::string ReadLine(int fd)
{
    std::string line;
    char c = 0;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, 10000) > 0 && ::read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

// Starts argv with stdout into a pipe whose reading end is returned in `out`.
pid_t Spawn(std::vector<std::string> args, const std::vector<std::string>& envStrings, int& out,
            bool quiet = false, const std::string& errFile = {})
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return -1;
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envCopy = envStrings;
    std::vector<char*> envp;
    for (std::string& e : envCopy)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    if (quiet)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    else if (!errFile.empty())
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    out = pipeFds[0];
    return pid;
}

std::vector<std::string> CurrentEnvironment()
{
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    return env;
}

// The address PrivateSessionBus::ActiveAddress() gives.
std::string& ActiveBus()
{
    static std::string address;
    return address;
}

} // namespace

const std::string& PrivateSessionBus::ActiveAddress()
{
    return ActiveBus();
}

PrivateSessionBus::PrivateSessionBus()
{
    int out = -1;
    pid_ = Spawn({"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address"},
                 CurrentEnvironment(), out, true);
    if (pid_ > 0)
        address_ = ReadLine(out);
    if (out >= 0)
        ::close(out);
    if (const char* previous = std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
        hadPrevious_ = true;
        previous_ = previous;
    }
    if (!address_.empty()) {
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
        previousActive_ = ActiveBus();
        ActiveBus() = address_;
    }
}

PrivateSessionBus::~PrivateSessionBus()
{
    if (!address_.empty())
        ActiveBus() = previousActive_;
    if (hadPrevious_)
        ::setenv("DBUS_SESSION_BUS_ADDRESS", previous_.c_str(), 1);
    else
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    Resume();
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

void PrivateSessionBus::Kill()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
    paused_ = false;
}

void PrivateSessionBus::Pause()
{
    if (pid_ > 0 && !paused_ && ::kill(pid_, SIGSTOP) == 0)
        paused_ = true;
}

void PrivateSessionBus::Resume()
{
    if (pid_ > 0 && paused_ && ::kill(pid_, SIGCONT) == 0)
        paused_ = false;
}

ServingProgram::ServingProgram(const std::string& program, const std::vector<std::string>& args,
                               const std::vector<std::pair<std::string, std::string>>& env,
                               const std::string& errFile)
{
    std::vector<std::string> envStrings = CurrentEnvironment();
    for (const auto& [name, value] : env) {
        std::erase_if(envStrings,
                      [&name](const std::string& e) { return e.starts_with(name + "="); });
        envStrings.push_back(name + "=" + value);
    }
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    int out = -1;
    pid_ = Spawn(argv, envStrings, out, false, errFile);
    if (pid_ > 0)
        firstLine_ = ReadLine(out);
    if (out >= 0)
        ::close(out);
}

ServingProgram::~ServingProgram()
{
    if (pid_ > 0)
        Stop(SIGKILL);
}

bool ServingProgram::Running() const
{
    // Asked without reaping it, so Stop still learns how it ended.
    siginfo_t info{};
    return pid_ > 0 &&
           ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
}

int ServingProgram::Stop(int signal)
{
    if (pid_ <= 0)
        return -1;
    ::kill(pid_, signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace zr::test
