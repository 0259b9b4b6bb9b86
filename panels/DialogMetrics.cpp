#include "panels/DialogMetrics.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QRawFont>
#include <QScreen>
#include <QString>
#include <cmath>
#include <iostream>

namespace zr
{

namespace
{

// Debian's fonts-wine puts a Tahoma outside fontconfig's folders.
constexpr const char* kTahomaFile = "/usr/share/wine/fonts/tahoma.ttf";
constexpr const char* kFallbackFamily = "DejaVu Sans";
constexpr int kPointSize = 8;

// The family of the dialog font. The font database belongs to the process, so the font is
// added once for all panels of all controls; the fallback is reported once.
QString DialogFamily()
{
    static const QString family = [] {
        if (QFile::exists(kTahomaFile)) {
            const int id = QFontDatabase::addApplicationFont(kTahomaFile);
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (id >= 0 && !families.isEmpty())
                return families.front();
        }
        std::cerr << "Tahoma not found (" << kTahomaFile << "); the panels use " << kFallbackFamily
                  << " instead" << std::endl;
        return QString(kFallbackFamily);
    }();
    return family;
}

// Offsets of usWinAscent and usWinDescent in the font's OS/2 table.
constexpr qsizetype kWinAscentOffset = 74;
constexpr qsizetype kWinDescentOffset = 76;

// The logical resolution the panels are drawn at; 96 without a screen.
int LogicalDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? qRound(screen->logicalDotsPerInchY()) : 96;
}

int ReadUnsigned16(const QByteArray& table, qsizetype offset)
{
    return (static_cast<uint8_t>(table[offset]) << 8) | static_cast<uint8_t>(table[offset + 1]);
}

} // namespace

int DialogMetrics::EmPixels(int pointSize, int dpi)
{
    // The point size in whole pixels, rounded as the dialog manager's font request does.
    return (pointSize * dpi + 36) / 72;
}

int DialogMetrics::LineHeight(const QByteArray& os2, int unitsPerEm, int emPixels)
{
    if (os2.size() < kWinDescentOffset + 2 || unitsPerEm <= 0)
        return 0;
    // The Windows ascent and descent, each scaled to the em and rounded, as the dialog manager
    // measures the font; the typographic metrics a font may prefer play no part.
    const auto scaled = [&](qsizetype offset) {
        return static_cast<int>(
            std::lround(double(ReadUnsigned16(os2, offset)) * emPixels / unitsPerEm));
    };
    return scaled(kWinAscentOffset) + scaled(kWinDescentOffset);
}

DialogMetrics::DialogMetrics() : DialogMetrics(LogicalDpi()) {}

DialogMetrics::DialogMetrics(int dpi) : font_(DialogFamily())
{
    font_.setStyleHint(QFont::SansSerif);
    // Whole pixels, so that the text is measured and drawn at the size the layouts assume.
    font_.setPixelSize(EmPixels(kPointSize, dpi));
    const QFontMetrics metrics(font_);
    // The average width of the 52 letters, rounded as the dialog manager does.
    const int letters =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    charWidth_ = (letters / 26 + 1) / 2;
    const QRawFont raw = QRawFont::fromFont(font_);
    charHeight_ = LineHeight(raw.fontTable("OS/2"), qRound(raw.unitsPerEm()), font_.pixelSize());
    // A font without the table: its own line height.
    if (charHeight_ <= 0)
        charHeight_ = metrics.height();
}

QRect DialogMetrics::Rect(int x, int y, int width, int height) const
{
    return {X(x), Y(y), X(width), Y(height)};
}

} // namespace zr
