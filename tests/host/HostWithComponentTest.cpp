// The host dialog with the real component, found through a registration made by
// zr47xcl-regsvr for a temporary user: Enter, Esc and a close answered no keep everything, the
// about entry of the context menu and minimising show and hide the floating panels, and the
// tool saves at the end what the user saw.

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QTest>
#include <QWidget>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "TemporaryUser.h"
#include "base/ProfileFile.h"
#include "host/ControlDialog.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

const char* const kFloatingTitles[] = {"About This Control", "Communication", "Common Control",
                                       "Imager 1 - ", "Imager 2 - "};

// The visible top-level window whose title starts with `prefix`, or nullptr.
QWidget* VisibleWindow(const QString& prefix)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle().startsWith(prefix))
            return widget;
    }
    return nullptr;
}

TEST(HostWithComponent, MinimiseThenQuitSavesEveryFloatingPanelHidden)
{
    test::TempDir dir;
    test::TemporaryUser user(dir);
    std::filesystem::create_directories(dir.File("messages"));
    // COM1 leads nowhere: the start-up connection fails and its message box is dismissed.
    ASSERT_TRUE(user.RegisterWithCom1(dir.File("none")));
    const std::string& settingsFile = user.SettingsFile();

    CXKorvelZR47xCL control =
        CXKorvelZR47xCL::FromRegistration(CXKorvelZR47xCL::ClassRegistryPath());
    ASSERT_TRUE(control.HasControl()) << control.Failure();
    control.SetScreenshotFolder(dir.File("messages"));
    // The quit question is answered no, then yes.
    std::vector<std::string> questions;
    auto dialog =
        std::make_unique<CControlDialog>(std::move(control), [&](QWidget*, const QString& text) {
            questions.push_back(text.toStdString());
            return questions.size() > 1;
        });
    dialog->show();
    ASSERT_NE(dialog->ControlWindow(), nullptr);
    EXPECT_FALSE(test::TempDir::ReadFile(dir.File("messages/Message-1.png")).empty());

    // A first run shows every floating panel.
    for (const char* title : kFloatingTitles)
        EXPECT_NE(VisibleWindow(title), nullptr) << title;

    // Enter and Esc change nothing, on a button of the main panel (where the focus is after a
    // Tab) nor on the tool's window itself.
    auto* button = dialog->ControlWindow()->findChild<QAbstractButton*>();
    ASSERT_NE(button, nullptr);
    button->setFocus();
    for (QWidget* target : {static_cast<QWidget*>(button), static_cast<QWidget*>(dialog.get())}) {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(target, key);
            EXPECT_TRUE(dialog->isVisible()) << key;
            for (const char* title : kFloatingTitles)
                EXPECT_NE(VisibleWindow(title), nullptr) << title << " after key " << key;
        }
    }

    // Answered no, closing keeps the tool and every panel.
    EXPECT_FALSE(dialog->close());
    EXPECT_TRUE(dialog->isVisible());
    for (const char* title : kFloatingTitles)
        EXPECT_NE(VisibleWindow(title), nullptr) << title << " after no";

    // The about entry brings back an about panel the user closed.
    QWidget* about = VisibleWindow("About This Control");
    ASSERT_NE(about, nullptr);
    about->close();
    EXPECT_EQ(VisibleWindow("About This Control"), nullptr);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                                 dialog->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(dialog.get(), &rightClick);
    ASSERT_TRUE(dialog->ContextMenu().isVisible());
    QAction* entry = dialog->ContextMenu().actions().value(0);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->text().toStdString(), "&About ControlTool...");
    entry->trigger();
    EXPECT_EQ(VisibleWindow("About This Control"), about);

    // Minimised, no floating panel stays; restored, none comes back.
    dialog->setWindowState(Qt::WindowMinimized);
    dialog->setWindowState(Qt::WindowNoState);
    for (const char* title : kFloatingTitles)
        EXPECT_EQ(VisibleWindow(title), nullptr) << title;

    EXPECT_TRUE(dialog->close());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(questions, std::vector<std::string>(
                             2, "Are you sure you want to quit the ZR-47xCL control tool ?"));
    dialog.reset();
    const ProfileFile settings(settingsFile);
    EXPECT_EQ(settings.GetInt("Main", "Show", -5), 1);
    for (const char* section :
         {"About", "Communication", "Control", "Control - IMG1", "Control - IMG2"})
        EXPECT_EQ(settings.GetInt(section, "Show", -5), 0) << section;
}

} // namespace
} // namespace zr
