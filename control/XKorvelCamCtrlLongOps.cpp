// The control's long operations: one-push balances, shading recalibration and the search of all
// ports for a camera.
#include <array>
#include <cstdio>
#include <string>

#include "camera/CameraError.h"
#include "control/Identities.h"
#include "control/XKorvelCamCtrl.h"

namespace zr
{

namespace
{

// A one-push balance: its command and result rows, its message prefix (with the imager number
// where it has one) and the imagers whose gains it re-reads on success.
struct BalanceKind {
    int32_t commandRow;
    int32_t resultRow;
    const char* prefix;
    int32_t imagerNumber; // for the prefix; 0 when it has none
    int32_t firstImager;  // gains re-read for imagers firstImager .. lastImager (0 or 1)
    int32_t lastImager;
};
constexpr std::array<BalanceKind, 3> kBalanceKinds = {{
    {P_AW1, P_AWR1, "Imager %d: One-Push AWB ", 1, 0, 0},
    {P_AW2, P_AWR2, "Imager %d: One-Push AWB ", 2, 1, 1},
    {P_AYB, P_AYR, "One-Push AYB ", 0, 0, 1},
}};

// Shading recalibration of one imager.
struct ShadingImager {
    int32_t modeRow;
    int32_t commandRow;
    int32_t resultRow;
    int32_t imagerNumber;
};
constexpr std::array<ShadingImager, 2> kShadingImagers = {{
    {P_SDM1, P_RS1, P_RSS1, 1},
    {P_SDM2, P_RS2, P_RSS2, 2},
}};
constexpr const char* kShadingPrefix = "Imager %d: Recalibration of shading correction ";

// The modes that can be recalibrated, and the command value that starts each.
struct ShadingMode {
    const char* text;
    int32_t command;
};
constexpr ShadingMode kShadingModes[] = {{"User 1", 0}, {"User 2", 1}};

// Gain rows re-read after a balance, by imager: the master gain, then red and blue when the
// imager has them.
constexpr std::array<std::array<int32_t, 3>, 2> kGainRows = {{
    {P_GA1, P_GAR1, P_GAB1},
    {P_GA2, P_GAR2, P_GAB2},
}};

// Result values of the result rows.
constexpr int32_t kResultWorking = 0;
constexpr int32_t kResultSucceeded = 1;

constexpr const char* kProgressCaption = "In Progress";
constexpr const char* kPollProgress = "Waiting for the camera's result";
constexpr const char* kSearchProgress = "Searching the ports for a camera";

// Reports a poll's end as its last step (all steps done), whichever way the poll ends, so that
// a progress display is closed before the operation's message appears.
class PollEnd
{
public:
    explicit PollEnd(CCamera& camera) : camera_(camera) {}
    ~PollEnd()
    {
        const auto limit = static_cast<int32_t>(CXKorvelCamCtrl::kPollLimitMs);
        camera_.OnOperationProgress(kPollProgress, limit, limit);
    }
    PollEnd(const PollEnd&) = delete;
    PollEnd& operator=(const PollEnd&) = delete;

private:
    CCamera& camera_;
};

std::string FormatPrefix(const char* format, int32_t imagerNumber)
{
    if (imagerNumber == 0)
        return format;
    char text[80];
    std::snprintf(text, sizeof text, format, static_cast<int>(imagerNumber));
    return text;
}

// The progress window of one search and the main window it disables; both are put back when
// the search ends, whichever way it ends.
class SearchProgress
{
public:
    SearchProgress(ControlUi& ui, bool show) : ui_(ui)
    {
        if (show)
            window_ = ui_.CreateProgressWindow(kProgressCaption);
    }
    // The main window is enabled again before the progress window goes, so that the window
    // system hands the activation back to it rather than to another application.
    ~SearchProgress()
    {
        if (mainDisabled_)
            ui_.EnableMainWindow(true);
        window_.reset();
    }
    SearchProgress(const SearchProgress&) = delete;
    SearchProgress& operator=(const SearchProgress&) = delete;

    void Start(int32_t candidates)
    {
        if (!window_)
            return;
        upper_ = candidates;
        window_->SetRange(0, upper_);
        window_->Show();
        if (ui_.HasMainWindow()) {
            ui_.EnableMainWindow(false);
            mainDisabled_ = true;
        }
    }

