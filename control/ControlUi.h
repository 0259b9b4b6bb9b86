#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The boundary between the control and whatever shows it: panels, message boxes, the wait
// cursor, the progress window and the application's main window. The control reaches the user
// interface only through these interfaces; the headless implementation (HeadlessUi.h) shows
// nothing, and the window layer implements them with real windows.

namespace zr
{

class CXKorvelCamCtrl;

// Panel indices: 0 main panel, 1 about, 2 communication, 3 common control, 4 imager 1,
// 5 imager 2.
enum PanelIndex : int32_t {
    PANEL_MAIN,
    PANEL_ABOUT,
    PANEL_COMMUNICATION,
    PANEL_CONTROL,
    PANEL_IMAGER1,
    PANEL_IMAGER2,
    PANEL_COUNT
};

// Which panel class a panel is. Imager panels come in a colour and a monochrome form.
enum class PanelKind : uint8_t { Main, About, Communication, Control, ImagerColor, ImagerMono };

// Everything a panel is created with.
struct PanelSpec {
    int32_t index;
    PanelKind kind;
    int32_t layout;      // the panel's layout (dialog template) number
    const char* section; // settings section of its visibility flag and saved position
    bool imagersAlike;   // common control panel only: IM1 equals IM2
    bool topLevel;       // main panel only: its saved position is the top-level window's
};

// One panel as the control sees it. The control calls the seven notifications on every panel
// it has, in index order, whenever the matching camera notification happens; their default is
// to do nothing.
class Panel
{
public:
    virtual ~Panel() = default;

    virtual void OnOnlineStatusChanged(bool /*online*/) {}
    virtual void OnSynchronizationStatusChanged(bool /*synchronized*/) {}
    // The second argument is always 0 from the control.
    virtual void OnSendingStatusChanged(bool /*sending*/, int32_t /*atOnce*/) {}
    virtual void OnReceivingStatusChanged(bool /*receiving*/, int32_t /*atOnce*/) {}
    virtual void OnCommPortChanged() {}
    // A communication-log line; `received` is true for a line that came from the camera.
    virtual void OnMessage(const std::string& /*text*/, bool /*received*/) {}
    virtual void OnParameterChanged(int32_t /*parameter*/, bool /*interactive*/,
                                    bool /*updateControls*/)
    {
    }
    // Shows or hides this panel when `index` is its own; the main panel sets its toggle button.
    virtual void ShowPanel(int32_t index, bool show) = 0;

    virtual PanelKind Kind() const = 0;
    // The imagers-alike flag the panel was created with.
    virtual bool ImagersAlike() const = 0;
    virtual bool HasWindow() const = 0;
    // Destroys the panel's window (the panel saves its position); the object stays.
    virtual void DestroyWindow() = 0;
};

// Warning is the exclamation mark of a panel's own notices.
enum class MessageIcon : uint8_t { Error, Stop, Information, Warning };

// The progress window of a long search. Destroying the object destroys the window.
class ProgressWindow
{
public:
    virtual ~ProgressWindow() = default;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void SetMessage(const std::string& text) = 0;
    virtual void SetRange(int32_t lower, int32_t upper) = 0;
    virtual void SetPosition(int32_t position) = 0;
    // Shows the window with its Cancel button.
    virtual void Show() = 0;
    // Whether Cancel was pressed. A window implementation may process pending window events
    // first, so that a click on Cancel is seen while the search runs.
    virtual bool IsCancelled() = 0;
};

// The property of the window system's application object that a program sets once it is
// ending (a termination signal arrived): nobody is left to answer a message box, so a window
// layer writes the box's text to standard error instead, where it is not lost.
inline constexpr const char* kProgramEndingProperty = "zr47xcl-program-ending";

class ControlUi
{
public:
    virtual ~ControlUi() = default;

    // A new panel, or nullptr when this user interface has none. `parent` is the main panel
    // for panels 1 to 5 and nullptr for the main panel (whose parent is the control's window).
    virtual std::unique_ptr<Panel> CreatePanel(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                                               Panel* parent) = 0;

    // A modal message box with an OK button; returns once it is closed.
    virtual void ShowMessageBox(const std::string& text, const std::string& caption,
                                MessageIcon icon) = 0;
    // Whether a message box carries the system's detail of a failed connection (the port, its
    // device and the reason) beside its text. The headless interface says no: its program
    // prints that detail on a line of its own.
    virtual bool ShowsFailureDetail() const { return false; }

    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // A modeless progress window, not yet shown, titled `caption`; nullptr when there is none.
    virtual std::unique_ptr<ProgressWindow> CreateProgressWindow(const std::string& caption) = 0;

    // The application's main window, which a long search disables while it runs.
    virtual bool HasMainWindow() const = 0;
    virtual void EnableMainWindow(bool enable) = 0;
};

} // namespace zr
