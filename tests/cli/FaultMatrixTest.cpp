// zr47xcl against every fault it must survive: a misbehaving simulator program on a real
// pseudo-terminal, a camera that dies, a port someone else holds, targets that cannot take a file
// and a damaged settings file. Each row asserts the result and that no file was lost, truncated
// or left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "CliHarness.h"
#include "base/UniqueFd.h"

namespace zr::test
{
namespace
{

namespace fs = std::filesystem;

const std::string kTimeout =
    "error 0x800A0039: Operation time out.\nPlease check the camera power and its cable.\n";
// The line going dead between a command and its answer, or before the next command.
const std::string kWriteFailed =
    "error 0x800A0039: Function failed in writing the communicaiton port.\n";
// The line that follows when the line went dead under the verb: the port, its device (the
// row's link to the simulator's terminal) and why.
const std::string kLinkLost = "zr47xcl: link lost: COM1 is ";
const std::string kFileAccess = "error 0x800A004B: Access failed on read/write file.\n";
const std::string kAnyMessage = "*";
// Rows run another program in the session when their arguments start with one of these.
const std::string kTool = "<zr47xcl-tool>";
const std::string kPython = "<python>"; // the script follows as the one argument
// A control kept alive only by its own callback, with a setting of its own; then a second
// control, which is online only when the first let the port go, and sees that setting.
const std::string kInCycle = "import gc, zr47xcl\nc = zr47xcl.Control()\nc.EEPROMArea = 2\n"
                             "c.connect('OnlineStatusChanged', lambda: c.ModelName)\n";
const std::string kAgain =
    "import zr47xcl\nd = zr47xcl.Control()\nprint(d.CheckOnline(), d.EEPROMArea)\n";
const std::string kNotPutBack =
    "error 0x800A0039: The camera's settings could not be put back.\nThe camera keeps the "
    "settings of an EEPROM area; check the camera and its cable, then write the settings "
    "again.\n";
const std::string kNoCameraAtStart = "Unable to use communication port.\nMake sure that no other "
                                     "programs are connected to this port.\n\nUnable to find a "
                                     "camera model.\nStart with the default model.\n";

enum class Setting {
    Plain,   // the session's settings file
    Garbage, // binary junk before the [Comm] section
    Folder,  // a folder where the file belongs: unreadable
    Link,    // a symbolic link to a file not there yet
    // The component registered as a copy of its library cut short (a half-copied installation)
    CutLibrary,
};

struct FaultCase {
    const char* name;
    Strings faults;  // of the simulator; none: no camera started
    int killAfterMs; // kills the camera this long after zr47xcl started (0: never)
    bool holdPort;   // another program holds the port while zr47xcl runs
    Setting setting;
    int sizeLimitKb; // file size limit of zr47xcl (0: none)
    Strings args;    // "@" at the start of an argument stands for the row's folder
    int exitCode;
    std::string out;
    Strings err;     // one of these exactly (a final '*' matches any rest), or kAnyMessage
    Strings creates; // files the run may add to the row's folder
};

// Every regular file under `root` with its content; folders as an empty marker.
std::map<std::string, std::string> Snapshot(const std::string& root)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string path = entry.path().string();
        files[path] = entry.is_regular_file() ? test::TempDir::ReadFile(path) : "<folder>";
    }
    return files;
}

std::string Garbage()
{
    std::string junk;
    for (int i = 0; i < 4096; ++i) {
        char c = static_cast<char>((i * 131 + 7) % 256);
        junk += c == '[' ? '(' : c; // no section header: the junk stays ahead of the entries
    }
    return junk + "\r\n";
}

