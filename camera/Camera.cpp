#include "camera/Camera.h"

#include <cctype>
#include <cstring>
#include <limits>
#include <utility>

#include "base/SettingsStore.h"
#include "camera/AnswerNumber.h"
#include "camera/CameraError.h"
#include "comm/CommAbstract.h"

namespace zr
{

namespace
{

// Calls `visit` (index, row, settings name) for every row kept in the module settings.
template <typename Visit> void ForEachSetupRow(Visit visit)
{
    for (size_t i = 0; i < kParameterTable.size(); ++i) {
        const ParameterEntry& row = kParameterTable[i];
        if (row.Has(PF_SETUP))
            visit(i, row, kParameterSettings[i]);
    }
}

constexpr const char* kUnknownCommand = "Unknown Command!!";
constexpr const char* kBadParameters = "Bad Parameters!!";
constexpr const char* kComplete = "COMPLETE";

bool EqualsIgnoreCase(const char* a, const std::string& b)
{
    size_t i = 0;
    for (; a[i] != '\0'; ++i) {
        if (i >= b.size())
            return false;
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == b.size();
}

// Line terminators inside a text would split the command line into two commands.
std::string WithoutLineBreaks(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n')
            result.push_back(c);
    return result;
}

} // namespace

CCamera::CCamera(SettingsStore& settings, Clock& clock)
    : CCamera(settings, CommLinks::Standard(settings), clock)
{
}

CCamera::CCamera(SettingsStore& settings, CommLinks links, Clock& clock)
    : CComm(settings, std::move(links)), clock_(clock)
{
    ForEachSetupRow([this](size_t i, const ParameterEntry& row, const SettingsName& name) {
        if (row.Has(PF_STRING))
            texts_[i] = Settings().GetString(name.section, name.key, "");
        else
            values_[i] = Settings().GetInt(name.section, name.key, row.minimum);
    });
}

CCamera::~CCamera()
{
    ForEachSetupRow([this](size_t i, const ParameterEntry& row, const SettingsName& name) {
        if (row.Has(PF_STRING))
            Settings().WriteString(name.section, name.key, texts_[i]);
        else
            Settings().WriteInt(name.section, name.key, values_[i]);
    });
}

// --- Notifications ---------------------------------------------------------------------------

void CCamera::SetOnline(bool online)
{
    online_ = online;
    if (!online)
        rowSynchronized_.fill(false);
}

void CCamera::SetSynchronized(bool synchronized)
{
    synchronized_ = synchronized;
}
void CCamera::SetSending(bool sending)
{
    sending_ = sending;
}
void CCamera::SetReceiving(bool receiving)
{
    receiving_ = receiving;
}
void CCamera::OnCommPortChanged() {}
void CCamera::OnValueChanged(int32_t, bool) {}
void CCamera::OnCommLog(const std::string&, bool) {}
void CCamera::OnOperationProgress(const char*, int32_t, int32_t) {}

// --- Table and value operations --------------------------------------------------------------

std::string CCamera::GetCommandName(int32_t index) const
{
    const ParameterEntry* row = FindParameter(index);
    return row ? row->mnemonic : "";
}

int32_t CCamera::MirroredValue(int32_t index) const
{
    // Condition trees are constant data; an operand outside the table reads as 0.
    return FindParameter(index) ? values_[static_cast<size_t>(index)] : 0;
}

bool CCamera::EvaluateCondition(const ConditionNode* node) const
{
    return zr::EvaluateCondition(node, values_);
}

bool CCamera::IsAvailable(int32_t index) const
{
    const ParameterEntry* row = FindParameter(index);
    if (row == nullptr)
        return false;
    return !row->Has(PF_CONDITIONAL) || EvaluateCondition(row->available);
}

bool CCamera::IsEnabled(int32_t index) const
{
    const ParameterEntry* row = FindParameter(index);
    return row != nullptr && EvaluateCondition(row->enabled);
}

bool CCamera::IsItemEnabled(const ValueName& item) const
{
    return EvaluateCondition(item.enable);
}

int32_t CCamera::CountEnabledItems(int32_t index) const
{
    const ParameterEntry* row = FindParameter(index);
    if (row == nullptr)
        return 0;
    int32_t count = 0;
    for (int32_t i = 0; i < row->itemCount; ++i)
        if (IsItemEnabled(row->items[i]))
            ++count;
    return count;
}

std::string CCamera::GetItemString(int32_t index, int32_t k) const
{
    const ParameterEntry* row = FindParameter(index);
    if (row == nullptr || k < 0)
        return {};
    int32_t position = 0;
    for (int32_t i = 0; i < row->itemCount; ++i) {
        if (!IsItemEnabled(row->items[i]))
            continue;
        if (position == k)
            return row->items[i].text;
        ++position;
    }
    return {};
}

int32_t CCamera::GetItemPosition(int32_t index, int32_t value) const
{
    const ParameterEntry* row = FindParameter(index);
    if (row == nullptr)
        return -1;
    int32_t position = 0;
    for (int32_t i = 0; i < row->itemCount; ++i) {
        if (!IsItemEnabled(row->items[i]))
            continue;
        if (row->items[i].value == value)
            return position;
        ++position;
    }
    return -1;
}

bool CCamera::IsValidAnswer(int32_t index, int32_t value) const
{
    const ParameterEntry* row = FindParameter(index);
    if (row == nullptr)
        return false;
    if (row->Has(PF_STRING))
        return true;
    if (row->itemCount > 0)
        return GetItemPosition(index, value) >= 0;
    return row->minimum <= value && value <= row->maximum;
}

int32_t CCamera::ItemValueAt(const ParameterEntry& row, int32_t position) const
{
    const ValueName* firstEnabled = nullptr;
    int32_t current = 0;
    for (int32_t i = 0; i < row.itemCount; ++i) {
        const ValueName& item = row.items[i];
        if (!IsItemEnabled(item))
            continue;
        if (current == position)
            return item.value;
        if (firstEnabled == nullptr)
            firstEnabled = &item;
        ++current;
    }
    return firstEnabled ? firstEnabled->value : row.items[0].value;
}

int CCamera::SetValue(int32_t index, int32_t value, ValueFlags flags)
{
    const ParameterEntry* row = FindParameter(index);
    if (row == nullptr)
        return CAMERA_INVALID_PARAMETER;
    const bool named = row->itemCount > 0;
    const int32_t lower = named ? 0 : row->minimum;
    const int32_t upper = named ? CountEnabledItems(index) - 1 : row->maximum;
    // Out-of-bound values go to the row's own limits, not to the bounds: on a row whose last
    // items are disabled a value past the enabled range becomes the row maximum.
    if (value < lower)
        value = row->minimum;
    if (value > upper)
        value = row->maximum;
    values_[static_cast<size_t>(index)] = value;

    if (Has(flags, ValueFlags::Notify))
        OnValueChanged(index, !bulkLoad_);
    if (Has(flags, ValueFlags::Send) && row->Has(PF_WRITE) && IsAvailable(index))
        return SendValue(index, flags);
    return 0;
}

int CCamera::SetValueString(int32_t index, const std::string& text)
{
    const ParameterEntry* row = FindParameter(index);
    if (row == nullptr)
        return CAMERA_INVALID_PARAMETER;
    const size_t i = static_cast<size_t>(index);
    if (row->Has(PF_STRING)) {
        std::string stored = WithoutLineBreaks(text);
        if (row->maximum >= 0 && stored.size() > static_cast<size_t>(row->maximum))
            stored.resize(static_cast<size_t>(row->maximum));
        texts_[i] = std::move(stored);
    } else if (row->itemCount > 0) {
        int32_t position = 0;
        for (int32_t k = 0; k < row->itemCount; ++k) {
            const ValueName& item = row->items[k];
            if (!IsItemEnabled(item))
                continue;
            if (EqualsIgnoreCase(item.text, text))
                break;
            ++position;
        }
        // No match leaves `position` past the enabled items: the first enabled item is taken.
        values_[i] = ItemValueAt(*row, position);
    } else {
        return CAMERA_INVALID_PARAMETER;
    }
    return NotifyAndSend(index);
}

int CCamera::SetValueIndex(int32_t index, int32_t position)
{
    const ParameterEntry* row = FindParameter(index);
    if (row == nullptr || row->itemCount <= 0)
        return CAMERA_INVALID_PARAMETER;
    values_[static_cast<size_t>(index)] = ItemValueAt(*row, position);
    return NotifyAndSend(index);
}

int CCamera::NotifyAndSend(int32_t index)
{
    OnValueChanged(index, !bulkLoad_);
    const ParameterEntry& row = kParameterTable[static_cast<size_t>(index)];
    if (row.Has(PF_WRITE) && IsAvailable(index))
        return SendValue(index, ValueFlags::DisconnectOnError);
    return 0;
}

int CCamera::GetValueString(int32_t index, std::string& text, ValueFlags flags)
{
    text.clear();
    const ParameterEntry* row = FindParameter(index);
    if (row == nullptr)
        return CAMERA_INVALID_PARAMETER;
    if (Has(flags, ValueFlags::Query) && row->Has(PF_READ) && online_ && IsAvailable(index)) {
        const int result = QueryValue(index, flags);
        if (result != 0)
            return result;
        if (Has(flags, ValueFlags::Notify))
            OnValueChanged(index, /*interactive=*/false);
    }
    const size_t i = static_cast<size_t>(index);
    if (row->Has(PF_STRING)) {
        text = texts_[i];
    } else {
        for (int32_t k = 0; k < row->itemCount; ++k) {
            const ValueName& item = row->items[k];
            if (item.value == values_[i] && IsItemEnabled(item)) {
                text = item.text;
                break;
            }
        }
    }
    return 0;
}

int32_t CCamera::GetValue(int32_t index) const
{
    return MirroredValue(index);
}

std::string CCamera::GetText(int32_t index) const
{
    return FindParameter(index) ? texts_[static_cast<size_t>(index)] : std::string();
}

bool CCamera::IsRowSynchronized(int32_t index) const
{
    return FindParameter(index) && rowSynchronized_[static_cast<size_t>(index)];
}

void CCamera::StoreValue(int32_t index, int32_t value)
{
    if (FindParameter(index))
        values_[static_cast<size_t>(index)] = value;
}

void CCamera::StoreText(int32_t index, const std::string& text)
{
    if (FindParameter(index))
        texts_[static_cast<size_t>(index)] = text;
}

void CCamera::SetRowSynchronized(int32_t index, bool synchronized)
{
    if (FindParameter(index))
        rowSynchronized_[static_cast<size_t>(index)] = synchronized;
}

void CCamera::SaveBackup()
{
    backupValues_ = values_;
    backupTexts_ = texts_;
}

void CCamera::RestoreBackup()
{
    values_ = backupValues_;
    texts_ = backupTexts_;
    rowSynchronized_.fill(false);
}

// --- Transactions ----------------------------------------------------------------------------

std::string CCamera::BuildSetLine(const ParameterEntry& row, size_t index) const
{
    std::string line = row.mnemonic;
    line += '=';
    if (row.Has(PF_STRING))
        line += WithoutLineBreaks(texts_[index]);
    else
        line += std::to_string(values_[index]);
    line += "\r\n";
    return line;
}

int CCamera::FinishTransaction(size_t index, int result, bool disconnectOnError)
{
    if (result == 0) {
        rowSynchronized_[index] = true;
        return 0;
    }
    rowSynchronized_[index] = false;
    if (disconnectOnError && !IsCameraLevelFailure(result)) {
        ActiveLink().Close();
        SetOnline(false);
        SetSynchronized(false);
    }
    return result;
}

int CCamera::RefuseTransaction(int32_t index) const
{
    const ParameterEntry* row = FindParameter(index);
    // The EEPROM area row has no command word and is never sent or asked.
    if (row == nullptr || row->mnemonic[0] == '\0')
        return CAMERA_INVALID_PARAMETER;
    return online_ ? 0 : CAMERA_OFFLINE;
}

int CCamera::SendValue(int32_t index, ValueFlags flags)
{
    if (const int refused = RefuseTransaction(index); refused != 0)
        return refused;
    const size_t i = static_cast<size_t>(index);
    std::string answer;
    int result = Exchange(kParameterTable[i], i, /*query=*/false, answer);
    if (result == 0 && answer != kComplete)
        result = CAMERA_INVALID_ANSWER;
    return FinishTransaction(i, result, Has(flags, ValueFlags::DisconnectOnError));
}

int CCamera::QueryValue(int32_t index, ValueFlags flags)
{
    if (const int refused = RefuseTransaction(index); refused != 0)
        return refused;
    const size_t i = static_cast<size_t>(index);
    const ParameterEntry& row = kParameterTable[i];
    std::string value;
    int result = Exchange(row, i, /*query=*/true, value);
    if (result == 0) {
        if (row.Has(PF_STRING)) {
            texts_[i] = std::move(value);
        } else {
            const int32_t number = ParseAnswerNumber(value);
            if (IsValidAnswer(index, number))
                values_[i] = number;
            else
                result = CAMERA_ANSWER_OUT_OF_RANGE;
        }
    }
    return FinishTransaction(i, result, Has(flags, ValueFlags::DisconnectOnError));
}

int CCamera::Exchange(const ParameterEntry& row, size_t index, bool query, std::string& answer)
{
    const bool log = !row.Has(PF_NOLOG);
    // The sending or receiving flag covers the write only, not the wait for the answer.
    query ? SetReceiving(true) : SetSending(true);
    // Built only now: the owner may change the mirror when it hears that sending starts.
    const std::string line = query ? std::string(row.mnemonic) + "?\r\n" : BuildSetLine(row, index);
    if (log)
        OnCommLog(line, /*sent=*/true);
    CCommAbstract& link = ActiveLink();
    (void)link.Flush();
    const int result = link.Write(line.data(), static_cast<uint32_t>(line.size()), kWriteTimeoutMs);
    query ? SetReceiving(false) : SetSending(false);
    if (result != 0)
        return result;
    return query ? ReadAnswer(answer, row.mnemonic, static_cast<uint32_t>(row.queryTimeoutMs), log)
                 : ReadAnswer(answer, nullptr, static_cast<uint32_t>(row.setTimeoutMs), log);
}

int CCamera::ReadAnswer(std::string& answer, const char* expectedMnemonic, uint32_t timeoutMs,
                        bool log)
{
    if (const int status = ReadLine(answer, timeoutMs); status != 0)
        return status;
    if (log)
        OnCommLog(answer, /*sent=*/false);
    return CheckAnswer(answer, expectedMnemonic);
}

int CCamera::ReadLine(std::string& line, uint32_t timeoutMs)
{
    line.clear();
    CCommAbstract& link = ActiveLink();
    const uint32_t start = clock_.TickMs();
    // Bytes counted into the line, and the last of them: they still find the CR LF once the
    // kept text has stopped growing at its limit.
    size_t length = 0;
    char last = '\0';
    for (;;) {
        char byte = '\0';
        int32_t received = 0;
        if (link.Read(&byte, 1, received, timeoutMs) != 0)
            return CAMERA_TIMEOUT;
        if (received > 0 && byte != '\0') {
            const bool complete = length >= 1 && last == '\r' && byte == '\n';
            ++length;
            last = byte;
            if (line.size() < kMaxAnswerLength)
                line.push_back(byte);
            if (complete) {
                // A line cut at the limit still ends with its CR LF.
                if (line.size() < length) {
                    if (line.back() == '\r')
                        line.pop_back();
                    line += "\r\n";
                }
                return 0;
            }
        }
        // Unsigned difference: a wrap of the tick counter does no harm.
        if (static_cast<uint32_t>(clock_.TickMs() - start) > timeoutMs)
            return CAMERA_TIMEOUT;
        clock_.SleepMs(1);
    }
}

int CCamera::CheckAnswer(std::string& answer, const char* expectedMnemonic)
{
    std::erase_if(answer, [](char c) { return c == '\r' || c == '\n'; });
    if (answer.find(kUnknownCommand) != std::string::npos)
        return CAMERA_UNKNOWN_COMMAND;
    if (answer.find(kBadParameters) != std::string::npos)
        return CAMERA_BAD_PARAMETER;
    if (expectedMnemonic == nullptr)
        return 0;

    const size_t n = std::strlen(expectedMnemonic);
    if (answer.size() < n + 1)
        return CAMERA_INVALID_ANSWER;
    if (answer.compare(0, n, expectedMnemonic) != 0 || answer[n] != '=')
        return CAMERA_INVALID_ANSWER;
    answer.erase(0, n + 1);
    return 0;
}

int CCamera::SetUserID(const std::string& text)
{
    if (!online_)
        return CAMERA_OFFLINE;
    values_[P_ULCK] = kUnlockCode;
    OnValueChanged(P_ULCK, !bulkLoad_);
    const int result = SendValue(P_ULCK, ValueFlags::DisconnectOnError);
    if (result != 0)
        return result;
    return SetValueString(P_UD, text);
}

std::string CCamera::GetErrorString(int code)
{
    return zr::GetErrorString(code);
}

} // namespace zr
