#pragma once

#include <functional>
#include <string>

#include "control/ControlUi.h"

namespace zr::web
{

// The user interface a web caller's control answers to: a message box that one of its calls
// raises goes to the page instead of the server's standard error, where nobody would read it.
// There are no panels, progress windows or main window: the page shows progress from the stream.
class MessageRelay final : public ControlUi
{
public:
    using Deliver = std::function<void(const std::string& text, MessageIcon icon)>;
    explicit MessageRelay(Deliver deliver) : deliver_(std::move(deliver)) {}

    std::unique_ptr<Panel> CreatePanel(const PanelSpec&, CXKorvelCamCtrl&, Panel*) override
    {
        return nullptr;
    }
    void ShowMessageBox(const std::string& text, const std::string&, MessageIcon icon) override
    {
        deliver_(text, icon);
    }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    std::unique_ptr<ProgressWindow> CreateProgressWindow(const std::string&) override
    {
        return nullptr;
    }
    bool HasMainWindow() const override { return false; }
    void EnableMainWindow(bool) override {}

private:
    Deliver deliver_;
};

} // namespace zr::web
