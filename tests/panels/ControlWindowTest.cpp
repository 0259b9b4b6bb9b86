// The control's window with the real Qt user interface, as a host embeds it: the start-up
// message rendered instead of waiting for a user, and pictures of every panel.
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include "PanelTestBed.h"
#include "panels/ControlWindow.h"
#include "panels/PanelFactory.h"
#include "panels/QtControlUi.h"
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

TEST(ControlWindow, MessagesOfAProgramThatIsEndingGoToStandardError)
{
    // Ending on a signal, the tool has nobody left to answer a box: what the control still says
    // (that the camera's settings could not be put back) must not be lost with it.
    PanelEnvironment environment;
    QWidget window;
    QtControlUi ui(window, environment, QString());
    QCoreApplication::instance()->setProperty(kProgramEndingProperty, true);
    // A box that does show is closed after a while, and counted.
    bool shown = false;
    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget);
                box != nullptr && box->isVisible()) {
                shown = true;
                box->done(0);
            }
    });
    closer.start(2000);
    testing::internal::CaptureStderr();
    ui.ShowMessageBox("Not put back.\r\nCheck the cable.", "XKorvelZR47xCL Control",
                      MessageIcon::Stop);
    const std::string err = testing::internal::GetCapturedStderr();
    QCoreApplication::instance()->setProperty(kProgramEndingProperty, QVariant());
    EXPECT_FALSE(shown);
    EXPECT_EQ(err, "XKorvelZR47xCL Control: Not put back.\nCheck the cable.\n");
}

} // namespace
} // namespace zr
