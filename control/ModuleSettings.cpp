#include "control/ModuleSettings.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace zr
{

namespace
{

// The registry key and application name the component's settings live under.
constexpr const char* kFolder = "Korvel-XKorvelZR47xCL.ini-Control";
constexpr const char* kFile = "XKorvelZR47xCL Control.ini";

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir)
        return found->pw_dir;
    return ".";
}

} // namespace

ModuleSettings::ModuleSettings() : ModuleSettings(DefaultPath()) {}

ModuleSettings::ModuleSettings(std::string path) : path_(std::move(path)), file_(path_) {}

ModuleSettings::~ModuleSettings()
{
    batchDepth_ = 0;
    Commit();
}

std::string ModuleSettings::DefaultPath()
{
    // Only an absolute XDG_CONFIG_HOME counts, as the base directory rules say.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base = config && config[0] == '/' ? std::string(config) : HomeFolder() + "/.config";
    return base + "/" + kFolder + "/" + kFile;
}

int32_t ModuleSettings::GetInt(const std::string& section, const std::string& entry,
                               int32_t defaultValue) const
{
    return file_.GetInt(section, entry, defaultValue);
}

std::string ModuleSettings::GetString(const std::string& section, const std::string& entry,
                                      const std::string& defaultValue) const
{
    return file_.GetString(section, entry, defaultValue);
}

bool ModuleSettings::WriteInt(const std::string& section, const std::string& entry, int32_t value)
{
    return file_.WriteInt(section, entry, value) && Commit();
}

bool ModuleSettings::WriteString(const std::string& section, const std::string& entry,
                                 const std::string& value)
{
    return file_.WriteString(section, entry, value) && Commit();
}

void ModuleSettings::BeginBatch()
{
    ++batchDepth_;
}

bool ModuleSettings::EndBatch()
{
    if (batchDepth_ > 0)
        --batchDepth_;
    return Commit();
}

bool ModuleSettings::Commit()
{
    if (batchDepth_ > 0 || !file_.IsModified())
        return true;
    if (file_.LoadFailed())
        return false;
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::path(path_).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, ec);
    return file_.Save(path_);
}

} // namespace zr
