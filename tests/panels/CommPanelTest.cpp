#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

#include "PanelTestBed.h"
#include "camera/ParameterTable.h"
#include "panels/DialogComm.h"

namespace zr::test
{

namespace
{

using C = CDialogComm;

class CommPanelTest : public ::testing::Test
{
protected:
    // A started control, with a simulated camera on COM1 or without one, and its panel.
    void Start(bool camera)
    {
        if (camera)
            panels.Start();
        else
            panels.StartOffline();
        panel = panels.PanelAs<CDialogComm>(PANEL_COMMUNICATION);
        ASSERT_NE(panel, nullptr);
        panel->SetFileChooser([this](C::FileRequest request) {
            requests.push_back(request);
            return chosenFile;
        });
    }

    CXKorvelCamCtrl& Control() { return panels.Control(); }
    // Message boxes shown since the last call.
    std::vector<std::string> TakeMessages()
    {
        std::vector<std::string> texts = panels.Messages();
        bed.ui.Clear();
        return texts;
    }
    // Wait cursors shown and not yet restored.
    int CursorDepth() const
    {
        return static_cast<int>(bed.ui.Lines("wait-cursor 1").size()) -
               static_cast<int>(bed.ui.Lines("wait-cursor 0").size());
    }
    void Click(int id) { panel->Button(id)->click(); }
    static void Choose(QComboBox* list, int index)
    {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    QStringList Lines() const
    {
        QStringList lines;
        for (int i = 0; i < panel->Messages()->count(); ++i)
            lines << panel->Messages()->item(i)->text();
        return lines;
    }
    bool FailureShown() const { return !panel->Text(C::kFailureIcon)->isHidden(); }

    PanelTestBed panels;
    ControlTestBed& bed = panels.bed;
    CDialogComm* panel = nullptr;
    QString chosenFile;
    std::vector<C::FileRequest> requests;
};

TEST_F(CommPanelTest, MessageListJoinsLinesKeepsTheNewest512AndWritesThemOldestFirst)
{
    Start(false);
    const std::string path = bed.dir.File("log.txt");
    chosenFile = QString::fromStdString(path);
    // The failed start-up's line goes first.
    Click(C::kClear);

    // An empty list gives an empty file.
    Click(C::kWriteLog);
    ASSERT_EQ(requests, std::vector{C::FileRequest::SaveLog});
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(TempDir::ReadFile(path), "");

    panel->AddMessage("first\r\nsecond");
    EXPECT_EQ(Lines(), QStringList{"firstsecond"});

    Click(C::kClear);
    for (int i = 0; i <= C::kMaxMessages; ++i)
        panel->AddMessage(QString("m%1\r\n").arg(i));
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), C::kMaxMessages);
    EXPECT_EQ(lines.first(), "m512");
    EXPECT_EQ(lines.last(), "m1");

    Click(C::kWriteLog);
    std::string expected;
    for (int i = 1; i <= C::kMaxMessages; ++i)
        expected += "m" + std::to_string(i) + "\r\n";
    EXPECT_EQ(TempDir::ReadFile(path), expected);
    EXPECT_EQ(CursorDepth(), 0);
    EXPECT_TRUE(TakeMessages().empty());

