// The windows' places on a first start: side by side within the screen where they fit, as
// little on top of each other as can be where they do not, written only where no window has a
// saved place yet.

#include <QRect>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "base/ProfileFile.h"
#include "host/FirstArrangement.h"
#include "panels/DialogMetrics.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

long long Overlap(const std::vector<QRect>& rects)
{
    long long area = 0;
    for (size_t i = 0; i < rects.size(); ++i)
        for (size_t j = i + 1; j < rects.size(); ++j) {
            const QRect common = rects[i].intersected(rects[j]);
            area += static_cast<long long>(common.width()) * common.height();
        }
    return area;
}

std::vector<QRect> Placed(const QRect& area, const std::vector<QSize>& sizes)
{
    const std::vector<QPoint> corners = FirstArrangement::Place(area, sizes);
    std::vector<QRect> rects;
    for (size_t i = 0; i < corners.size(); ++i)
        rects.emplace_back(corners[i], sizes[i]);
    return rects;
}

TEST(FirstArrangement, PlacesTheWindowsApartWithinTheAreaOrOverlappingLittle)
{
    // The main window, both imager panels, communication, about, common control (with frames).
    const std::vector<QSize> sizes{{151, 56},  {458, 511}, {458, 511},
                                   {458, 420}, {458, 308}, {257, 201}};
    // A desktop with a panel along its top: the area starts below it.
    const QRect area(0, 28, 1280, 996);
    const std::vector<QRect> rects = Placed(area, sizes);
    EXPECT_EQ(rects[0].topLeft(), area.topLeft());
    for (const QRect& rect : rects)
        EXPECT_TRUE(area.contains(rect)) << rect.x() << "," << rect.y();
    EXPECT_EQ(Overlap(rects), 0);

    // Too small for all of them: each stays inside, and they overlap far less than stacked.
    const QRect small(0, 0, 1024, 768);
    const std::vector<QRect> crowded = Placed(small, sizes);
    for (const QRect& rect : crowded)
        EXPECT_TRUE(small.contains(rect)) << rect.x() << "," << rect.y();
    std::vector<QRect> stacked;
    for (const QSize& size : sizes)
        stacked.emplace_back(QPoint(0, 0), size);
    EXPECT_LT(Overlap(crowded), Overlap(stacked) / 4);
}

TEST(FirstArrangement, WritesOnlyWhereNoWindowHasASavedPlace)
{
    test::TempDir dir;
    const DialogMetrics metrics;
    const QRect screen(0, 0, 1920, 1080);
    const char* sections[] = {"Main",    "About",          "Communication",
                              "Control", "Control - IMG1", "Control - IMG2"};

    // No file yet (its folder neither): every window gets a place, apart from the others.
    const std::string missing = dir.File("new/settings.ini");
    ASSERT_TRUE(FirstArrangement::WriteIfFirstStart(missing, screen, metrics));
    ProfileFile written(missing);
    EXPECT_EQ(written.GetInt("Main", "Left", -1), 0);
    EXPECT_EQ(written.GetInt("Main", "Top", -1), 0);
    for (const char* section : sections) {
        EXPECT_GE(written.GetInt(section, "Left", -1), 0) << section;
        EXPECT_GE(written.GetInt(section, "Top", -1), 0) << section;
    }

    // The port alone (as scripts/run.sh writes it): arranged, the port kept.
    const std::string portOnly = dir.File("port.ini");
    test::TempDir::WriteFile(portOnly, "[Comm]\r\nCOM1=/dev/pts/7\r\n");
    ASSERT_TRUE(FirstArrangement::WriteIfFirstStart(portOnly, screen, metrics));
    ProfileFile arranged(portOnly);
    EXPECT_EQ(arranged.GetString("Comm", "COM1", ""), "/dev/pts/7");
    EXPECT_TRUE(arranged.HasEntry("Control - IMG2", "Top"));

    // One saved place is enough for the saved places to rule: the file stays as it is.
    const std::string saved = dir.File("saved.ini");
    const std::string content = "[Comm]\r\nCOM1=/dev/pts/7\r\n[About]\r\nLeft=300\r\n";
    test::TempDir::WriteFile(saved, content);
    EXPECT_FALSE(FirstArrangement::WriteIfFirstStart(saved, screen, metrics));
    EXPECT_EQ(test::TempDir::ReadFile(saved), content);
}

} // namespace
} // namespace zr
