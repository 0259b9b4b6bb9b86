#include "panels/PanelWindowFactory.h"

#include <QApplication>
#include <QPointer>

#include "panels/ControlWindow.h"
#include "panels/EventSourceWatch.h"
#include "panels/PanelFactory.h"

namespace zr
{

namespace
{

// The component's handle on the window. The host may delete its own window, and this one with
// it, before the component lets go: the pointer then simply becomes null.
class QtControlWindow final : public ControlWindow
{
public:
    explicit QtControlWindow(CControlWindow* window) : window_(window) {}
    ~QtControlWindow() override { delete window_.data(); }

    void* Handle() override { return static_cast<QWidget*>(window_.data()); }
    int SaveScreenshots(const std::string& folder) override
    {
        return window_ ? window_->SaveScreenshots(QString::fromLocal8Bit(folder)) : 1;
    }
    int ShowPortsWindow() override { return window_ ? window_->ShowPortsWindow() : 1; }
    std::unique_ptr<EventSourceWatch> Watch(EventSource& source) override
    {
        return window_ ? WatchEventSource(source, window_.data()) : nullptr;
    }

private:
    QPointer<CControlWindow> window_;
};

class QtWindowFactory final : public ControlWindowFactory
{
public:
    std::unique_ptr<ControlWindow> Create(CXKorvelCamCtrl& control, void* parent,
                                          const std::string& screenshotFolder) override
    {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
            return nullptr;
        InitPanelResources();
        auto* window = new CControlWindow(control, static_cast<QWidget*>(parent),
                                          QString::fromLocal8Bit(screenshotFolder));
        auto handle = std::make_unique<QtControlWindow>(window);
        window->show();
        window->Start();
        return handle;
    }
};

} // namespace

ControlWindowFactory& PanelWindowFactory()
{
    static QtWindowFactory factory;
    return factory;
}

} // namespace zr
