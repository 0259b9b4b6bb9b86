#include "panels/SpinButton.h"

#include <QEvent>
#include <QKeyEvent>
#include <QToolButton>
#include <algorithm>

#include "panels/NEdit.h"

namespace zr
{

CSpinButton::CSpinButton(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void CSpinButton::SetBuddy(CNEdit* buddy)
{
    if (buddy_)
        buddy_->removeEventFilter(this);
    buddy_ = buddy;
    if (buddy_)
        buddy_->installEventFilter(this);
}

CNEdit* CSpinButton::Buddy() const
{
    return qobject_cast<CNEdit*>(buddy_.data());
}

void CSpinButton::NameArrows(const QString& field)
{
    up_->setAccessibleName(field + " up");
    down_->setAccessibleName(field + " down");
}

void CSpinButton::SetRange(int lower, int upper)
{
    lower_ = lower;
    upper_ = upper;
}

void CSpinButton::Step(int delta)
{
    CNEdit* buddy = Buddy();
    if (buddy == nullptr || !isEnabled())
        return;
    const int low = std::min(lower_, upper_);
    const int high = std::max(lower_, upper_);
    // The position is the field's number, brought into range before and after the step.
    const int position = std::clamp(buddy->Value(), low, high);
    buddy->SetValue(std::clamp(position + delta, low, high));
}

bool CSpinButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == buddy_.data() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CSpinButton::resizeEvent(QResizeEvent*)
{
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

} // namespace zr
