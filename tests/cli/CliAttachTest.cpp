// zr47xcl --attach against a control that `zr47xcl serve` publishes on a private session bus:
// the same output, exit statuses and errors as a local run, and a local run that finds its port
// held by the published control says where to go instead.

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <thread>

#include "CliHarness.h"
#include "base/ProfileFile.h"
#include "cli/CommandLine.h"
#include "support/SessionBus.h"

namespace zr::test
{
namespace
{

const std::string kZr47xcl = std::string(ZR_BIN_DIR) + "/zr47xcl";

TEST(CliAttach, PortAfterAttachIsOptionalAndServeRunsAlone)
{
    struct Case {
        std::vector<std::string> args;
        bool attach;
        int32_t port; // -1 for none
    };
    const Case cases[] = {
        {{"--attach", "get", "CommPort"}, true, -1},
        {{"--attach", "com2", "get", "CommPort"}, true, 1},
        {{"--attach=COM3", "list"}, true, 2},
        {{"get", "CommPort", "--attach"}, true, -1},
        {{"--port", "COM4", "--attach", "--log", "list"}, true, 3},
        {{"serve", "--port", "COM5"}, false, 4},
    };
    for (const Case& c : cases) {
        cli::CommandLine line;
        std::string error;
        ASSERT_TRUE(cli::ParseCommandLine(c.args, line, error)) << c.args[0] << ": " << error;
        EXPECT_EQ(line.attach, c.attach) << c.args[0];
        EXPECT_EQ(line.port ? line.port->port : -1, c.port) << c.args[0];
    }
    const std::pair<std::vector<std::string>, std::string> bad[] = {
        {{"--attach", "COM99", "list"}, "--attach takes COM1..COM16 or CL:N, got 'COM99'"},
        {{"serve", "list"}, "serve runs alone: no other verb and no --attach beside it"},
        {{"--attach", "serve"}, "serve runs alone: no other verb and no --attach beside it"},
    };
    for (const auto& [args, message] : bad) {
        cli::CommandLine line;
        std::string error;
        EXPECT_FALSE(cli::ParseCommandLine(args, line, error));
        EXPECT_EQ(error, message);
    }
}

TEST(CliAttach, VerbsRunOnThePublishedControlAsTheyRunLocally)
{
    PrivateSessionBus bus;
    if (bus.Address().empty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    const sim::SimOptions camera{"ZR-470", "", false, {"awb-working=3:AW1"}};
    CliSession served(camera);
    CliSession local(camera);
    ServingProgram server(kZr47xcl, {"serve"}, served.Environment());
    const std::string name = server.FirstLine();
    ASSERT_TRUE(name.starts_with("com.korvel.ZR47xCL.p")) << name;

    // The same verbs, with events and the log, on both.
    const std::vector<std::string> verbs{"--events",
                                         "--log",
                                         "set",
                                         "IMG1ShutterSpeed=6",
                                         "get",
                                         "IMG1ShutterSpeedString",
                                         "call",
                                         "AskIMG1TriggerModeRange",
                                         "1",
                                         "call",
                                         "DoIMG1OnePushAWB",
                                         "0"};
    std::vector<std::string> attached{"--attach"};
    attached.insert(attached.end(), verbs.begin(), verbs.end());
    const RunResult there = served.Run(attached);
    const RunResult here = local.Run(verbs);
    EXPECT_EQ(there.exitCode, 0) << there.err;
    EXPECT_EQ(there.exitCode, here.exitCode);
    EXPECT_EQ(there.out, "1/1000\n6\n0\npnResult=1\n");
    EXPECT_EQ(there.out, here.out);
    // The local run's start-up talks to its camera first; from the first verb on both agree.
    ASSERT_FALSE(there.err.empty());
    EXPECT_TRUE(here.err.ends_with(there.err)) << "attached:\n"
                                               << there.err << "local:\n"
                                               << here.err;
    EXPECT_NE(there.err.find("> SH1=6\nevent SendingToCameraStatusChanged\n< COMPLETE\n"),
              std::string::npos)
        << there.err;

    // A script error stops the verbs with the same line and status.
    const RunResult failedThere = served.Run(
        {"--attach", "COM1", "call", "StartCommunication", "0", "15", "get", "CommPort"});
    const RunResult failedHere =
        local.Run({"call", "StartCommunication", "0", "15", "get", "CommPort"});
    EXPECT_EQ(failedThere.exitCode, 1);
    EXPECT_EQ(failedThere.out, "");
    EXPECT_TRUE(failedThere.err.starts_with("error 0x800A0039: ")) << failedThere.err;
    EXPECT_EQ(failedThere.err, failedHere.err.substr(failedHere.err.find("error 0x")));
    // The published control tried COM16 and now holds nothing; by port it is found again.
    EXPECT_EQ(served.Run({"--attach", "COM16", "call", "StartCommunication", "0", "0"}).out, "0\n");

    // Usage errors are found before anything is reached, as locally.
    const RunResult usage = served.Run({"--attach", "get", "IMG1ShuterSpeed"});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_EQ(usage.err, local.Run({"get", "IMG1ShuterSpeed"}).err);
    EXPECT_EQ(served.Run({"serve", "get", "CommPort"}).exitCode, 2);
    const RunResult nobody = served.Run({"--attach", "COM3", "get", "CommPort"});
    EXPECT_EQ(nobody.exitCode, 1);
    EXPECT_EQ(nobody.err, "zr47xcl: --attach: COM3: no published control holds that port; "
                          "publish one for it with zr47xcl serve --port PORT, or attach without "
                          "a port to the only one published\n");

    // A local run on the held port says who holds it and how to get there.
    const RunResult blocked = served.Run({"get", "IMG1ShutterSpeed"});
    EXPECT_NE(blocked.err.find("zr47xcl: COM1 is held by the published control " + name +
                               "; run zr47xcl --attach COM1 to use it through the session bus\n"),
              std::string::npos)
        << blocked.err;

    // Served until SIGTERM, after which the settings are saved as by any run.
    EXPECT_EQ(server.Stop(SIGTERM), 0);
    EXPECT_EQ(ProfileFile(served.SettingsFile()).GetInt("IMG1 Shutter", "Shutter Speed", -5), 6);
    const RunResult gone = served.Run({"--attach", "get", "CommPort"});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_EQ(gone.err, "zr47xcl: --attach: no published control on the session bus; start one "
                        "with zr47xcl serve (or the ZR-47xCL Control Tool) and attach again\n");
}

// Interrupted with SIGINT after `afterMs`: the run's outcome and how long it took to end.
std::pair<RunResult, std::chrono::milliseconds>
Interrupted(const CliSession& session, const std::vector<std::string>& args, int afterMs)
{
    auto run = session.Start(args);
    std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
    const auto start = std::chrono::steady_clock::now();
    run->Signal(SIGINT);
    RunResult result = run->Finish(20000);
    return {result, std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)};
}

TEST(CliAttach, CtrlCStopsTheOperationInTheOtherProgramAsItStopsALocalOne)
{
    PrivateSessionBus bus;
    if (bus.Address().empty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    // A white balance the camera reports working for ten seconds.
    const sim::SimOptions camera{"ZR-470", "", false, {"awb-working=100:AW1"}};
    CliSession served(camera);
    CliSession local(camera);
    ServingProgram server(kZr47xcl, {"serve"}, served.Environment());
    ASSERT_FALSE(server.FirstLine().empty());

    const std::vector<std::string> verbs{"call", "DoIMG1OnePushAWB", "0", "get", "CommPort"};
    std::vector<std::string> attached{"--attach"};
    attached.insert(attached.end(), verbs.begin(), verbs.end());

    // While one client's operation runs, another reads a property and the online state at once.
    {
        auto busy = served.Start(attached);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        const auto start = std::chrono::steady_clock::now();
        const RunResult read = served.Run({"--attach", "get", "IMG1ShutterSpeed"});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
        EXPECT_EQ(read.exitCode, 0) << read.err;
        busy->Signal(SIGINT);
        EXPECT_EQ(busy->Finish(10000).exitCode, 130);
    }

    const auto [there, thereTook] = Interrupted(served, attached, 700);
    const auto [here, hereTook] = Interrupted(local, verbs, 700);
    EXPECT_LT(thereTook, std::chrono::milliseconds(3000)) << there.err;
    EXPECT_EQ(there.exitCode, here.exitCode) << there.err << "\n" << here.err;
    EXPECT_EQ(there.out, here.out);
    // Both showed the progress line, marked it stopping and ended with the same line.
    const auto lastLine = [](const std::string& err) {
        const std::vector<std::string> lines = SplitLines(err);
        const std::string last = lines.empty() ? std::string() : lines.back();
        const size_t cleared = last.rfind("\x1B[K");
        return cleared == std::string::npos ? last : last.substr(cleared + 3);
    };
    EXPECT_EQ(lastLine(there.err),
              "zr47xcl: interrupted by SIGINT; the operation under way finished its restoring "
              "steps, later verbs did not run");
    EXPECT_EQ(lastLine(there.err), lastLine(here.err));
    EXPECT_NE(there.err.find("(stopping)"), std::string::npos) << there.err;

    // The published control goes on serving.
    const RunResult after = served.Run({"--attach", "get", "IMG1ShutterSpeed"});
    EXPECT_EQ(after.exitCode, 0) << after.err;
    EXPECT_EQ(server.Stop(SIGTERM), 0);
}

TEST(CliAttach, ServeReconnectsACameraThatCameBackOnItsNextUse)
{
    PrivateSessionBus bus;
    if (bus.Address().empty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    TempDir home;
    const std::string link = home.File("camera");
    auto camera = std::make_unique<SimProgram>(link, Strings{});
    ASSERT_FALSE(camera->DevicePath().empty());
    CliSession session(link);
    ServingProgram server(kZr47xcl, {"serve"}, session.Environment());
    ASSERT_FALSE(server.FirstLine().empty());
    ASSERT_EQ(session.Run({"--attach", "set", "IMG1ShutterSpeed=6"}).exitCode, 0);

    // The camera loses power: the next use finds it gone.
    camera->Kill();
    session.Run({"--attach", "set", "IMG1ShutterSpeed=5"});
    RunResult r = session.Run({"--attach", "call", "CheckOnline"});
    EXPECT_EQ(r.out, "false\n") << r.err;

    // It comes back: the next use reaches it, as a local run's start-up would.
    camera = std::make_unique<SimProgram>(link, Strings{});
    ASSERT_FALSE(camera->DevicePath().empty());
    r = session.Run({"--attach", "set", "IMG1ShutterSpeed=4", "call", "CheckOnline"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "true\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(server.Stop(SIGTERM), 0);
}

TEST(CliAttach, ALocalRunWaitsOnAHungBusOnlyBrieflyAndOnlyForAHeldPort)
{
    PrivateSessionBus bus;
    if (bus.Address().empty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    const sim::SimOptions camera{"ZR-470", "", false, {}};
    CliSession served(camera);
    ServingProgram server(kZr47xcl, {"serve"}, served.Environment());
    ASSERT_FALSE(server.FirstLine().empty());
    CliSession nowhere; // COM1 leads nowhere: its port is free

    bus.Pause();
    const auto timed = [](const CliSession& session) {
        const auto start = std::chrono::steady_clock::now();
        RunResult result = session.Run({"get", "CommPort"});
        return std::make_pair(result, std::chrono::steady_clock::now() - start);
    };
    const auto [free, freeTook] = timed(nowhere);
    EXPECT_EQ(free.exitCode, 0) << free.err;
    EXPECT_LT(freeTook, std::chrono::milliseconds(1500)) << free.err;
    const auto [held, heldTook] = timed(served);
    EXPECT_EQ(held.exitCode, 0) << held.err;
    EXPECT_EQ(held.out, "0\n");
    EXPECT_LT(heldTook, std::chrono::milliseconds(4000)) << held.err;
    EXPECT_EQ(held.err.find("held by the published control"), std::string::npos) << held.err;
    bus.Resume();
    EXPECT_EQ(server.Stop(SIGTERM), 0);
}

} // namespace
} // namespace zr::test
