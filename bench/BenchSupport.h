#pragma once

// Pieces shared by the benchmark programs.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "base/SettingsStore.h"

namespace zr::bench
{

// Just enough settings to map COM1 to a pseudo-terminal; nothing is stored.
class MapSettings final : public SettingsStore
{
public:
    explicit MapSettings(std::string com1) : com1_(std::move(com1)) {}
    int32_t GetInt(const std::string&, const std::string&, int32_t value) const override
    {
        return value;
    }
    std::string GetString(const std::string& section, const std::string& entry,
                          const std::string& value) const override
    {
        return section == "Comm" && entry == "COM1" ? com1_ : value;
    }
    bool WriteInt(const std::string&, const std::string&, int32_t) override { return false; }
    bool WriteString(const std::string&, const std::string&, const std::string&) override
    {
        return false;
    }

private:
    std::string com1_;
};

// User plus system CPU time of this process so far, in seconds.
inline double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The simulator program as a child process with these arguments; terminated and reaped on
// destruction.
class SimProcess
{
public:
    SimProcess(const std::string& program, std::vector<std::string> args)
    {
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        int out[2];
        if (::pipe(out) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            ::execv(program.c_str(), argv.data());
            std::perror(program.c_str());
            ::_exit(127);
        }
        ::close(out[1]);
        // The first line of its output is the device path.
        char c = 0;
        while (pid_ > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
            device_ += c;
        ::close(out[0]);
    }
    ~SimProcess()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& Device() const { return device_; }

private:
    pid_t pid_ = -1;
    std::string device_;
};

inline std::string ProgramFolder()
{
    char path[4096] = {};
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    std::string self = n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
    size_t slash = self.rfind('/');
    return slash == std::string::npos ? "." : self.substr(0, slash);
}

} // namespace zr::bench
