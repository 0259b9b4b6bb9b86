#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "camera/ParameterTable.h"

namespace zr::sim
{

// One value per parameter row; a settings set uses the rows IsStoredRow() names.
using SettingValues = ParameterValues;

// The camera's EEPROM: three complete settings sets (0 factory, 1 user 1, 2 user 2) and the area
// it loads at power-up. With a state file the contents survive the process: loaded at
// construction, rewritten atomically after every change.
class SimEeprom
{
public:
    static constexpr int32_t kAreaCount = 3;

    // An empty path keeps everything in memory. A missing file gives the defaults; an unreadable
    // or corrupt one gives the defaults and a warning on stderr.
    explicit SimEeprom(std::string stateFile);

    const SettingValues& Area(int32_t area) const;
    int32_t PowerUpArea() const { return powerUpArea_; }

    // Copies the stored rows of `values` into `area` (0..2). False when the state file could not
    // be written (the area is changed all the same, as the camera's memory is).
    bool Store(int32_t area, const SettingValues& values);
    // False (and no change) for an area outside 0..2, or when the state file could not be
    // written (the change is kept).
    bool SetPowerUpArea(int32_t area);

    // The rows a settings set holds: every writable number row that read-all and write-all move.
    static bool IsStoredRow(int32_t index);
    // The settings the camera leaves the factory with, per area; the user areas differ a little.
    static SettingValues Defaults(int32_t area);

    // The state file's text for the current contents, and the reverse. Parse returns false with
    // a reason (and changes nothing) on any line it does not understand.
    std::string Serialize() const;
    bool Parse(const std::string& text, std::string& problem);

private:
    bool Save() const;

    std::string stateFile_;
    std::array<SettingValues, kAreaCount> areas_;
    int32_t powerUpArea_ = 0;
};

} // namespace zr::sim
