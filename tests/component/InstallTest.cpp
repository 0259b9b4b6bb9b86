// scripts/install.sh into a temporary prefix: the installed programs run, the manual pages
// format, the completion offers member names, and uninstalling leaves the prefix as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliHarness.h"

namespace zr
{
namespace
{

using test::RunProgram;
using test::RunResult;
using test::TempDir;

TEST(Install, InstallRunUninstall)
{
    TempDir prefix;
    TempDir user;
    const std::string buildDir = std::string(ZR_BIN_DIR) + "/..";
    // What the test program depends on is built; no second build in the folder under test.
    const test::EnvList env = {{"ZR_BUILD_DIR", buildDir},
                               {"ZR_INSTALL_PREBUILT", "1"},
                               {"XDG_DATA_HOME", user.Path() + "/data"},
                               {"XDG_CONFIG_HOME", user.Path() + "/config"},
                               {"HOME", user.Path()},
                               {"PATH", "/usr/bin:/bin"}};
    const std::string script = std::string(ZR_SOURCE_DIR) + "/scripts/install.sh";
    RunResult r = RunProgram(script, {prefix.Path()}, env, 300000);
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("export PATH=\"" + prefix.Path() + "/bin:$PATH\""), std::string::npos)
        << r.out;
    // Registered for the user, from the installed library.
    const std::string classes = TempDir::ReadFile(user.Path() + "/data/xkorvel/classes.ini");
    EXPECT_NE(classes.find(prefix.Path() + "/lib"), std::string::npos) << classes;

    r = RunProgram(prefix.Path() + "/bin/zr47xcl", {"--help"}, env);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.starts_with("Usage: zr47xcl")) << r.out;
    r = RunProgram(prefix.Path() + "/bin/zr47xcl", {"--offline", "get", "CommPort"}, env);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "0\n");

    for (const char* page : {"zr47xcl.1", "zr47xcl-sim.1"}) {
        r = RunProgram("/usr/bin/man", {"-l", prefix.Path() + "/share/man/man1/" + page},
                       {{"MANPAGER", "cat"}, {"PAGER", "cat"}});
        EXPECT_EQ(r.exitCode, 0) << page << r.err;
        EXPECT_NE(r.out.find("EXAMPLES"), std::string::npos) << page;
    }

    // The completion, sourced into bash, completes verbs, options and member names.
    const std::string completion = prefix.Path() + "/share/bash-completion/completions/zr47xcl";
    const std::string probe = "source '" + completion +
                              "'; complete_line() { COMP_WORDS=(\"$@\"); "
                              "COMP_CWORD=$(($# - 1)); _zr47xcl; echo \"${COMPREPLY[*]}\"; }; "
                              "complete_line zr47xcl des; "
                              "complete_line zr47xcl --str; "
                              "complete_line zr47xcl get IMG1ShutterS; "
                              "complete_line zr47xcl set CommP; "
                              "complete_line zr47xcl call AskIMG2GainMasterR";
    r = RunProgram("/bin/bash", {"-c", probe}, {});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "describe\n--strict\nIMG1ShutterSpeed IMG1ShutterSpeedString\n\n"
                     "AskIMG2GainMasterRange\n");

    r = RunProgram(script, {"--uninstall", prefix.Path()}, env, 60000);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(prefix.Names(), std::vector<std::string>{});
    EXPECT_EQ(TempDir::ReadFile(user.Path() + "/data/xkorvel/classes.ini").find("Library="),
              std::string::npos);
}

} // namespace
} // namespace zr
