#pragma once

#include <cstdint>
#include <string>

namespace zr
{

// Integers and strings by section and entry, with a default for a missing entry. The module
// settings file implements it; tests use an in-memory store.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;
    virtual int32_t GetInt(const std::string& section, const std::string& entry,
                           int32_t defaultValue) const = 0;
    virtual std::string GetString(const std::string& section, const std::string& entry,
                                  const std::string& defaultValue) const = 0;
    // False when the value could not be stored.
    virtual bool WriteInt(const std::string& section, const std::string& entry, int32_t value) = 0;
    virtual bool WriteString(const std::string& section, const std::string& entry,
                             const std::string& value) = 0;
};

} // namespace zr
