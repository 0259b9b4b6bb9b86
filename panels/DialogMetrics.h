#pragma once

#include <QByteArray>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace zr
{

// The dialog font (Tahoma 8 pt, or DejaVu Sans where no Tahoma is found) and the conversion of
// dialog units into pixels with its metrics: x pixels = x units * average character width / 4,
// y pixels = y units * character height / 8. The character height is the font's Windows ascent
// plus descent (its OS/2 table) at the em size in whole pixels, as the dialog manager the
// layouts were drawn for measures it. Pixels are Qt's device-independent ones, so a layout keeps
// its proportions at any scale factor.
class DialogMetrics
{
public:
    // At the primary screen's logical resolution.
    DialogMetrics();
    // At `dpi` logical dots per inch.
    explicit DialogMetrics(int dpi);

    // The em size in whole pixels of a font of `pointSize` points at `dpi`.
    static int EmPixels(int pointSize, int dpi);
    // Windows ascent plus descent of the font whose OS/2 table is `os2`, in pixels at an em of
    // `emPixels`; 0 when the table is missing or short.
    static int LineHeight(const QByteArray& os2, int unitsPerEm, int emPixels);

    const QFont& Font() const { return font_; }
    int AverageCharWidth() const { return charWidth_; }
    int CharHeight() const { return charHeight_; }

    int X(int units) const { return (units * charWidth_ + 2) / 4; }
    int Y(int units) const { return (units * charHeight_ + 4) / 8; }
    QRect Rect(int x, int y, int width, int height) const;
    QSize Size(int width, int height) const { return {X(width), Y(height)}; }

private:
    QFont font_;
    int charWidth_;
    int charHeight_;
};

} // namespace zr
