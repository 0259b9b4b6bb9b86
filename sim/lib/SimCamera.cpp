#include "sim/lib/SimCamera.h"

#include <cctype>
#include <iostream>

#include "sim/lib/ValueRules.h"

namespace zr::sim
{

namespace
{

constexpr const char* kComplete = "COMPLETE";
constexpr const char* kUnknownCommand = "Unknown Command!!";
constexpr const char* kBadParameters = "Bad Parameters!!";
constexpr const char* kCrLf = "\r\n";
// Longer lines are no command the camera knows; the rest of such a line is dropped.
constexpr size_t kMaxLineLength = 256;

// Imager types (list of IM1/IM2) by model; any other model has two colour imagers.
constexpr int32_t kMono = 0;
constexpr int32_t kColor = 5;
struct ModelImagers {
    const char* model;
    int32_t imager1;
    int32_t imager2;
};
constexpr ModelImagers kModels[] = {
    {"ZR-470", kColor, kMono},
    {"ZR-471", kMono, kMono},
    {"ZR-472", kMono, kColor},
};

// Fixed identity of the simulated camera.
constexpr int32_t kFirmwareVersion = 105;
constexpr int32_t kFpgaVersion = 102;
constexpr const char* kCameraId = "ZR47-00001";

// What a successful balance changes: two gain rows move by these steps (or back by them when a
// step would leave the row's range), so the tool sees new values when it reads them back.
struct BalanceEffect {
    int32_t commandRow;
    std::array<int32_t, 2> rows;
    std::array<int32_t, 2> steps;
};
constexpr BalanceEffect kBalanceEffects[] = {
    {P_AW1, {P_GAR1, P_GAB1}, {25, -15}},
    {P_AW2, {P_GAR2, P_GAB2}, {25, -15}},
    {P_AYB, {P_GA1, P_GA2}, {8, -8}},
};
constexpr int32_t kSucceeded = 1;

std::string Upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

const ParameterEntry& Row(int32_t index)
{
    return kParameterTable[static_cast<size_t>(index)];
}

} // namespace

SimCamera::SimCamera(const SimOptions& options) : model_(options.model), eeprom_(options.stateFile)
{
    for (const std::string& fault : options.faults) {
        std::string error;
        if (!faults_.Add(fault, error))
            std::cerr << "zr47xcl-sim: warning: " << error << "; ignored" << std::endl;
    }
    values_ = eeprom_.Area(eeprom_.PowerUpArea());
    values_[P_EB] = 0;
    values_[P_VN] = kFirmwareVersion;
    values_[P_PV] = kFpgaVersion;
    values_[P_IM1] = values_[P_IM2] = kColor;
    for (const ModelImagers& m : kModels) {
        if (model_ == m.model) {
            values_[P_IM1] = m.imager1;
            values_[P_IM2] = m.imager2;
        }
    }
    // The last outcome of each one-push function, as if it had run at the factory.
    for (const OnePushFunction& f : kOnePushFunctions)
        values_[static_cast<size_t>(f.resultRow)] = kSucceeded;
    texts_[P_ID] = kCameraId;
    texts_[P_MD] = model_;
}

std::vector<SimReply> SimCamera::Exchange(std::string_view bytes)
{
    std::lock_guard lock(mutex_);
    std::vector<SimReply> replies;
    for (char c : bytes) {
        if (closed_)
            break;
        if (c == '\r' || c == '\n') {
            if (c == '\n' && skipLf_) {
                skipLf_ = false;
                continue;
            }
            skipLf_ = c == '\r';
            if (line_.empty() && !overflow_)
                continue; // empty lines are ignored
            SimReply reply = HandleLine(line_);
            line_.clear();
            overflow_ = false;
            if (!reply.bytes.empty() || reply.closeLine)
                replies.push_back(std::move(reply));
            continue;
        }
        skipLf_ = false;
        if (line_.size() < kMaxLineLength)
            line_ += c;
        else
            overflow_ = true;
    }
    return replies;
}

std::string SimCamera::Receive(std::string_view bytes)
{
    std::string out;
    for (const SimReply& reply : Exchange(bytes))
        out += reply.bytes;
    return out;
}

bool SimCamera::LineClosed() const
{
    std::lock_guard lock(mutex_);
    return closed_;
}

SimReply SimCamera::HandleLine(const std::string& line)
{
    received_.push_back(line);
    std::string mnemonic = Upper(line.substr(0, line.find_first_of("=?")));
    FaultPlan::Effect effect = faults_.Apply(mnemonic);

    // The unlock command opens the way for the very next line only.
    bool wasUnlocked = unlocked_;
    unlocked_ = false;

    SimReply reply;
    reply.closeLine = effect.closeAfterAnswer;
    if (effect.closeAfterAnswer)
        closed_ = true; // this line is still answered
    if (effect.silent)
        return reply; // a camera that does not respond carries nothing out either

    bool echo = values_[P_EB] == 1 && !overflow_;
    std::string answer = overflow_ ? kUnknownCommand : Execute(line, wasUnlocked);
    reply.bytes = effect.noise;
    if (echo)
        reply.bytes += line + kCrLf;
    reply.bytes += answer;
    if (!effect.noCrLf)
        reply.bytes += kCrLf;
    reply.delayMs = effect.delayMs;
    return reply;
}

std::string SimCamera::Execute(const std::string& line, bool wasUnlocked)
{
    size_t separator = line.find_first_of("=?");
    if (separator == std::string::npos)
        return kUnknownCommand;
    const std::string word = Upper(std::string_view(line).substr(0, separator));
    const CameraCommand* command = FindCameraCommand(word);
    int32_t row = RowOf(word);
    if (command == nullptr || row < 0)
        return kUnknownCommand;
    // Rows of a colour imager (or of two alike imagers) do not exist on other models.
    if (Row(row).Has(PF_CONDITIONAL) && !Evaluate(Row(row).available))
        return kUnknownCommand;
    if (line[separator] == '?')
        return separator + 1 == line.size() ? Query(row, *command) : kUnknownCommand;
    return Set(row, *command, std::string_view(line).substr(separator + 1), wasUnlocked);
}

std::string SimCamera::Set(int32_t row, const CameraCommand& command, std::string_view value,
                           bool wasUnlocked)
{
    if (!command.CanSet())
        return kBadParameters;
    if (command.IsText()) {
        // Only the user ID is writable text, and only right after the unlock command.
        if (!wasUnlocked || value.size() > static_cast<size_t>(command.maximum))
            return kBadParameters;
        texts_[static_cast<size_t>(row)] = value;
        return kComplete;
    }
    std::optional<int32_t> number = ParseCameraNumber(value);
    if (!number || !IsAcceptedValue(command, *number))
        return kBadParameters;

    switch (row) {
    case P_ULCK:
        if (*number != kUnlockCode)
            return kBadParameters;
        unlocked_ = true;
        return kComplete;
    case P_LD: {
        const SettingValues& area = eeprom_.Area(*number);
        for (int32_t r = 0; r < PARAMETER_COUNT; ++r)
            if (SimEeprom::IsStoredRow(r))
                values_[static_cast<size_t>(r)] = area[static_cast<size_t>(r)];
        break;
    }
    case P_SA:
        // The factory area is write-protected.
        if (*number == 0)
            return kBadParameters;
        eeprom_.Store(*number, values_);
        break;
    default:
        for (size_t f = 0; f < kOnePushFunctions.size(); ++f) {
            if (kOnePushFunctions[f].commandRow != row)
                continue;
            onePush_[f] = {true, faults_.OutcomeFor(f).workingPolls};
            values_[static_cast<size_t>(kOnePushFunctions[f].resultRow)] = 0;
        }
        break;
    }
    values_[static_cast<size_t>(row)] = *number;
    return kComplete;
}

std::string SimCamera::Query(int32_t row, const CameraCommand& command)
{
    std::string prefix = std::string(command.mnemonic) + "=";
    if (!command.CanQuery())
        return kBadParameters; // a command, not a setting: nothing to ask
    if (command.IsText())
        return prefix + texts_[static_cast<size_t>(row)];
    for (size_t f = 0; f < kOnePushFunctions.size(); ++f)
        if (kOnePushFunctions[f].resultRow == row)
            return prefix + std::to_string(PollResult(f));
    if (row == P_EA)
        return prefix + std::to_string(eeprom_.PowerUpArea());
    return prefix + std::to_string(values_[static_cast<size_t>(row)]);
}

int32_t SimCamera::PollResult(size_t function)
{
    const OnePushFunction& f = kOnePushFunctions[function];
    int32_t& result = values_[static_cast<size_t>(f.resultRow)];
    OnePushRun& run = onePush_[function];
    if (!run.active)
        return result;
    if (run.pollsLeft > 0) {
        --run.pollsLeft;
        return 0;
    }
    run.active = false;
    result = faults_.OutcomeFor(function).result;
    if (result != kSucceeded)
        return result;
    for (const BalanceEffect& effect : kBalanceEffects) {
        if (effect.commandRow != f.commandRow)
            continue;
        for (size_t i = 0; i < effect.rows.size(); ++i) {
            int32_t& value = values_[static_cast<size_t>(effect.rows[i])];
            int32_t moved = value + effect.steps[i];
            value = IsAcceptedValue(effect.rows[i], moved) ? moved : value - effect.steps[i];
        }
    }
    return result;
}

bool SimCamera::Evaluate(const ConditionNode* node) const
{
    return EvaluateCondition(node, values_);
}

int32_t SimCamera::RowOf(std::string_view mnemonic)
{
    std::string word = Upper(mnemonic);
    return word.empty() ? -1 : FindParameterByMnemonic(word.c_str());
}

std::vector<std::string> SimCamera::ReceivedLines() const
{
    std::lock_guard lock(mutex_);
    return received_;
}

void SimCamera::ClearReceivedLines()
{
    std::lock_guard lock(mutex_);
    received_.clear();
}

int32_t SimCamera::Value(std::string_view mnemonic) const
{
    std::lock_guard lock(mutex_);
    int32_t row = RowOf(mnemonic);
    if (row < 0)
        return 0;
    if (row == P_EA)
        return eeprom_.PowerUpArea();
    return values_[static_cast<size_t>(row)];
}

std::string SimCamera::Text(std::string_view mnemonic) const
{
    std::lock_guard lock(mutex_);
    int32_t row = RowOf(mnemonic);
    return row < 0 ? std::string() : texts_[static_cast<size_t>(row)];
}

void SimCamera::SetValue(std::string_view mnemonic, int32_t value)
{
    std::lock_guard lock(mutex_);
    int32_t row = RowOf(mnemonic);
    if (row == P_EA)
        eeprom_.SetPowerUpArea(value);
    else if (row >= 0)
        values_[static_cast<size_t>(row)] = value;
}

void SimCamera::SetText(std::string_view mnemonic, std::string_view text)
{
    std::lock_guard lock(mutex_);
    int32_t row = RowOf(mnemonic);
    if (row >= 0)
        texts_[static_cast<size_t>(row)] = text;
}

int32_t SimCamera::AreaValue(int32_t area, std::string_view mnemonic) const
{
    std::lock_guard lock(mutex_);
    int32_t row = RowOf(mnemonic);
    if (row < 0 || area < 0 || area >= SimEeprom::kAreaCount)
        return 0;
    return eeprom_.Area(area)[static_cast<size_t>(row)];
}

} // namespace zr::sim
