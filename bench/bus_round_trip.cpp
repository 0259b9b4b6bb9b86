// Property reads and writes through the session bus against the paced simulator, compared with
// the same calls on the control itself in the same run.
//
// zr47xcl-bench-bus [--sim PATH] [--reads N] [--writes N]: starts a session bus of its own and
// the simulator program with --pace, makes a control on it and times N reads (default 5000) and
// N writes (default 40) of IMG1ShutterSpeed, first on the control directly, then through the
// bus (the control published and served from a thread of its own, read and written through the
// bus layer's client). Prints the median and the 99th percentile of each, in microseconds.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

#include "automation/Dispatch.h"
#include "bench/BenchSupport.h"
#include "bus/BusClient.h"
#include "bus/BusPublication.h"
#include "control/XKorvelCamCtrl.h"

namespace
{

using Clock = std::chrono::steady_clock;
using zr::InvokeKind;
using zr::Variant;

struct Timing {
    double median;
    double p99;
};

Timing Summarise(std::vector<double> us)
{
    std::sort(us.begin(), us.end());
    const auto at = [&](double q) {
        return us[std::min(us.size() - 1, static_cast<size_t>(q * static_cast<double>(us.size())))];
    };
    return {at(0.5), at(0.99)};
}

// Times `count` calls of `call` (which returns false on failure), in microseconds each.
template <typename Call> std::vector<double> Time(long count, Call call)
{
    std::vector<double> us;
    us.reserve(static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) {
        const Clock::time_point start = Clock::now();
        if (!call(i)) {
            std::fprintf(stderr, "call %ld failed\n", i);
            std::exit(1);
        }
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return us;
}

void Print(const char* what, const Timing& t)
{
    std::printf("%-28s median %9.1f us   p99 %9.1f us\n", what, t.median, t.p99);
}

// A dbus-daemon of this run; its address becomes this process's session bus.
struct PrivateBus {
    PrivateBus()
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        pid = ::fork();
        if (pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            ::execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--print-address",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        char c = 0;
        while (pid > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
            address += c;
        ::close(out[0]);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    }
    ~PrivateBus()
    {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
    pid_t pid = -1;
    std::string address;
};

} // namespace

int main(int argc, char** argv)
{
    std::string simulator = zr::bench::ProgramFolder() + "/zr47xcl-sim";
    long reads = 5000;
    long writes = 40;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--sim" && i + 1 < argc)
            simulator = argv[++i];
        else if (arg == "--reads" && i + 1 < argc)
            reads = std::atol(argv[++i]);
        else if (arg == "--writes" && i + 1 < argc)
            writes = std::atol(argv[++i]);
        else {
            std::fprintf(stderr, "usage: %s [--sim PATH] [--reads N] [--writes N]\n", argv[0]);
            return 2;
        }
    }
    PrivateBus bus;
    zr::bench::SimProcess sim(simulator, {"--pace"});
    if (bus.address.empty() || sim.Device().empty() || reads < 1 || writes < 1) {
        std::fprintf(stderr, "cannot start dbus-daemon or %s\n", simulator.c_str());
        return 1;
    }
    zr::bench::MapSettings settings(sim.Device());
    zr::CXKorvelCamCtrl control(settings);
    zr::CXKorvelCamDispatch dispatch(control);
    control.OnCreate();
    if (!control.CheckOnline()) {
        std::fprintf(stderr, "the control did not reach the simulator\n");
        return 1;
    }
    const zr::AutomationMember& speed = *zr::FindMember("IMG1ShutterSpeed");

    // On the control itself.
    const auto localRead = Time(reads, [&](long) {
        std::vector<Variant> none;
        Variant value;
        return dispatch.Invoke(speed.dispid, InvokeKind::PropertyGet, none, value).Succeeded();
    });
    const auto localWrite = Time(writes, [&](long i) {
        std::vector<Variant> value{Variant(static_cast<int32_t>(i % 12))};
        Variant unused;
        return dispatch.Invoke(speed.dispid, InvokeKind::PropertyPut, value, unused).Succeeded();
    });

    // Through the bus: from here on only the serving thread touches the control.
    std::string error;
    auto publication = zr::bus::BusPublication::Publish(control, dispatch, error);
    if (!publication) {
        std::fprintf(stderr, "cannot publish: %s\n", error.c_str());
        return 1;
    }
    std::atomic<bool> stop{false};
    std::thread server([&] {
        while (!stop) {
            pollfd fd{publication->Fd(), publication->PollEvents(), 0};
            ::poll(&fd, 1, 20);
            publication->Process();
        }
    });
    auto client = zr::bus::BusClient::Attach(std::nullopt, error);
    if (!client) {
        std::fprintf(stderr, "cannot attach: %s\n", error.c_str());
        stop = true;
        server.join();
        return 1;
    }
    const auto busRead = Time(reads, [&](long) {
        std::vector<Variant> none;
        Variant value;
        return client->Invoke(speed, InvokeKind::PropertyGet, none, value).Succeeded();
    });
    const auto busWrite = Time(writes, [&](long i) {
        std::vector<Variant> value{Variant(static_cast<int32_t>(i % 12))};
        Variant unused;
        return client->Invoke(speed, InvokeKind::PropertyPut, value, unused).Succeeded();
    });
    client.reset();
    stop = true;
    server.join();
    publication.reset();

    const Timing lr = Summarise(localRead);
    const Timing br = Summarise(busRead);
    const Timing lw = Summarise(localWrite);
    const Timing bw = Summarise(busWrite);
    Print("read, on the control", lr);
    Print("read, through the bus", br);
    Print("write, on the control", lw);
    Print("write, through the bus", bw);
    std::printf("bus round trip (read): %.1f us median (target < 200 us); the bus adds %.1f us "
                "(%.2f %%) to a write's median\n",
                br.median - lr.median, bw.median - lw.median,
                100.0 * (bw.median - lw.median) / lw.median);
    return 0;
}
