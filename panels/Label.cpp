#include "panels/Label.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMouseEvent>
#include <QUrl>

namespace zr
{

CLabel::CLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent), opener_(&CLabel::OpenWithDesktop)
{
}

void CLabel::SetTextColor(const QColor& color)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, color);
    setPalette(palette);
}

void CLabel::SetUnderline(bool underline)
{
    QFont font = this->font();
    font.setUnderline(underline);
    setFont(font);
}

void CLabel::SetLinkCursor(const QCursor& cursor)
{
    setCursor(cursor);
}

void CLabel::OpenWithDesktop(const QString& target)
{
    // Never a shell command line: the desktop service opens the file or the address.
    const QUrl url = QFileInfo::exists(target)
                         ? QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath())
                         : QUrl::fromUserInput(target);
    QDesktopServices::openUrl(url);
}

void CLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (notify_ && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint())) {
        if (opener_)
            opener_(Target());
        event->accept();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace zr
