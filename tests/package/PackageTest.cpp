// The installation as the packages make it, in a temporary root: each package's install
// component is installed there (as CPack does before it packs), then what was installed runs
// from there: the command line against the simulator, the Python module, the desktop program,
// and the example host built against the installed kit with find_package and with pkg-config.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "CliHarness.h"
#include "base/ProfileFile.h"
#include "control/Identities.h"

namespace zr
{
namespace
{

using test::EnvList;
using test::RunProgram;
using test::RunResult;
using test::TempDir;

const std::string kBuild = std::string(ZR_BIN_DIR) + "/..";
const std::string kPrefix = ZR_INSTALL_PREFIX;

bool Exists(const std::string& path)
{
    struct stat info {
    };
    return ::stat(path.c_str(), &info) == 0;
}

// Configures and builds the example host against the kit in `root`, then runs it against the
// camera of `config`; its output.
RunResult BuildAndRunExample(const std::string& root, const std::string& folder, bool pkgConfig,
                             const EnvList& runEnv)
{
    const std::string prefix = root + kPrefix;
    const EnvList env = {{"PKG_CONFIG_SYSROOT_DIR", root},
                         {"PKG_CONFIG_PATH", prefix + "/" + ZR_INSTALL_LIBDIR + "/pkgconfig"}};
    RunResult r = RunProgram(ZR_CMAKE,
                             {"-S", std::string(ZR_SOURCE_DIR) + "/examples/embed", "-B", folder,
                              "-G", "Ninja", "-DCMAKE_PREFIX_PATH=" + prefix,
                              std::string("-DEMBED_WITH_PKG_CONFIG=") + (pkgConfig ? "ON" : "OFF")},
                             env, 120000);
    if (r.exitCode != 0)
        return r;
    r = RunProgram(ZR_CMAKE, {"--build", folder}, env, 300000);
    if (r.exitCode != 0)
        return r;
    return RunProgram(folder + "/embed-control", {"--quit-after", "300"}, runEnv, 60000);
}

TEST(Package, InstallIntoRootAndRunWhatWasInstalled)
{
    TempDir root;
    TempDir user;
    const std::string prefix = root.Path() + kPrefix;
    for (const char* component : {"Runtime", "Python", "Development"}) {
        RunResult r = RunProgram(ZR_CMAKE, {"--install", kBuild, "--component", component},
                                 {{"DESTDIR", root.Path()}}, 120000);
        ASSERT_EQ(r.exitCode, 0) << component << r.out << r.err;
    }

    // The registration for every user names the library where the package puts it.
    const std::string library =
        ProfileFile(prefix + "/" + ZR_INSTALL_DATADIR + "/xkorvel/classes.ini")
            .GetString(identity::kControlClassId, "Library", "");
    EXPECT_EQ(library, kPrefix + "/" + ZR_INSTALL_LIBDIR + "/libXKorvelZR47xCL.so.1");
    EXPECT_TRUE(Exists(root.Path() + library)) << library;
    // The desktop files pass their validators.
    const std::string desktop = prefix + "/share/applications/com.korvel.ZR47xCLTool.desktop";
    RunResult r = RunProgram("/usr/bin/desktop-file-validate", {desktop}, {});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out + r.err, "");
    r = RunProgram("/usr/bin/appstreamcli",
                   {"validate", "--no-net", "--pedantic",
                    prefix + "/share/metainfo/com.korvel.ZR47xCLTool.metainfo.xml"},
                   {});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    for (const char* size : {"16x16", "48x48", "256x256", "scalable"}) {
        const std::string icon = prefix + "/share/icons/hicolor/" + size + "/apps/" +
                                 "com.korvel.ZR47xCLTool." + (size[0] == 's' ? "svg" : "png");
        EXPECT_TRUE(Exists(icon)) << icon;
    }

