#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "ToolTerminal.h"
#include "support/TempDir.h"

extern char** environ;

namespace
{

using zr::test::TempDir;
using zr::test::ToolTerminal;

// Runs build/bin/zr47xcl-sim with its standard output on a pipe.
class SimProcess
{
public:
    explicit SimProcess(const std::vector<std::string>& args)
    {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        std::string program = std::string(ZR_BIN_DIR) + "/zr47xcl-sim";
        std::vector<char*> argv{program.data()};
        std::vector<std::string> copies = args;
        for (std::string& a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
        if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        stdout_ = out[0];
    }
    ~SimProcess()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (stdout_ >= 0)
            ::close(stdout_);
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool Started() const { return pid_ > 0; }

    // The first line of standard output, without its LF; empty after timeoutMs.
    std::string FirstLine(int timeoutMs = 5000)
    {
        std::string line;
        char c = 0;
        while (line.empty() || line.back() != '\n') {
            pollfd p{stdout_, POLLIN, 0};
            if (::poll(&p, 1, timeoutMs) <= 0 || ::read(stdout_, &c, 1) != 1)
                return {};
            line += c;
        }
        line.pop_back();
        return line;
    }

    // Sends the signal and returns the exit status, or -1 when it did not exit normally.
    int Stop(int signal)
    {
        ::kill(pid_, signal);
        return Wait();
    }
    // Waits at most `timeoutMs` (then kills it, and the result is -1).
    int Wait(int timeoutMs = 30000)
    {
        int status = 0;
        pid_t done = 0;
        for (int waited = 0; done == 0 && waited < timeoutMs; waited += 10) {
            done = ::waitpid(pid_, &status, WNOHANG);
            if (done == 0)
                ::usleep(10000);
        }
        if (done == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
            return -1;
        }
        pid_ = -1;
        return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
};

TEST(SimProgramTest, ServesUntilTerminatedAndCleansUp)
{
    TempDir dir;
    std::string link = dir.File("camera");
    // A link left over from a crashed run is replaced.
    ASSERT_EQ(::symlink("/dev/null", link.c_str()), 0);

    SimProcess sim({"--model", "ZR-472", "--link", link, "--pace", "--state", dir.File("state"),
                    "--fault", "awb-working=0"});
    ASSERT_TRUE(sim.Started());
    std::string device = sim.FirstLine();
    ASSERT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;

    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), device);

    EXPECT_EQ(ToolTerminal(link).Ask("MD?\r\n", 11), "MD=ZR-472\r\n");
    EXPECT_EQ(ToolTerminal(device).Ask("AW2=0\r\nAWR2?\r\nSA=1\r\n", 28),
              "COMPLETE\r\nAWR2=1\r\nCOMPLETE\r\n");

    EXPECT_EQ(sim.Stop(SIGTERM), 0);
    struct stat info {
    };
    EXPECT_NE(::lstat(link.c_str(), &info), 0); // the link is gone
    // The store reached the state file.
    EXPECT_NE(TempDir::ReadFile(dir.File("state")).find("[area 1]"), std::string::npos);
}

TEST(SimProgramTest, UsageErrorsExitWithTwo)
{
    for (std::vector<std::string> args :
         {std::vector<std::string>{"--bogus"}, {"--fault", "delay=soon"}, {"--model"}}) {
        SimProcess sim(args);
        ASSERT_TRUE(sim.Started());
        EXPECT_EQ(sim.Wait(), 2) << args[0];
    }
    SimProcess help({"--help"});
    EXPECT_NE(help.FirstLine().find("Usage: zr47xcl-sim"), std::string::npos);
    EXPECT_EQ(help.Wait(), 0);
}

TEST(SimProgramTest, StateThatIsNoRegularFileIsRefusedAtOnce)
{
    // A pipe used to block the start-up for ever with the ending signals blocked, a folder was
    // taken silently, a device was read without end. (No /dev/zero here: before the check it
    // would have eaten the machine's memory.)
    TempDir dir;
    const std::string pipe = dir.File("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string folder = dir.File("folder");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    for (const auto& [path, kind] : {std::pair<std::string, std::string>{pipe, "a pipe"},
                                     {folder, "a folder"},
                                     {"/dev/null", "a device"}}) {
        SimProcess sim({"--state", path});
        ASSERT_TRUE(sim.Started());
        EXPECT_EQ(sim.FirstLine(3000), "zr47xcl-sim: the state file " + path + " is " + kind +
                                           "; --state takes a regular file")
            << path;
        EXPECT_EQ(sim.Wait(3000), 1) << path;
    }
}

} // namespace
