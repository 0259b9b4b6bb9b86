// The about panel against a simulated camera: the identity shown, the user ID saved (or not),
// and the help documents.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "PanelTestBed.h"
#include "panels/DialogAbout.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

using test::PanelTestBed;

std::vector<std::string> UserIdWrites(sim::SimCamera& camera)
{
    std::vector<std::string> lines;
    for (const std::string& line : camera.ReceivedLines())
        if (line.rfind("UD=", 0) == 0)
            lines.push_back(line);
    return lines;
}

TEST(AboutPanel, ShowsTheCameraAndFollowsItsChanges)
{
    PanelTestBed panels;
    CXKorvelCamCtrl& control = panels.Start("ZR-472");
    auto* about = panels.PanelAs<CDialogAbout>(PANEL_ABOUT);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->windowTitle(), "About This Control");
    EXPECT_EQ(about->Field(CDialogAbout::kModel)->text(), "ZR-472");

    for (auto [hundredths, shown] : {std::pair{5, "0.05"}, {1234, "12.34"}, {130, "1.30"}})
        EXPECT_EQ(CDialogAbout::FormatVersion(hundredths), shown);
    control.SetValue(P_VN, 5, false, true, false);
    EXPECT_EQ(about->Field(CDialogAbout::kFirmware)->text(), "0.05");

    // A user ID the camera reports replaces the text, also while the user is editing it.
    about->SetEditMode(1);
    about->Field(CDialogAbout::kUserId)->setText("half typed");
    control.SetValue(P_PV, 321, false, true, false);
    EXPECT_EQ(about->Field(CDialogAbout::kFpga)->text(), "3.21");
    EXPECT_EQ(about->Field(CDialogAbout::kUserId)->text(), "half typed")
        << "another row's change keeps the text being typed";
    panels.bed.Camera(0).SetText("UD", "LINE-7");
    std::string text;
    ASSERT_EQ(control.GetValueString(P_UD, text, true, true, true), 0);
    EXPECT_EQ(about->Field(CDialogAbout::kUserId)->text(), "LINE-7");
}

TEST(AboutPanel, SavingTheUserId)
{
    PanelTestBed panels;
    CXKorvelCamCtrl& control = panels.Start();
    auto* about = panels.PanelAs<CDialogAbout>(PANEL_ABOUT);
    sim::SimCamera& camera = panels.bed.Camera(0);
    QLineEdit* field = about->Field(CDialogAbout::kUserId);

    // Protected at first: the field is read-only and the button disabled.
    EXPECT_TRUE(field->isReadOnly());
    about->SetEditMode(1);
    EXPECT_FALSE(field->isReadOnly());

    struct Case {
        const char* typed;
        std::vector<std::string> sent;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"  Cell 4", {"UD=Cell 4"}, {}},
        {"   ", {"UD="}, {}}, // blanks pass the empty check and are sent as an empty text
        {"", {}, {"Warning: A valid User ID must contain some characters !!"}},
    };
    for (const Case& c : cases) {
        camera.ClearReceivedLines();
        panels.bed.ui.Clear();
        field->setText(c.typed);
        about->SaveUserId();
        EXPECT_EQ(UserIdWrites(camera), c.sent) << '"' << c.typed << '"';
        EXPECT_EQ(panels.Messages(), c.messages) << '"' << c.typed << '"';
    }

    // Offline: nothing is sent and nothing shown.
    control.ConnectCamera(0, 5, false);
    ASSERT_FALSE(control.CheckOnline());
    camera.ClearReceivedLines();
    panels.bed.ui.Clear();
    about->SetEditMode(1);
    field->setText("Offline");
    about->SaveUserId();
    EXPECT_TRUE(UserIdWrites(camera).empty());
    EXPECT_TRUE(panels.Messages().empty());
}

TEST(AboutPanel, HelpFilesAndLinks)
{
    const QString previous = QDir::currentPath();
    test::TempDir folder;
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(folder.Path())));
    PanelTestBed panels;
    panels.StartOffline();
    auto* about = panels.PanelAs<CDialogAbout>(PANEL_ABOUT);
    about->ViewHelpFile();
    EXPECT_EQ(panels.Messages(), std::vector<std::string>{"Warning: No file was selected!!"});
    EXPECT_TRUE(panels.opened.isEmpty());

    // A second panel sees the PDF files of the current folder, the first selected.
    for (const char* name : {"b-manual.pdf", "a-guide.pdf", "notes.txt"})
        QFile(name).open(QIODevice::WriteOnly);
    QDir().mkdir("folder.pdf");
    panels.bed.Control().OnDestroy();
    panels.bed.Control().OnCreate();
    about = panels.PanelAs<CDialogAbout>(PANEL_ABOUT);
    auto* files = about->findChild<QComboBox*>();
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->count(), 2);
    about->ViewHelpFile();
    EXPECT_EQ(panels.opened, QStringList{"a-guide.pdf"});
    QDir::setCurrent(previous);
}

TEST(AboutPanel, VersionAndWebLinkAreTheProjects)
{
    EXPECT_EQ(CDialogAbout::VersionLine("1.30"), "Version 1.30 (x64)");
    EXPECT_EQ(CDialogAbout::VersionLine("2.5"), "Version 2.05 (x64)");
    PanelTestBed panels;
    panels.StartOffline();
    auto* about = panels.PanelAs<CDialogAbout>(PANEL_ABOUT);
    ASSERT_NE(about, nullptr);
    // The version --version prints, and the home page the packages name.
    EXPECT_EQ(about->Controls().Get<QLabel>(CDialogAbout::kVersion)->text(),
              CDialogAbout::VersionLine(ZR_VERSION));
    const QString home = ZR_HOMEPAGE;
    EXPECT_EQ("https://" + about->Controls().Get<QLabel>(CDialogAbout::kWebLink)->text(), home);
}

} // namespace
} // namespace zr
