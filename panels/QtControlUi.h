#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "control/ControlUi.h"
#include "panels/PanelEnvironment.h"

namespace zr
{

// The control's user interface with Qt windows: the panels, message boxes, the wait cursor, the
// progress window and the host's main window, all for one control window.
class QtControlUi final : public ControlUi
{
public:
    // `controlWindow` is the control's window; with a non-empty `screenshotFolder` message boxes
    // are rendered there as Message-<n>.png and dismissed at once.
    QtControlUi(QWidget& controlWindow, PanelEnvironment& environment,
                const QString& screenshotFolder);

    std::unique_ptr<Panel> CreatePanel(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                                       Panel* parent) override;
    void ShowMessageBox(const std::string& text, const std::string& caption,
                        MessageIcon icon) override;
    bool ShowsFailureDetail() const override { return true; }
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    std::unique_ptr<ProgressWindow> CreateProgressWindow(const std::string& caption) override;
    // The host's top-level window, when the control's window sits in one.
    bool HasMainWindow() const override;
    // Disables or enables the host's window alone, not the floating panels and the progress
    // window it owns.
    void EnableMainWindow(bool enable) override;
    static void EnableWindowAlone(QWidget& window, bool enable);

    // Message boxes shown (or rendered) so far.
    int MessageCount() const { return messages_; }

private:
    QPointer<QWidget> controlWindow_;
    PanelEnvironment& environment_;
    QString screenshotFolder_;
    int messages_ = 0;
};

} // namespace zr
