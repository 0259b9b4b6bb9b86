// Start-up time and idle CPU of zr47xcl-tool.
//
// Registers the component built beside this program for a throw-away user, then starts
// zr47xcl-tool --report-first-paint a number of times (--rounds, default 5) in two set-ups:
// offline (COM1 leads nowhere; the start-up message box is dismissed at once) and with a paced
// simulator (zr47xcl-sim --pace) on COM1, so the start-up connection runs at 9600 baud. Each
// round prints the time from starting the program to the end of the first painting pass of
// its window, the control's main panel included. Then, per set-up, the CPU time the tool uses
// while it sits idle for --idle-seconds (default 10). Targets: first paint under 300 ms
// offline and under 400 ms with the connection (medians); idle CPU under 0.5 %. Exit status 1
// when a target is missed or the tool does not start.
//
// The tool runs on the X server of DISPLAY when there is one (xvfb-run -a gives one), else on
// Qt's offscreen platform.

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace
{

constexpr double kOfflineTargetMs = 300.0;
constexpr double kConnectedTargetMs = 400.0;
constexpr double kIdleTargetPercent = 0.5;

long long MonotonicNanoseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

std::string ProgramFolder()
{
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, n > 0 ? static_cast<size_t>(n) : 0);
    return path.substr(0, path.rfind('/'));
}

bool WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream file(path, std::ios::binary);
    file << content;
    return static_cast<bool>(file);
}

// A program started with extra environment entries and stdout into a pipe; killed and reaped
// when the object goes.
class Process
{
public:
    Process(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv)
    {
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e)
            env.emplace_back(*e);
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        std::vector<std::string> argStrings = args;
        auto pointers = [](std::vector<std::string>& strings) {
            std::vector<char*> result;
            for (std::string& s : strings)
                result.push_back(s.data());
            result.push_back(nullptr);
            return result;
        };
        std::vector<char*> argv = pointers(argStrings);
        std::vector<char*> envp = pointers(env);
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        out_ = fds[0];
    }
    ~Process()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            ::close(out_);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t Pid() const { return pid_; }

    // The next line of stdout (without its line end) within `timeoutMs`, or nothing.
    std::optional<std::string> ReadLine(int timeoutMs)
    {
        const long long deadline = MonotonicNanoseconds() + timeoutMs * 1000000LL;
        std::string line;
        for (;;) {
            const long long left = (deadline - MonotonicNanoseconds()) / 1000000;
            pollfd readable{out_, POLLIN, 0};
            char c = 0;
            if (left <= 0 || ::poll(&readable, 1, static_cast<int>(left)) != 1 ||
                ::read(out_, &c, 1) != 1)
                return std::nullopt;
            if (c == '\n')
                return line;
            line += c;
        }
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

// The CPU time a process has used so far, in nanoseconds (scheduler statistics).
long long CpuNanoseconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/schedstat");
    long long onCpu = -1;
    stat >> onCpu;
    return onCpu;
}

struct Setup {
    const char* name;
    double targetMs;
    std::string com1; // the device COM1 leads to
};

