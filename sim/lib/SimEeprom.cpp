#include "sim/lib/SimEeprom.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "sim/lib/ValueRules.h"

namespace zr::sim
{

namespace
{

constexpr const char* kHeader = "# zr47xcl-sim EEPROM state";
constexpr const char* kPowerUpKey = "power-up=";

// Factory settings that differ from the row's natural default (0, or the lowest value accepted),
// and the values the two user areas hold instead, so a report over the areas shows differences.
struct AreaDefault {
    int32_t row;
    std::array<int32_t, SimEeprom::kAreaCount> value; // factory, user 1, user 2
};
constexpr AreaDefault kAreaDefaults[] = {
    {P_SH1, {0, 6, 4}},
    {P_SM2, {0, 0, 1}},
    {P_PE1, {400, 400, 250}},
    {P_PE2, {400, 400, 120}},
    {P_GA1, {0, 24, 60}},
    {P_GA2, {0, 0, -12}},
    {P_GAR1, {0, 35, -20}},
    {P_GAB1, {0, -18, 42}},
    {P_GAR2, {0, 0, 12}},
    {P_GAB2, {0, 0, -8}},
    {P_AGR1, {512, 512, 640}},
    {P_AGR2, {512, 480, 512}},
    {P_KN1, {0, 1, 0}},
    {P_KSM1, {2048, 1800, 2048}},
    {P_KSR1, {2048, 1800, 2048}},
    {P_KSB1, {2048, 1800, 2048}},
    {P_KSY1, {2048, 1800, 2048}},
    {P_KPM1, {768, 700, 768}},
    {P_KPR1, {768, 700, 768}},
    {P_KPB1, {768, 700, 768}},
    {P_KPY1, {768, 700, 768}},
    {P_KSM2, {2048, 2048, 2200}},
    {P_KSR2, {2048, 2048, 2200}},
    {P_KSB2, {2048, 2048, 2200}},
    {P_KSY2, {2048, 2048, 2200}},
    {P_KPM2, {768, 768, 800}},
    {P_KPR2, {768, 768, 800}},
    {P_KPB2, {768, 768, 800}},
    {P_KPY2, {768, 768, 800}},
    {P_SDM1, {1, 2, 3}},
    {P_SDM2, {1, 1, 2}},
    {P_WB1, {0, 1, 0}},
    {P_CM1, {0, 0, 3}},
    {P_BL1, {0, 4, 0}},
    {P_YA, {0, 5, 0}},
};

std::string AreaHeader(int32_t area)
{
    return "[area " + std::to_string(area) + "]";
}

void Warn(const std::string& message)
{
    std::cerr << "zr47xcl-sim: warning: " << message << std::endl;
}

} // namespace

SimEeprom::SimEeprom(std::string stateFile) : stateFile_(std::move(stateFile))
{
    for (int32_t area = 0; area < kAreaCount; ++area)
        areas_[static_cast<size_t>(area)] = Defaults(area);
    if (stateFile_.empty())
        return;
    struct stat info {
    };
    if (::stat(stateFile_.c_str(), &info) != 0 && errno == ENOENT)
        return;
    std::ifstream in(stateFile_, std::ios::binary);
    if (!in) {
        Warn("cannot read state file " + stateFile_ + "; using default settings");
        return;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string problem;
    if (in.bad() || !Parse(text.str(), problem))
        Warn("state file " + stateFile_ + " is corrupt (" +
             (problem.empty() ? std::string("read error") : problem) + "); using default settings");
}

const SettingValues& SimEeprom::Area(int32_t area) const
{
    return areas_.at(static_cast<size_t>(area));
}

bool SimEeprom::Store(int32_t area, const SettingValues& values)
{
    SettingValues& target = areas_.at(static_cast<size_t>(area));
    for (int32_t row = 0; row < PARAMETER_COUNT; ++row)
        if (IsStoredRow(row))
            target[static_cast<size_t>(row)] = values[static_cast<size_t>(row)];
    return Save();
}

bool SimEeprom::SetPowerUpArea(int32_t area)
{
    if (area < 0 || area >= kAreaCount)
        return false;
    powerUpArea_ = area;
    return Save();
}

bool SimEeprom::IsStoredRow(int32_t index)
{
    const ParameterEntry* row = FindParameter(index);
    return row != nullptr && row->Has(PF_WRITE) && row->Has(PF_BULK) && !row->Has(PF_STRING) &&
           !row->Has(PF_NOBULK);
}

SettingValues SimEeprom::Defaults(int32_t area)
{
    SettingValues values{};
    for (int32_t index = 0; index < PARAMETER_COUNT; ++index) {
        // 0 where the camera accepts it (the first setting of every list), else the lowest
        // value it accepts.
        const CameraCommand* command =
            FindCameraCommand(kParameterTable[static_cast<size_t>(index)].mnemonic);
        if (command != nullptr && !IsAcceptedValue(*command, 0) && !command->IsText())
            values[static_cast<size_t>(index)] = command->minimum;
    }
    for (const AreaDefault& d : kAreaDefaults)
        values[static_cast<size_t>(d.row)] = d.value.at(static_cast<size_t>(area));
    return values;
}

std::string SimEeprom::Serialize() const
{
    std::string text =
        std::string(kHeader) + "\n" + kPowerUpKey + std::to_string(powerUpArea_) + "\n";
    for (int32_t area = 0; area < kAreaCount; ++area) {
        text += AreaHeader(area) + "\n";
        for (int32_t row = 0; row < PARAMETER_COUNT; ++row)
            if (IsStoredRow(row))
                text += std::string(kParameterTable[static_cast<size_t>(row)].mnemonic) + "=" +
                        std::to_string(Area(area)[static_cast<size_t>(row)]) + "\n";
    }
    return text;
}

bool SimEeprom::Parse(const std::string& text, std::string& problem)
{
    // Rows missing from the file keep their defaults, so a file from a simulator that stored
    // fewer rows still loads.
    std::array<SettingValues, kAreaCount> areas;
    for (int32_t area = 0; area < kAreaCount; ++area)
        areas[static_cast<size_t>(area)] = Defaults(area);
    int32_t powerUp = 0;
    int32_t area = -1;

    std::istringstream in(text);
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        auto fail = [&](const std::string& why) {
            problem = "line " + std::to_string(lineNumber) + ": " + why;
            return false;
        };
        if (line.empty() || line.front() == '#')
            continue;
        if (line.starts_with(kPowerUpKey)) {
            auto value = ParseCameraNumber(std::string_view(line).substr(std::strlen(kPowerUpKey)));
            if (!value || *value < 0 || *value >= kAreaCount)
                return fail("bad power-up area");
            powerUp = *value;
            continue;
        }
        if (line.front() == '[') {
            area = -1;
            for (int32_t a = 0; a < kAreaCount; ++a)
                if (line == AreaHeader(a))
                    area = a;
            if (area < 0)
                return fail("unknown section " + line);
            continue;
        }
        size_t eq = line.find('=');
        if (area < 0 || eq == std::string::npos)
            return fail("unexpected text");
        std::string mnemonic = line.substr(0, eq);
        int32_t row = FindParameterByMnemonic(mnemonic.c_str());
        auto value = ParseCameraNumber(std::string_view(line).substr(eq + 1));
        if (row < 0 || !IsStoredRow(row))
            return fail("unknown setting " + mnemonic);
        if (!value || !IsAcceptedValue(row, *value))
            return fail("bad value for " + mnemonic);
        areas[static_cast<size_t>(area)][static_cast<size_t>(row)] = *value;
    }
    areas_ = areas;
    powerUpArea_ = powerUp;
    return true;
}

bool SimEeprom::Save() const
{
    if (stateFile_.empty())
        return true;
    // Write beside the file, flush to disk, then rename over it: a crash leaves the old or the
    // new state, never a half-written one.
    std::string temp = stateFile_ + ".tmp-" + std::to_string(::getpid());
    std::string text = Serialize();
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0;
    size_t done = 0;
    while (ok && done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += ok ? static_cast<size_t>(n) : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    if (fd >= 0)
        ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), stateFile_.c_str()) == 0;
    if (!ok) {
        Warn("cannot write state file " + stateFile_ + ": " + std::strerror(errno));
        ::unlink(temp.c_str());
    }
    return ok;
}

} // namespace zr::sim
