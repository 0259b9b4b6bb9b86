#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <span>
#include <string>
#include <vector>

namespace zr
{

class DialogMetrics;

// Where the windows open on a first start. Without saved positions the control opens every
// floating panel at the same fall-back place, on top of each other and of the small main window.
// So before the control starts for the first time, the host writes an arrangement into the
// module settings: the main window at the top left of the screen's available area, the floating
// panels beside and below it without overlap (on a screen too small for that, overlapping as
// little as it can). From then on the saved positions rule.
class FirstArrangement
{
public:
    // Top-left corners for windows of `sizes` (outer sizes, frames included) in `area`: the
    // first at the area's top left, each other one at the first place, row by row from the top,
    // where it lies inside the area and overlaps none placed before it; where there is no such
    // place, the one inside the area that overlaps least.
    static std::vector<QPoint> Place(const QRect& area, std::span<const QSize> sizes);

    // Writes the arrangement for `area` into the settings file at `path` when the file holds no
    // saved position of any window yet (a missing file included). False when nothing was
    // written: positions were there, or the file could not be read or written.
    static bool WriteIfFirstStart(const std::string& path, const QRect& area,
                                  const DialogMetrics& metrics);

    // The module settings file of the control for this user.
    static std::string SettingsPath();
};

} // namespace zr
