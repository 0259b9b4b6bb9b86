#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/Signal.h"
#include "camera/Camera.h"
#include "control/ControlUi.h"
#include "control/HeadlessUi.h"
#include "control/ShutdownBatch.h"

namespace zr
{

class SettingsStore;

// A status change the control reports, in the order of its notifications.
enum class StatusChange : uint8_t { Online, Synchronized, Sending, Receiving, CommPort };

// The control: one connection to one camera. It is the camera object (mirror, transactions,
// links), owns the six panels, turns every camera notification into an event and a panel
// notification, and offers the operations behind the automation interface and the panels.
//
// Operations return result codes. Those that report their result (the property writes and
// StartCommunication) pass it through ReportResult, which lets 0 and 100 (offline) pass and
// throws a ScriptError for every other code.
//
// Everything runs on one thread; events and panel notifications are delivered synchronously
// from inside the operation that caused them.
class CXKorvelCamCtrl : private ShutdownBatch, public CCamera
{
public:
    // The shading recalibration found a mode other than "User 1" or "User 2".
    static constexpr int kShadingModeNotUser = 200;

    // Restores the class and port, the setup rows and the six visibility flags from the
    // settings. Nothing is opened or sent; the control is offline until OnCreate(). Without a
    // user interface the control uses its own headless one.
    explicit CXKorvelCamCtrl(SettingsStore& settings, Clock& clock = Clock::System());
    CXKorvelCamCtrl(SettingsStore& settings, ControlUi& ui, Clock& clock = Clock::System());
    // The same on links of the owner's choosing (see CComm).
    CXKorvelCamCtrl(SettingsStore& settings, ControlUi& ui, CommLinks links,
                    Clock& clock = Clock::System());
    // Writes the visibility flags, destroys the remaining panels; the camera part then writes
    // its setup rows and the communication part its class and port. Nothing is sent.
    ~CXKorvelCamCtrl() override;

    // The user interface from now on; it must outlive the control. Set it before OnCreate().
    void SetUi(ControlUi& ui) { ui_ = &ui; }
    // Back to the control's own headless user interface, before the one set goes away.
    void UseHeadlessUi() { ui_ = &headless_; }
    ControlUi& Ui() { return *ui_; }

    // --- Window life ------------------------------------------------------------------------
    // Start-up once the control's window exists: connects with the remembered class and port
    // (a failure shows the start-up message and the control goes on offline), then creates the
    // panels. Always 0.
    int OnCreate();
    // The control's window goes: every panel is destroyed. Panels are created only while the
    // window exists.
    void OnDestroy();
    bool HasWindow() const { return windowCreated_; }

    // --- Notifications ----------------------------------------------------------------------
    // Every change is emitted here first, then handed to the panels in index order. Slots run
    // synchronously inside the operation that caused the change; they may call back into the
    // control (the call runs nested) but must not throw.
    //
    // A status flag was stored, or the communication port changed.
    Signal<StatusChange> statusChanged;
    // A row's mirrored value changed (after a new model name has rebuilt the panels).
    Signal<int32_t> parameterChanged;
    // A communication-log line as it went to or came from the camera, CR and LF removed.
    Signal<const std::string&, bool> commLog;
    // A long operation made a step: its name, steps done, steps in all.
    Signal<const char*, int32_t, int32_t> operationProgress;

    // --- Connection and panels --------------------------------------------------------------
    // Closes the link, tries class and port (open, then the EB connection check), reads the
    // model name and derives the imager types. With `notify` the model name's change event
    // fires and the panels that no longer fit are rebuilt. Link or camera error code.
    int ConnectCamera(int32_t commClass, int32_t port, bool notify);
    // ConnectCamera with notification, reported without a row (the StartCommunication method).
    int StartCommunication(int32_t commClass, int32_t port);
    // Why the last connection attempt failed, naming the port, its device and the reason
    // ("COM6 is /dev/ttyUSB1: No such file or directory"); empty after a success.
    const std::string& GetConnectionFailure() const { return connectionFailure_; }
    // When the link failed for good in the middle of an operation (the device unplugged, the
    // line hung up), which took the control offline: "link lost: COM1 is /dev/ttyUSB0: " and the
    // system's reason, also the connection failure then. The operation's own result stays the
    // camera's time-out; this is the detail the faces add. Empty once online again.
    const std::string& GetLinkLoss() const { return linkLoss_; }
    static constexpr std::string_view kLinkLost = "link lost: ";
    // Sets IM1 and IM2 from the mirrored model name (no event); with `rebuild` replaces the
    // common control panel and the imager panels whose kind no longer fits.
    void ApplyCameraModel(bool rebuild);
    // Creates the missing panel `index`, or every missing panel for -1.
    void CreatePanels(int32_t index);

