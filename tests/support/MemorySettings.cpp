#include "support/MemorySettings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace zr::test
{

std::pair<std::string, std::string> MemorySettings::Key(const std::string& section,
                                                        const std::string& entry)
{
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    };
    return {lower(section), lower(entry)};
}

int32_t MemorySettings::GetInt(const std::string& section, const std::string& entry,
                               int32_t defaultValue) const
{
    auto it = values_.find(Key(section, entry));
    if (it == values_.end())
        return defaultValue;
    return static_cast<int32_t>(std::strtol(it->second.c_str(), nullptr, 10));
}

std::string MemorySettings::GetString(const std::string& section, const std::string& entry,
                                      const std::string& defaultValue) const
{
    auto it = values_.find(Key(section, entry));
    return it == values_.end() ? defaultValue : it->second;
}

bool MemorySettings::WriteInt(const std::string& section, const std::string& entry, int32_t value)
{
    values_[Key(section, entry)] = std::to_string(value);
    return true;
}

bool MemorySettings::WriteString(const std::string& section, const std::string& entry,
                                 const std::string& value)
{
    values_[Key(section, entry)] = value;
    return true;
}

bool MemorySettings::Has(const std::string& section, const std::string& entry) const
{
    return values_.count(Key(section, entry)) != 0;
}

} // namespace zr::test
