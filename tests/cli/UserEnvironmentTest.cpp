// Programs started by the tests see the test's own user alone: its home, its XDG folders and its
// session bus, whatever the caller's environment holds. The caller here holds a registration for
// every user (as an installed package does) and a home, settings and bus of its own.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliHarness.h"
#include "component/Registration.h"
#include "support/SessionBus.h"

namespace zr
{
namespace
{

using test::RunResult;
using test::TempDir;

// The value of `name` in the output of env(1), or "(unset)".
std::string Value(const RunResult& env, const std::string& name)
{
    for (const std::string& line : test::SplitLines(env.out))
        if (line.starts_with(name + "="))
            return line.substr(name.size() + 1);
    return "(unset)";
}

TEST(UserEnvironment, ProgramsSeeTheTestsUserNotTheCallers)
{
    TempDir caller;
    const std::string registry = caller.File("share/xkorvel/classes.ini");
    std::filesystem::create_directories(caller.File("share/xkorvel"));
    ASSERT_EQ(RegisterComponent(registry, std::string(ZR_LIB_DIR) + "/libXKorvelZR47xCL.so.1"), 0);
    test::ScopedEnv dirs("XDG_DATA_DIRS", caller.File("share"));
    test::ScopedEnv home("HOME", caller.Path());
    test::ScopedEnv config("XDG_CONFIG_HOME", caller.File("config"));
    test::ScopedEnv data("XDG_DATA_HOME", caller.File("data"));
    test::ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + caller.File("bus"));

    test::CliSession session;
    const std::string own = session.dir.Path();
    RunResult env = test::RunProgram("/usr/bin/env", {}, session.Environment());
    EXPECT_EQ(Value(env, "HOME"), own);
    EXPECT_EQ(Value(env, "XDG_CONFIG_HOME"), own + "/config");
    EXPECT_EQ(Value(env, "XDG_DATA_HOME"), own + "/data");
    EXPECT_EQ(Value(env, "XDG_DATA_DIRS"), own + "/system-data");
    EXPECT_EQ(Value(env, "DBUS_SESSION_BUS_ADDRESS"), "unix:path=" + own + "/no-session-bus");

    // The desktop program finds no registration, as on a machine without the packages.
    test::EnvList offscreen = session.Environment();
    offscreen.emplace_back("QT_QPA_PLATFORM", "offscreen");
    const RunResult tool =
        test::RunProgram(std::string(ZR_BIN_DIR) + "/zr47xcl-tool",
                         {"--dismiss-messages", session.dir.File("messages")}, offscreen);
    EXPECT_EQ(tool.exitCode, 1);
    EXPECT_NE(tool.err.find("the control component is not registered"), std::string::npos)
        << tool.err;

    // With a private bus running, that bus is the session's.
    test::PrivateSessionBus privateBus;
    ASSERT_FALSE(privateBus.Address().empty());
    env = test::RunProgram("/usr/bin/env", {}, session.Environment());
    EXPECT_EQ(Value(env, "DBUS_SESSION_BUS_ADDRESS"), privateBus.Address());
}

} // namespace
} // namespace zr
