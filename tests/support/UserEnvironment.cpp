#include "support/UserEnvironment.h"

#include <algorithm>

#include "support/SessionBus.h"

namespace zr::test
{

EnvList UserEnvironment(const std::string& home)
{
    const std::string& bus = PrivateSessionBus::ActiveAddress();
    return {
        {"HOME", home},
        {"XDG_CONFIG_HOME", home + "/config"},
        {"XDG_DATA_HOME", home + "/data"},
        {"XDG_DATA_DIRS", home + "/system-data"},
        {"DBUS_SESSION_BUS_ADDRESS", bus.empty() ? "unix:path=" + home + "/no-session-bus" : bus}};
}

void SetEnv(EnvList& env, const std::string& name, const std::string& value)
{
    const auto entry =
        std::find_if(env.begin(), env.end(), [&](const auto& e) { return e.first == name; });
    if (entry != env.end())
        entry->second = value;
    else
        env.emplace_back(name, value);
}

ScopedUserEnvironment::ScopedUserEnvironment(const std::string& home)
{
    for (const auto& [name, value] : UserEnvironment(home))
        variables_.push_back(std::make_unique<ScopedEnv>(name, value));
}

} // namespace zr::test
