#include "panels/EventSourceWatch.h"

#include <memory>
#include <poll.h>

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

namespace zr
{

namespace
{

// Serves the source whenever its descriptor is readable (or writable while it has output
// waiting), and when its time-out runs out. While a window operation holds the control
// (the wait cursor, the main window disabled by a search, a dialog of its own on top) the source
// is told it is busy.
class QtEventSourceWatch final : public EventSourceWatch
{
public:
    QtEventSourceWatch(EventSource& source, QWidget* window)
        : source_(source), window_(window), read_(source.Fd(), QSocketNotifier::Read),
          write_(source.Fd(), QSocketNotifier::Write)
    {
        source_.SetBusyCheck([this] { return WindowBusy(); });
        QObject::connect(&read_, &QSocketNotifier::activated, [this] { Serve(); });
        QObject::connect(&write_, &QSocketNotifier::activated, [this] { Serve(); });
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Serve(); });
        Rearm();
    }
    ~QtEventSourceWatch() override { source_.SetBusyCheck(nullptr); }
    QtEventSourceWatch(const QtEventSourceWatch&) = delete;
    QtEventSourceWatch& operator=(const QtEventSourceWatch&) = delete;

private:
    void Serve()
    {
        source_.Process();
        Rearm();
    }

    void Rearm()
    {
        if (!source_.Lost().empty()) {
            // Its descriptor is no use any more; the owner has been told.
            read_.setEnabled(false);
            write_.setEnabled(false);
            timer_.stop();
            return;
        }
        write_.setEnabled((source_.PollEvents() & POLLOUT) != 0);
        const int timeout = source_.PollTimeoutMs();
        if (timeout >= 0)
            timer_.start(timeout);
        else
            timer_.stop();
    }

    bool WindowBusy() const
    {
        if (QApplication::overrideCursor() != nullptr)
            return true;
        if (window_.isNull())
            return false;
        QWidget* top = window_->window();
        QWidget* modal = QApplication::activeModalWidget();
        return !top->isEnabled() || (modal != nullptr && modal != top);
    }

    EventSource& source_;
    QPointer<QWidget> window_;
    QSocketNotifier read_;
    QSocketNotifier write_;
    QTimer timer_;
};

} // namespace

std::unique_ptr<EventSourceWatch> WatchEventSource(EventSource& source, QWidget* window)
{
    return std::make_unique<QtEventSourceWatch>(source, window);
}

} // namespace zr
