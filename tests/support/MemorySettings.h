#pragma once

#include <map>
#include <string>
#include <utility>

#include "base/SettingsStore.h"

namespace zr::test
{

// Settings kept in memory; sections and entries match without regard to letter case, as in the
// module settings file.
class MemorySettings final : public SettingsStore
{
public:
    int32_t GetInt(const std::string& section, const std::string& entry,
                   int32_t defaultValue) const override;
    std::string GetString(const std::string& section, const std::string& entry,
                          const std::string& defaultValue) const override;
    bool WriteInt(const std::string& section, const std::string& entry, int32_t value) override;
    bool WriteString(const std::string& section, const std::string& entry,
                     const std::string& value) override;

    bool Has(const std::string& section, const std::string& entry) const;

private:
    static std::pair<std::string, std::string> Key(const std::string& section,
                                                   const std::string& entry);
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

} // namespace zr::test
