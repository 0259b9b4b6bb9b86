// The desktop program's control on a private session bus: a value that another program sets
// through the bus reaches the panels through the control's own notifications, the message list
// shows the exchange, and the tool saves it at the end as usual, also after the bus went away.

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

#include "ChildProcess.h"
#include "TemporaryUser.h"
#include "VirtualXServer.h"
#include "base/ProfileFile.h"
#include "bus/BusClient.h"
#include "host/ControlDialog.h"
#include "sim/lib/PtyServer.h"
#include "sim/lib/SimCamera.h"
#include "support/SessionBus.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

QWidget* VisibleWindow(const QString& prefix)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle().startsWith(prefix))
            return widget;
    }
    return nullptr;
}

bool ShowsChoice(QWidget* panel, const QString& text)
{
    for (QComboBox* box : panel->findChildren<QComboBox*>())
        if (box->currentText() == text)
            return true;
    return false;
}

QStringList Messages(QWidget* panel)
{
    QStringList lines;
    for (QListWidget* list : panel->findChildren<QListWidget*>())
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
    return lines;
}

TEST(ToolOnTheBus, ShowsAValueAScriptSetThroughTheBusWaitsForItsOwnOperationsAndSaves)
{
    test::PrivateSessionBus bus;
    if (bus.Address().empty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    test::TempDir dir;
    sim::PtyServer camera(sim::SimOptions{});
    ASSERT_TRUE(camera.IsServing());
    test::TemporaryUser user(dir);
    std::filesystem::create_directories(dir.File("messages"));
    ASSERT_TRUE(user.RegisterWithCom1(camera.DevicePath()));
    const std::string& settingsFile = user.SettingsFile();

    CXKorvelZR47xCL control =
        CXKorvelZR47xCL::FromRegistration(CXKorvelZR47xCL::ClassRegistryPath());
    ASSERT_TRUE(control.HasControl()) << control.Failure();
    control.SetScreenshotFolder(dir.File("messages"));
    auto dialog = std::make_unique<CControlDialog>(std::move(control),
                                                   [](QWidget*, const QString&) { return true; });
    dialog->show();
    QWidget* imager1 = VisibleWindow("Imager 1 - ");
    QWidget* communication = VisibleWindow("Communication");
    ASSERT_NE(imager1, nullptr);
    ASSERT_NE(communication, nullptr);
    ASSERT_FALSE(ShowsChoice(imager1, "1/1000"));

    // The script runs while the tool's event loop runs, as in a desktop session.
    test::ChildProcess script({std::string(ZR_BIN_DIR) + "/zr47xcl", "--attach", "set",
                               "IMG1ShutterSpeed=6", "get", "IMG1ShutterSpeedString"},
                              dir.File("script.log"));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (script.Running() && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(script.Wait(1000), 0) << test::TempDir::ReadFile(dir.File("script.log"));
    EXPECT_EQ(test::TempDir::ReadFile(dir.File("script.log")), "1/1000\n");

    // Shown at once: the script's set returned after the panels had been notified.
    EXPECT_TRUE(ShowsChoice(imager1, "1/1000"));
    const QStringList lines = Messages(communication);
    EXPECT_TRUE(lines.contains("SH1=6")) << lines.join(" | ").toStdString();
    EXPECT_TRUE(lines.contains("COMPLETE")) << lines.join(" | ").toStdString();
    EXPECT_EQ(camera.Camera().Value("SH1"), 6);

    // While an operation of the window holds the control (its wait cursor is up), a script's
    // call waits, and goes through once the operation is over.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    test::ChildProcess waiting(
        {std::string(ZR_BIN_DIR) + "/zr47xcl", "--attach", "set", "IMG1ShutterSpeed=4"},
        dir.File("waiting.log"));
    const auto held = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < held)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(waiting.Running()) << test::TempDir::ReadFile(dir.File("waiting.log"));
    EXPECT_EQ(camera.Camera().Value("SH1"), 6);
    QApplication::restoreOverrideCursor();
    const auto released = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (waiting.Running() && std::chrono::steady_clock::now() < released)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(waiting.Wait(1000), 0) << test::TempDir::ReadFile(dir.File("waiting.log"));
    EXPECT_EQ(camera.Camera().Value("SH1"), 4);
    EXPECT_TRUE(ShowsChoice(imager1, "1/250"));

    // The bus goes away: the publication is dropped, said once in the message list, and the
    // tool goes on with its control and saves it at the end as usual.
    bus.Kill();
    const auto lost = [&] {
        return Messages(communication).filter("the session bus has gone (").size();
    };
    const auto gone = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (lost() == 0 && std::chrono::steady_clock::now() < gone)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(lost(), 1) << Messages(communication).join(" | ").toStdString();

    EXPECT_TRUE(dialog->close());
    dialog.reset();
    EXPECT_EQ(ProfileFile(settingsFile).GetInt("IMG1 Shutter", "Shutter Speed", -5), 4);
}

// The tool's control in this process on a camera with these faults, and a script's output.
struct ToolInThisProcess {
    explicit ToolInThisProcess(std::vector<std::string> faults)
        : camera(sim::SimOptions{"ZR-470", "", false, std::move(faults)}), user(dir)
    {
    }
    bool Open()
    {
        if (!camera.IsServing() || !user.RegisterWithCom1(camera.DevicePath()))
            return false;
        CXKorvelZR47xCL control =
            CXKorvelZR47xCL::FromRegistration(CXKorvelZR47xCL::ClassRegistryPath());
        if (!control.HasControl())
            return false;
        dialog = std::make_unique<CControlDialog>(std::move(control),
                                                  [](QWidget*, const QString&) { return true; });
        dialog->show();
        return true;
    }
    // Serves the tool's event loop until the script ends (at most 30 s); how long that took.
    std::chrono::milliseconds Serve(test::ChildProcess& script)
    {
        const auto start = std::chrono::steady_clock::now();
        while (script.Running() &&
               std::chrono::steady_clock::now() < start + std::chrono::seconds(30))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
    }
    std::string Log() const { return test::TempDir::ReadFile(dir.File("script.log")); }

