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
    test::EnvList env = test::UserEnvironment(user.Path());
    env.insert(
        env.end(),
        {{"ZR_BUILD_DIR", buildDir}, {"ZR_INSTALL_PREBUILT", "1"}, {"PATH", "/usr/bin:/bin"}});
    const std::string script = std::string(ZR_SOURCE_DIR) + "/scripts/install.sh";
    RunResult r = RunProgram(script, {prefix.Path()}, env, 300000);
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("export PATH=\"" + prefix.Path() + "/bin:$PATH\""), std::string::npos)
        << r.out;
#ifdef ZR_PYTHON_DIR // the sanitizer build has no Python module to install
    // The module's folder under a prefix of its own is not one python3 searches: the folder to
    // add is said, and the module imports from there.
    const std::string said = "export PYTHONPATH=\"";
    const size_t at = r.out.find(said);
    ASSERT_NE(at, std::string::npos) << r.out;
    const std::string folder =
        r.out.substr(at + said.size(), r.out.find("${PYTHONPATH", at) - at - said.size());
    EXPECT_TRUE(folder.starts_with(prefix.Path() + "/lib/python3")) << folder;
    r = RunProgram("/usr/bin/python3", {"-c", "import zr47xcl; print(zr47xcl.__version__)"},
                   {{"PYTHONPATH", folder}});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(r.out.empty());
#endif
    // Registered for the user, from the installed library.
    const std::string classes = TempDir::ReadFile(user.Path() + "/data/xkorvel/classes.ini");
    EXPECT_NE(classes.find(prefix.Path() + "/lib"), std::string::npos) << classes;

    r = RunProgram(prefix.Path() + "/bin/zr47xcl", {"--help"}, env);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.starts_with("Usage: zr47xcl")) << r.out;
    r = RunProgram(prefix.Path() + "/bin/zr47xcl", {"--offline", "get", "CommPort"}, env);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "0\n");

    for (const char* page : {"zr47xcl", "zr47xcl-sim", "zr47xcl-tool", "zr47xcl-regsvr"}) {
        r = RunProgram("/usr/bin/man", {"-l", prefix.Path() + "/share/man/man1/" + page + ".1.gz"},
                       {{"MANPAGER", "cat"}, {"PAGER", "cat"}});
        EXPECT_EQ(r.exitCode, 0) << page << r.err;
        EXPECT_NE(r.out.find("SEE ALSO"), std::string::npos) << page;
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
