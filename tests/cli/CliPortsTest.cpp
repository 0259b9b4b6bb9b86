// The verb ports, --version, --port with a device path, and the bash completion's member names
// in any letter case and file names where a file is wanted.
#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

#include "cli/CliHarness.h"

namespace zr
{
namespace
{

using test::CliSession;
using test::HasLine;
using test::RunResult;
using test::SplitLines;

TEST(CliPorts, ListsPortsAndStartsOnADevicePath)
{
    CliSession session{sim::SimOptions{}};
    ASSERT_NE(session.Camera(), nullptr);
    const std::string device = session.Camera()->DevicePath();

    // Every COM port with its device from the module settings and whether it is there; no
    // connection attempt, so nothing on stderr.
    RunResult r = session.Run({"ports"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const test::Strings lines = SplitLines(r.out);
    ASSERT_EQ(lines.size(), 18u) << r.out;
    EXPECT_EQ(lines[0], "COM-Ports (class 0)");
    EXPECT_TRUE(lines[1].starts_with("  COM1   " + device)) << lines[1];
    EXPECT_TRUE(lines[1].ends_with(" present")) << lines[1];
    EXPECT_EQ(lines[16].substr(0, 9), "  COM16  ");
    EXPECT_TRUE(lines[16].ends_with(session.dir.File("no-such-tty16") + " absent")) << lines[16];
    EXPECT_TRUE(lines[17].starts_with("CameraLink: no port offered")) << lines[17];

    // A device path: the COM port mapped to it, also through a link to the device.
    const std::string link = session.dir.File("camera-link");
    ASSERT_EQ(::symlink(device.c_str(), link.c_str()), 0);
    for (const std::string& path : {session.dir.File("no-such-tty4"), link}) {
        r = session.Run({"--offline", "--port", path, "get", "CommPort"});
        EXPECT_EQ(r.exitCode, 0) << path << r.err;
        EXPECT_EQ(r.out, path == link ? "0\n" : "3\n") << path;
    }
    r = session.Run({"--port", link, "get", "ModelName"});
    EXPECT_EQ(r.out, "ZR-470\n") << r.err;
    r = session.Run({"--port", "/dev/zr47xcl-none", "get", "ModelName"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("no port COM1..COM16 is /dev/zr47xcl-none"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");

    r = session.Run({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.starts_with("zr47xcl 1.")) << r.out;
}

TEST(CliPorts, CompletionMatchesAnyCaseAndOffersFiles)
{
    CliSession session;
    ASSERT_TRUE(test::TempDir::WriteFile(session.dir.File("setup.cam"), "x"));
    const std::string completion =
        std::string(ZR_BIN_DIR) + "/../share/bash-completion/completions/zr47xcl";
    const std::string folder = session.dir.Path();
    const std::string probe =
        "source '" + completion +
        "'; complete_line() { COMPREPLY=(); COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); "
        "_zr47xcl; echo \"${COMPREPLY[*]}\"; }; "
        "complete_line zr47xcl get img1shutters; "
        "complete_line zr47xcl set IMG1SHUTTERSPEED; "
        "complete_line zr47xcl call writealltofile '" +
        folder +
        "/se'; "
        "complete_line zr47xcl call ReadAllFromCamera '" +
        folder +
        "/se'; "
        "complete_line zr47xcl por; "
        "complete_line zr47xcl --vers; "
        "complete_line zr47xcl --port com1; "
        "complete_line zr47xcl --port '" +
        folder + "/setup'";
    const RunResult r = test::RunProgram("/bin/bash", {"-c", probe}, {});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "IMG1ShutterSpeed IMG1ShutterSpeedString\nIMG1ShutterSpeed= IMG1ShutterSpeedString=\n" +
            folder +
            "/setup.cam\n\nports\n--version\nCOM1 COM10 COM11 COM12 COM13 COM14 "
            "COM15 COM16\n" +
            folder + "/setup.cam\n");
}

} // namespace
} // namespace zr
