// Read-all against the simulated camera on a paced 9600-baud line.
//
// Starts zr47xcl-sim --pace (beside this program, or the path given with --sim), maps COM1 to its
// pseudo-terminal and runs read-all a number of times (--rounds, default 3). For each round it
// prints the wall time, the time the bytes exchanged need on the wire (every command line sent
// and every answer line received, 10 bits a byte at 9600 baud), their ratio, and the CPU time of
// this process (user + system). Targets: wall time within 1.05 x the wire time, CPU time under
// 0.5% of the wall time. Exit status 1 when a round misses a target or read-all fails.
//
// --timer-slack NS sets this process's timer slack before the rounds (0 keeps the default).
//
// Every received byte that does not end its line is followed by a fixed 1 ms pause, so the
// process wakes at least once per answer byte whatever the link does. After the rounds the
// program sleeps those pauses alone, without any link, and prints their CPU time: the floor the
// read path cannot go below on this machine (the cost of one wake-up varies widely between
// machines and hypervisors).

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/Clock.h"
#include "bench/BenchSupport.h"
#include "camera/Camera.h"
#include "camera/CameraError.h"

namespace
{

using zr::bench::CpuSeconds;
using zr::bench::MapSettings;
using zr::bench::ProgramFolder;
using zr::bench::SimProcess;

constexpr double kBitsPerByte = 10.0; // start bit, 8 data bits, stop bit
constexpr double kBaud = 9600.0;
constexpr double kWallTarget = 1.05;
constexpr double kCpuTarget = 0.005;

// Counts the bytes of every line that crosses the line. Read-all asks no row that is kept out
// of the log, so the log sees every byte.
class CountingCamera final : public zr::CCamera
{
public:
    using CCamera::CCamera;
    void OnCommLog(const std::string& line, bool sent) override
    {
        bytes_ += line.size();
        // One pause follows each received byte except the line's last.
        if (!sent && !line.empty())
            pauses_ += line.size() - 1;
    }
    uint64_t TakeBytes()
    {
        uint64_t bytes = bytes_;
        bytes_ = 0;
        return bytes;
    }
    uint64_t TakePauses()
    {
        uint64_t pauses = pauses_;
        pauses_ = 0;
        return pauses;
    }

private:
    uint64_t bytes_ = 0;
    uint64_t pauses_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    std::string simulator = ProgramFolder() + "/zr47xcl-sim";
    int rounds = 3;
    long slack = 0;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--sim" && i + 1 < argc) {
            simulator = argv[++i];
        } else if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::atoi(argv[++i]);
        } else if (arg == "--timer-slack" && i + 1 < argc) {
            slack = std::atol(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--sim PATH] [--rounds N] [--timer-slack NS]\n",
                         argv[0]);
            return 2;
        }
    }
    if (rounds < 1)
        rounds = 1;
    if (slack > 0 && ::prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(slack)) != 0) {
        std::perror("prctl(PR_SET_TIMERSLACK)");
        return 2;
    }

    SimProcess sim(simulator, {"--pace"});
    if (sim.Device().empty()) {
        std::fprintf(stderr, "cannot start %s\n", simulator.c_str());
        return 2;
    }
    MapSettings settings(sim.Device());
    CountingCamera camera(settings);
    if (int result = camera.OpenCommPort(0, 0); result != 0) {
        std::fprintf(stderr, "cannot open %s: %s\n", sim.Device().c_str(),
                     zr::GetErrorString(result).c_str());
        return 2;
    }
    camera.SetOnline(true);
    // The simulator's default model, ZR-470: colour Imager 1, monochrome Imager 2.
    camera.StoreValue(zr::P_IM1, 5);
    camera.StoreValue(zr::P_IM2, 0);

    std::printf("read-all against zr47xcl-sim --pace (%s), timer slack %lu ns\n",
                sim.Device().c_str(), static_cast<unsigned long>(::prctl(PR_GET_TIMERSLACK)));
    std::printf("%5s %6s %10s %10s %7s %9s %7s\n", "round", "bytes", "wall ms", "wire ms", "ratio",
                "cpu ms", "cpu %");
    bool ok = true;
    uint64_t pauses = 0;
    double wallSum = 0;
    for (int round = 1; round <= rounds; ++round) {
        const double cpuStart = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        int32_t failed = 0;
        const int result = camera.ReadAll(failed);
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
        const double cpu = CpuSeconds() - cpuStart;
        if (result != 0) {
            std::fprintf(stderr, "read-all failed at row %d: %s\n", failed,
                         zr::GetErrorString(result).c_str());
            return 1;
        }
        const uint64_t bytes = camera.TakeBytes();
        pauses = camera.TakePauses();
        wallSum += wall.count();
        const double wire = static_cast<double>(bytes) * kBitsPerByte / kBaud;
        const double ratio = wall.count() / wire;
        const double cpuShare = cpu / wall.count();
        std::printf("%5d %6llu %10.1f %10.1f %7.3f %9.1f %6.2f%%\n", round,
                    static_cast<unsigned long long>(bytes), wall.count() * 1e3, wire * 1e3, ratio,
                    cpu * 1e3, cpuShare * 100);
        ok = ok && ratio <= kWallTarget && cpuShare < kCpuTarget;
    }
    const double cpuStart = CpuSeconds();
    for (uint64_t i = 0; i < pauses; ++i)
        zr::Clock::System().SleepMs(1);
    const double floor = CpuSeconds() - cpuStart;
    std::printf("the %llu fixed 1 ms pauses of a round, slept alone: %.1f ms cpu, %.2f%% of a "
                "round's wall time\n",
                static_cast<unsigned long long>(pauses), floor * 1e3,
                floor / (wallSum / rounds) * 100);
    std::printf("targets: wall <= %.2f x wire, cpu < %.1f%% of wall: %s\n", kWallTarget,
                kCpuTarget * 100, ok ? "met" : "MISSED");
    return ok ? 0 : 1;
}