    // Shows the candidate about to be tried; true when the user cancelled the search.
    bool Next(const std::string& className, const std::string& portName)
    {
        if (!window_)
            return false;
        window_->SetMessage("Checking " + className + " - " + portName + " ...");
        ++position_;
        window_->SetPosition(position_);
        // Single precision, as the bar's own percentage.
        const float percent =
            static_cast<float>(position_) / static_cast<float>(upper_ - lower_) * 100.0f;
        char title[32];
        std::snprintf(title, sizeof title, " (%5.1f%%)", static_cast<double>(percent));
        window_->SetTitle(std::string(kProgressCaption) + title);
        return window_->IsCancelled();
    }

private:
    ControlUi& ui_;
    std::unique_ptr<ProgressWindow> window_;
    bool mainDisabled_ = false;
    int32_t lower_ = 0;
    int32_t upper_ = 0;
    int32_t position_ = 0;
};

} // namespace

int CXKorvelCamCtrl::PollResult(int32_t resultRow, uint32_t start, int32_t& result, bool& timedOut)
{
    timedOut = false;
    const ParameterEntry& row = kParameterTable[static_cast<size_t>(resultRow)];
    PollEnd end(*this);
    for (;;) {
        // The command is under way in the camera; stopping only gives up waiting for it.
        if (IsStopRequested())
            return OPERATION_STOPPED;
        GetClock().SleepMs(kPollIntervalMs);
        // A row that cannot be asked is judged by its mirror.
        if (row.Has(PF_READ) && IsOnline() && IsAvailable(resultRow)) {
            const int code = QueryValue(resultRow, ValueFlags::None);
            if (code != 0)
                return code;
        }
        result = GetValue(resultRow);
        if (result != kResultWorking)
            return 0;
        // Unsigned difference: a wrap of the tick counter does no harm.
        const auto elapsed = static_cast<uint32_t>(GetClock().TickMs() - start);
        if (elapsed > kPollLimitMs) {
            timedOut = true;
            return 0;
        }
        OnOperationProgress(kPollProgress, static_cast<int32_t>(elapsed),
                            static_cast<int32_t>(kPollLimitMs));
    }
}

int CXKorvelCamCtrl::ReadBackGains(int32_t imager)
{
    const std::array<int32_t, 3>& rows = kGainRows[static_cast<size_t>(imager)];
    for (size_t i = 0; i < rows.size(); ++i) {
        // The master gain is always asked; red and blue only where the imager has them.
        if (!IsOnline() || (i > 0 && !IsAvailable(rows[i])))
            continue;
        const int code = QueryValue(rows[i], ValueFlags::None);
        if (code != 0)
            return code;
        OnValueChanged(rows[i], /*interactive=*/false);
    }
    return 0;
}

int CXKorvelCamCtrl::RunOnePushBalance(int32_t kind, int32_t& result, bool showMessage)
{
    result = 0;
    if (kind < 0 || kind >= static_cast<int32_t>(kBalanceKinds.size()))
        return CAMERA_INVALID_PARAMETER;
    const BalanceKind& balance = kBalanceKinds[static_cast<size_t>(kind)];

    // An unavailable command row (a monochrome imager) is not sent; polling starts at once.
    int code = SetValue(balance.commandRow, 0, ValueFlags::Send | ValueFlags::Notify);
    const uint32_t start = GetClock().TickMs();
    if (code == 0) {
        bool timedOut = false;
        code = PollResult(balance.resultRow, start, result, timedOut);
        if (code == 0 && timedOut)
            code = CAMERA_TIMEOUT;
    }
    if (code == 0 && result == kResultSucceeded) {
        for (int32_t imager = balance.firstImager; imager <= balance.lastImager && code == 0;
             ++imager)
            code = ReadBackGains(imager);
    }
    if (showMessage)
        ReportLongOperation(FormatPrefix(balance.prefix, balance.imagerNumber), code, result,
                            balance.resultRow, true);
    return code;
}

int CXKorvelCamCtrl::RunShadingRecalibration(int32_t imager, int32_t& result, bool showMessage)
{
    result = 0;
    const ShadingImager& shading = kShadingImagers[imager == 0 ? 0 : 1];

    std::string mode;
    int code = GetValueString(shading.modeRow, mode, ValueFlags::Query | ValueFlags::Notify);
    if (code == 0) {
        code = kShadingModeNotUser;
        for (const ShadingMode& candidate : kShadingModes) {
            if (mode == candidate.text) {
                code =
                    SetValue(shading.commandRow, candidate.command,
                             ValueFlags::Send | ValueFlags::Notify | ValueFlags::DisconnectOnError);
                break;
            }
        }
    }
    if (code == 0) {
        const uint32_t start = GetClock().TickMs();
        bool timedOut = false;
        // A time-out is no error here: the result value 0 tells it.
        code = PollResult(shading.resultRow, start, result, timedOut);
    }
    if (showMessage)
        ReportLongOperation(FormatPrefix(kShadingPrefix, shading.imagerNumber), code, result,
                            shading.resultRow, false);
    return code;
}

void CXKorvelCamCtrl::ReportLongOperation(const std::string& prefix, int code, int32_t result,
                                          int32_t resultRow, bool balance)
{
    std::string text = prefix;
    MessageIcon icon = MessageIcon::Error;
    if (code != 0) {
        text += "failed, " + GetResultText(code);
    } else if (result == kResultSucceeded) {
        text += balance ? "completed, gain values updated." : "completed.";
        icon = MessageIcon::Information;
    } else if (result == kResultWorking) {
        text += "failed, Operation timeout!";
    } else {
        text += "failed. \r\n\"" + GetItemString(resultRow, result) + "\".";
    }
    Ui().ShowMessageBox(text, identity::kApplicationName, icon);
}

int32_t CXKorvelCamCtrl::AutoSelectCommunication(int32_t& commClass, int32_t& port,
                                                 bool showProgress)
{
    SearchProgress progress(Ui(), showProgress);
    int32_t candidates = 0;
    for (int32_t c = 0; c < GetCommClassCount(); ++c)
        candidates += GetCommPortCount(c);
    if (showProgress)
        progress.Start(candidates);
    int32_t tried = 0;
    // The counts are taken again before each class and port: they are the links' own.
    for (int32_t c = 0; c < GetCommClassCount(); ++c) {
        for (int32_t p = 0; p < GetCommPortCount(c); ++p) {
            // A stop request ends the search as Cancel does.
            if (progress.Next(GetCommClassName(c), GetCommPortName(c, p)) || IsStopRequested())
                return 0;
            OnOperationProgress(kSearchProgress, tried++, candidates);
            // The connection check only: the model name is not read during the search.
            if (TryConnection(c, p) == 0) {
                commClass = c;
                port = p;
                return 1;
            }
        }
    }
    return 0;
}

} // namespace zr
