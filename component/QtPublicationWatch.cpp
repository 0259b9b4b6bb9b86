// Compiled only into the shared component library, with the window layer: the published
// control of a window is served from Qt's event loop on the control's own thread.

#include <memory>
#include <poll.h>

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include "bus/BusPublication.h"
#include "component/ComponentWindows.h"

namespace zr
{

namespace
{

// Reads the bus whenever its descriptor is readable (or writable while messages wait to go
// out), and when the bus library asks for a time-out. While a window operation holds the control
// (the wait cursor, the main window disabled by a search, a dialog of its own on top) calls from
// the bus answer busy.
class QtPublicationWatch final : public PublicationWatch
{
public:
    QtPublicationWatch(bus::BusPublication& publication, QWidget* window)
        : publication_(publication), window_(window),
          read_(publication.Fd(), QSocketNotifier::Read),
          write_(publication.Fd(), QSocketNotifier::Write)
    {
        publication_.SetBusyCheck([this] { return WindowBusy(); });
        QObject::connect(&read_, &QSocketNotifier::activated, [this] { Serve(); });
        QObject::connect(&write_, &QSocketNotifier::activated, [this] { Serve(); });
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Serve(); });
        Rearm();
    }
    ~QtPublicationWatch() override { publication_.SetBusyCheck(nullptr); }
    QtPublicationWatch(const QtPublicationWatch&) = delete;
    QtPublicationWatch& operator=(const QtPublicationWatch&) = delete;

private:
    void Serve()
    {
        publication_.Process();
        Rearm();
    }

    void Rearm()
    {
        write_.setEnabled((publication_.PollEvents() & POLLOUT) != 0);
        const int timeout = publication_.PollTimeoutMs();
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

    bus::BusPublication& publication_;
    QPointer<QWidget> window_;
    QSocketNotifier read_;
    QSocketNotifier write_;
    QTimer timer_;
};

} // namespace

std::unique_ptr<PublicationWatch> WatchPublication(bus::BusPublication& publication,
                                                   ControlWindow& window)
{
    return std::make_unique<QtPublicationWatch>(publication,
                                                static_cast<QWidget*>(window.Handle()));
}

} // namespace zr
