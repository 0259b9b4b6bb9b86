#pragma once

// Pieces shared by the benchmark programs.

#include <sys/resource.h>

#include <string>
#include <utility>

#include "base/SettingsStore.h"

namespace zr::bench
{

// Just enough settings to map COM1 to a pseudo-terminal; nothing is stored.
class MapSettings final : public SettingsStore
{
public:
    explicit MapSettings(std::string com1) : com1_(std::move(com1)) {}
    int32_t GetInt(const std::string&, const std::string&, int32_t value) const override
    {
        return value;
    }
    std::string GetString(const std::string& section, const std::string& entry,
                          const std::string& value) const override
    {
        return section == "Comm" && entry == "COM1" ? com1_ : value;
    }
    bool WriteInt(const std::string&, const std::string&, int32_t) override { return false; }
    bool WriteString(const std::string&, const std::string&, const std::string&) override
    {
        return false;
    }

private:
    std::string com1_;
};

// User plus system CPU time of this process so far, in seconds.
inline double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace zr::bench
