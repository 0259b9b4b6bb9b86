// zr47xcl-tool's first start on a real X server (Xvfb) with a serial device its user may not
// open: the start-up message box keeps its sentence and names the port, the device and the
// system's reason, as the command line does.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "ChildProcess.h"
#include "TemporaryUser.h"
#include "VirtualXServer.h"
#include "support/TempDir.h"

namespace zr::test
{
namespace
{

const std::string kBin = ZR_BIN_DIR;

bool WaitForFile(const std::string& path, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!std::filesystem::exists(path)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// The command that runs `program` as a user who may not open files without permission: the
// test's own user, or for root the same user without the capabilities that override file
// permissions (root opens anything otherwise).
std::vector<std::string> WithoutPermissionOverride(const std::string& program)
{
    if (::geteuid() != 0)
        return {program};
    return {"setpriv", "--bounding-set=-dac_override,-dac_read_search",
            "--inh-caps=-dac_override,-dac_read_search", program};
}

TEST(ToolStartupError, ADeviceWithoutPermissionIsNamedWithTheReasonInTheMessageBox)
{
    TempDir dir;
    VirtualXServer server(dir.File("xvfb.log"));
    if (!server.Installed())
        GTEST_SKIP() << "Xvfb is not installed (Debian package xvfb)";
    ASSERT_FALSE(server.Display().empty()) << TempDir::ReadFile(dir.File("xvfb.log"));

    // COM1 is a serial device (the simulator's terminal) that nobody may open.
    const std::string camera = dir.File("camera");
    ChildProcess simulator({kBin + "/zr47xcl-sim", "--link", camera}, dir.File("sim.log"));
    ASSERT_TRUE(WaitForFile(camera, 10000)) << TempDir::ReadFile(dir.File("sim.log"));
    std::filesystem::permissions(std::filesystem::canonical(camera), std::filesystem::perms::none);
    TemporaryUser user(dir);
    ASSERT_TRUE(user.RegisterWithCom1(camera));

    ScopedEnv displayName("DISPLAY", server.Display());
    ScopedEnv platform("QT_QPA_PLATFORM", "xcb");
    const std::string messages = dir.File("messages");
    std::vector<std::string> args = WithoutPermissionOverride(kBin + "/zr47xcl-tool");
    args.insert(args.end(), {"--dismiss-messages", messages});
    ChildProcess tool(args, dir.File("tool.log"));
    auto log = [&] { return "tool output:\n" + TempDir::ReadFile(dir.File("tool.log")); };
    ASSERT_TRUE(WaitForFile(messages + "/Message-1.txt", 30000)) << log();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    const std::string text = TempDir::ReadFile(messages + "/Message-1.txt");
    const std::string expected =
        "Unable to use communication port.\nMake sure that no other programs are connected to "
        "this port.\n\nCOM1 is " +
        camera +
        ": Permission denied (serial devices belong to the group dialout: sudo usermod -aG "
        "dialout \"$USER\", then log in again)\n\nUnable to find a camera model.\nStart with the "
        "default model.\n";
    EXPECT_EQ(text, expected);
    EXPECT_TRUE(std::filesystem::exists(messages + "/Message-1.png"));
    EXPECT_FALSE(std::filesystem::exists(messages + "/Message-2.txt"));

    // The tool goes on offline and ends as a confirmed close does.
    tool.Signal(SIGTERM);
    EXPECT_EQ(tool.Wait(20000), 130) << log();
}

} // namespace
} // namespace zr::test
