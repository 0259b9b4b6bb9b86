#pragma once

#include <iosfwd>

#include "control/ControlUi.h"

namespace zr
{

// The user interface of a control without a display: no panels, no progress window, no main
// window; a message box becomes its text on a stream (standard error by default).
class HeadlessUi final : public ControlUi
{
public:
    HeadlessUi();
    explicit HeadlessUi(std::ostream& out) : out_(out) {}

    std::unique_ptr<Panel> CreatePanel(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                                       Panel* parent) override;
    void ShowMessageBox(const std::string& text, const std::string& caption,
                        MessageIcon icon) override;
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    std::unique_ptr<ProgressWindow> CreateProgressWindow(const std::string& caption) override;
    bool HasMainWindow() const override { return false; }
    void EnableMainWindow(bool) override {}

private:
    std::ostream& out_;
};

} // namespace zr
