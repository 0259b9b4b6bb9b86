// Soak: many random transactions against the simulator program with a few injected faults.
//
// Starts zr47xcl-sim (beside this program, or --sim PATH) with one fault on each of a few rows,
// then runs --transactions N (default 10000) random queries and sets over the serial link. About
// --fault-percent P (default 1) of them go to a faulty row; every other one to a healthy row.
// Prints the result counts by code, injected faults against the code each should give, the
// process's peak memory after 1000 transactions and at the end, the open file descriptors before
// and after, and the longest transaction. Targets: peak memory within 5 % between the two
// readings, no more descriptors at the end, every fault reported by its own code and no healthy
// transaction failing, no transaction longer than twice its time-out. Exit status 1 when a target
// is missed.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <map>
#include <random>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

#include "bench/BenchSupport.h"
#include "camera/Camera.h"
#include "camera/CameraError.h"
#include "camera/ParameterTable.h"

namespace
{

using Clock = std::chrono::steady_clock;
using zr::bench::MapSettings;
using zr::bench::ProgramFolder;
using zr::bench::SimProcess;

// A fault of the simulator on one row's command word, and the code a query of it must give.
struct InjectedFault {
    const char* fault; // KIND[=ARG]; the row's mnemonic is added
    int expected;
    int settleMs; // a late answer to wait out before the next transaction
};

const InjectedFault kFaults[] = {
    {"silent", zr::CAMERA_TIMEOUT, 0},
    {"nocrlf", zr::CAMERA_TIMEOUT, 0},
    {"delay=700", zr::CAMERA_TIMEOUT, 400},
    {"noise", zr::CAMERA_INVALID_ANSWER, 0},
    {"noise=Bad Parameters!!\\r\\n", zr::CAMERA_BAD_PARAMETER, 0},
    {"noise=Unknown Command!!\\r\\n", zr::CAMERA_UNKNOWN_COMMAND, 0},
};

long PeakRssKb()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int OpenDescriptors()
{
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (dirent* entry = ::readdir(dir))
            count += entry->d_name[0] != '.';
        ::closedir(dir);
        --count; // the listing's own descriptor
    }
    return count;
}

// Numeric rows that can be both asked and set, each with the time-outs of its own.
std::vector<int32_t> PlainRows()
{
    std::vector<int32_t> rows;
    for (int32_t index = 0; index < zr::PARAMETER_COUNT; ++index) {
        const zr::ParameterEntry& row = *zr::FindParameter(index);
        if (row.Has(zr::PF_READ) && row.Has(zr::PF_WRITE) && !row.Has(zr::PF_STRING) &&
            !row.Has(zr::PF_CONDITIONAL) && row.mnemonic[0] != '\0')
            rows.push_back(index);
    }
    return rows;
}

} // namespace

