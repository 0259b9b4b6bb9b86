#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bus/BusClient.h"
#include "component/ComponentInterface.h"

namespace zr::cli
{

// A control published on the session bus behind the same boundary interface as the control the
// component creates, so that every verb runs and reports alike on either. The published control
// is already started and keeps its own settings: Start and SelectPort do nothing, Close saves
// nothing.
class AttachedControl final : public IXKorvelCamObject
{
public:
    explicit AttachedControl(std::unique_ptr<bus::BusClient> client);
    AttachedControl(const AttachedControl&) = delete;
    AttachedControl& operator=(const AttachedControl&) = delete;

    void Start(bool) override {}
    void SelectPort(int32_t, int32_t) override {}
    const char* ConnectionFailure() const override { return ""; }
    int32_t GetIDOfName(const char* name, int32_t* kind, int32_t* dispid) override;
    int32_t Invoke(int32_t dispid, InvokeKind kind, Variant* args, uint32_t argCount,
                   Variant* result) override;
    const char* ErrorDescription() const override { return lastError_.c_str(); }
    void Advise(IXKorvelCamEvents* sink) override;
    void Unadvise(IXKorvelCamEvents* sink) override;
    void SetProgress(IXKorvelCamProgress* progress) override;
    void* CreateControlWindow(void*) override { return nullptr; }
    void SetScreenshotFolder(const char*) override {}
    int32_t SaveScreenshots(const char*) override { return hresult::kFail; }
    void Release() override { delete this; }
    int32_t Close() override;
    int32_t SelectPortNamed(const char*) override { return hresult::kOk; }
    int32_t ShowPortsWindow() override { return hresult::kFail; }

private:
    ~AttachedControl() override = default;

    std::unique_ptr<bus::BusClient> client_;
    std::vector<IXKorvelCamEvents*> sinks_;
    IXKorvelCamProgress* progress_ = nullptr;
    std::string lastError_;
    ScopedConnection<const AutomationMember&> events_;
    ScopedConnection<const std::string&, bool> log_;
    ScopedConnection<const std::string&, int32_t, int32_t> steps_;
};

} // namespace zr::cli