    // The help folder: the manual pages and the user guide (with the panels' pictures) as PDF,
    // and the desktop entry starts the tool there, so the about panel lists them.
    const std::string help = kPrefix + "/" + ZR_INSTALL_DATADIR + "/zr47xcl/help";
    for (const char* name : {"zr47xcl-tool.pdf", "zr47xcl.pdf", "zr47xcl-sim.pdf",
                             "zr47xcl-regsvr.pdf", "zr47xcl-user-guide.pdf"}) {
        const std::string pdf = TempDir::ReadFile(root.Path() + help + "/" + name);
        EXPECT_TRUE(pdf.starts_with("%PDF-")) << name;
        if (std::string(name) == "zr47xcl-user-guide.pdf") {
            EXPECT_GT(pdf.size(), 100000u) << "the guide's pictures";
        }
    }
    EXPECT_NE(TempDir::ReadFile(desktop).find("\nPath=" + help + "\n"), std::string::npos);
    // Every program and library binds its symbols at load time (no lazy binding).
    for (const std::string& binary :
         {std::string("/bin/zr47xcl"), std::string("/bin/zr47xcl-tool"),
          std::string("/bin/zr47xcl-sim"),
          "/" + std::string(ZR_INSTALL_LIBDIR) + "/libXKorvelZR47xCL.so.1"}) {
        r = RunProgram("/usr/bin/readelf", {"--dynamic", prefix + binary}, {});
        EXPECT_NE(r.out.find("BIND_NOW"), std::string::npos) << binary << r.out;
    }

    // The command line, installed, against the simulator.
    test::SimProgram sim(user.File("camera"), {});
    ASSERT_FALSE(sim.DevicePath().empty());
    ASSERT_EQ(::mkdir(user.File("config").c_str(), 0700), 0);
    const std::string settings = user.File("config/Korvel-XKorvelZR47xCL.ini-Control");
    ASSERT_EQ(::mkdir(settings.c_str(), 0700), 0);
    ASSERT_TRUE(TempDir::WriteFile(settings + "/XKorvelZR47xCL Control.ini",
                                   "[Comm]\r\nCOM1=" + user.File("camera") + "\r\n"));
    EnvList env = test::UserEnvironment(user.Path());
    env.emplace_back("QT_QPA_PLATFORM", "offscreen");
    r = RunProgram(prefix + "/bin/zr47xcl", {"get", "ModelName"}, env);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "ZR-470\n");
    for (const char* program : {"zr47xcl-tool", "zr47xcl-sim", "zr47xcl-regsvr"}) {
        r = RunProgram(prefix + "/bin/" + program, {"--version"}, env);
        EXPECT_EQ(r.exitCode, 0) << program << r.err;
        EXPECT_EQ(r.out, std::string(program) + " " + ZR_VERSION + "\n");
    }

    // The Python module and its stub package, where Python looks under that prefix.
    const std::string site = prefix + "/" + ZR_PYTHON_INSTALL_DIR;
    r = RunProgram("/usr/bin/python3",
                   {"-c", "import inspect, zr47xcl; print(zr47xcl.__version__); "
                          "print(inspect.signature(zr47xcl.Control.AskIMG1GainMasterRange))"},
                   {{"PYTHONPATH", site}});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, std::string(ZR_VERSION) + "\n(self, nMinMax)\n");
    EXPECT_TRUE(Exists(site + "/zr47xcl-stubs/py.typed"));
    EXPECT_NE(TempDir::ReadFile(site + "/zr47xcl-stubs/__init__.pyi")
                  .find("def AskIMG1GainMasterRange(self, nMinMax: int) -> int:\n"),
              std::string::npos);

    // Without any registration the desktop program says what is missing and ends.
    r = RunProgram(prefix + "/bin/zr47xcl-tool", {"--dismiss-messages", user.File("messages")},
                   env);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("the control component is not registered"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("zr47xcl-regsvr"), std::string::npos) << r.err;

    // The example host builds against the installed kit alone, both ways, creates the control
    // on the simulated camera and ends through QApplication::quit() with a panel shown.
    for (bool pkgConfig : {false, true}) {
        SCOPED_TRACE(pkgConfig ? "pkg-config" : "find_package");
        r = BuildAndRunExample(root.Path(), user.File(pkgConfig ? "embed-pc" : "embed-cmake"),
                               pkgConfig, env);
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_EQ(r.out, "model ZR-470\nended 0\n") << r.err;
    }
}