    // --- Property paths ---------------------------------------------------------------------
    // The mirrored value; the camera is not asked.
    int32_t GetParameterValue(int32_t row) const { return GetValue(row); }
    // Clamps, stores, fires the row's event, sends a writable available row, reports.
    int SetParameterValue(int32_t row, int32_t value);
    // Item position of the mirrored value among the enabled items; when the value is not an
    // enabled item, the list position of the first enabled item, 0 when none is enabled.
    int32_t GetParameterIndex(int32_t row) const;
    // Stores the value of the enabled item at `position`, notifies, sends, reports.
    int SetParameterIndex(int32_t row, int32_t position);
    // Display text of the mirrored value (the text itself for text rows); not asked.
    std::string GetParameterText(int32_t row);
    int SetParameterText(int32_t row, const std::string& text);
    // The UserID property write: the unlock command, then UD; reported on row UD.
    int SetUserIDText(const std::string& text);

    // Returns 0 and 100 unchanged; throws a ScriptError for every other code. The description
    // names the row's mnemonic for the codes 103 to 107 when `row` is a row of the table.
    int ReportResult(int32_t row, int code);
    // The message of a result code, including the control's own code 200.
    static std::string GetResultText(int code);

    // --- Ask and Check operations -----------------------------------------------------------
    // The row's minimum for 0, its maximum otherwise (disabled items included); 0 for no row.
    static int32_t AskRange(int32_t row, int32_t minMax);
    // 0 for 0, else CountEnabledItems - 1.
    int32_t AskIndexRange(int32_t row, int32_t minMax) const;
    std::string AskItemString(int32_t row, int32_t position) const
    {
        return GetItemString(row, position);
    }
    int32_t AskCommClassRange(int32_t minMax) const;
    std::string AskCommClassString(int32_t commClass) const;
    int32_t AskCommPortRange(int32_t commClass, int32_t minMax) const;
    std::string AskCommPortString(int32_t commClass, int32_t port) const;

    bool CheckOnline() const { return IsOnline(); }
    bool CheckSynchronized() const { return IsSynchronized(); }
    bool CheckSending() const { return IsSending(); }
    bool CheckReceiving() const { return IsReceiving(); }
    bool IsSameImager() const { return GetValue(P_IM1) == GetValue(P_IM2); }
    // Imager 0 or 1 holds a colour type (5 to 7); false for any other imager number.
    bool IsColorImager(int32_t imager) const;

    // --- Panels and visibility --------------------------------------------------------------
    // The visibility properties: true when the flag is above 0.
    bool GetPanelVisible(int32_t index) const;
    // Sets the flag of panel 1 to 5 (1 or 0), shows or hides the panel and sets the main
    // panel's toggle button; a panel that does not exist yet takes the flag when created.
    // The main panel is always shown: index 0 is ignored.
    void SetPanelVisible(int32_t index, bool visible);
    // Shows the about panel, as SetPanelVisible(PANEL_ABOUT, true).
    void AboutBox() { SetPanelVisible(PANEL_ABOUT, true); }
    // The raw flags, as the panels' show and hide protocol reads and writes them. The main
    // panel's flag stays 1.
    int32_t GetVisibilityFlag(int32_t index) const;
    void SetVisibilityFlag(int32_t index, int32_t flag);
    // The panel at `index`, or nullptr.
    Panel* GetPanel(int32_t index) const;