int main(int argc, char** argv)
{
    std::string simulator = ProgramFolder() + "/zr47xcl-sim";
    long transactions = 10000;
    double faultPercent = 1.0;
    unsigned seed = 47;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--sim" && i + 1 < argc) {
            simulator = argv[++i];
        } else if (arg == "--transactions" && i + 1 < argc) {
            transactions = std::max(1000L, std::atol(argv[++i]));
        } else if (arg == "--fault-percent" && i + 1 < argc) {
            faultPercent = std::atof(argv[++i]);
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = static_cast<unsigned>(std::atol(argv[++i]));
        } else {
            std::fprintf(stderr,
                         "usage: %s [--sim PATH] [--transactions N] [--fault-percent P] "
                         "[--seed S]\n",
                         argv[0]);
            return 2;
        }
    }

    // The first rows carry one fault each; the rest stay healthy.
    const std::vector<int32_t> rows = PlainRows();
    const size_t faultCount = std::size(kFaults);
    if (rows.size() <= faultCount * 2) {
        std::fprintf(stderr, "too few rows for the faults\n");
        return 2;
    }
    std::vector<std::string> simArgs;
    for (size_t f = 0; f < faultCount; ++f) {
        simArgs.push_back("--fault");
        simArgs.push_back(std::string(kFaults[f].fault) + ":" +
                          zr::FindParameter(rows[f])->mnemonic);
    }

    const int fdsAtStart = OpenDescriptors();
    long result = 0;
    {
        SimProcess sim(simulator, simArgs);
        if (sim.Device().empty()) {
            std::fprintf(stderr, "cannot start %s\n", simulator.c_str());
            return 2;
        }
        MapSettings settings(sim.Device());
        zr::CCamera camera(settings);
        if (int opened = camera.OpenCommPort(0, 0); opened != 0) {
            std::fprintf(stderr, "cannot open %s: %s\n", sim.Device().c_str(),
                         zr::GetErrorString(opened).c_str());
            return 2;
        }
        camera.SetOnline(true);

        std::mt19937 random(seed);
        std::uniform_real_distribution<double> percent(0.0, 100.0);
        std::uniform_int_distribution<size_t> faultPick(0, faultCount - 1);
        std::uniform_int_distribution<size_t> healthyPick(faultCount, rows.size() - 1);
        std::map<int, long> counts;
        long injected = 0;
        long misreported = 0;
        long healthyFailed = 0;
        long peakAt1000 = 0;
        double longestMs = 0;
        std::vector<bool> asked(zr::PARAMETER_COUNT, false);

        std::printf("soak: %ld transactions against %s, %.1f %% to faulty rows, seed %u\n",
                    transactions, simulator.c_str(), faultPercent, seed);
        for (long t = 1; t <= transactions; ++t) {
            const bool faulty = percent(random) < faultPercent;
            const size_t pick = faulty ? faultPick(random) : healthyPick(random);
            const int32_t index = rows[pick];
            // A row is set only to the value the camera gave for it, so the value is valid.
            const bool query = faulty || !asked[static_cast<size_t>(index)] || (random() & 1);
            const auto start = Clock::now();
            const int code =
                query ? camera.QueryValue(index, false) : camera.SendValue(index, false);
            const double ms =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            longestMs = std::max(longestMs, ms);
            ++counts[code];
            if (faulty) {
                ++injected;
                misreported += code != kFaults[pick].expected;
                std::this_thread::sleep_for(std::chrono::milliseconds(kFaults[pick].settleMs));
            } else {
                healthyFailed += code != 0;
                asked[static_cast<size_t>(index)] = asked[static_cast<size_t>(index)] || code == 0;
            }
            if (t == 1000)
                peakAt1000 = PeakRssKb();
        }
        const long peakAtEnd = PeakRssKb();

        std::printf("results by code:\n");
        for (const auto& [code, count] : counts) {
            const std::string text = code == 0 ? "ok" : zr::GetErrorString(code);
            std::printf("  %3d %-40s %6ld\n", code, text.substr(0, text.find('\n')).c_str(), count);
        }
        std::printf("injected faults %ld, reported by another code %ld; healthy transactions "
                    "failed %ld\n",
                    injected, misreported, healthyFailed);
        const double growth = peakAt1000 > 0 ? 100.0 * (peakAtEnd - peakAt1000) / peakAt1000 : 0;
        std::printf("peak memory: %ld KB after 1000, %ld KB after %ld (%+.1f %%)\n", peakAt1000,
                    peakAtEnd, transactions, growth);
        std::printf("longest transaction: %.0f ms\n", longestMs);
        const bool ok =
            growth <= 5.0 && misreported == 0 && healthyFailed == 0 && longestMs < 2 * 1000.0;
        result = ok ? 0 : 1;
    }
    const int fdsAtEnd = OpenDescriptors();
    std::printf("open descriptors: %d at start, %d at end\n", fdsAtStart, fdsAtEnd);
    const bool ok = result == 0 && fdsAtEnd <= fdsAtStart;
    std::printf("targets: memory within 5 %%, no descriptor growth, every fault by its code, "
                "nothing hung: %s\n",
                ok ? "met" : "MISSED");
    return ok ? 0 : 1;
}
