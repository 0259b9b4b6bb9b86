#include "control/ModuleSettings.h"
#include "control/UserFolders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

namespace zr
{

namespace
{

// The registry key and application name the component's settings live under.
constexpr const char* kFolder = "Korvel-XKorvelZR47xCL.ini-Control";
constexpr const char* kFile = "XKorvelZR47xCL Control.ini";

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
    return UserBaseFolder("XDG_CONFIG_HOME", ".config") + "/" + kFolder + "/" + kFile;
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
