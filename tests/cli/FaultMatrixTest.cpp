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
const std::string kFileAccess = "error 0x800A004B: Access failed on read/write file.\n";
const std::string kAnyMessage = "*";
const std::string kNoCameraAtStart = "Unable to use communication port.\nMake sure that no other "
                                     "programs are connected to this port.\n\nUnable to find a "
                                     "camera model.\nStart with the default model.\n";

enum class Setting {
    Plain,   // the session's settings file
    Garbage, // binary junk before the [Comm] section
    Folder,  // a folder where the file belongs: unreadable
    Link,    // a symbolic link to a file not there yet
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
         1, "", {kTimeout}, {}},
        {"camera killed mid read-all", {"delay=100"}, 1500, false, Setting::Plain, 0,
         {"call", "ReadAllFromCamera", "get", "ModelName"}, 1, "", {kTimeout, kWriteFailed}, {}},
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
        if (c.sizeLimitKb > 0) {
            args.insert(args.begin(), program);
            args.insert(args.begin(), {"-c", "ulimit -f " + std::to_string(c.sizeLimitKb) +
                                                 " && exec \"$0\" \"$@\""});
            program = "/bin/sh";
        }
        const auto start = std::chrono::steady_clock::now();
        RunResult r = test::RunProgram(program, args, session.Environment(), 30000);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (killer.joinable())
            killer.join();

        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.out, c.out);
        if (c.err.front() == kAnyMessage)
            EXPECT_NE(r.err, "");
        else
            EXPECT_TRUE(std::any_of(c.err.begin(), c.err.end(), [&](const std::string& e) {
                return e.ends_with('*') ? r.err.starts_with(e.substr(0, e.size() - 1))
                                        : r.err == e;
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
