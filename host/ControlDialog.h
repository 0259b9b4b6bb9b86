#pragma once

#include <QDialog>
#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <functional>

#include "host/XKorvelZR47xCL.h"

namespace zr
{

// The only window of the host program: a fixed-size dialog whose client area is the embedded
// control's window (the control's main panel). It adds a title, the window icon, a context menu
// with the about entry, a confirmation before quitting, and hides the floating panels when it
// is minimised. Enter and Esc do nothing: the dialog ends only through the confirmed close.
class CControlDialog : public QDialog
{
    Q_OBJECT

public:
    // Asks the quit question over `parent`; true when the user answered yes.
    using QuitQuestion = std::function<bool(QWidget* parent, const QString& text)>;

    static constexpr const char* kTitle = "ZR-47xCL";
    // The window's size in dialog units; it matches the control's row of five buttons.
    static constexpr int kClientWidthUnits = 94;
    static constexpr int kClientHeightUnits = 15;
    static constexpr const char* kAboutEntry = "&About ControlTool...";
    static constexpr const char* kPortsEntry = "Serial &Ports...";
    static constexpr const char* kQuitQuestion =
        "Are you sure you want to quit the ZR-47xCL control tool ?";

    // Creates the control's window in the client area, which runs the control's start-up.
    CControlDialog(CXKorvelZR47xCL control, QuitQuestion askQuit);
    // Destroys the control before the dialog's own windows go: the panels save their
    // positions while the window whose position "Main" keeps still exists.
    ~CControlDialog() override;

    // The control's window, or nullptr when there is no control (an empty client area).
    QWidget* ControlWindow() const { return controlWindow_; }
    CXKorvelZR47xCL& Control() { return control_; }
    QMenu& ContextMenu() { return contextMenu_; }

    // Shows why the module settings could not be read or saved when the control goes; a
    // message box unless replaced (tests, unattended runs).
    std::function<void(const std::string&)> reportSettingsProblem;

    // The about entry: shows the about panel, even when the user closed it before.
    void ShowAboutPanel();

    // The default and cancel actions (Enter, Esc) end the dialog only once quitting is confirmed.
    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void HideFloatingPanels();

    CXKorvelZR47xCL control_;
    QPointer<QWidget> controlWindow_; // a child of this dialog, made by the control
    QIcon icon_;
    bool quitConfirmed_ = false;
    QuitQuestion askQuit_;
    QMenu contextMenu_;
};

// The quit question as a message box with the buttons yes and no.
bool AskQuitWithMessageBox(QWidget* parent, const QString& text);

} // namespace zr
