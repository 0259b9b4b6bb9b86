#include "support/RecordingUi.h"

#include "automation/AutomationMembers.h"
#include "automation/Dispatch.h"
#include "control/XKorvelCamCtrl.h"

namespace zr::test
{

namespace
{

std::string Flag(bool value)
{
    return value ? "1" : "0";
}

std::string WithoutLineEnds(const std::string& text)
{
    std::string result;
    for (char c : text)
        if (c != '\r' && c != '\n')
            result.push_back(c);
    return result;
}

// A panel that writes every call into the journal, prefixed with its index.
class RecordingPanel final : public Panel
{
public:
    RecordingPanel(RecordingUi& ui, const PanelSpec& panelSpec) : ui_(ui), spec_(panelSpec) {}
    ~RecordingPanel() override { ui_.Record("delete " + std::to_string(spec_.index)); }

    void OnOnlineStatusChanged(bool online) override { Log("online " + Flag(online)); }
    void OnSynchronizationStatusChanged(bool synchronized) override
    {
        Log("sync " + Flag(synchronized));
    }
    void OnSendingStatusChanged(bool sending, int32_t) override { Log("sending " + Flag(sending)); }
    void OnReceivingStatusChanged(bool receiving, int32_t) override
    {
        Log("receiving " + Flag(receiving));
    }
    void OnCommPortChanged() override { Log("port"); }
    void OnMessage(const std::string& text, bool received) override
    {
        Log("message " + WithoutLineEnds(text) + " received=" + Flag(received));
    }
    void OnParameterChanged(int32_t parameter, bool interactive, bool update) override
    {
        Log("param " + std::to_string(parameter) + " " + Flag(interactive) + " " + Flag(update));
    }
    void ShowPanel(int32_t index, bool show) override
    {
        Log("show " + std::to_string(index) + " " + Flag(show));
    }
    PanelKind Kind() const override { return spec_.kind; }
    bool ImagersAlike() const override { return spec_.imagersAlike; }
    bool HasWindow() const override { return hasWindow_; }
    void DestroyWindow() override
    {
        hasWindow_ = false;
        ui_.Record("destroy-window " + std::to_string(spec_.index));
    }

private:
    void Log(const std::string& what) { ui_.Record(std::to_string(spec_.index) + " " + what); }

    RecordingUi& ui_;
    PanelSpec spec_;
    bool hasWindow_ = true;
};

} // namespace

class RecordingProgress final : public ProgressWindow
{
public:
    explicit RecordingProgress(RecordingUi& ui) : ui_(ui) {}
    ~RecordingProgress() override { ui_.Record("progress destroy"); }

    void SetTitle(const std::string& title) override { ui_.Record("progress title " + title); }
    void SetMessage(const std::string& text) override { ui_.Record("progress message " + text); }
    void SetRange(int32_t lower, int32_t upper) override
    {
        ui_.Record("progress range " + std::to_string(lower) + " " + std::to_string(upper));
    }
    void SetPosition(int32_t position) override
    {
        ui_.Record("progress position " + std::to_string(position));
    }
    void Show() override { ui_.Record("progress show"); }
    bool IsCancelled() override
    {
        ui_.Record("progress cancelled?");
        ++ui_.cancelQueries_;
        return ui_.cancelAt_ > 0 && ui_.cancelQueries_ >= ui_.cancelAt_;
    }

private:
    RecordingUi& ui_;
};

std::unique_ptr<Panel> RecordingUi::CreatePanel(const PanelSpec& panelSpec, CXKorvelCamCtrl&,
                                                Panel* parent)
{
    int parentIndex = -1;
    if (parent != nullptr)
        parentIndex = 0; // only the main panel is ever a parent
    Record("create " + std::to_string(panelSpec.index) + " " + KindName(panelSpec.kind) +
           " alike=" + Flag(panelSpec.imagersAlike) + " top=" + Flag(panelSpec.topLevel) +
           " layout=" + std::to_string(panelSpec.layout) +
           " parent=" + std::to_string(parentIndex) + " section=" + panelSpec.section);
    return std::make_unique<RecordingPanel>(*this, panelSpec);
}

void RecordingUi::ShowMessageBox(const std::string& text, const std::string& caption,
                                 MessageIcon icon)
{
    messages_.push_back({text, caption, icon});
    const char* iconName = icon == MessageIcon::Error     ? "Error"
                           : icon == MessageIcon::Stop    ? "Stop"
                           : icon == MessageIcon::Warning ? "Warning"
                                                          : "Information";
    Record(std::string("message ") + iconName + ": " + text);
}

std::unique_ptr<ProgressWindow> RecordingUi::CreateProgressWindow(const std::string& caption)
{
    Record("progress create " + caption);
    cancelQueries_ = 0;
    return std::make_unique<RecordingProgress>(*this);
}

void RecordingUi::EnableMainWindow(bool enable)
{
    Record("main-window " + Flag(enable));
}

void RecordingUi::StopListening()
{
    statusConnection_.Reset();
    parameterConnection_.Reset();
}

void RecordingUi::Listen(CXKorvelCamCtrl& control)
{
    auto record = [this](const AutomationMember* event) {
        if (event != nullptr)
            Record(std::string("event ") + event->name.data());
    };
    statusConnection_ =
        ScopedConnection<StatusChange>(control.statusChanged, [record](StatusChange change) {
            record(CXKorvelCamDispatch::StatusEvent(change));
        });
    parameterConnection_ = ScopedConnection<int32_t>(
        control.parameterChanged, [record](int32_t row) { record(FindRowEvent(row)); });
}

std::vector<std::string> RecordingUi::Lines(const std::string& prefix) const
{
    std::vector<std::string> lines;
    for (const std::string& line : journal_)
        if (line.starts_with(prefix))
            lines.push_back(line);
    return lines;
}

int RecordingUi::Find(const std::string& line, size_t from) const
{
    for (size_t i = from; i < journal_.size(); ++i)
        if (journal_[i] == line)
            return static_cast<int>(i);
    return -1;
}

const char* RecordingUi::KindName(PanelKind kind)
{
    switch (kind) {
    case PanelKind::Main:
        return "Main";
    case PanelKind::About:
        return "About";
    case PanelKind::Communication:
        return "Communication";
    case PanelKind::Control:
        return "Control";
    case PanelKind::ImagerColor:
        return "Color";
    case PanelKind::ImagerMono:
        return "Mono";
    }
    return "?";
}

} // namespace zr::test
