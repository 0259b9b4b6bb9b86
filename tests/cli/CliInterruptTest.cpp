// zr47xcl interrupted: SIGINT in the middle of a long operation on a paced camera, with standard
// error on a terminal as in an engineer's shell; `zr47xcl serve` ended by SIGHUP the same way, and
// outliving its session bus.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "CliHarness.h"
#include "base/ProfileFile.h"
#include "camera/ParameterTable.h"
#include "support/SessionBus.h"

namespace zr::test
{
namespace
{

// The camera's current value of every setup row it has a command word for.
std::map<std::string, int32_t> CurrentSettings(sim::SimCamera& camera)
{
    std::map<std::string, int32_t> values;
    for (const ParameterEntry& row : kParameterTable)
        if (row.Has(PF_SETUP) && !row.Has(PF_STRING) && *row.mnemonic != '\0')
            values[row.mnemonic] = camera.Value(row.mnemonic);
    return values;
}

bool Received(sim::SimCamera& camera, const std::string& line)
{
    for (const std::string& l : camera.ReceivedLines())
        if (l == line)
            return true;
    return false;
}

bool WaitUntilReceived(sim::SimCamera& camera, const std::string& line)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!Received(camera, line) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return Received(camera, line);
}

TEST(CliInterrupt, CameraDataReportPutsTheSettingsBackAndExits130)
{
    sim::SimOptions options;
    options.pace = true;
    CliSession session(options);
    sim::SimCamera& camera = session.Camera()->Camera();
    // Current settings that differ from every EEPROM area, so an area load shows.
    RunResult r = session.Run({"set", "IMG1ShutterSpeed=6", "set", "IMG1GainMaster=100"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::map<std::string, int32_t> before = CurrentSettings(camera);
    ASSERT_EQ(before.at("SH1"), 6);

    auto run = session.Start(
        {"call", "WriteCameraDataToFile", session.dir.File("report.txt"), "get", "ModelName"});
    // Progress on the terminal; the interrupt once the camera is on the factory area's settings.
    ASSERT_TRUE(run->WaitFor("Collecting the camera data report", 20000));
    ASSERT_TRUE(WaitUntilReceived(camera, "LD=0"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    run->Signal(SIGINT);
    r = run->Finish();

    EXPECT_EQ(r.exitCode, 130) << r.err;
    EXPECT_EQ(r.out, ""); // neither the method's result nor the later verb
    EXPECT_NE(r.err.find("zr47xcl: interrupted by SIGINT"), std::string::npos) << r.err;
    EXPECT_EQ(CurrentSettings(camera), before);
    EXPECT_FALSE(Received(camera, "LD=1")); // stopped before the next area
    EXPECT_EQ(TempDir::ReadFile(session.dir.File("report.txt")), "");

    // A second signal does not wait for the restoring steps (a write-all of about a second).
    camera.ClearReceivedLines();
    run = session.Start({"call", "WriteCameraDataToFile", session.dir.File("report.txt")});
    ASSERT_TRUE(WaitUntilReceived(camera, "LD=0"));
    run->Signal(SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    run->Signal(SIGINT);
    r = run->Finish(5000);
    EXPECT_EQ(r.exitCode, -1); // ended by the signal itself
}

TEST(CliInterrupt, SettingsNotPutBackAreReportedNotHiddenBehindTheStop)
{
    // The line closes once the camera has answered three SH1 lines: the current settings' and
    // the factory area's query, then the restoring write's SH1=6. The stop comes while the
    // factory area is collected, so the restoring write-all breaks off after its SH1.
    sim::SimOptions options;
    options.pace = true;
    options.faults = {"close-after=3:SH1"};
    CliSession session(options);
    sim::SimCamera& camera = session.Camera()->Camera();
    camera.SetValue("SH1", 6);

    auto run = session.Start({"call", "WriteCameraDataToFile", session.dir.File("report.txt")});
    ASSERT_TRUE(WaitUntilReceived(camera, "LD=0"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const std::vector<std::string> asked = camera.ReceivedLines();
    ASSERT_EQ(std::count(asked.begin(), asked.end(), "SH1?"), 2);
    run->Signal(SIGINT);
    const RunResult r = run->Finish();

    EXPECT_TRUE(Received(camera, "SH1=6"));
    EXPECT_NE(r.err.find("error 0x800A0039: The camera's settings could not be put back.\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("finished its restoring steps"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("zr47xcl: interrupted by SIGINT; later verbs did not run"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.exitCode, 1);
}

// The served control's life: the terminal closing (SIGHUP) in the middle of a camera data report
// ends the report properly and saves the settings, as SIGTERM does; the session bus going away
// costs the publication only, and the settings are saved at the end as usual.
TEST(CliInterrupt, ServeEndsProperlyOnSighupAndOutlivesItsSessionBus)
{
    PrivateSessionBus bus;
    if (bus.Address().empty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    const std::string zr47xcl = std::string(ZR_BIN_DIR) + "/zr47xcl";
    sim::SimOptions options;
    options.pace = true;
    CliSession session(options);
    sim::SimCamera& camera = session.Camera()->Camera();
    auto server =
        std::make_unique<ServingProgram>(zr47xcl, Strings{"serve"}, session.Environment());
    ASSERT_FALSE(server->FirstLine().empty());
    RunResult r =
        session.Run({"--attach", "set", "IMG1ShutterSpeed=6", "set", "IMG1GainMaster=100"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::map<std::string, int32_t> before = CurrentSettings(camera);

    auto report = session.Start(
        {"--attach", "call", "WriteCameraDataToFile", session.dir.File("report.txt")});
    ASSERT_TRUE(WaitUntilReceived(camera, "LD=0"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(server->Stop(SIGHUP), 0);
    r = report->Finish(10000);
    EXPECT_EQ(r.exitCode, 1) << r.err; // its call answered: the operation stopped
    EXPECT_EQ(CurrentSettings(camera), before);
    EXPECT_FALSE(Received(camera, "LD=1"));
    EXPECT_EQ(ProfileFile(session.SettingsFile()).GetInt("IMG1 Shutter", "Shutter Speed", -5), 6);

    // Served again; then the bus goes away.
    const std::string errFile = session.dir.File("serve.err");
    server =
        std::make_unique<ServingProgram>(zr47xcl, Strings{"serve"}, session.Environment(), errFile);
    const std::string name = server->FirstLine();
    ASSERT_FALSE(name.empty());
    r = session.Run({"--attach", "set", "IMG1ShutterSpeed=4"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    bus.Kill();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(server->Running());
    EXPECT_EQ(server->Stop(SIGTERM), 0);
    const Strings lines = SplitLines(TempDir::ReadFile(errFile));
    ASSERT_EQ(lines.size(), 1u) << TempDir::ReadFile(errFile);
    EXPECT_TRUE(lines[0].starts_with("zr47xcl: the session bus has gone (")) << lines[0];
    EXPECT_TRUE(lines[0].ends_with("); " + name + " is no longer published")) << lines[0];
    EXPECT_EQ(ProfileFile(session.SettingsFile()).GetInt("IMG1 Shutter", "Shutter Speed", -5), 4);
}

} // namespace
} // namespace zr::test
