#include "panels/NEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace zr
{

CNEdit::CNEdit(bool negativeAllowed, QWidget* parent)
    : QLineEdit(parent), negativeAllowed_(negativeAllowed), beep_([] { QApplication::beep(); })
{
}

void CNEdit::SetRange(double minimum, double maximum)
{
    minimum_ = minimum;
    maximum_ = maximum;
}

void CNEdit::SetValue(int value)
{
    const QString text = QString::number(value);
    if (text != this->text())
        setText(text);
}

void CNEdit::SetValue(double value)
{
    SetValue(static_cast<int>(std::trunc(value)));
}

int CNEdit::ParseLeadingInt(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    errno = 0;
    const long value = std::strtol(bytes.constData(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

int CNEdit::Value() const
{
    return ParseLeadingInt(text());
}

bool CNEdit::Accepts(QChar c) const
{
    if (c.isDigit() && c.unicode() < 0x80)
        return true;
    if (c == u'.' && decimalPointAllowed_)
        return !text().contains(u'.');
    if (c != u'-' || !negativeAllowed_)
        return false;
    // The text that stays once the selection is replaced may hold no "-" yet.
    QString remaining = text();
    if (hasSelectedText())
        remaining.remove(selectionStart(), static_cast<int>(selectedText().size()));
    return remaining.isEmpty() || !remaining.contains(u'-');
}

void CNEdit::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    // Keys that type nothing (arrows, Delete, Home...) and the dialog's own keys pass on.
    const bool dialogKey = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
                           key == Qt::Key_Tab || key == Qt::Key_Backtab;
    if (event->text().isEmpty() || dialogKey || key == Qt::Key_Backspace) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString typed = event->text();
    if (typed.size() == 1 && Accepts(typed.front())) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    beep_();
}

void CNEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    int value = Value();
    // A range with a bound of 0 (0..1023, say) is not clamped here.
    if (minimum_ != 0 && maximum_ != 0) {
        if (value < minimum_) {
            value = static_cast<int>(minimum_);
            beep_();
        } else if (value > maximum_) {
            value = static_cast<int>(maximum_);
            beep_();
        }
    }
    SetValue(value);
}

} // namespace zr
