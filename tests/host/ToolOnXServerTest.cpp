// zr47xcl-tool end to end on a real X server (Xvfb, the xcb platform) against the simulated
// camera program: the main window and the panels appear with their titles, the quit question
// is asked and answered, and the module settings hold the panels' positions and flags.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "TemporaryUser.h"
#include "VirtualXServer.h"
#include "base/ProfileFile.h"
#include "support/TempDir.h"

// Xlib last: it defines macros (Bool, None, Status, ...) that other headers must not see.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace zr::test
{
namespace
{

const std::string kBin = ZR_BIN_DIR;

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// zr47xcl-sim with `options`, once its link appears at `link`; nullptr when it did not.
std::unique_ptr<ChildProcess> StartSimulator(std::vector<std::string> options,
                                             const std::string& link, const std::string& logFile)
{
    options.insert(options.begin(), kBin + "/zr47xcl-sim");
    auto simulator = std::make_unique<ChildProcess>(options, logFile);
    struct stat info {
    };
    if (!WaitUntil([&] { return ::stat(link.c_str(), &info) == 0; }, 10000))
        return nullptr;
    return simulator;
}

struct TopLevel {
    Window id;
    std::string title;
};

// The viewable top-level windows of the display with their titles.
std::vector<TopLevel> ViewableWindows(::Display* display)
{
    std::vector<TopLevel> windows;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    XSync(display, False);
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0)
        return windows;
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    // Under a window manager the top-level windows are framed: its list of clients names them.
    std::vector<Window> candidates(children, children + count);
    Atom listType = 0;
    int listFormat = 0;
    unsigned long clients = 0, remaining = 0;
    unsigned char* list = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display),
                           XInternAtom(display, "_NET_CLIENT_LIST", False), 0, 1024, False,
                           XA_WINDOW, &listType, &listFormat, &clients, &remaining,
                           &list) == Success &&
        list != nullptr) {
        const auto* ids = reinterpret_cast<const unsigned long*>(list);
        candidates.insert(candidates.end(), ids, ids + clients);
        XFree(list);
    }
    if (children != nullptr)
        XFree(children);
    children = candidates.data();
    count = static_cast<unsigned>(candidates.size());
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) == 0 ||
            attributes.map_state != IsViewable)
            continue;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        std::string title;
        if (XGetWindowProperty(display, children[i], netWmName, 0, 1024, False, utf8, &type,
                               &format, &items, &after, &data) == Success &&
            data != nullptr) {
            title.assign(reinterpret_cast<char*>(data), items);
            XFree(data);
        }
        windows.push_back({children[i], title});
    }
    return windows;
}

// The first viewable window whose title starts with `prefix`, or 0.
Window FindWindow(::Display* display, const std::string& prefix, bool exact = true)
{
    for (const TopLevel& window : ViewableWindows(display)) {
        if (exact ? window.title == prefix : window.title.rfind(prefix, 0) == 0)
            return window.id;
    }
    return 0;
}

