#pragma once

#include <QDialog>
#include <exception>
#include <string>
#include <utility>

#include "control/ControlUi.h"
#include "control/ScriptError.h"
#include "panels/DialogLayout.h"
#include "panels/PanelEnvironment.h"

namespace zr
{

class CXKorvelCamCtrl;
class OnlineStrip;
class QuitWatch;

// What every panel shares: the layout built from its table, the saved position with the
// work-area rule, the show and hide protocol (the close box and Esc only hide the panel; Enter
// does nothing), the online strip, and handlers that never let a script error reach the event
// loop.
//
// The control owns its panels. Floating panels are windows of their own that stay above the
// host's window; the main panel is a child of the control's window.
class CDialogOCXBase : public QDialog, public Panel
{
    Q_OBJECT

public:
    // Builds the layout and runs the shared initialisation: the saved position is read from the
    // panel's section ("Left", "Top", default -1) and the window placed there, or at 100 on an
    // axis where the position lies outside the work area; the online strip shows the control's
    // state. `parent` is the control's window.
    CDialogOCXBase(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                   PanelEnvironment& environment, const DialogLayout& layout, QWidget* parent);
    ~CDialogOCXBase() override;

    // --- Panel ------------------------------------------------------------------------------
    void OnOnlineStatusChanged(bool online) override;
    // Shows or hides this panel when `index` is its own.
    void ShowPanel(int32_t index, bool show) override;
    PanelKind Kind() const override { return kind_; }
    bool ImagersAlike() const override { return imagersAlike_; }
    bool HasWindow() const override { return !windowDestroyed_; }
    // Writes the window's position to "Left" and "Top" and hides it for good.
    void DestroyWindow() override;

    int32_t PanelIndex() const { return index_; }
    int32_t Template() const { return template_; }
    const std::string& Section() const { return section_; }
    bool IsInitialised() const { return initialised_; }
    bool IsUserTyping() const { return userTyping_; }
    bool IsRefreshing() const { return refreshing_; }
    const DialogControls& Controls() const { return controls_; }
    CXKorvelCamCtrl& Owner() const { return owner_; }

    // The saved position after the work-area rule: a coordinate below 0 or not below the work
    // area's extent - 10 becomes 100.
    static QPoint PlacedPosition(int left, int top, const QSize& workArea);

    // Runs a handler of this panel. A script error it raises (a failed camera operation) is
    // shown in a message box with a stop icon and ends the handler; nothing unwinds further.
    template <typename Handler> void Guarded(Handler&& handler) noexcept
    {
        try {
            handler();
        } catch (const ScriptError& error) {
            ShowStopMessage(error.Description());
        } catch (const std::exception& error) {
            ShowStopMessage(error.what());
        }
    }
    // Connects a signal of `sender` to a guarded handler of this panel.
    template <typename Sender, typename Signal, typename Handler>
    void Handle(Sender* sender, Signal signal, Handler handler)
    {
        connect(sender, signal, this,
                [this, handler](auto&&... args) { Guarded([&] { handler(args...); }); });
    }

    // Sets a flag (user typing, refreshing, busy) to `value` for one scope and gives it back
    // its previous value whichever way the scope is left, so that nested scopes keep the outer
    // one's setting.
    class FlagScope
    {
    public:
        explicit FlagScope(bool& flag, bool value = true)
            : flag_(flag), previous_(std::exchange(flag, value))
        {
        }
        ~FlagScope() { flag_ = previous_; }
        FlagScope(const FlagScope&) = delete;
        FlagScope& operator=(const FlagScope&) = delete;

    private:
        bool& flag_;
        bool previous_;
    };

public slots:
    // The default action (Enter) does nothing; the cancel action (Esc) hides the panel.
    void accept() override {}
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    PanelEnvironment& Environment() const { return environment_; }
    // Lets pending window events (painting, timers) run during long work of a panel, such as
    // the first lines of the message list or the moment after a file dialog closed. User input
    // waits until the work is done, so a click can never start a second camera transaction
    // inside the first.
    static void ProcessWindowEvents();
    bool& UserTypingFlag() { return userTyping_; }
    bool& RefreshingFlag() { return refreshing_; }
    // The window whose position is saved: the host's top-level window for the main panel.
    QWidget* PositionedWindow();

private:
    void ShowStopMessage(const std::string& text) noexcept;

    int32_t index_;
    int32_t template_;
    CXKorvelCamCtrl& owner_;
    std::string section_;
    bool topLevel_;
    bool imagersAlike_;
    PanelKind kind_;
    PanelEnvironment& environment_;
    DialogControls controls_;
    OnlineStrip* strip_ = nullptr;
    QuitWatch* quitWatch_; // a child of the panel
    int left_ = 0;
    int top_ = 0;
    bool initialised_ = false;
    bool userTyping_ = false;
    bool refreshing_ = false;
    bool windowDestroyed_ = false;
};

} // namespace zr
