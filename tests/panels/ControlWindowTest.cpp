// The control's window with the real Qt user interface, as a host embeds it: the start-up
// message rendered instead of waiting for a user, and pictures of every panel.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <gtest/gtest.h>

#include "PanelTestBed.h"
#include "panels/ControlWindow.h"
#include "panels/PanelFactory.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

TEST(ControlWindow, ScreenshotModeRendersMessagesAndEveryPanel)
{
    test::ControlTestBed bed;
    bed.settings.WriteInt("Control - IMG1", "Show", 0);
    CXKorvelCamCtrl& control = bed.MakeControl();
    test::TempDir dir;
    // ZR_PANEL_PICTURES keeps the pictures for a look.
    const QString folder = qEnvironmentVariableIsSet("ZR_PANEL_PICTURES")
                               ? qEnvironmentVariable("ZR_PANEL_PICTURES")
                               : QString::fromStdString(dir.Path());
    InitPanelResources();
    QWidget host;
    host.setWindowTitle("ZR-47xCL");
    host.resize(140, 30);
    auto* window = new CControlWindow(control, &host, folder);
    window->resize(host.size());
    host.show();
    window->Start();
    // No camera: the start-up message went to a picture instead of waiting.
    EXPECT_EQ(window->Ui().MessageCount(), 1);
    EXPECT_TRUE(QFile::exists(folder + "/Message-1.png"));
    ASSERT_NE(control.GetPanel(PANEL_MAIN), nullptr);

    ASSERT_EQ(window->SaveScreenshots(folder), 0);
    for (const char* name : {"Main", "About", "Communication", "Control", "Control - IMG1",
                             "Control - IMG2", "Progress", "PropertyPage"}) {
        const QImage picture(folder + "/" + name + ".png");
        EXPECT_FALSE(picture.isNull()) << name;
    }
    // The floating panels are drawn at their layout size, whether shown or not.
    const QImage about(folder + "/About.png");
    EXPECT_EQ(about.size() / qGuiApp->devicePixelRatio(),
              window->Environment().metrics.Size(299, 170));

    // Deleting the host's window takes the panels down; the control lives on headless.
    delete window;
    EXPECT_FALSE(control.HasWindow());
    EXPECT_EQ(control.GetPanel(PANEL_ABOUT), nullptr);
    EXPECT_EQ(bed.settings.GetInt("About", "Left", -1), 100);
}

} // namespace
} // namespace zr
