// CPU time the serial port link spends while Read waits on a silent line.
//
// Opens COM1 mapped to a fresh pseudo-terminal, runs Read of one byte with a 400 ms time-out a
// number of times (argument 1, default 5) while nobody sends, and compares the process's CPU
// time (user + system) with the wall time. Target: under 5% of one core. Exit status 1 when the
// target is missed or a read does not end with its time-out.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <pty.h>
#include <string>
#include <unistd.h>

#include "bench/BenchSupport.h"
#include "comm/CommPort.h"

using zr::bench::CpuSeconds;
using zr::bench::MapSettings;

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    if (rounds < 1)
        rounds = 1;
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 2;
    }
    MapSettings settings(name);
    zr::CCommPort port(settings);
    if (port.Open(0) != 0) {
        std::fprintf(stderr, "cannot open %s\n", name);
        return 2;
    }

    bool timedOut = true;
    double cpuStart = CpuSeconds();
    auto wallStart = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        char byte = 0;
        int32_t received = 0;
        timedOut = port.Read(&byte, 1, received, 400) == 7 && timedOut;
    }
    double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    double cpu = CpuSeconds() - cpuStart;
    double percent = 100.0 * cpu / wall;

    std::printf("Read of 1 byte, 400 ms time-out on a silent line, %d rounds\n", rounds);
    std::printf("wall %.3f s, CPU %.3f ms (user+system), %.3f%% of one core (target < 5%%)\n", wall,
                cpu * 1000.0, percent);
    port.Close();
    ::close(slave);
    ::close(master);
    return timedOut && percent < 5.0 ? 0 : 1;
}
