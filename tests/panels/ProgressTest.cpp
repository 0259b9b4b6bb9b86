// The progress window of the port search, and one transaction at a time: while the search
// processes window events for its Cancel button, a click anywhere else waits until it ends.
#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <cstdio>
#include <gtest/gtest.h>

#include "PanelTestBed.h"
#include "panels/DialogAbout.h"
#include "panels/DialogProgress.h"

namespace zr
{
namespace
{

using test::PanelTestBed;

// A click as the window system would queue it: press and release, posted.
void QueueClick(QWidget& widget)
{
    const QPointF centre = QRectF(widget.rect()).center();
    const QPointF global = widget.mapToGlobal(centre);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            &widget,
            new QMouseEvent(type, centre, global, Qt::LeftButton,
                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                            Qt::NoModifier));
}

QString Title(int position, int candidates)
{
    char title[40];
    const float percent = static_cast<float>(position) / static_cast<float>(candidates) * 100.0f;
    std::snprintf(title, sizeof title, "In Progress (%5.1f%%)", static_cast<double>(percent));
    return title;
}

TEST(ProgressWindow, TitleCountsTheCandidatesAndCancelEndsTheSearch)
{
    PanelTestBed panels;
    CXKorvelCamCtrl& control = panels.StartOffline();
    int32_t candidates = 0;
    for (int32_t c = 0; c < control.GetCommClassCount(); ++c)
        candidates += control.GetCommPortCount(c);
    int32_t commClass = -7;
    int32_t port = -7;
    int bars = 0;
    // While the search runs the host's window alone is disabled: the progress window it owns
    // (and so stays above it) keeps its Cancel usable.
    int ownedAndUsable = 0;
    panels.onProgress = [&](CDialogProgress& window) {
        QObject::connect(window.Bar(), &QProgressBar::valueChanged, [&](int) {
            ++bars;
            if (window.parentWidget() == &panels.host && window.isEnabled() &&
                window.CancelButton()->isEnabled() && !panels.host.isEnabled())
                ++ownedAndUsable;
        });
    };
    EXPECT_EQ(control.AutoSelectCommunication(commClass, port, true), 0);
    EXPECT_EQ(commClass, -7);
    EXPECT_EQ(port, -7);
    ASSERT_FALSE(panels.progressTitles.isEmpty());
    EXPECT_EQ(panels.progressTitles.back(), "In Progress (100.0%)");
    EXPECT_EQ(panels.progressTitles[0], Title(1, candidates));
    EXPECT_EQ(bars, candidates);
    EXPECT_EQ(ownedAndUsable, candidates);
    EXPECT_TRUE(panels.host.isEnabled());

    // Cancel, pressed while the window is up, is seen at the next candidate.
    panels.progressTitles.clear();
    panels.onProgress = [](CDialogProgress& window) { QueueClick(*window.CancelButton()); };
    EXPECT_EQ(control.AutoSelectCommunication(commClass, port, true), 0);
    EXPECT_EQ(panels.progressTitles, QStringList{Title(1, candidates)});
    EXPECT_EQ(commClass, -7);
}

TEST(ProgressWindow, AClickQueuedDuringTheSearchReachesTheCameraOnlyAfterIt)
{
    PanelTestBed panels;
    panels.bed.AttachCamera(2, "ZR-470");
    CXKorvelCamCtrl& control = panels.StartOffline();
    auto* about = panels.PanelAs<CDialogAbout>(PANEL_ABOUT);
    about->SetEditMode(1);
    about->Field(CDialogAbout::kUserId)->setText("Queued");

    std::vector<std::string> log;
    ScopedConnection<const std::string&, bool> logging(
        control.commLog, [&](const std::string& line, bool) { log.push_back(line.substr(0, 9)); });
    QPushButton* save = about->findChild<QPushButton*>();
    for (QPushButton* button : about->findChildren<QPushButton*>())
        if (button->text() == "Save User ID")
            save = button;
    panels.onProgress = [&](CDialogProgress&) { QueueClick(*save); };

    int32_t commClass = -1;
    int32_t port = -1;
    ASSERT_EQ(control.AutoSelectCommunication(commClass, port, true), 1);
    EXPECT_EQ(port, 2);
    log.push_back("-- end --");
    QCoreApplication::processEvents();

    const auto end = std::find(log.begin(), log.end(), "-- end --");
    const auto write = std::find_if(
        log.begin(), log.end(), [](const std::string& line) { return line.rfind("UD=", 0) == 0; });
    ASSERT_NE(write, log.end()) << "the click was lost";
    EXPECT_GT(write, end) << "the click ran inside the search";
}

} // namespace
} // namespace zr
