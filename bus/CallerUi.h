#pragma once

#include <functional>
#include <memory>
#include <string>

#include "control/ControlUi.h"

namespace zr
{
class CXKorvelCamCtrl;
}

namespace zr::bus
{

// The user interface of a control while it runs a call that came over the bus: everything as
// the control's own interface does it, except the message boxes, which go back to the caller of
// that call (`deliver`) instead of opening a modal box in the program that publishes the
// control, where nobody asked for it and every further bus call would wait for a click.
//
// Installed on the control for its lifetime; the control's own interface comes back after.
class CallerUi final : public ControlUi
{
public:
    using Deliver = std::function<void(const std::string& text, MessageIcon icon)>;

    CallerUi(CXKorvelCamCtrl& control, Deliver deliver);
    ~CallerUi() override;
    CallerUi(const CallerUi&) = delete;
    CallerUi& operator=(const CallerUi&) = delete;

    std::unique_ptr<Panel> CreatePanel(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                                       Panel* parent) override
    {
        return own_.CreatePanel(panelSpec, owner, parent);
    }
    void ShowMessageBox(const std::string& text, const std::string&, MessageIcon icon) override
    {
        deliver_(text, icon);
    }
    void BeginWaitCursor() override { own_.BeginWaitCursor(); }
    void EndWaitCursor() override { own_.EndWaitCursor(); }
    std::unique_ptr<ProgressWindow> CreateProgressWindow(const std::string& caption) override
    {
        return own_.CreateProgressWindow(caption);
    }
    bool HasMainWindow() const override { return own_.HasMainWindow(); }
    void EnableMainWindow(bool enable) override { own_.EnableMainWindow(enable); }

private:
    CXKorvelCamCtrl& control_;
    ControlUi& own_;
    Deliver deliver_;
};

} // namespace zr::bus