    // A cancelled dialog writes nothing.
    chosenFile.clear();
    panel->AddMessage("later");
    Click(C::kWriteLog);
    EXPECT_EQ(TempDir::ReadFile(path), expected);
}

TEST_F(CommPanelTest, UnwritableLogTargetIsReportedAndLeavesNoPartialFile)
{
    Start(false);
    for (int i = 0; i < 40; ++i)
        panel->AddMessage(QString("line %1 of the communication log").arg(i));
    std::filesystem::create_directory(bed.dir.File("folder"));

    struct Case {
        const char* name;
        std::string target;
        bool fullDisk;
    };
    const Case cases[] = {
        {"a folder of that name", bed.dir.File("folder"), false},
        {"a missing folder", bed.dir.File("missing/log.txt"), false},
        {"a full disk", bed.dir.File("full.txt"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        chosenFile = QString::fromStdString(c.target);
        if (c.fullDisk)
            ASSERT_TRUE(WithFileSizeLimit(64, [this] { Click(C::kWriteLog); }));
        else
            Click(C::kWriteLog);
        EXPECT_EQ(CursorDepth(), 0);
        EXPECT_EQ(TakeMessages(),
                  std::vector<std::string>{"Warning: Operation failed in writing log file."});
        EXPECT_FALSE(std::filesystem::is_regular_file(c.target));
    }
    // Nothing but the folder was left behind, no temporary file either.
    EXPECT_EQ(bed.dir.Names(), std::vector<std::string>{"folder"});
}

TEST_F(CommPanelTest, AreaListSelectsTheAreaAndStoreOnlyForUserAreas)
{
    Start(true);
    QComboBox* areas = panel->AreaList();
    ASSERT_EQ(areas->count(), 4);
    EXPECT_EQ(areas->itemText(0), "Factory Data");
    EXPECT_EQ(areas->itemText(3), "");
    EXPECT_EQ(areas->currentIndex(), Control().GetParameterValue(P_AREA));

    struct Case {
        int index;
        bool storeEnabled;
    };
    for (const Case& c : {Case{3, true}, Case{0, false}, Case{2, true}}) {
        SCOPED_TRACE(c.index);
        Control().SetModifiedFlag(false);
        Choose(areas, c.index);
        EXPECT_EQ(Control().GetParameterValue(P_AREA), c.index);
        EXPECT_EQ(panel->Button(C::kStore)->isEnabled(), c.storeEnabled);
        EXPECT_TRUE(panel->Button(C::kLoad)->isEnabled());
        EXPECT_TRUE(Control().IsModified());
    }

    // "Get Area" asks the camera for its power-up area and lists the exchange.
    panel->Text(C::kCurrentArea)->clear();
    Click(C::kGetArea);
    EXPECT_EQ(panel->Text(C::kCurrentArea)->text(),
              QString::fromStdString(Control().GetParameterText(P_EA)));
    EXPECT_FALSE(panel->Text(C::kCurrentArea)->text().isEmpty());
    EXPECT_TRUE(Lines().first().startsWith("EA"));
}

TEST_F(CommPanelTest, NewCategoryStartsOnItsFirstPort)
{
    Start(true);
    // A port without a camera: the control's error box, the lists follow the control.
    Choose(panel->PortList(), 5);
    EXPECT_EQ(Control().GetCommPort(), 5);
    EXPECT_FALSE(Control().CheckOnline());
    EXPECT_EQ(panel->Text(C::kLineText)->text(), "Offline");
    EXPECT_EQ(TakeMessages().size(), 1U);

    Choose(panel->CategoryList(), 0);
    EXPECT_EQ(panel->PortList()->currentIndex(), 0);
    EXPECT_EQ(Control().GetCommClass(), 0);
    EXPECT_EQ(Control().GetCommPort(), 0);
    EXPECT_TRUE(Control().CheckOnline());
    EXPECT_EQ(panel->Text(C::kLineText)->text(), "Online");
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(CommPanelTest, FailedConnectionsAreListedWithThePortItsDeviceAndTheReason)
{
    // The start-up failed before the panel existed: its reason is the list's first line.
    Start(false);
    const QString startup = QString::fromStdString(Control().GetConnectionFailure());
    EXPECT_TRUE(startup.startsWith("COM1 is /")) << startup.toStdString();
    EXPECT_EQ(Lines(), QStringList{startup});

    // A port chosen in the list that fails is listed before its message box.
    Choose(panel->PortList(), 5);
    EXPECT_EQ(TakeMessages().size(), 1U);
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines.first().startsWith("COM6 is /")) << lines.first().toStdString();
    EXPECT_EQ(lines.first().toStdString(), Control().GetConnectionFailure());
}

TEST_F(CommPanelTest, TransferIndicatorStaysUntilItsTimerFires)
{
    Start(true);
    QLabel* text = panel->Text(C::kActivityText);
    QLabel* icon = panel->Text(C::kActivityIcon);
    QTimer& timer = panel->ActivityTimer();
    EXPECT_TRUE(text->isHidden());
    EXPECT_EQ(timer.interval(), C::kActivityHoldMs);

    struct Case {
        const char* shown;
        void (CDialogComm::*notify)(bool, int32_t);
    };
    for (const Case& c : {Case{"Sending", &CDialogComm::OnSendingStatusChanged},
                          Case{"Receiving", &CDialogComm::OnReceivingStatusChanged}}) {
        SCOPED_TRACE(c.shown);
        (panel->*c.notify)(true, 0);
        (panel->*c.notify)(false, 0);
        QCoreApplication::processEvents();
        EXPECT_EQ(text->text(), c.shown);
        EXPECT_FALSE(text->isHidden());
        EXPECT_FALSE(icon->isHidden());
        ASSERT_TRUE(timer.isActive());
        // A new transfer leaves the pending hide running.
        (panel->*c.notify)(true, 0);
        EXPECT_TRUE(timer.isActive());
        QMetaObject::invokeMethod(&timer, "timeout");
        EXPECT_TRUE(text->isHidden());
        EXPECT_TRUE(icon->isHidden());
        EXPECT_EQ(text->text(), "");
    }

    // A real exchange, far shorter than the hold time, ends on the answer received.
    Click(C::kGetArea);
    EXPECT_EQ(text->text(), "Receiving");
    EXPECT_FALSE(text->isHidden());
    EXPECT_TRUE(timer.isActive());
    QMetaObject::invokeMethod(&timer, "timeout");
    EXPECT_TRUE(text->isHidden());
}

TEST_F(CommPanelTest, SynchronizeProgramListsTheExchangeAndReportsACameraGone)
{
    Start(true);
    std::vector<std::string> logged;
    ScopedConnection<const std::string&, bool> listen(
        Control().commLog, [&logged](const std::string& line, bool) { logged.push_back(line); });
    panel->Messages()->clear();

    Click(C::kSyncProgram);
    EXPECT_TRUE(Control().CheckSynchronized());
    EXPECT_EQ(panel->Text(C::kSyncText)->text(), "Synchronized");
    EXPECT_FALSE(FailureShown());
    // The whole exchange, newest first.
    ASSERT_GT(logged.size(), 10U);
    const QStringList lines = Lines();
    ASSERT_EQ(static_cast<size_t>(lines.size()), logged.size());
    for (size_t i = 0; i < logged.size(); ++i)
        EXPECT_EQ(lines[static_cast<int>(logged.size() - 1 - i)],
                  QString::fromStdString(logged[i]).remove('\r').remove('\n'));

    // The camera goes: the failed exchange is reported by the control's message box (no stop
    // sign: that belongs to the offline result) and takes the camera offline; busy flag and wait
    // cursor end all the same.
    bed.DetachCamera(0);
    Click(C::kSyncProgram);
    EXPECT_FALSE(panel->IsBusy());
    EXPECT_EQ(CursorDepth(), 0);
    EXPECT_EQ(TakeMessages().size(), 1U);
    EXPECT_FALSE(Control().CheckOnline());
    EXPECT_EQ(panel->Text(C::kSyncText)->text(), "Not Synchronized");
    EXPECT_EQ(panel->Text(C::kLineText)->text(), "Offline");
    EXPECT_FALSE(FailureShown());
    // The message list says which port and device went, and why.
    EXPECT_TRUE(Lines().first().startsWith("link lost: COM1 is /"))
        << Lines().first().toStdString();
    EXPECT_TRUE(Lines().first().endsWith(": the line hung up (the device was unplugged or closed)"))
        << Lines().first().toStdString();

    // Offline now: no box, the offline line on top and the stop sign.
    Click(C::kSyncProgram);
    EXPECT_EQ(CursorDepth(), 0);
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(Lines().first(), "Operation failed. The Camera is offline.");
    EXPECT_TRUE(FailureShown());

    Click(C::kClear);
    EXPECT_EQ(panel->Messages()->count(), 0);
    EXPECT_FALSE(FailureShown());
}

TEST_F(CommPanelTest, SetupFilesGoThroughTheirDialogs)
{
    Start(true);
    const std::string setup = bed.dir.File("camera.cam");
    chosenFile = QString::fromStdString(setup);
    Click(C::kWriteFile);
    ASSERT_TRUE(std::filesystem::is_regular_file(setup));
    Click(C::kReadFile);
    EXPECT_FALSE(FailureShown());
    chosenFile = QString::fromStdString(bed.dir.File("data.txt"));
    Click(C::kWriteCameraData);
    EXPECT_TRUE(std::filesystem::is_regular_file(bed.dir.File("data.txt")));
    EXPECT_EQ(requests, (std::vector{C::FileRequest::SaveSetup, C::FileRequest::OpenSetup,
                                     C::FileRequest::CameraData}));
    EXPECT_EQ(CursorDepth(), 0);
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_FALSE(panel->IsBusy());

    // Cancelled dialogs do nothing.
    chosenFile.clear();
    Click(C::kReadFile);
    Click(C::kWriteCameraData);
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(CommPanelTest, AutoWithoutCameraRestoresTheSelections)
{
    Start(false);
    Choose(panel->PortList(), 2);
    TakeMessages();
    Click(C::kAuto);
    EXPECT_FALSE(panels.progressTitles.isEmpty());
    EXPECT_EQ(CursorDepth(), 0);
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Warning: Camera not found."});
    EXPECT_EQ(panel->CategoryList()->currentIndex(), 0);
    EXPECT_EQ(panel->PortList()->currentIndex(), 2);
    EXPECT_EQ(panel->PortList()->count(), Control().GetCommPortCount(0));
}

} // namespace

} // namespace zr::test
