#include "sim/lib/ValueRules.h"

#include <algorithm>
#include <charconv>

#include "camera/ParameterTable.h"

namespace zr::sim
{

namespace
{

using enum CameraCommand::Access;
using enum CameraCommand::Kind;

// Words with a list of settings accept the list's numbers, 0 to the last one.
constexpr CameraCommand kCameraCommands[] = {
    // Identity, echo and the user-ID unlock code.
    {"EB", kQueryAndSet, kNumber, 0, 1},
    {"ST", kQueryOnly, kNumber, 0, 0},
    {"HP", kQueryOnly, kNumber, 0, 0},
    {"VN", kQueryOnly, kNumber, 0, 999},
    {"PV", kQueryOnly, kNumber, 0, 999},
    {"ID", kQueryOnly, kText, 0, 10},
    {"MD", kQueryOnly, kText, 0, 10},
    {"UD", kQueryAndSet, kText, 0, 16},
    {"ULCK", kSetOnly, kNumber, 0, 9999},

    // Imager 1. The imager type is reported, never set; the one-push and shading words start a
    // run whose outcome the matching result word reports.
    {"IM1", kQueryOnly, kNumber, 0, 7},
    {"SM1", kQueryAndSet, kNumber, 0, 1},
    {"SH1", kQueryAndSet, kNumber, 0, 11},
    {"PE1", kQueryAndSet, kNumber, 0, 792},
    {"TR1", kQueryAndSet, kNumber, 0, 6},
    {"SL1", kQueryAndSet, kNumber, 0, 1},
    {"TI1", kQueryAndSet, kNumber, 0, 1},
    {"TP1", kQueryAndSet, kNumber, 0, 1},
    {"SC1", kQueryAndSet, kNumber, 0, 3},
    {"OS1", kQueryAndSet, kNumber, 0, 4},
    {"WB1", kQueryAndSet, kNumber, 0, 5},
    {"GA1", kQueryAndSet, kNumber, -84, 336},
    {"GAR1", kQueryAndSet, kNumber, -1023, 1024},
    {"GAB1", kQueryAndSet, kNumber, -1023, 1024},
    {"AW1", kSetOnly, kNumber, 0, 0},
    {"AWR1", kQueryOnly, kNumber, 0, 4},
    {"WA1", kQueryAndSet, kNumber, 0, 9},
    {"AGC1", kQueryAndSet, kNumber, 0, 1},
    {"AGR1", kQueryAndSet, kNumber, 0, 1023},
    {"BL1", kQueryAndSet, kNumber, -128, 256},
    {"BLR1", kQueryAndSet, kNumber, -128, 256},
    {"BLB1", kQueryAndSet, kNumber, -128, 256},
    {"BLY1", kQueryAndSet, kNumber, -128, 256},
    {"KN1", kQueryAndSet, kNumber, 0, 1},
    {"KSM1", kQueryAndSet, kNumber, 0, 4095},
    {"KSR1", kQueryAndSet, kNumber, 0, 4095},
    {"KSB1", kQueryAndSet, kNumber, 0, 4095},
    {"KSY1", kQueryAndSet, kNumber, 0, 4095},
    {"KPM1", kQueryAndSet, kNumber, 0, 1023},
    {"KPR1", kQueryAndSet, kNumber, 0, 1023},
    {"KPB1", kQueryAndSet, kNumber, 0, 1023},
    {"KPY1", kQueryAndSet, kNumber, 0, 1023},
    {"SDM1", kQueryAndSet, kNumber, 0, 3},
    {"RS1", kSetOnly, kNumber, 0, 1},
    {"RSS1", kQueryOnly, kNumber, 0, 4},
    {"PBY1", kQueryAndSet, kNumber, 0, 3},
    {"RF1", kQueryAndSet, kNumber, 0, 1},
    {"CM1", kQueryAndSet, kNumber, 0, 3},

    // Imager 2, the same words with 2.
    {"IM2", kQueryOnly, kNumber, 0, 7},
    {"SM2", kQueryAndSet, kNumber, 0, 1},
    {"SH2", kQueryAndSet, kNumber, 0, 11},
    {"PE2", kQueryAndSet, kNumber, 0, 792},
    {"TR2", kQueryAndSet, kNumber, 0, 3},
    {"SL2", kQueryAndSet, kNumber, 0, 1},
    {"TI2", kQueryAndSet, kNumber, 0, 1},
    {"TP2", kQueryAndSet, kNumber, 0, 1},
    {"SC2", kQueryAndSet, kNumber, 0, 3},
    {"OS2", kQueryAndSet, kNumber, 0, 4},
    {"WB2", kQueryAndSet, kNumber, 0, 5},
    {"GA2", kQueryAndSet, kNumber, -84, 336},
    {"GAR2", kQueryAndSet, kNumber, -1023, 1024},
    {"GAB2", kQueryAndSet, kNumber, -1023, 1024},
    {"AW2", kSetOnly, kNumber, 0, 0},
    {"AWR2", kQueryOnly, kNumber, 0, 4},
    {"WA2", kQueryAndSet, kNumber, 0, 9},
    {"AGC2", kQueryAndSet, kNumber, 0, 1},
    {"AGR2", kQueryAndSet, kNumber, 0, 1023},
    {"BL2", kQueryAndSet, kNumber, -128, 256},
    {"BLR2", kQueryAndSet, kNumber, -128, 256},
    {"BLB2", kQueryAndSet, kNumber, -128, 256},
    {"BLY2", kQueryAndSet, kNumber, -128, 256},
    {"KN2", kQueryAndSet, kNumber, 0, 1},
    {"KSM2", kQueryAndSet, kNumber, 0, 4095},
    {"KSR2", kQueryAndSet, kNumber, 0, 4095},
    {"KSB2", kQueryAndSet, kNumber, 0, 4095},
    {"KSY2", kQueryAndSet, kNumber, 0, 4095},
    {"KPM2", kQueryAndSet, kNumber, 0, 1023},
    {"KPR2", kQueryAndSet, kNumber, 0, 1023},
    {"KPB2", kQueryAndSet, kNumber, 0, 1023},
    {"KPY2", kQueryAndSet, kNumber, 0, 1023},
    {"SDM2", kQueryAndSet, kNumber, 0, 3},
    {"RS2", kSetOnly, kNumber, 0, 1},
    {"RSS2", kQueryOnly, kNumber, 0, 4},
    {"PBY2", kQueryAndSet, kNumber, 0, 3},
    {"RF2", kQueryAndSet, kNumber, 0, 1},
    {"CM2", kQueryAndSet, kNumber, 0, 3},

    // Both imagers.
    {"HF", kQueryAndSet, kNumber, 0, 1},
    {"IS", kQueryAndSet, kNumber, 0, 1},
    {"BI1", kQueryAndSet, kNumber, 0, 1},
    {"AYB", kSetOnly, kNumber, 0, 0},
    {"AYR", kQueryOnly, kNumber, 0, 4},
    {"YA", kQueryAndSet, kNumber, 0, 9},

    // EEPROM areas: 0 factory, 1 user 1, 2 user 2.
    {"LD", kSetOnly, kNumber, 0, 2},
    {"SA", kSetOnly, kNumber, 0, 2},
    {"EA", kQueryOnly, kNumber, 0, 2},
};

} // namespace

std::span<const CameraCommand> CameraCommands()
{
    return kCameraCommands;
}

const CameraCommand* FindCameraCommand(std::string_view mnemonic)
{
    const auto* found =
        std::find_if(std::begin(kCameraCommands), std::end(kCameraCommands),
                     [&](const CameraCommand& c) { return c.mnemonic == mnemonic; });
    return found == std::end(kCameraCommands) ? nullptr : found;
}

bool IsAcceptedValue(const CameraCommand& command, int32_t value)
{
    return !command.IsText() && value >= command.minimum && value <= command.maximum;
}

bool IsAcceptedValue(int32_t index, int32_t value)
{
    const ParameterEntry* row = FindParameter(index);
    if (row == nullptr || row->mnemonic == nullptr)
        return false;
    const CameraCommand* command = FindCameraCommand(row->mnemonic);
    return command != nullptr && IsAcceptedValue(*command, value);
}

std::optional<int32_t> ParseCameraNumber(std::string_view text)
{
    bool plus = !text.empty() && text.front() == '+';
    if (plus)
        text.remove_prefix(1);
    if (text.empty() || (plus && text.front() == '-'))
        return std::nullopt;
    int32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace zr::sim
