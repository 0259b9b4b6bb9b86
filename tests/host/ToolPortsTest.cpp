// zr47xcl-tool and the serial devices: --port takes a COM port's device path, and the serial
// ports window opens from the window's menu on a real X server (Xvfb) and writes the choice.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "TemporaryUser.h"
#include "VirtualXServer.h"
#include "base/ProfileFile.h"
#include "support/TempDir.h"

namespace zr::test
{
namespace
{

const std::string kBin = ZR_BIN_DIR;

bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

// A simulated camera whose terminal is linked at `link`.
std::unique_ptr<ChildProcess> StartCamera(const std::string& link, const std::string& log)
{
    auto camera = std::make_unique<ChildProcess>(
        std::vector<std::string>{kBin + "/zr47xcl-sim", "--link", link}, log);
    if (!WaitFor([&] { return std::filesystem::exists(link); }, 10000))
        return nullptr;
    return camera;
}

// Module settings whose COM3 leads to `device`, the remembered port COM1, and the named panels
// hidden.
void WriteSettings(const TemporaryUser& user, const std::string& device, bool hidePanels)
{
    std::string text = "[Comm]\r\nCOM3=" + device + "\r\nClass=0\r\nPort=0\r\n";
    if (hidePanels)
        for (const char* section :
             {"About", "Communication", "Control", "Control - IMG1", "Control - IMG2"})
            text += std::string("[") + section + "]\r\nShow=0\r\n";
    ASSERT_TRUE(TempDir::WriteFile(user.SettingsFile(), text));
}

TEST(ToolPorts, PortTakesTheDevicePathOfAComPort)
{
    TempDir dir;
    const std::string link = dir.File("camera");
    const auto camera = StartCamera(link, dir.File("sim.log"));
    ASSERT_NE(camera, nullptr);
    TemporaryUser user(dir);
    ASSERT_TRUE(user.RegisterWithCom1(dir.File("none")));
    WriteSettings(user, link, false);

    // The device of COM3: the tool starts there (no start-up message) and remembers COM3.
    const std::string shots = dir.File("shots");
    ChildProcess tool({kBin + "/zr47xcl-tool", "--port", link, "--screenshot", shots},
                      dir.File("tool.log"));
    EXPECT_EQ(tool.Wait(60000), 0) << TempDir::ReadFile(dir.File("tool.log"));
    EXPECT_FALSE(std::filesystem::exists(shots + "/Message-1.png"))
        << TempDir::ReadFile(shots + "/Message-1.txt");
    EXPECT_TRUE(std::filesystem::exists(shots + "/Ports.png"));
    EXPECT_EQ(ProfileFile(user.SettingsFile()).GetInt("Comm", "Port", -1), 2);

    // A device no COM port leads to is a usage error that says so.
    ChildProcess refused(
        {kBin + "/zr47xcl-tool", "--port", "/dev/zr47xcl-none", "--screenshot", dir.File("shots2")},
        dir.File("refused.log"));
    EXPECT_EQ(refused.Wait(60000), 2);
    const std::string said = TempDir::ReadFile(dir.File("refused.log"));
    EXPECT_NE(said.find("zr47xcl-tool: --port: "), std::string::npos) << said;
    EXPECT_NE(said.find("/dev/zr47xcl-none"), std::string::npos) << said;
}

// Runs xdotool with `args` to its end; true when it succeeded. Its output is appended to `log`.
bool Xdotool(const std::vector<std::string>& args, const std::string& log,
             std::string* out = nullptr)
{
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), args.begin(), args.end());
    ChildProcess program(command, log);
    const bool ok = program.Wait(20000) == 0;
    if (out != nullptr)
        *out = TempDir::ReadFile(log);
    return ok;
}

TEST(ToolPorts, ThePortsWindowOpensFromTheMenuAndWritesTheChoice)
{
    TempDir dir;
    VirtualXServer server(dir.File("xvfb.log"));
    if (!server.Installed())
        GTEST_SKIP() << "Xvfb is not installed (Debian package xvfb)";
    ASSERT_FALSE(server.Display().empty()) << TempDir::ReadFile(dir.File("xvfb.log"));

    TemporaryUser user(dir);
    ASSERT_TRUE(user.RegisterWithCom1(dir.File("none")));
    WriteSettings(user, dir.File("none3"), true);
    ScopedEnv displayName("DISPLAY", server.Display());
    ScopedEnv platform("QT_QPA_PLATFORM", "xcb");
    ChildProcess tool({kBin + "/zr47xcl-tool", "--dismiss-messages", dir.File("messages")},
                      dir.File("tool.log"));
    auto log = [&] { return "tool output:\n" + TempDir::ReadFile(dir.File("tool.log")); };

    // The main window's menu (a right click) has the entry; its key opens the window.
    std::string main;
    ASSERT_TRUE(WaitFor(
        [&] {
            return Xdotool({"search", "--onlyvisible", "--name", "^ZR-47xCL$"},
                           dir.File("search.log"), &main);
        },
        20000))
        << log();
    main = main.substr(0, main.find('\n'));
    ASSERT_TRUE(
        Xdotool({"mousemove", "--window", main, "20", "8", "click", "3"}, dir.File("click.log")));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(Xdotool({"key", "p"}, dir.File("key.log")));
    std::string ports;
    ASSERT_TRUE(WaitFor(
        [&] {
            return Xdotool({"search", "--onlyvisible", "--name", "^Serial Ports$"},
                           dir.File("ports.log"), &ports);
        },
        10000))
        << log();
    ports = ports.substr(0, ports.find('\n'));

    // COM1 is selected: a device typed into the field and "Set" (Alt+S) are saved at once.
    const std::string device = dir.File("adapter");
    ASSERT_TRUE(TempDir::WriteFile(device, ""));
    ASSERT_TRUE(Xdotool({"windowfocus", "--sync", ports}, dir.File("focus.log")));
    ASSERT_TRUE(Xdotool({"key", "Tab", "ctrl+a"}, dir.File("key.log")));
    ASSERT_TRUE(Xdotool({"type", "--delay", "10", device}, dir.File("type.log")));
    ASSERT_TRUE(Xdotool({"key", "alt+s"}, dir.File("key.log")));
    EXPECT_TRUE(WaitFor(
        [&] { return ProfileFile(user.SettingsFile()).GetString("Comm", "COM1", "") == device; },
        10000))
        << TempDir::ReadFile(user.SettingsFile());

    // Esc closes the window; the tool goes on.
    ASSERT_TRUE(Xdotool({"key", "Escape"}, dir.File("key.log")));
    EXPECT_TRUE(WaitFor(
        [&] {
            return !Xdotool({"search", "--onlyvisible", "--name", "^Serial Ports$"},
                            dir.File("gone.log"));
        },
        10000));
    EXPECT_TRUE(tool.Running()) << log();
    tool.Signal(SIGTERM);
    EXPECT_EQ(tool.Wait(20000), 130) << log();
    EXPECT_EQ(ProfileFile(user.SettingsFile()).GetString("Comm", "COM1", ""), device);
}

} // namespace
} // namespace zr::test