// What the window manager sends when the user clicks the close box.
void RequestClose(::Display* display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

void PressKey(::Display* display, Window window, KeySym symbol)
{
    for (int type : {KeyPress, KeyRelease}) {
        XEvent event{};
        event.xkey.type = type;
        event.xkey.display = display;
        event.xkey.window = window;
        event.xkey.root = DefaultRootWindow(display);
        event.xkey.time = CurrentTime;
        event.xkey.same_screen = True;
        event.xkey.keycode = XKeysymToKeycode(display, symbol);
        XSendEvent(display, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &event);
    }
    XFlush(display);
}

TEST(ToolOnXServer, ShowsItsPanelsAndQuitsOnlyAfterYes)
{
    TempDir dir;
    VirtualXServer server(dir.File("xvfb.log"));
    if (!server.Installed())
        GTEST_SKIP() << "Xvfb is not installed (Debian package xvfb): the end-to-end test of "
                        "zr47xcl-tool on a real X server cannot run";
    ASSERT_FALSE(server.Display().empty()) << TempDir::ReadFile(dir.File("xvfb.log"));

    // A temporary user: module settings with COM1 at the simulator, the component registered.
    const std::string camera = dir.File("camera");
    const auto simulator =
        StartSimulator({"--model", "ZR-470", "--link", camera}, camera, dir.File("sim.log"));
    ASSERT_NE(simulator, nullptr);
    TemporaryUser user(dir);
    ASSERT_TRUE(user.RegisterWithCom1(camera));
    const std::string& settingsFile = user.SettingsFile();

    // This test program itself stays on the offscreen platform it started on.
    ScopedEnv displayName("DISPLAY", server.Display());
    ScopedEnv platform("QT_QPA_PLATFORM", "xcb");
    ChildProcess tool({kBin + "/zr47xcl-tool"}, dir.File("tool.log"));
    std::unique_ptr<::Display, int (*)(::Display*)> display(XOpenDisplay(server.Display().c_str()),
                                                            XCloseDisplay);
    ASSERT_NE(display, nullptr);
    // The tool makes and drops windows of its own (tooltips, menus) while the tree is walked: a
    // window gone between the listing and the query is skipped, not a reason to exit.
    XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
    auto log = [&] { return "tool output:\n" + TempDir::ReadFile(dir.File("tool.log")); };

    // First run: the main window and all five floating panels.
    Window main = 0;
    ASSERT_TRUE(
        WaitUntil([&] { return (main = FindWindow(display.get(), "ZR-47xCL")) != 0; }, 20000))
        << log();
    for (const char* title : {"About This Control", "Communication", "Common Control"})
        EXPECT_TRUE(WaitUntil([&] { return FindWindow(display.get(), title) != 0; }, 10000))
            << title << "\n"
            << log();
    for (const char* title : {"Imager 1 - ", "Imager 2 - "})
        EXPECT_TRUE(WaitUntil([&] { return FindWindow(display.get(), title, false) != 0; }, 10000))
            << title << "\n"
            << log();

    // The close box asks; "no" keeps the tool and its panels, "yes" ends it.
    const std::string question = "ZR-47xCL Control Tool";
    for (KeySym answer : {XK_n, XK_y}) {
        RequestClose(display.get(), main);
        Window box = 0;
        ASSERT_TRUE(
            WaitUntil([&] { return (box = FindWindow(display.get(), question)) != 0; }, 10000))
            << log();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        PressKey(display.get(), box, answer);
        if (answer == XK_n) {
            EXPECT_TRUE(WaitUntil([&] { return FindWindow(display.get(), question) == 0; }, 10000));
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            EXPECT_TRUE(tool.Running()) << log();
            EXPECT_NE(FindWindow(display.get(), "ZR-47xCL"), 0u);
            EXPECT_NE(FindWindow(display.get(), "About This Control"), 0u);
        }
    }
    EXPECT_EQ(tool.Wait(20000), 0) << log();
    EXPECT_EQ(FindWindow(display.get(), "ZR-47xCL"), 0u);

    // Every panel's section holds its flag and position.
    ProfileFile settings(settingsFile);
    for (const char* section :
         {"Main", "About", "Communication", "Control", "Control - IMG1", "Control - IMG2"}) {
        SCOPED_TRACE(section);
        EXPECT_EQ(settings.GetInt(section, "Show", -5), 1);
        EXPECT_NE(settings.GetInt(section, "Left", -5), -5);
        EXPECT_NE(settings.GetInt(section, "Top", -5), -5);
    }
    EXPECT_EQ(settings.GetString("Comm", "COM1", ""), camera);
}

// Sends the window manager's liveness ping to `window` and waits up to `timeoutMs` for the
// answer, which a client sends back to the root window (to those that watch its structure).
bool AnswersPing(::Display* display, Window window, long stamp, int timeoutMs)
{
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, StructureNotifyMask);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(ping);
    event.xclient.data.l[1] = stamp;
    event.xclient.data.l[2] = static_cast<long>(window);
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    return WaitUntil(
        [&] {
            while (XPending(display) > 0) {
                XEvent answer{};
                XNextEvent(display, &answer);
                if (answer.type == ClientMessage && answer.xclient.message_type == protocols &&
                    static_cast<Atom>(answer.xclient.data.l[0]) == ping &&
                    answer.xclient.data.l[1] == stamp)
                    return true;
            }
            return false;
        },
        timeoutMs);
}

