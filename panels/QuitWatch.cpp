#include "panels/QuitWatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

namespace zr
{

QuitWatch::QuitWatch(QObject* parent) : QObject(parent)
{
    if (QCoreApplication* application = QCoreApplication::instance())
        application->installEventFilter(this);
}

bool QuitWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
        quitting_ = true;
        QTimer::singleShot(0, this, [this] { quitting_ = false; });
    }
    return false;
}

} // namespace zr
