#include "control/XKorvelCamApp.h"

#include "control/Identities.h"

namespace zr
{

int CXKorvelCamApp::InitInstance()
{
    applicationName_ = identity::kApplicationName;
    settingsKey_.clear();
    for (const char* part : identity::kSettingsKeyParts)
        settingsKey_ += part;
    settings_ = std::make_unique<ModuleSettings>(SettingsPath());
    return 0;
}

void CXKorvelCamApp::ExitInstance()
{
    settings_.reset();
}

std::string CXKorvelCamApp::SettingsPath() const
{
    return ModuleSettings::DefaultPath();
}

} // namespace zr
