// The desktop program's control on a private session bus: a value that another program sets
// through the bus reaches the panels through the control's own notifications, the message list
// shows the exchange, and the tool saves it at the end as usual.

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QWidget>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "ChildProcess.h"
#include "base/ProfileFile.h"
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

TEST(ToolOnTheBus, ShowsAValueAScriptSetThroughTheBusAndSavesIt)
{
    test::PrivateSessionBus bus;
    if (bus.Address().empty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    test::TempDir dir;
    sim::PtyServer camera(sim::SimOptions{});
    ASSERT_TRUE(camera.IsServing());
    test::ScopedEnv config("XDG_CONFIG_HOME", dir.File("config"));
    test::ScopedEnv data("XDG_DATA_HOME", dir.File("data"));
    std::filesystem::create_directories(dir.File("config/Korvel-XKorvelZR47xCL.ini-Control"));
    std::filesystem::create_directories(dir.File("messages"));
    const std::string settingsFile =
        dir.File("config/Korvel-XKorvelZR47xCL.ini-Control/XKorvelZR47xCL Control.ini");
    ASSERT_TRUE(test::TempDir::WriteFile(settingsFile, "[Comm]\r\nCOM1=" + camera.DevicePath() +
                                                           "\r\nClass=0\r\nPort=0\r\n"));
    test::ChildProcess regsvr({std::string(ZR_BIN_DIR) + "/zr47xcl-regsvr"},
                              dir.File("regsvr.log"));
    ASSERT_EQ(regsvr.Wait(20000), 0) << test::TempDir::ReadFile(dir.File("regsvr.log"));

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

    EXPECT_TRUE(dialog->close());
    dialog.reset();
    EXPECT_EQ(ProfileFile(settingsFile).GetInt("IMG1 Shutter", "Shutter Speed", -5), 6);
}

} // namespace
} // namespace zr
