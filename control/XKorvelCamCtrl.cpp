#include "control/XKorvelCamCtrl.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/SettingsStore.h"
#include "camera/CameraError.h"
#include "comm/ComPortMap.h"
#include "control/Identities.h"
#include "control/ScriptError.h"

namespace zr
{

namespace
{

// Settings section of every panel, by panel index.
constexpr std::array<const char*, PANEL_COUNT> kPanelSections = {
    "Main", "About", "Communication", "Control", "Control - IMG1", "Control - IMG2"};
constexpr const char* kShowEntry = "Show";

// Layout number of every panel by index; the imager panels have two.
constexpr std::array<int32_t, PANEL_COUNT> kPanelLayouts = {225, 1, 224, 226, 227, 227};
constexpr int32_t kColorImagerLayout = 227;
constexpr int32_t kMonoImagerLayout = 228;

constexpr std::array<PanelKind, PANEL_COUNT> kPanelKinds = {
    PanelKind::Main,    PanelKind::About,       PanelKind::Communication,
    PanelKind::Control, PanelKind::ImagerColor, PanelKind::ImagerColor};

// The imager types each known model carries; any other model name gives two colour imagers.
struct ModelImagers {
    const char* model;
    int32_t imager1;
    int32_t imager2;
};
constexpr ModelImagers kModels[] = {{"ZR-470", 5, 0}, {"ZR-471", 0, 0}, {"ZR-472", 0, 5}};
constexpr ModelImagers kUnknownModel = {"", 5, 5};

// "COM6 is /dev/ttyUSB1: No such file or directory": the port, where it leads and why it
// failed, in the system's words where the link knows them, else the first line of the code's
// message.
std::string DescribeFailedPort(CComm& comm, int32_t commClass, int32_t port, int code,
                               const std::string& reason)
{
    std::string text = comm.GetCommPortName(commClass, port);
    if (text.empty())
        text = "port " + std::to_string(port) + " of class " + std::to_string(commClass);
    else if (commClass == 0)
        text += " is " + ComPortMap(comm.Settings()).DevicePath(port);
    else
        text = comm.GetCommClassName(commClass) + " port " + text;
    std::string why = reason;
    if (why.empty()) {
        why = GetErrorString(code);
        why = why.substr(0, why.find('\n'));
    }
    return text + ": " + why;
}

constexpr const char* kStartupFailure =
    "\r\n\r\nUnable to find a camera model.\r\nStart with the default model.";
constexpr const char* kShadingModeText =
    "Actual shading correction mode is neither \"User 1\" nor \"User 2\".";

// Status code of the script error for a result code; every code not listed is a device error.
struct StatusRule {
    int code;
    uint32_t status;
};
constexpr StatusRule kStatusRules[] = {
    {CAMERA_UNKNOWN_COMMAND, ScriptError::kInvalidPropertyValue},
    {CAMERA_BAD_PARAMETER, ScriptError::kInvalidPropertyValue},
    {CAMERA_INVALID_PARAMETER, ScriptError::kInvalidPropertyValue},
    {CXKorvelCamCtrl::kShadingModeNotUser, ScriptError::kInvalidPropertyValue},
    {CAMERA_FILE_ACCESS, ScriptError::kPathFileAccessError},
    {CAMERA_UNMATCHED_FILE, ScriptError::kPathFileAccessError},
};

// Codes whose description names the row.
bool NamesRow(int code)
{
    return code >= CAMERA_BAD_PARAMETER && code <= CAMERA_ANSWER_OUT_OF_RANGE;
}

bool IsColorType(int32_t imagerType)
{
    return imagerType >= 5 && imagerType <= 7;
}

bool IsValidPanel(int32_t index)
{
    return index >= 0 && index < PANEL_COUNT;
}

// Rows of imager 2 follow those of imager 1 at this distance.
constexpr int32_t kImagerRowDistance = P_IM2 - P_IM1;

} // namespace

CXKorvelCamCtrl::CXKorvelCamCtrl(SettingsStore& settings, Clock& clock)
    : CXKorvelCamCtrl(settings, headless_, CommLinks::Standard(settings), clock)
{
}

CXKorvelCamCtrl::CXKorvelCamCtrl(SettingsStore& settings, ControlUi& ui, Clock& clock)
    : CXKorvelCamCtrl(settings, ui, CommLinks::Standard(settings), clock)
{
}

CXKorvelCamCtrl::CXKorvelCamCtrl(SettingsStore& settings, ControlUi& ui, CommLinks links,
                                 Clock& clock)
    : CCamera(settings, std::move(links), clock), ui_(&ui)
{
    for (int32_t i = 0; i < PANEL_COUNT; ++i)
        visible_[static_cast<size_t>(i)] = Settings().GetInt(kPanelSections[i], kShowEntry, 1);
    // The main panel is always shown, whatever was stored.
    visible_[PANEL_MAIN] = 1;
}

CXKorvelCamCtrl::~CXKorvelCamCtrl()
{
    BeginShutdownBatch(Settings());
    for (int32_t i = 0; i < PANEL_COUNT; ++i) {
        const int32_t flag = i == PANEL_MAIN ? 1 : visible_[static_cast<size_t>(i)];
        Settings().WriteInt(kPanelSections[i], kShowEntry, flag);
    }
    DestroyAllPanels();
}

// --- Window life ---------------------------------------------------------------------------

int CXKorvelCamCtrl::OnCreate()
{
    windowCreated_ = true;
    const int result = ConnectCamera(GetCommClass(), GetCommPort(), /*notify=*/false);
    if (result != 0) {
        // The code's sentence, then where the port leads and why it failed, as the system says.
        std::string text = GetResultText(result);
        if (ui_->ShowsFailureDetail() && !connectionFailure_.empty())
            text += "\r\n\r\n" + connectionFailure_;
        ui_->ShowMessageBox(text + kStartupFailure, identity::kApplicationName, MessageIcon::Error);
    }
    CreatePanels(-1);
    return 0;
}

void CXKorvelCamCtrl::OnDestroy()
{
    DestroyAllPanels();
    windowCreated_ = false;
}

template <typename Notify> void CXKorvelCamCtrl::NotifyPanels(Notify notify)
{
    for (const std::unique_ptr<Panel>& panel : panels_)
        if (panel)
            notify(*panel);
}

// --- Camera notifications ------------------------------------------------------------------

void CXKorvelCamCtrl::SetOnline(bool online)
{
    // Told before anyone hears of the change, so that they can show it.
    if (online) {
        linkLoss_.clear();
    } else if (IsOnline() && !GetLinkFailure().empty()) {
        linkLoss_ = std::string(kLinkLost) +
                    DescribeFailedPort(*this, GetCommClass(), GetCommPort(), 0, GetLinkFailure());
        connectionFailure_ = linkLoss_;
    }
    CCamera::SetOnline(online);
    statusChanged.Emit(StatusChange::Online);
    NotifyPanels([online](Panel& p) { p.OnOnlineStatusChanged(online); });
}

void CXKorvelCamCtrl::SetSynchronized(bool synchronized)
{
    CCamera::SetSynchronized(synchronized);
    statusChanged.Emit(StatusChange::Synchronized);
    NotifyPanels([synchronized](Panel& p) { p.OnSynchronizationStatusChanged(synchronized); });
}

void CXKorvelCamCtrl::SetSending(bool sending)
{
    CCamera::SetSending(sending);
    statusChanged.Emit(StatusChange::Sending);
    NotifyPanels([sending](Panel& p) { p.OnSendingStatusChanged(sending, 0); });
}

void CXKorvelCamCtrl::SetReceiving(bool receiving)
{
    CCamera::SetReceiving(receiving);
    statusChanged.Emit(StatusChange::Receiving);
    NotifyPanels([receiving](Panel& p) { p.OnReceivingStatusChanged(receiving, 0); });
}

void CXKorvelCamCtrl::OnCommPortChanged()
{
    statusChanged.Emit(StatusChange::CommPort);
    NotifyPanels([](Panel& p) { p.OnCommPortChanged(); });
}

void CXKorvelCamCtrl::OnValueChanged(int32_t index, bool interactive)
{
    if (index == P_MD)
        ApplyCameraModel(/*rebuild=*/true);
    parameterChanged.Emit(index);
    NotifyPanels([index, interactive](Panel& p) {
        if (p.HasWindow())
            p.OnParameterChanged(index, interactive, /*updateControls=*/true);
    });
}

void CXKorvelCamCtrl::OnCommLog(const std::string& line, bool sent)
{
    // Every reader of the log (panels, the bus, the command line) gets the line without its
    // CR LF: it is taken off here, once.
    std::string text = line;
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    commLog.Emit(text, sent);
    NotifyPanels([&text, sent](Panel& p) { p.OnMessage(text, !sent); });
}

void CXKorvelCamCtrl::OnOperationProgress(const char* operation, int32_t done, int32_t total)
{
    operationProgress.Emit(operation, done, total);
}

// --- Connection and panels -----------------------------------------------------------------

int CXKorvelCamCtrl::TryConnection(int32_t commClass, int32_t port)
{
    ActiveLink().Close();
    // Online before the check, since a transaction returns 100 at once while offline.
    SetOnline(false);
    SetSynchronized(false);
    SetOnline(true);
    // Closes the active link again, remembers the choice even if what follows fails, and
    // opens the port with the link of the class.
    int result = OpenCommPort(commClass, port);
    connectionFailure_.clear();
    if (result != 0)
        connectionFailure_ = DescribeFailedPort(*this, commClass, port, result, GetOpenFailure());
    if (result == 0) {
        result = QueryValue(P_EB, ValueFlags::DisconnectOnError);
        if (result != 0)
            connectionFailure_ = DescribeFailedPort(*this, commClass, port, result, {});
        if (result != 0) {
            ActiveLink().Close();
            SetOnline(false);
            SetSynchronized(false);
        }
    }
    if (result == 0) {
        SetOnline(true);
    } else {
        SetOnline(false);
        SetSynchronized(false);
    }
    OnCommPortChanged();
    return result;
}

int CXKorvelCamCtrl::ConnectCamera(int32_t commClass, int32_t port, bool notify)
{
    const int connected = TryConnection(commClass, port);
    if (connected != 0)
        return connected;
    std::string model;
    // With notify a new model name arrives through OnValueChanged, which applies it.
    const int result = GetValueString(P_MD, model,
                                      ValueFlags::Query | If(notify, ValueFlags::Notify) |
                                          ValueFlags::DisconnectOnError);
    if (!notify)
        ApplyCameraModel(/*rebuild=*/false);
    if (result != 0)
        connectionFailure_ = DescribeFailedPort(*this, commClass, port, result, {});
    return result;
}

int CXKorvelCamCtrl::StartCommunication(int32_t commClass, int32_t port)
{
    return ReportResult(-1, ConnectCamera(commClass, port, /*notify=*/true));
}

void CXKorvelCamCtrl::ApplyCameraModel(bool rebuild)
{
    const std::string model = GetText(P_MD);
    ModelImagers imagers = kUnknownModel;
    for (const ModelImagers& known : kModels)
        if (model == known.model)
            imagers = known;
    // Neither sent nor notified: the imager types fire no event.
    SetValue(P_IM1, imagers.imager1, ValueFlags::None);
    SetValue(P_IM2, imagers.imager2, ValueFlags::None);
    if (!rebuild)
        return;

    const Panel* control = panels_[PANEL_CONTROL].get();
    if (control != nullptr && control->ImagersAlike() != IsSameImager())
        DestroyPanel(PANEL_CONTROL);
    CreatePanels(PANEL_CONTROL);

    for (int32_t index : {PANEL_IMAGER1, PANEL_IMAGER2}) {
        const Panel* panel = panels_[static_cast<size_t>(index)].get();
        const bool color = IsColorType(GetValue(index == PANEL_IMAGER1 ? P_IM1 : P_IM2));
        if (panel != nullptr && (panel->Kind() == PanelKind::ImagerColor) != color)
            DestroyPanel(index);
        CreatePanels(index);
    }
}

void CXKorvelCamCtrl::CreatePanels(int32_t index)
{
    // Panels live in the control's window; without it there is nothing to create them in.
    if (!windowCreated_)
        return;
    for (int32_t i = 0; i < PANEL_COUNT; ++i) {
        if ((index != -1 && index != i) || panels_[static_cast<size_t>(i)])
            continue;
        PanelSpec panelSpec{i,
                            kPanelKinds[static_cast<size_t>(i)],
                            kPanelLayouts[static_cast<size_t>(i)],
                            kPanelSections[static_cast<size_t>(i)],
                            false,
                            i == PANEL_MAIN};
        if (i == PANEL_CONTROL)
            panelSpec.imagersAlike = IsSameImager();
        if (i == PANEL_IMAGER1 || i == PANEL_IMAGER2) {
            const bool color = IsColorType(GetValue(i == PANEL_IMAGER1 ? P_IM1 : P_IM2));
            panelSpec.kind = color ? PanelKind::ImagerColor : PanelKind::ImagerMono;
            panelSpec.layout = color ? kColorImagerLayout : kMonoImagerLayout;
        }
        Panel* parent = i == PANEL_MAIN ? nullptr : panels_[PANEL_MAIN].get();
        std::unique_ptr<Panel> panel = ui_->CreatePanel(panelSpec, *this, parent);
        if (!panel)
            continue;
        Panel& created = *panel;
        panels_[static_cast<size_t>(i)] = std::move(panel);

        int32_t& flag = visible_[static_cast<size_t>(i)];
        flag = flag == 1 ? 1 : 0;
        created.ShowPanel(i, flag != 0);
        if (Panel* main = panels_[PANEL_MAIN].get())
            main->ShowPanel(i, flag != 0);
        SetModifiedFlag();
    }
}

void CXKorvelCamCtrl::DestroyPanel(int32_t index)
{
    if (!IsValidPanel(index))
        return;
    // Out of the table first, so nothing reaches a panel that is going.
    std::unique_ptr<Panel> panel = std::move(panels_[static_cast<size_t>(index)]);
    if (panel && panel->HasWindow())
        panel->DestroyWindow();
}

void CXKorvelCamCtrl::DestroyAllPanels()
{
    for (int32_t i = 0; i < PANEL_COUNT; ++i)
        DestroyPanel(i);
}

// --- Property paths ------------------------------------------------------------------------

int CXKorvelCamCtrl::SetParameterValue(int32_t row, int32_t value)
{
    const int result =
        SetValue(row, value, ValueFlags::Send | ValueFlags::Notify | ValueFlags::DisconnectOnError);
    // The mirror has changed whatever the camera said.
    SetModifiedFlag();
    return ReportResult(row, result);
}

int32_t CXKorvelCamCtrl::GetParameterIndex(int32_t row) const
{
    const int32_t position = GetItemPosition(row, GetValue(row));
    if (position >= 0)
        return position;
    const ParameterEntry* entry = FindParameter(row);
    if (entry == nullptr)
        return 0;
    for (int32_t i = 0; i < entry->itemCount; ++i)
        if (EvaluateCondition(entry->items[i].enable))
            return i;
    return 0;
}

int CXKorvelCamCtrl::SetParameterIndex(int32_t row, int32_t position)
{
    const int result = SetValueIndex(row, position);
    SetModifiedFlag();
    return ReportResult(row, result);
}

std::string CXKorvelCamCtrl::GetParameterText(int32_t row)
{
    std::string text;
    GetValueString(row, text, ValueFlags::None);
    return text;
}

int CXKorvelCamCtrl::SetParameterText(int32_t row, const std::string& text)
{
    const int result = SetValueString(row, text);
    SetModifiedFlag();
    return ReportResult(row, result);
}

int CXKorvelCamCtrl::SetUserIDText(const std::string& text)
{
    const int result = SetUserID(text);
    SetModifiedFlag();
    return ReportResult(P_UD, result);
}

int CXKorvelCamCtrl::ReportResult(int32_t row, int code)
{
    if (code == 0 || code == CAMERA_OFFLINE)
        return code;
    uint32_t status = ScriptError::kDeviceIoError;
    for (const StatusRule& rule : kStatusRules)
        if (rule.code == code)
            status = rule.status;
    std::string description = GetResultText(code);
    if (NamesRow(code) && FindParameter(row) != nullptr)
        description = "\"" + GetCommandName(row) + "\" : " + description;
    throw ScriptError(status, std::move(description));
}

std::string CXKorvelCamCtrl::GetResultText(int code)
{
    if (code == kShadingModeNotUser)
        return kShadingModeText;
    return GetErrorString(code);
}

// --- Ask and Check operations --------------------------------------------------------------

int32_t CXKorvelCamCtrl::AskRange(int32_t row, int32_t minMax)
{
    const ParameterEntry* entry = FindParameter(row);
    if (entry == nullptr)
        return 0;
    return minMax == 0 ? entry->minimum : entry->maximum;
}

int32_t CXKorvelCamCtrl::AskIndexRange(int32_t row, int32_t minMax) const
{
    return minMax == 0 ? 0 : CountEnabledItems(row) - 1;
}

int32_t CXKorvelCamCtrl::AskCommClassRange(int32_t minMax) const
{
    return minMax == 0 ? 0 : GetCommClassCount() - 1;
}

std::string CXKorvelCamCtrl::AskCommClassString(int32_t commClass) const
{
    if (commClass < 0 || commClass >= GetCommClassCount())
        return {};
    return GetCommClassName(commClass);
}

int32_t CXKorvelCamCtrl::AskCommPortRange(int32_t commClass, int32_t minMax) const
{
    return minMax == 0 ? 0 : GetCommPortCount(commClass) - 1;
}

std::string CXKorvelCamCtrl::AskCommPortString(int32_t commClass, int32_t port) const
{
    if (commClass < 0 || commClass >= GetCommClassCount() || port < 0 ||
        port >= GetCommPortCount(commClass))
        return {};
    return GetCommPortName(commClass, port);
}

bool CXKorvelCamCtrl::IsColorImager(int32_t imager) const
{
    if (imager != 0 && imager != 1)
        return false;
    return IsColorType(GetValue(imager == 0 ? P_IM1 : P_IM2));
}

// --- Panels and visibility -----------------------------------------------------------------

bool CXKorvelCamCtrl::GetPanelVisible(int32_t index) const
{
    return GetVisibilityFlag(index) > 0;
}

void CXKorvelCamCtrl::SetPanelVisible(int32_t index, bool visible)
{
    if (!IsValidPanel(index) || index == PANEL_MAIN)
        return;
    visible_[static_cast<size_t>(index)] = visible ? 1 : 0;
    if (Panel* panel = panels_[static_cast<size_t>(index)].get())
        panel->ShowPanel(index, visible);
    if (Panel* main = panels_[PANEL_MAIN].get())
        main->ShowPanel(index, visible);
    SetModifiedFlag();
}

int32_t CXKorvelCamCtrl::GetVisibilityFlag(int32_t index) const
{
    return IsValidPanel(index) ? visible_[static_cast<size_t>(index)] : 0;
}

void CXKorvelCamCtrl::SetVisibilityFlag(int32_t index, int32_t flag)
{
    if (IsValidPanel(index) && index != PANEL_MAIN)
        visible_[static_cast<size_t>(index)] = flag;
}

Panel* CXKorvelCamCtrl::GetPanel(int32_t index) const
{
    return IsValidPanel(index) ? panels_[static_cast<size_t>(index)].get() : nullptr;
}

// --- Per-imager accessors ------------------------------------------------------------------

int32_t CXKorvelCamCtrl::ImagerRow(int32_t imager, int32_t imager1Row)
{
    if (imager1Row < P_IM1 || imager1Row >= P_IM2)
        return -1;
    return imager == 0 ? imager1Row : imager1Row + kImagerRowDistance;
}

int32_t CXKorvelCamCtrl::GetImagerValue(int32_t imager, int32_t imager1Row) const
{
    return GetValue(ImagerRow(imager, imager1Row));
}

int CXKorvelCamCtrl::SetImagerValue(int32_t imager, int32_t imager1Row, int32_t value)
{
    return SetParameterValue(ImagerRow(imager, imager1Row), value);
}

int32_t CXKorvelCamCtrl::GetImagerIndex(int32_t imager, int32_t imager1Row) const
{
    return GetParameterIndex(ImagerRow(imager, imager1Row));
}

int CXKorvelCamCtrl::SetImagerIndex(int32_t imager, int32_t imager1Row, int32_t position)
{
    return SetParameterIndex(ImagerRow(imager, imager1Row), position);
}

} // namespace zr
