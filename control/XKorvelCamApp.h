#pragma once

#include <memory>
#include <string>

#include "control/ModuleSettings.h"

namespace zr
{

// The module object of the control component: one per loaded module. Its start-up names the
// application and the settings key and opens the module settings that every control of the
// module reads at construction and writes at destruction.
class CXKorvelCamApp
{
public:
    CXKorvelCamApp() = default;
    CXKorvelCamApp(const CXKorvelCamApp&) = delete;
    CXKorvelCamApp& operator=(const CXKorvelCamApp&) = delete;

    // Sets the application name and the settings key, then opens the module settings at
    // SettingsPath(). 0 on success.
    int InitInstance();
    // Saves and closes the module settings. Every control of the module must be gone.
    void ExitInstance();

    // "XKorvelZR47xCL Control"; empty before InitInstance().
    const std::string& ApplicationName() const { return applicationName_; }
    // "Korvel-XKorvelZR47xCL.ini-Control"; empty before InitInstance().
    const std::string& SettingsKey() const { return settingsKey_; }
    // The module settings file: a folder named after the settings key holding a file named
    // after the application (ModuleSettings::DefaultPath()).
    std::string SettingsPath() const;

    // The module settings; only between InitInstance() and ExitInstance().
    ModuleSettings& Settings() { return *settings_; }
    bool IsInitialized() const { return settings_ != nullptr; }

private:
    std::string applicationName_;
    std::string settingsKey_;
    std::unique_ptr<ModuleSettings> settings_;
};

} // namespace zr
