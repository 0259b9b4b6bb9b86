#pragma once

#include <QString>
#include <QWidget>

#include "panels/PanelEnvironment.h"
#include "panels/QtControlUi.h"

namespace zr
{

class CXKorvelCamCtrl;

// The control's own window inside its container. It gives the control its Qt user interface for
// as long as it lives, carries the main panel over its whole area (or the design-time picture
// while there is none), and takes the panels down with it.
class CControlWindow : public QWidget
{
    Q_OBJECT

public:
    CControlWindow(CXKorvelCamCtrl& control, QWidget* parent, const QString& screenshotFolder = {});
    // Destroys the panels (they save their positions) and hands the control back its headless
    // user interface.
    ~CControlWindow() override;

    // The start-up of a created window: connection attempt, start-up message, panels.
    void Start();

    // Renders the host's window with the main panel, every other panel (shown or not), the
    // progress window and the property page to `folder`/<section>.png. 0 on success.
    int SaveScreenshots(const QString& folder);
    // The serial ports window, modal over the host's window; 0 once it is closed.
    int ShowPortsWindow();

    QSize sizeHint() const override;
    PanelEnvironment& Environment() { return environment_; }
    QtControlUi& Ui() { return ui_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* MainPanel() const;

    CXKorvelCamCtrl& control_;
    PanelEnvironment environment_;
    QtControlUi ui_;
};

} // namespace zr