// Runs a program of the build to its end; its exit status, output in `log`.
int RunToEnd(const std::vector<std::string>& args, const std::string& log)
{
    ChildProcess program(args, log);
    return program.Wait(60000);
}

TEST(ToolOnXServer, SignalsEndItLikeAConfirmedCloseAndLongOperationsAnswerPings)
{
    TempDir dir;
    VirtualXServer server(dir.File("xvfb.log"));
    if (!server.Installed())
        GTEST_SKIP() << "Xvfb is not installed (Debian package xvfb)";
    ASSERT_FALSE(server.Display().empty()) << TempDir::ReadFile(dir.File("xvfb.log"));
    ScopedEnv displayName("DISPLAY", server.Display());
    // A window manager that pings the windows it closes, as desktops do.
    ChildProcess windowManager({"openbox", "--sm-disable"}, dir.File("openbox.log"));
    std::unique_ptr<::Display, int (*)(::Display*)> display(XOpenDisplay(server.Display().c_str()),
                                                            XCloseDisplay);
    ASSERT_NE(display, nullptr);
    XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
    const Atom wmCheck = XInternAtom(display.get(), "_NET_SUPPORTING_WM_CHECK", False);
    auto managed = [&] {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        const bool found = XGetWindowProperty(display.get(), DefaultRootWindow(display.get()),
                                              wmCheck, 0, 1, False, XA_WINDOW, &type, &format,
                                              &items, &after, &data) == Success &&
                           items == 1;
        if (data != nullptr)
            XFree(data);
        return found;
    };
    if (!windowManager.Started() || !WaitUntil(managed, 10000))
        GTEST_SKIP() << "openbox is not installed (Debian package openbox): the signal and ping "
                        "test of zr47xcl-tool cannot run";

    // The camera keeps shutter 3 and gain 10 in user area 1; its current settings differ.
    const std::string camera = dir.File("camera");
    const auto simulator = StartSimulator(
        {"--pace", "--state", dir.File("state"), "--link", camera}, camera, dir.File("sim.log"));
    ASSERT_NE(simulator, nullptr);
    TemporaryUser user(dir);
    ASSERT_TRUE(user.RegisterWithCom1(camera));
    const std::string& settingsFile = user.SettingsFile();
    const std::string cli = kBin + "/zr47xcl";
    ASSERT_EQ(RunToEnd({cli, "set", "IMG1ShutterSpeed=3", "set", "IMG1GainMaster=10", "set",
                        "EEPROMArea=1", "call", "StoreSettings"},
                       dir.File("store.log")),
              0)
        << TempDir::ReadFile(dir.File("store.log"));
    ASSERT_EQ(RunToEnd({cli, "set", "IMG1ShutterSpeed=6", "set", "IMG1GainMaster=100", "set",
                        "IMG2GainMaster=50"},
                       dir.File("set.log")),
              0);

    ScopedEnv platform("QT_QPA_PLATFORM", "xcb");
    const std::string toolLog = dir.File("tool.log");
    auto log = [&] { return "tool output:\n" + TempDir::ReadFile(toolLog); };

    // Idle: SIGTERM ends the tool as a confirmed close does, panels and settings saved.
    {
        ChildProcess tool({kBin + "/zr47xcl-tool"}, toolLog);
        ASSERT_TRUE(
            WaitUntil([&] { return FindWindow(display.get(), "Communication") != 0; }, 20000))
            << log();
        tool.Signal(SIGTERM);
        EXPECT_EQ(tool.Wait(20000), 130) << log();
        EXPECT_NE(TempDir::ReadFile(toolLog).find("zr47xcl-tool: ended by SIGTERM"),
                  std::string::npos)
            << log();
        ProfileFile settings(settingsFile);
        EXPECT_EQ(settings.GetInt("Communication", "Show", -5), 1);
        EXPECT_NE(settings.GetInt("Communication", "Left", -5), -5);
    }

    // Busy: the camera data report through the communication panel (its first button has the
    // focus), a file name typed into the file dialog.
    ChildProcess tool({kBin + "/zr47xcl-tool"}, toolLog);
    Window panel = 0;
    ASSERT_TRUE(
        WaitUntil([&] { return (panel = FindWindow(display.get(), "Communication")) != 0; }, 20000))
        << log();
    // Every panel up and the start-up over, so none takes the focus from the one activated.
    ASSERT_TRUE(
        WaitUntil([&] { return FindWindow(display.get(), "Imager 2 - ", false) != 0; }, 20000))
        << log();
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const Window main = FindWindow(display.get(), "ZR-47xCL");
    ASSERT_TRUE(AnswersPing(display.get(), main, 4710, 1000)) << log(); // idle, of course
    const std::string report = dir.File("report.txt");
    ASSERT_EQ(RunToEnd({"xdotool", "windowactivate", "--sync", std::to_string(panel), "key",
                        "--delay", "100", "space"},
                       dir.File("xdotool.log")),
              0);
    ASSERT_TRUE(WaitUntil([&] { return FindWindow(display.get(), "Save As") != 0; }, 10000))
        << log();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(RunToEnd({"xdotool", "type", "--delay", "20", report}, dir.File("xdotool.log")), 0);
    ASSERT_EQ(RunToEnd({"xdotool", "key", "Return"}, dir.File("xdotool.log")), 0);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitUntil([&] { return FindWindow(display.get(), "Save As") == 0; }, 5000));

    // The report holds the tool's thread for seconds; it still answers the ping in time.
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_TRUE(AnswersPing(display.get(), main, 4711, 1000)) << log();
    std::this_thread::sleep_until(started + std::chrono::milliseconds(2000));
    tool.Signal(SIGTERM);
    EXPECT_EQ(tool.Wait(30000), 130) << log();
    EXPECT_FALSE(std::filesystem::exists(report)); // stopped before its end

    // The report's area loads were undone: the camera has the settings from before.
    ASSERT_EQ(RunToEnd({cli, "dump"}, dir.File("dump.log")), 0)
        << TempDir::ReadFile(dir.File("dump.log"));
    const std::string dump = "\n" + TempDir::ReadFile(dir.File("dump.log"));
    for (const char* setting :
         {"\nIMG1ShutterSpeed=6 (", "\nIMG1GainMaster=100\n", "\nIMG2GainMaster=50\n"})
        EXPECT_NE(dump.find(setting), std::string::npos) << setting << dump;
}

TEST(ToolProgram, NeedsNoComponentLibraryToStart)
{
    // Loaded only at run time through the class registration, never linked.
    std::unique_ptr<FILE, int (*)(FILE*)> ldd(
        ::popen(("ldd '" + kBin + "/zr47xcl-tool' 2>&1").c_str(), "r"), ::pclose);
    ASSERT_NE(ldd, nullptr);
    std::string libraries;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, ldd.get()) != nullptr)
        libraries += buffer;
    EXPECT_NE(libraries.find("libQt6Widgets"), std::string::npos) << libraries;
    EXPECT_EQ(libraries.find("XKorvel"), std::string::npos) << libraries;
}

} // namespace
} // namespace zr::test
