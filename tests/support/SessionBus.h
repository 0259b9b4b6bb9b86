#pragma once

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace zr::test
{

// A session bus of the test's own: a dbus-daemon started for it, whose address is this process's
// DBUS_SESSION_BUS_ADDRESS (and so that of every program it starts) while the object lives.
class PrivateSessionBus
{
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Empty when the daemon could not be started.
    const std::string& Address() const { return address_; }
    // The address of the private bus that runs now (the latest one made), empty when none does.
    static const std::string& ActiveAddress();

    // The bus goes away: the daemon is killed (SIGKILL) and reaped.
    void Kill();
    // The daemon hangs (SIGSTOP) until Resume (SIGCONT); connections to it are accepted and
    // never answered.
    void Pause();
    void Resume();

private:
    pid_t pid_ = -1;
    bool paused_ = false;
    std::string address_;
    std::string previous_;
    std::string previousActive_;
    bool hadPrevious_ = false;
};

// A program that serves until it is told to stop, such as `zr47xcl serve`: started with these
// arguments and the environment `env` on top of the test's, its first line of stdout kept.
class ServingProgram
{
public:
    // Its standard error goes to `errFile` when one is named.
    ServingProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::pair<std::string, std::string>>& env,
                   const std::string& errFile = {});
    ~ServingProgram();
    ServingProgram(const ServingProgram&) = delete;
    ServingProgram& operator=(const ServingProgram&) = delete;

    // The first line it wrote (empty when it wrote none within ten seconds).
    const std::string& FirstLine() const { return firstLine_; }
    // Sends `signal` and waits for the end: the exit status, or -1 after a kill by a signal.
    int Stop(int signal);
    // Whether it still runs (it has not ended by itself).
    bool Running() const;

private:
    pid_t pid_ = -1;
    std::string firstLine_;
};

} // namespace zr::test
