#include "panels/PanelToolTip.h"

#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QWidget>

namespace zr
{

PanelToolTip::PanelToolTip(QWidget& panel, const QFont& font)
    : QObject(&panel), tip_(new QLabel(&panel, Qt::ToolTip))
{
    tip_->setFont(font);
    tip_->setWordWrap(true);
    tip_->setMaximumWidth(kMaximumWidth);
    tip_->setFrameStyle(QFrame::Box | QFrame::Plain);
    tip_->setMargin(1);
    QPalette colours = tip_->palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::ToolTipBase));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ToolTipText));
    tip_->setPalette(colours);
    tip_->setAutoFillBackground(true);
    hideTimer_.setSingleShot(true);
    hideTimer_.setInterval(kShowMs);
    connect(&hideTimer_, &QTimer::timeout, this, [this] { Hide(); });
}

PanelToolTip::~PanelToolTip() = default;

void PanelToolTip::Watch(QWidget& control)
{
    control.installEventFilter(this);
}

void PanelToolTip::SetMaximumWidth(int pixels)
{
    tip_->setMaximumWidth(pixels);
}

int PanelToolTip::MaximumWidth() const
{
    return tip_->maximumWidth();
}

QLabel* PanelToolTip::Shown() const
{
    return tip_ && tip_->isVisible() ? tip_.data() : nullptr;
}

bool PanelToolTip::eventFilter(QObject* watched, QEvent* event)
{
    auto* control = qobject_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::ToolTip:
        if (control != nullptr && !control->toolTip().isEmpty()) {
            Show(control->toolTip(), static_cast<QHelpEvent*>(event)->globalPos());
            return true;
        }
        break;
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::Hide:
    case QEvent::KeyPress:
        Hide();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void PanelToolTip::Show(const QString& text, const QPoint& globalPosition)
{
    if (!tip_)
        return;
    tip_->setText(text);
    // One line where it fits; wrapped at the maximum width otherwise.
    const int oneLine = tip_->fontMetrics().horizontalAdvance(text) + 2 * (tip_->margin() + 1);
    tip_->resize(std::min(oneLine, tip_->maximumWidth()),
                 tip_->heightForWidth(std::min(oneLine, tip_->maximumWidth())));
    // Below the mouse pointer, as the desktop places its tips.
    tip_->move(globalPosition + QPoint(2, 16));
    tip_->show();
    tip_->raise();
    hideTimer_.start();
}

void PanelToolTip::Hide()
{
    hideTimer_.stop();
    if (tip_)
        tip_->hide();
}

} // namespace zr
