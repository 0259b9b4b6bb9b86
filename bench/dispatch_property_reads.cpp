// Property reads through the dispatch of an offline control, the C++ side of
// bench/python_property_reads.py.
//
// zr47xcl-bench-dispatch-reads [READS]: reads each of three properties (I4, BOOL, BSTR) READS
// times (default 10000) by dispid through CXKorvelCamDispatch::Invoke, best of five rounds, and
// prints one line per property: its name and the nanoseconds per read.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "automation/Dispatch.h"
#include "bench/BenchSupport.h"
#include "control/XKorvelCamCtrl.h"

int main(int argc, char** argv)
{
    using Clock = std::chrono::steady_clock;
    const long reads = argc > 1 ? std::atol(argv[1]) : 10000;
    if (reads < 1) {
        std::fprintf(stderr, "usage: zr47xcl-bench-dispatch-reads [READS]\n");
        return 2;
    }
    zr::bench::MapSettings settings("");
    zr::CXKorvelCamCtrl control(settings);
    zr::CXKorvelCamDispatch dispatch(control);

    long checksum = 0; // keeps the reads from being optimised away
    for (const char* name : {"IMG1ShutterSpeed", "ShowAboutWindow", "ModelName"}) {
        const zr::AutomationMember* member = zr::CXKorvelCamDispatch::GetIDsOfNames(name);
        double best = 0;
        for (int round = 0; round < 5; ++round) {
            std::vector<zr::Variant> args;
            zr::Variant result;
            const Clock::time_point start = Clock::now();
            for (long i = 0; i < reads; ++i) {
                if (!dispatch.Invoke(member->dispid, zr::InvokeKind::PropertyGet, args, result)
                         .Succeeded())
                    return 1;
                checksum += static_cast<long>(result.Type());
            }
            const double ns =
                std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
                static_cast<double>(reads);
            best = round == 0 || ns < best ? ns : best;
        }
        std::printf("%s %.1f\n", name, best);
    }
    return checksum < 0 ? 1 : 0;
}