// One start of the tool: the time to its first paint in milliseconds, and, when asked, the
// share of one CPU it uses afterwards while idle (and that CPU time in milliseconds). Nothing
// when the tool did not paint or its CPU time could not be read.
std::optional<double> StartOnce(const std::string& tool, const std::vector<std::string>& env,
                                const std::string& messages, int idleSeconds, double* idlePercent,
                                double* idleCpuMs)
{
    const long long start = MonotonicNanoseconds();
    Process process({tool, "--report-first-paint", "--dismiss-messages", messages}, env);
    if (process.Pid() <= 0)
        return std::nullopt;
    const std::optional<std::string> line = process.ReadLine(20000);
    long long painted = 0;
    if (!line || std::sscanf(line->c_str(), "first-paint %lld", &painted) != 1)
        return std::nullopt;
    if (idlePercent != nullptr) {
        // Let the start-up's own work settle before measuring.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const long long cpuBefore = CpuNanoseconds(process.Pid());
        const long long wallBefore = MonotonicNanoseconds();
        std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
        const long long cpuAfter = CpuNanoseconds(process.Pid());
        if (cpuBefore < 0 || cpuAfter < 0) {
            std::fprintf(stderr, "cannot read the tool's CPU time from /proc\n");
            return std::nullopt;
        }
        const long long cpu = cpuAfter - cpuBefore;
        const long long wall = MonotonicNanoseconds() - wallBefore;
        *idlePercent = 100.0 * static_cast<double>(cpu) / static_cast<double>(wall);
        *idleCpuMs = cpu / 1e6;
    }
    return (painted - start) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = 5;
    int idleSeconds = 10;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--idle-seconds" && i + 1 < argc) {
            idleSeconds = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: zr47xcl-bench-tool-startup [--rounds N] "
                                 "[--idle-seconds S]\n");
            return 2;
        }
    }
    const std::string bin = ProgramFolder();
    char folderTemplate[] = "/tmp/zr47xcl-bench-tool-XXXXXX";
    if (::mkdtemp(folderTemplate) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = folderTemplate;
    const std::string settingsFolder = folder + "/config/Korvel-XKorvelZR47xCL.ini-Control";
    std::vector<std::string> env{"XDG_CONFIG_HOME=" + folder + "/config",
                                 "XDG_DATA_HOME=" + folder + "/data"};
    const char* display = std::getenv("DISPLAY");
    const bool onX = display != nullptr && *display != '\0';
    if (!onX)
        env.push_back("QT_QPA_PLATFORM=offscreen");
    std::printf("platform: %s\n", onX ? (std::string("xcb on ") + display).c_str() : "offscreen");

    {
        Process regsvr({bin + "/zr47xcl-regsvr"}, env);
        int status = 0;
        if (regsvr.Pid() <= 0 || ::waitpid(regsvr.Pid(), &status, 0) < 0 || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "zr47xcl-regsvr failed\n");
            return 1;
        }
    }
    Process simulator({bin + "/zr47xcl-sim", "--pace", "--link", folder + "/camera"}, {});
    if (!simulator.ReadLine(5000)) {
        std::fprintf(stderr, "zr47xcl-sim did not start\n");
        return 1;
    }
    const Setup setups[] = {
        {"offline", kOfflineTargetMs, folder + "/no-camera"},
        {"paced simulator", kConnectedTargetMs, folder + "/camera"},
    };

    bool met = true;
    ::mkdir((folder + "/config").c_str(), 0700);
    ::mkdir(settingsFolder.c_str(), 0700);
    for (const Setup& setup : setups) {
        std::vector<double> times;
        double idlePercent = -1.0;
        double idleCpuMs = 0.0;
        for (int round = 0; round <= rounds; ++round) {
            // Every start begins from the same settings: COM1 and the remembered class and port.
            WriteFile(settingsFolder + "/XKorvelZR47xCL Control.ini",
                      "[Comm]\r\nCOM1=" + setup.com1 + "\r\nClass=0\r\nPort=0\r\n");
            const bool idleRound = round == rounds;
            const std::optional<double> ms =
                StartOnce(bin + "/zr47xcl-tool", env, folder + "/messages", idleSeconds,
                          idleRound ? &idlePercent : nullptr, &idleCpuMs);
            if (!ms) {
                std::fprintf(stderr, "%s: the tool did not report its first paint\n", setup.name);
                return 1;
            }
            if (!idleRound) {
                times.push_back(*ms);
                std::printf("%-16s round %d: first paint %7.1f ms\n", setup.name, round + 1, *ms);
            }
        }
        std::sort(times.begin(), times.end());
        const double median = times[times.size() / 2];
        const bool timeMet = median < setup.targetMs;
        const bool idleMet = idlePercent < kIdleTargetPercent;
        met = met && timeMet && idleMet;
        std::printf("%-16s median first paint %7.1f ms (target < %.0f ms) %s\n", setup.name, median,
                    setup.targetMs, timeMet ? "met" : "MISSED");
        std::printf("%-16s idle CPU over %d s: %.3f %% = %.2f ms (target < %.1f %%) %s\n",
                    setup.name, idleSeconds, idlePercent, idleCpuMs, kIdleTargetPercent,
                    idleMet ? "met" : "MISSED");
        std::fflush(stdout);
    }
    std::string remove = "rm -rf '" + folder + "'";
    if (std::system(remove.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", folder.c_str());
    return met ? 0 : 1;
}
