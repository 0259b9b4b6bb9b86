#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Signal.h"
#include "control/ControlUi.h"
#include "control/XKorvelCamCtrl.h"

namespace zr::test
{

// A user interface that records, in one journal and in call order, every panel created and
// destroyed, every call the control makes on a panel, every message box and everything done to
// the progress window and the main window. Listen() writes the events the control's notifications
// fire into the same journal, so the order of events and panel calls can be checked together.
//
// Journal lines:
//   "create 3 Control alike=1 top=0 layout=226 parent=0 section=Control" (parent -1: none)
//   "destroy-window 4", "delete 4"
//   "2 online 1", "2 sync 0", "2 sending 1", "2 receiving 0", "2 port",
//   "2 message SH1=3 received=0" (CR LF dropped), "2 param 11 1 1", "0 show 4 1"
//   "event IMG1ShutterSpeedChanged"
//   "message Error: TEXT"
//   "progress create In Progress", "progress range 0 16", "progress show",
//   "progress message Checking ...", "progress position 3", "progress title In Progress (...)",
//   "progress cancelled?", "progress destroy", "main-window 0"
class RecordingUi final : public ControlUi
{
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageIcon icon;
    };

    std::unique_ptr<Panel> CreatePanel(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                                       Panel* parent) override;
    void ShowMessageBox(const std::string& text, const std::string& caption,
                        MessageIcon icon) override;
    void BeginWaitCursor() override { Record("wait-cursor 1"); }
    void EndWaitCursor() override { Record("wait-cursor 0"); }
    std::unique_ptr<ProgressWindow> CreateProgressWindow(const std::string& caption) override;
    bool HasMainWindow() const override { return hasMainWindow_; }
    void EnableMainWindow(bool enable) override;
    bool ShowsFailureDetail() const override { return showsDetail_; }

    // Journals "event NAME" for every event the control's notifications fire, until
    // StopListening(), which must come before the control goes.
    void Listen(CXKorvelCamCtrl& control);
    void StopListening();

    // Set-up.
    void SetHasMainWindow(bool has) { hasMainWindow_ = has; }
    void SetShowsFailureDetail(bool shows) { showsDetail_ = shows; }
    // The progress window reports a cancel from its n-th query on (0: never).
    void CancelAtQuery(int n) { cancelAt_ = n; }

    const std::vector<std::string>& Journal() const { return journal_; }
    // The journal lines that start with `prefix`, in order.
    std::vector<std::string> Lines(const std::string& prefix) const;
    // Position of the first line equal to `line` at or after `from`, or -1.
    int Find(const std::string& line, size_t from = 0) const;
    void Clear() { journal_.clear(); }
    const std::vector<Message>& Messages() const { return messages_; }
    void Record(std::string line) { journal_.push_back(std::move(line)); }

    static const char* KindName(PanelKind kind);

private:
    std::vector<std::string> journal_;
    std::vector<Message> messages_;
    ScopedConnection<StatusChange> statusConnection_;
    ScopedConnection<int32_t> parameterConnection_;
    bool hasMainWindow_ = false;
    bool showsDetail_ = false;
    int cancelAt_ = 0;
    int cancelQueries_ = 0;

    friend class RecordingProgress;
};

} // namespace zr::test
