#include "panels/InputDeferral.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

namespace zr
{

InputDeferral::InputDeferral(QWidget& allowed) : allowed_(&allowed)
{
    QCoreApplication::instance()->installEventFilter(this);
}

InputDeferral::~InputDeferral()
{
    QCoreApplication::instance()->removeEventFilter(this);
    for (Held& held : held_)
        if (held.receiver)
            QCoreApplication::postEvent(held.receiver, held.event.release());
}

bool InputDeferral::IsUserInput(const QEvent& event)
{
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

bool InputDeferral::Allowed(QObject* receiver) const
{
    if (!allowed_)
        return false;
    if (auto* widget = qobject_cast<QWidget*>(receiver))
        return widget == allowed_ || allowed_->isAncestorOf(widget);
    // Input reaches a top-level window first and is passed on to its widgets from there.
    if (auto* window = qobject_cast<QWindow*>(receiver))
        return window == allowed_->windowHandle();
    return false;
}

bool InputDeferral::eventFilter(QObject* receiver, QEvent* event)
{
    if (!IsUserInput(*event) || Allowed(receiver))
        return false;
    // Plain moves carry nothing worth replaying.
    if (event->type() != QEvent::MouseMove)
        held_.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
    return true;
}

} // namespace zr