TEST(FaultMatrix, EveryFaultGivesItsResultAndLosesNoFile)
{
    // clang-format off
    const FaultCase cases[] = {
        // name, simulator faults, kill after ms, port held, settings, size limit KB,
        // arguments, exit status, stdout, stderr, files created
        {"silent camera", {"silent:SH1"}, 0, false, Setting::Plain, 0,
         {"set", "IMG1ShutterSpeed=3"}, 1, "", {kTimeout}, {}},
        {"answer past the time-out", {"delay=1500:SH1"}, 0, false, Setting::Plain, 0,
         {"set", "IMG1ShutterSpeed=3"}, 1, "", {kTimeout}, {}},
        {"noise before the answer", {"noise:SH1"}, 0, false, Setting::Plain, 0,
         {"set", "IMG1ShutterSpeed=3"}, 1, "",
         {"error 0x800A0039: \"SH1\" : Invalid answer received from camera.\n"}, {}},
        {"answer without CR LF", {"nocrlf:SH1"}, 0, false, Setting::Plain, 0,
         {"set", "IMG1ShutterSpeed=3"}, 1, "", {kTimeout}, {}},
        {"line closed after three commands", {"close-after=3"}, 0, false, Setting::Plain, 0,
         {"set", "IMG1ShutterSpeed=3", "set", "IMG1ShutterSpeed=4", "set", "IMG1ShutterSpeed=5"},
         1, "", {kTimeout + kLinkLost + "*"}, {}},
        {"camera killed mid read-all", {"delay=100"}, 1500, false, Setting::Plain, 0,
         {"call", "ReadAllFromCamera", "get", "ModelName"}, 1, "",
         {kTimeout + kLinkLost + "*", kWriteFailed + kLinkLost + "*"}, {}},
        {"port held by another program", {}, 0, true, Setting::Plain, 0,
         {"call", "CheckOnline"}, 0, "false\n",
         {kNoCameraAtStart + "zr47xcl: COM1 is *"}, {}},
        {"unwritable target (its folder is a file)", {}, 0, false, Setting::Plain, 0,
         {"--offline", "call", "WriteAllToFile", "@/plain/x.cam"}, 1, "", {kFileAccess}, {}},
        {"read-only target", {}, 0, false, Setting::Plain, 0,
         {"--offline", "call", "WriteAllToFile", "@/read-only.cam"}, 1, "", {kFileAccess}, {}},
        {"always-full device as target", {}, 0, false, Setting::Plain, 0,
         {"--offline", "call", "WriteAllToFile", "/dev/full"}, 1, "", {kFileAccess}, {}},
        {"damaged settings file", {}, 0, false, Setting::Garbage, 0,
         {"--offline", "set", "IMG1ShutterSpeed=7", "get", "IMG1ShutterSpeed"}, 0, "7\n", {""}, {}},
        {"new target over the file size limit", {}, 0, false, Setting::Plain, 1,
         {"--offline", "call", "WriteAllToFile", "@/new.cam"}, 1, "", {kFileAccess}, {}},
        {"existing target over the file size limit", {}, 0, false, Setting::Plain, 1,
         {"--offline", "call", "WriteAllToFile", "@/keep.cam"}, 1, "", {kFileAccess}, {}},
        {"settings save over the file size limit", {}, 0, false, Setting::Plain, 1,
         {"--offline", "set", "IMG1ShutterSpeed=7"}, 4, "", {kAnyMessage}, {}},
        {"unreadable settings file", {}, 0, false, Setting::Folder, 0,
         {"--offline", "set", "IMG1ShutterSpeed=7"}, 4, "", {kAnyMessage}, {}},
        {"settings file a link to a file not there yet", {}, 0, false, Setting::Link, 0,
         {"--offline", "set", "IMG1ShutterSpeed=7"}, 0, "", {""}, {}},
        // The window program on a display that is not there, and its pictures, which need
        // none (no component registered: only the main window's).
        {"tool on a display that is not there", {}, 0, false, Setting::Plain, 0,
         {kTool}, 1, "", {"zr47xcl-tool: cannot open the X display \":1999\" (DISPLAY): no X "
                         "server answers there, or it refused the connection\n"}, {}},
        {"tool whose registered library is cut short", {}, 0, false, Setting::CutLibrary, 0,
         {kTool, "--screenshot", "@/shots"}, 1, "",
         {"zr47xcl-tool: no control, so only Main.png is written (cannot load *"},
         {"shots", "shots/Main.png"}},
        {"tool pictures with a display that is not there", {}, 0, false, Setting::Plain, 0,
         {kTool, "--screenshot", "@/shots"}, 1, "",
         {"zr47xcl-tool: no control, so only Main.png is written*"}, {"shots", "shots/Main.png"}},
        // A script whose control is referred to by its own callback: the garbage collection,
        // and else the interpreter's exit, close it (port released, settings written).
        {"script control in a cycle, collected", {"delay=0"}, 0, false, Setting::Plain, 0,
         {kPython, kInCycle + "del c\ngc.collect()\n" + kAgain}, 0, "True 2\n", {""}, {}},
        {"script control in a cycle at the interpreter's exit", {"delay=0"}, 0, false,
         Setting::Plain, 0,
         {kPython, "import subprocess, sys\nsubprocess.run([sys.executable, '-c', '''" + kInCycle +
                       "'''], check=True)\n" + kAgain},
         0, "True 2\n", {""}, {}},
        {"script's data report while the line closes", {"close-after=2:SH1"}, 0, false,
         Setting::Plain, 0,
         {kPython, "import os, zr47xcl\nc = zr47xcl.Control()\ntry:\n"
                   "    c.WriteCameraDataToFile(os.path.expanduser('~/r.txt'))\n"
                   "except zr47xcl.ScriptError as error:\n    print(error)\n"},
         0, kNotPutBack, {""}, {}},
        {"line closed while the data report has an area loaded", {"close-after=2:SH1"}, 0, false,
         Setting::Plain, 0, {"call", "WriteCameraDataToFile", "@/report.txt"}, 1, "",
         {kNotPutBack}, {}},
    };
    // clang-format on

    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir home;
        const std::string link = home.File("camera");
        std::unique_ptr<SimProgram> camera;
        if (!c.faults.empty() || c.holdPort) {
            Strings simArgs;
            for (const std::string& fault : c.faults)
                simArgs.insert(simArgs.end(), {"--fault", fault});
            camera = std::make_unique<SimProgram>(link, simArgs);
            ASSERT_FALSE(camera->DevicePath().empty());
        }
        CliSession session(link);

        // The row's folder: a file to keep, a read-only file, a file where a folder is wanted.
        const std::string folder = session.dir.File("files");
        fs::create_directory(folder);
        ASSERT_TRUE(test::TempDir::WriteFile(folder + "/keep.cam", "[General]\r\nkeep=1\r\n"));
        ASSERT_TRUE(test::TempDir::WriteFile(folder + "/read-only.cam", "old\r\n"));
        ::chmod((folder + "/read-only.cam").c_str(), 0444);
        ASSERT_TRUE(test::TempDir::WriteFile(folder + "/plain", "a file\r\n"));

        std::string settingsBefore = test::TempDir::ReadFile(session.SettingsFile());
        if (c.setting == Setting::Garbage) {
            settingsBefore = Garbage() + settingsBefore;
            ASSERT_TRUE(test::TempDir::WriteFile(session.SettingsFile(), settingsBefore));
        } else if (c.setting == Setting::Folder) {
            fs::remove(session.SettingsFile());
            fs::create_directory(session.SettingsFile());
        } else if (c.setting == Setting::Link) {
            fs::remove(session.SettingsFile());
            fs::create_symlink(session.dir.File("elsewhere.ini"), session.SettingsFile());
            settingsBefore.clear();
        }
        if (c.setting == Setting::CutLibrary) {
            std::string library =
                test::TempDir::ReadFile(std::string(ZR_LIB_DIR) + "/libXKorvelZR47xCL.so");
            library.resize(4000);
            const std::string cut = session.dir.File("cut.so");
            ASSERT_TRUE(test::TempDir::WriteFile(cut, library));
            fs::create_directories(session.dir.File("data/xkorvel"));
            ASSERT_TRUE(test::TempDir::WriteFile(
                session.dir.File("data/xkorvel/classes.ini"),
                "[{1E99EA24-C476-4200-A535-94746DC568E6}]\r\nKind=Class\r\nLibrary=" + cut +
                    "\r\n"));
        }
        const auto filesBefore = Snapshot(folder);

        UniqueFd holder;
        if (c.holdPort) {
            holder = UniqueFd(::open(camera->DevicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
            ASSERT_EQ(::flock(holder.Get(), LOCK_EX | LOCK_NB), 0);
        }
        std::thread killer;
        if (c.killAfterMs > 0)
            killer = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(c.killAfterMs));
                camera->Kill();
            });

        Strings args;
        for (const std::string& arg : c.args)
            args.push_back(arg.starts_with("@") ? folder + arg.substr(1) : arg);
        std::string program = std::string(ZR_BIN_DIR) + "/zr47xcl";
        test::EnvList environment = session.Environment();
        if (args.front() == kTool) {
            program = std::string(ZR_BIN_DIR) + "/zr47xcl-tool";
            args.erase(args.begin());
            environment.insert(environment.end(), {{"DISPLAY", ":1999"},
                                                   {"WAYLAND_DISPLAY", ""},
                                                   {"QT_QPA_PLATFORM", ""},
                                                   {"XDG_RUNTIME_DIR", session.dir.Path()}});
        } else if (args.front() == kPython) {
#ifdef ZR_PYTHON_DIR
            program = ZR_PYTHON;
            args = {"-c", args.back()};
            environment.emplace_back("PYTHONPATH", ZR_PYTHON_DIR);
#else
            continue; // this build has no Python module
#endif
        }
        if (c.sizeLimitKb > 0) {
            args.insert(args.begin(), program);
            args.insert(args.begin(), {"-c", "ulimit -f " + std::to_string(c.sizeLimitKb) +
                                                 " && exec \"$0\" \"$@\""});
            program = "/bin/sh";
        }
        const auto start = std::chrono::steady_clock::now();
        RunResult r = test::RunProgram(program, args, environment, 30000);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (killer.joinable())
            killer.join();

        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.out, c.out);
        if (c.err.front() == kAnyMessage)
            EXPECT_NE(r.err, "");
        else
            EXPECT_TRUE(std::any_of(c.err.begin(), c.err.end(), [&](const std::string& e) {
                return e.ends_with('*') ? r.err.starts_with(e.substr(0, e.size() - 1)) : r.err == e;
            })) << r.err;
        EXPECT_LT(elapsed, std::chrono::seconds(20)); // nothing hangs

        // Every file is still there with its bytes; only the row's own files are new.
        auto filesAfter = Snapshot(folder);
        for (const auto& [path, content] : filesBefore) {
            EXPECT_EQ(filesAfter.count(path), 1u) << path << " lost";
            EXPECT_EQ(filesAfter[path], content) << path << " changed";
            filesAfter.erase(path);
        }
        for (const std::string& name : c.creates)
            filesAfter.erase(folder + "/" + name);
        for (const auto& [path, content] : filesAfter)
            ADD_FAILURE() << path << " left behind";

        // The settings file keeps what it held (the save may add entries after it), and no
        // temporary file stays beside it.
        if (c.setting == Setting::Folder) {
            EXPECT_TRUE(fs::is_directory(session.SettingsFile()));
        } else if (c.setting == Setting::Link) {
            EXPECT_TRUE(fs::is_symlink(session.SettingsFile()));
            EXPECT_NE(test::TempDir::ReadFile(session.dir.File("elsewhere.ini")).find("[Comm]"),
                      std::string::npos);
        } else {
            const std::string settingsAfter = test::TempDir::ReadFile(session.SettingsFile());
            if (c.setting == Setting::Garbage) {
                EXPECT_TRUE(settingsAfter.starts_with(Garbage()));
            }
            for (const std::string& line : test::SplitLines(settingsBefore))
                EXPECT_NE(settingsAfter.find(line), std::string::npos) << line << " lost";
        }
        for (const auto& entry :
             fs::directory_iterator(fs::path(session.SettingsFile()).parent_path())) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "XKorvelZR47xCL Control.ini" ||
                        name == "XKorvelZR47xCL Control.ini.lock")
                << name << " left beside the settings file";
        }
        for (const auto& entry : fs::recursive_directory_iterator(session.dir.Path()))
            EXPECT_FALSE(entry.path().string().ends_with(".tmp")) << entry.path() << " left";
    }
}

} // namespace
} // namespace zr::test
