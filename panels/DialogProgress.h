#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "control/ControlUi.h"
#include "panels/DialogLayout.h"

class QProgressBar;
class QLabel;
class QPushButton;

namespace zr
{

class DialogMetrics;
class InputDeferral;
class QuitWatch;

// The progress window of the port search: a message, a bar and a Cancel button. Pressing Cancel
// only sets the cancel flag; the owner asks for it and destroys the window when the search ends.
class CDialogProgress : public QDialog, public ProgressWindow
{
    Q_OBJECT

public:
    // Control identifiers of the layout.
    enum ControlId : int { kBar = 202, kText = 203, kCancel = 204 };

    static const DialogLayout& Layout();

    // A window not yet shown, titled `caption`, over `over` (the control's window) when given.
    CDialogProgress(const std::string& caption, const DialogMetrics& metrics,
                    QWidget* over = nullptr);
    ~CDialogProgress() override;

    void SetTitle(const std::string& title) override;
    void SetMessage(const std::string& text) override;
    void SetRange(int32_t lower, int32_t upper) override;
    void SetPosition(int32_t position) override;
    void Show() override;
    // Processes pending window events first, so that a click on Cancel is seen while the search
    // runs; input for any other window waits until this window goes.
    bool IsCancelled() override;

    QPushButton* CancelButton() const;
    QProgressBar* Bar() const;
    QString Message() const;

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    DialogControls controls_;
    QWidget* over_;
    bool cancelled_ = false;
    QuitWatch* quitWatch_; // a child of the window
    std::unique_ptr<InputDeferral> deferral_;
};

} // namespace zr