    // Set by every property write, visibility change and panel creation: the container's state
    // is due to be saved.
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true) { modified_ = modified; }

    // --- Per-imager accessors for the imager panels -----------------------------------------
    // `imager` 0 is imager 1, any other value imager 2; `imager1Row` names the quantity by its
    // imager 1 row (P_SH1, P_GA1, ...). The row of imager 2, or -1 for no imager 1 row.
    static int32_t ImagerRow(int32_t imager, int32_t imager1Row);
    // The mirrored value, never asking the camera; 0 for no imager row.
    int32_t GetImagerValue(int32_t imager, int32_t imager1Row) const;
    // As SetParameterValue on that imager's row.
    int SetImagerValue(int32_t imager, int32_t imager1Row, int32_t value);
    // The index forms (TR and PBY): as GetParameterIndex and SetParameterIndex.
    int32_t GetImagerIndex(int32_t imager, int32_t imager1Row) const;
    int SetImagerIndex(int32_t imager, int32_t imager1Row, int32_t position);

    // --- Long operations --------------------------------------------------------------------
    // One-push balance: kind 0 white balance of imager 1, 1 of imager 2, 2 the AYB balance of
    // both. `result` gets the result row's value (0 still working, 1 success, 2 to 4 the
    // camera's error). Code 0, a camera or link code, 101 when the camera never finished;
    // 106 for another kind. With `showMessage` the outcome is shown in a message box.
    int RunOnePushBalance(int32_t kind, int32_t& result, bool showMessage);
    // Shading recalibration of imager 0 or 1 (any non-zero value is imager 2). Code 200 when the
    // mode is neither "User 1" nor "User 2"; a camera that never finishes gives code 0 and
    // result 0.
    int RunShadingRecalibration(int32_t imager, int32_t& result, bool showMessage);
    // Tries every port of every class until a camera answers; 1 with its class and port, else
    // 0 with both untouched. With `showProgress` a progress window shows the candidate tried and
    // can cancel the search.
    int32_t AutoSelectCommunication(int32_t& commClass, int32_t& port, bool showProgress);

    // --- Camera notifications ---------------------------------------------------------------
    // Each stores its flag, fires its event and then notifies every panel in index order.
    void SetOnline(bool online) override;
    void SetSynchronized(bool synchronized) override;
    void SetSending(bool sending) override;
    void SetReceiving(bool receiving) override;
    void OnCommPortChanged() override;
    // A new model name first re-derives the imager types and rebuilds the panels.
    void OnValueChanged(int32_t index, bool interactive) override;
    void OnCommLog(const std::string& line, bool sent) override;
    void OnOperationProgress(const char* operation, int32_t done, int32_t total) override;

    // Longest wait for a one-push result, and the pause between two polls.
    static constexpr uint32_t kPollLimitMs = 10000;
    static constexpr uint32_t kPollIntervalMs = 100;

private:
    // Steps of ConnectCamera up to the connection check, shared with the port search.
    int TryConnection(int32_t commClass, int32_t port);
    void DestroyPanel(int32_t index);
    void DestroyAllPanels();
    // Calls `notify` on every panel in index order (re-reading each slot, since a receiver may
    // change the panels).
    template <typename Notify> void NotifyPanels(Notify notify);

    // Polls `resultRow` until it leaves 0 or kPollLimitMs passed since `start`. A failed query
    // gives its code; `timedOut` tells a time-out apart from a result.
    int PollResult(int32_t resultRow, uint32_t start, int32_t& result, bool& timedOut);
    int ReadBackGains(int32_t imager);
    void ReportLongOperation(const std::string& prefix, int code, int32_t result, int32_t resultRow,
                             bool balance);

    HeadlessUi headless_;
    ControlUi* ui_;
    std::array<std::unique_ptr<Panel>, PANEL_COUNT> panels_;
    std::array<int32_t, PANEL_COUNT> visible_{};
    bool windowCreated_ = false;
    bool modified_ = false;
    std::string connectionFailure_;
    std::string linkLoss_;
};

} // namespace zr