// Installs `component` of the build into `root`; the failure says why.
::testing::AssertionResult InstallComponent(const std::string& component, const std::string& root)
{
    const RunResult r = RunProgram(ZR_CMAKE, {"--install", kBuild, "--component", component},
                                   {{"DESTDIR", root}}, 120000);
    if (r.exitCode != 0)
        return ::testing::AssertionFailure() << component << r.out << r.err;
    return ::testing::AssertionSuccess();
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// A host's source that includes every header in `folder` and reads the member table: the
// out argument of DoIMG1OnePushAWB comes first, as Invoke() takes it.
std::string HostSource(const std::string& folder)
{
    std::string source;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            source += "#include \"" + entry.path().lexically_relative(folder).string() + "\"\n";
    source += R"(
#include <string_view>

constexpr const zr::members::Member* Find(std::string_view name)
{
    for (const zr::members::Member& member : zr::members::kMembers)
        if (name == member.name)
            return &member;
    return nullptr;
}
constexpr const zr::members::Member* kAwb = Find("DoIMG1OnePushAWB");
static_assert(kAwb->kind == zr::MemberKind::Method); // a missing member fails to compile
static_assert(kAwb->dispid == zr::members::dispid::kMethodDoIMG1OnePushAWB);
static_assert(kAwb->argumentCount == 2 && kAwb->type == zr::VarType::I4);
static_assert(kAwb->arguments[0].direction == zr::members::Direction::Out);
static_assert(kAwb->arguments[0].type == zr::VarType::PtrI4);
static_assert(kAwb->arguments[1].direction == zr::members::Direction::In);
static_assert(zr::members::kMemberCount == 129 + 155 + 83);
int main() { return kAwb->description[0] == '\0'; }
)";
    return source;
}

} // namespace

// What describes the control to its users is installed with the package that serves them: the
// bus interface description (with a documentation annotation on every member) with the
// programs; the kit's headers, complete in themselves and readable by a host of any standard
// from C++17 on, with the member table, the exported CMake targets and a pkg-config file that
// leaves the standard to the host. Nothing is installed outside the three packages.
TEST(Package, DescriptionsGoWithTheirPackagesAndNothingWithoutOne)
{
    TempDir unspecified;
    ASSERT_TRUE(InstallComponent("Unspecified", unspecified.Path()));
    EXPECT_EQ(unspecified.Names(), std::vector<std::string>{});

    TempDir runtime;
    ASSERT_TRUE(InstallComponent("Runtime", runtime.Path()));
    const std::string xml = TempDir::ReadFile(runtime.Path() + kPrefix + "/" + ZR_INSTALL_DATADIR +
                                              "/dbus-1/interfaces/com.korvel.ZR47xCL.Control.xml");
    EXPECT_EQ(Count(xml, "<annotation name=\"org.freedesktop.DBus.DocString\" value=\""),
              129u + 155u + 83u + 4u); // and Stop, CommLog, Progress and Message
    EXPECT_EQ(Count(xml, "value=\"\""), 0u) << "an empty description";
    EXPECT_NE(xml.find("<method name=\"DoIMG1OnePushAWB\">\n"
                       "   <annotation name=\"org.freedesktop.DBus.DocString\" value=\"Runs the "
                       "one-push balance of the camera setting AW1;"),
              std::string::npos)
        << xml;
    // The web face's user unit goes where systemd looks for units of every user, and runs the
    // program the package installs.
    const std::string unit =
        TempDir::ReadFile(runtime.Path() + kPrefix + "/lib/systemd/user/zr47xcl-web.service");
    EXPECT_NE(unit.find("\nExecStart=" + kPrefix + "/bin/zr47xcl web --serve"), std::string::npos)
        << unit;

    TempDir kit;
    ASSERT_TRUE(InstallComponent("Development", kit.Path()));
    const std::string prefix = kit.Path() + kPrefix;
    const std::string pc =
        TempDir::ReadFile(prefix + "/" + ZR_INSTALL_LIBDIR + "/pkgconfig/zr47xcl.pc");
    EXPECT_NE(pc.find("Cflags: -I${includedir}\n"), std::string::npos) << pc;
    EXPECT_EQ(pc.find("-std="), std::string::npos) << pc;
    const std::string cmake = prefix + "/" + ZR_INSTALL_LIBDIR + "/cmake/ZR47xCL/";
    EXPECT_TRUE(Exists(cmake + "ZR47xCLTargets.cmake"));
    EXPECT_NE(TempDir::ReadFile(cmake + "ZR47xCLConfig.cmake").find("ZR47xCLTargets.cmake"),
              std::string::npos);
    const std::string include = prefix + "/include/zr47xcl";
    ASSERT_TRUE(TempDir::WriteFile(kit.File("host.cpp"), HostSource(include)));
    for (const char* standard : {"-std=c++17", "-std=c++20"}) {
        const RunResult r = RunProgram("/usr/bin/c++",
                                       {standard, "-Wall", "-Wextra", "-Werror", "-I" + include,
                                        "-c", kit.File("host.cpp"), "-o", kit.File("host.o")},
                                       {}, 120000);
        EXPECT_EQ(r.exitCode, 0) << standard << r.out << r.err;
    }
}

} // namespace zr
