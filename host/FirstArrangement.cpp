#include "host/FirstArrangement.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <set>
#include <system_error>

#include "base/ProfileFile.h"
#include "base/UserFolders.h"
#include "control/Identities.h"
#include "host/ControlDialog.h"
#include "panels/DialogMetrics.h"

namespace zr
{

namespace
{

// The windows in the order they are placed (the larger first, which packs them closer): settings
// section and client size in dialog units. The main window is the host's; the others are the
// sizes of the panels' layouts, the larger imager panel (colour) for both imagers, since the
// model is not known before the first connection.
struct WindowSize {
    const char* section;
    int width;
    int height;
};
constexpr WindowSize kWindows[] = {
    {"Main", CControlDialog::kClientWidthUnits, CControlDialog::kClientHeightUnits},
    {"Control - IMG1", 299, 295},
    {"Control - IMG2", 299, 295},
    {"Communication", 299, 239},
    {"About", 299, 170},
    {"Control", 165, 104},
};

// What a window manager adds around a client area: borders and a title bar.
constexpr QSize kFrame(10, 32);

long long Overlap(const QRect& rect, std::span<const QRect> placed)
{
    long long area = 0;
    for (const QRect& other : placed) {
        const QRect common = rect.intersected(other);
        area += static_cast<long long>(common.width()) * common.height();
    }
    return area;
}

// `rect` moved back inside `area` where it runs over (its top left stays inside).
QRect Inside(QRect rect, const QRect& area)
{
    rect.moveRight(std::min(rect.right(), area.right()));
    rect.moveBottom(std::min(rect.bottom(), area.bottom()));
    rect.moveLeft(std::max(rect.left(), area.left()));
    rect.moveTop(std::max(rect.top(), area.top()));
    return rect;
}

} // namespace

std::vector<QPoint> FirstArrangement::Place(const QRect& area, std::span<const QSize> sizes)
{
    std::vector<QRect> placed;
    for (const QSize& size : sizes) {
        // The candidates: the area's left and top edges and those just past each window placed.
        std::set<int> xs{area.left()};
        std::set<int> ys{area.top()};
        for (const QRect& rect : placed) {
            xs.insert(rect.right() + 1);
            ys.insert(rect.bottom() + 1);
        }
        QRect best = Inside(QRect(area.topLeft(), size), area);
        long long least = std::numeric_limits<long long>::max();
        for (int y : ys) {
            for (int x : xs) {
                const QRect candidate = Inside(QRect(QPoint(x, y), size), area);
                const long long overlap = Overlap(candidate, placed);
                if (overlap < least) {
                    least = overlap;
                    best = candidate;
                }
                if (least == 0)
                    break;
            }
            if (least == 0)
                break;
        }
        placed.push_back(best);
    }
    std::vector<QPoint> corners;
    for (const QRect& rect : placed)
        corners.push_back(rect.topLeft());
    return corners;
}

bool FirstArrangement::WriteIfFirstStart(const std::string& path, const QRect& area,
                                         const DialogMetrics& metrics)
{
    ProfileFile settings;
    if (!settings.Load(path))
        return false;
    std::vector<QSize> sizes;
    for (const WindowSize& window : kWindows) {
        if (settings.HasEntry(window.section, "Left") || settings.HasEntry(window.section, "Top"))
            return false;
        sizes.push_back(metrics.Size(window.width, window.height) + kFrame);
    }
    const std::vector<QPoint> corners = Place(area, sizes);
    for (size_t i = 0; i < corners.size(); ++i) {
        settings.WriteInt(kWindows[i].section, "Left", corners[i].x());
        settings.WriteInt(kWindows[i].section, "Top", corners[i].y());
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    return settings.Save(path);
}

std::string FirstArrangement::SettingsPath()
{
    std::string folder;
    for (const char* part : identity::kSettingsKeyParts)
        folder += part;
    return UserBaseFolder("XDG_CONFIG_HOME", ".config") + "/" + folder + "/" +
           identity::kApplicationName + ".ini";
}

} // namespace zr