    test::TempDir dir;
    sim::PtyServer camera;
    test::TemporaryUser user;
    std::unique_ptr<CControlDialog> dialog;
};

TEST(ToolOnTheBus, ABusCallersCtrlCStopsItsOperationInTheTool)
{
    test::PrivateSessionBus bus;
    if (bus.Address().empty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    // A white balance the camera reports working for ten seconds.
    ToolInThisProcess tool({"awb-working=100:AW1"});
    ASSERT_TRUE(tool.Open());
    const std::string zr47xcl = std::string(ZR_BIN_DIR) + "/zr47xcl";

    // Ctrl-C of the caller reaches the tool's operation, which stops at its next poll, as under
    // `zr47xcl serve`. The signal comes from another thread: the operation holds this one.
    test::ChildProcess stopped({zr47xcl, "--attach", "call", "DoIMG1OnePushAWB", "0"},
                               tool.dir.File("script.log"));
    std::chrono::steady_clock::time_point interrupted;
    std::thread interrupter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        interrupted = std::chrono::steady_clock::now();
        stopped.Signal(SIGINT);
    });
    tool.Serve(stopped);
    interrupter.join();
    const auto stopTook = std::chrono::steady_clock::now() - interrupted;
    EXPECT_EQ(stopped.Wait(1000), 130) << tool.Log();
    EXPECT_LT(stopTook, std::chrono::milliseconds(3000)) << tool.Log();
    tool.dialog.reset();
}

TEST(ToolOnTheBus, AMessageBoxOfABusCallGoesToItsCallerNotToTheToolsUser)
{
    test::PrivateSessionBus bus;
    if (bus.Address().empty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    ToolInThisProcess tool({});
    ASSERT_TRUE(tool.Open());
    const std::string zr47xcl = std::string(ZR_BIN_DIR) + "/zr47xcl";

    // The result the control shows in a box goes to the caller's standard error; the tool's user
    // sees no box, and the control is free for the next caller at once. A box that opens anyway
    // is closed, so the test ends either way.
    int boxes = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&boxes] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget);
                box != nullptr && box->isVisible()) {
                ++boxes;
                box->done(QMessageBox::Ok);
            }
    });
    closer.start(200);
    test::ChildProcess shown(
        {zr47xcl, "--attach", "call", "DoIMG1OnePushAWB", "1", "get", "IMG1ShutterSpeed"},
        tool.dir.File("script.log"));
    tool.Serve(shown);
    EXPECT_EQ(shown.Wait(1000), 0) << tool.Log();
    EXPECT_EQ(boxes, 0);
    EXPECT_NE(tool.Log().find("Imager 1: One-Push AWB completed, gain values updated.\n"),
              std::string::npos)
        << tool.Log();
    tool.dialog.reset();
}

TEST(ToolOnTheBus, TheToolOnAnXServerServesAScriptAndSavesWhatItSet)
{
    test::PrivateSessionBus bus;
    if (bus.Address().empty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    test::TempDir dir;
    test::VirtualXServer server(dir.File("xvfb.log"), 50, 59);
    if (!server.Installed())
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_FALSE(server.Display().empty()) << test::TempDir::ReadFile(dir.File("xvfb.log"));
    sim::PtyServer camera(sim::SimOptions{});
    ASSERT_TRUE(camera.IsServing());
    test::TemporaryUser user(dir);
    ASSERT_TRUE(user.RegisterWithCom1(camera.DevicePath()));
    const std::string& settingsFile = user.SettingsFile();

    test::ScopedEnv displayName("DISPLAY", server.Display());
    test::ScopedEnv platform("QT_QPA_PLATFORM", "xcb");
    test::ChildProcess tool({std::string(ZR_BIN_DIR) + "/zr47xcl-tool"}, dir.File("tool.log"));
    auto log = [&] { return "tool output:\n" + test::TempDir::ReadFile(dir.File("tool.log")); };
    // The tool publishes its control once its window is up and connected.
    std::string error;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::vector<bus::PublishedControl> published;
    while ((published = bus::BusClient::List(error)).empty() && tool.Running() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(published.size(), 1u) << error << log();
    EXPECT_TRUE(published[0].online);

    test::ChildProcess script({std::string(ZR_BIN_DIR) + "/zr47xcl", "--attach", "COM1", "set",
                               "IMG1ShutterSpeed=6", "get", "IMG1ShutterSpeedString"},
                              dir.File("script.log"));
    EXPECT_EQ(script.Wait(20000), 0) << test::TempDir::ReadFile(dir.File("script.log"));
    EXPECT_EQ(test::TempDir::ReadFile(dir.File("script.log")), "1/1000\n");
    EXPECT_EQ(camera.Camera().Value("SH1"), 6);

    // Ended like a confirmed close, the tool saves what the script set.
    tool.Signal(SIGTERM);
    EXPECT_EQ(tool.Wait(20000), 130) << log();
    EXPECT_EQ(ProfileFile(settingsFile).GetInt("IMG1 Shutter", "Shutter Speed", -5), 6);
}

} // namespace
} // namespace zr
