#include "panels/DialogMetrics.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QString>
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

} // namespace

DialogMetrics::DialogMetrics() : font_(DialogFamily(), kPointSize)
{
    font_.setStyleHint(QFont::SansSerif);
    const QFontMetrics metrics(font_);
    // The average width of the 52 letters, rounded as the dialog manager does.
    const int letters =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    charWidth_ = (letters / 26 + 1) / 2;
    charHeight_ = metrics.height();
}

QRect DialogMetrics::Rect(int x, int y, int width, int height) const
{
    return {X(x), Y(y), X(width), Y(height)};
}

} // namespace zr
