#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/TempDir.h"

namespace zr::test
{

// Environment variables a program is started with, on top of (or instead of) the test's own.
using EnvList = std::vector<std::pair<std::string, std::string>>;

// The environment of a user of the test's own whose home folder is `home`:
//   HOME                      home
//   XDG_CONFIG_HOME           home/config (the module settings)
//   XDG_DATA_HOME             home/data (the user's registration)
//   XDG_DATA_DIRS             home/system-data (no registration for every user unless the test
//                             writes one there)
//   DBUS_SESSION_BUS_ADDRESS  the test's private session bus while one runs, else an address
//                             where no bus answers
// Every test that starts a program starts it with these, so that neither the packages installed
// on the machine nor the caller's session change what the program does.
EnvList UserEnvironment(const std::string& home);

// Sets `name` to `value` in `env`, replacing an entry of that name.
void SetEnv(EnvList& env, const std::string& name, const std::string& value);

// UserEnvironment(home) as this process's environment for the object's lifetime, for tests whose
// programs inherit it (the host tests, which start the tool or load the component in-process).
class ScopedUserEnvironment
{
public:
    explicit ScopedUserEnvironment(const std::string& home);

private:
    std::vector<std::unique_ptr<ScopedEnv>> variables_;
};

} // namespace zr::test
