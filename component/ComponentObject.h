#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "automation/LocalControl.h"
#include "bus/BusPublication.h"
#include "component/ComponentInterface.h"
#include "component/ComponentModule.h"
#include "control/ControlWindow.h"
#include "control/XKorvelCamCtrl.h"

namespace zr
{

// The object the component's class factory creates: one control on the module settings and its
// dispatch, behind the boundary interface IXKorvelCamObject. It holds the module while alive.
class CXKorvelCamObject final : public IXKorvelCamObject
{
public:
    // `module` must outlive the object.
    explicit CXKorvelCamObject(ComponentModule& module);
    CXKorvelCamObject(const CXKorvelCamObject&) = delete;
    CXKorvelCamObject& operator=(const CXKorvelCamObject&) = delete;

    void Start(bool connect) override;
    void SelectPort(int32_t commClass, int32_t port) override;
    const char* ConnectionFailure() const override
    {
        return session_ ? session_->Control().GetConnectionFailure().c_str() : "";
    }
    void* CreateControlWindow(void* parentWidget) override;
    void SetScreenshotFolder(const char* dir) override;
    int32_t SaveScreenshots(const char* dir) override;
    int32_t GetIDOfName(const char* name, int32_t* kind, int32_t* dispid) override;
    int32_t Invoke(int32_t dispid, InvokeKind kind, Variant* args, uint32_t argCount,
                   Variant* result) override;
    const char* ErrorDescription() const override { return lastError_.c_str(); }
    void Advise(IXKorvelCamEvents* sink) override;
    void Unadvise(IXKorvelCamEvents* sink) override;
    void SetProgress(IXKorvelCamProgress* progress) override;
    void Release() override;
    int32_t Close() override;
    int32_t SelectPortNamed(const char* name) override;
    int32_t ShowPortsWindow() override;

private:
    // One receiver with its connections to the dispatch's events and the control's log.
    struct Receiver {
        IXKorvelCamEvents* sink;
        SignalConnection event;
        SignalConnection log;
    };

    ~CXKorvelCamObject() override;
    // Publishes the windowed control on the session bus, served from the window's event loop.
    void Publish();

    // Declared first, released last: the control writes the module settings when it goes.
    ComponentModule::Hold hold_;
    // The control and its dispatch, until Close().
    std::unique_ptr<LocalControl> session_;
    std::vector<Receiver> receivers_;
    SignalConnection progress_ = 0;
    std::string lastError_;
    std::string screenshotFolder_;
    // Declared last, destroyed first: the window tears the panels down while the control lives.
    std::unique_ptr<ControlWindow> window_;
    // The windowed control on the session bus, and what serves it; they go before the window.
    std::unique_ptr<bus::BusPublication> publication_;
    std::unique_ptr<EventSourceWatch> watch_;
};

} // namespace zr
