#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "automation/ControlSession.h"
#include "automation/Dispatch.h"
#include "control/XKorvelCamCtrl.h"

namespace zr
{

class SettingsStore;

// A control of this process on the module settings and its dispatch: the one assembly of the
// two that the component's object, `zr47xcl serve` and the Python module share.
//
// Destroying it ends the control's connection (when it has one) and the control writes the
// module settings.
class LocalControl final : public ControlSession
{
public:
    // `settings` must outlive the control.
    explicit LocalControl(SettingsStore& settings);
    ~LocalControl() override;
    LocalControl(const LocalControl&) = delete;
    LocalControl& operator=(const LocalControl&) = delete;

    CXKorvelCamCtrl& Control() { return control_; }
    CXKorvelCamDispatch& Dispatch() { return dispatch_; }

    DispatchResult Invoke(const AutomationMember& member, InvokeKind kind,
                          std::vector<Variant>& args, Variant& result) override
    {
        return dispatch_.Invoke(member.dispid, kind, args, result);
    }
    Signal<const AutomationMember&>& Events() override { return dispatch_.eventFired; }
    Signal<const std::string&, bool>& Log() override { return control_.commLog; }
    Signal<const std::string&, int32_t, int32_t>& Progress() override { return progress_; }
    void SetStopCheck(std::function<bool()> check) override
    {
        control_.SetStopCheck(std::move(check));
    }
    void SetUi(ControlUi& ui) override { control_.SetUi(ui); }

private:
    CXKorvelCamCtrl control_;
    CXKorvelCamDispatch dispatch_;
    Signal<const std::string&, int32_t, int32_t> progress_;
    ScopedConnection<const char*, int32_t, int32_t> steps_;
};

} // namespace zr
