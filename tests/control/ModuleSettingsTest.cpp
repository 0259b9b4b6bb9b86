#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "control/ModuleSettings.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

using test::ScopedEnv;
using test::TempDir;

ino_t InodeOf(const std::string& path)
{
    struct stat st {
    };
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ModuleSettingsTest, DefaultPath)
{
    TempDir dir;
    {
        ScopedEnv config("XDG_CONFIG_HOME", dir.Path());
        EXPECT_EQ(ModuleSettings::DefaultPath(),
                  dir.Path() + "/Korvel-XKorvelZR47xCL.ini-Control/XKorvelZR47xCL Control.ini");
        ModuleSettings settings;
        EXPECT_EQ(settings.Path(), ModuleSettings::DefaultPath());
    }
    ScopedEnv home("HOME", dir.Path());
    const std::string underHome =
        dir.Path() + "/.config/Korvel-XKorvelZR47xCL.ini-Control/XKorvelZR47xCL Control.ini";
    {
        ScopedEnv config("XDG_CONFIG_HOME", "");
        EXPECT_EQ(ModuleSettings::DefaultPath(), underHome);
    }
    ScopedEnv config("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(ModuleSettings::DefaultPath(), underHome);
}

TEST(ModuleSettingsTest, RoundTrip)
{
    TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir.Path());
    {
        ModuleSettings settings;
        EXPECT_FALSE(settings.LoadFailed());
        EXPECT_EQ(settings.GetInt("Main", "Show", 1), 1);
        EXPECT_EQ(settings.GetInt("Main", "Left", -1), -1);
        EXPECT_EQ(settings.GetString("IMG1 Shutter", "Name", "none"), "none");
        // The folder is created by the first write.
        EXPECT_TRUE(settings.WriteInt("Comm", "Class", 1));
        EXPECT_TRUE(settings.WriteInt("Comm", "Port", 3));
        EXPECT_TRUE(settings.WriteInt("Main", "Left", -1));
        EXPECT_TRUE(settings.WriteString("Comm", "COM5", "/dev/serial/by-id/usb-camera"));
        EXPECT_TRUE(settings.WriteInt("comm", "class", -2147483647 - 1));
    }
    EXPECT_EQ(TempDir::ReadFile(ModuleSettings::DefaultPath()),
              "[Comm]\r\nClass=-2147483648\r\nPort=3\r\nCOM5=/dev/serial/by-id/usb-camera\r\n"
              "[Main]\r\nLeft=-1\r\n");
    ModuleSettings again;
    EXPECT_EQ(again.GetInt("COMM", "CLASS", 0), INT32_MIN);
    EXPECT_EQ(again.GetInt("Comm", "Port", 0), 3);
    EXPECT_EQ(again.GetInt("Main", "Left", 0), -1);
    EXPECT_EQ(again.GetString("Comm", "com5", ""), "/dev/serial/by-id/usb-camera");
    // Names and values that cannot be one line are refused.
    EXPECT_FALSE(again.WriteString("Comm", "COM6", "a\nb"));
    EXPECT_FALSE(again.WriteInt("Comm", "", 1));
}

TEST(ModuleSettingsTest, CorruptLinesAreSkippedAndKept)
{
    TempDir dir;
    std::string path = dir.File("settings.ini");
    const std::string before = "\x01\x02garbage without structure\r\n"
                               "[Comm]\r\n"
                               "Class=abc\r\n"
                               "Port=12x\r\n"
                               "[broken section\r\n"
                               "Show=0\r\n"
                               "[Main]\r\n"
                               "Show=0\r\n";
    ASSERT_TRUE(TempDir::WriteFile(path, before));
    ModuleSettings settings(path);
    EXPECT_FALSE(settings.LoadFailed());
    EXPECT_EQ(settings.GetInt("Comm", "Class", 0), 0);
    EXPECT_EQ(settings.GetInt("Comm", "Port", 0), 0);
    EXPECT_EQ(settings.GetInt("Main", "Show", 1), 0);

    // Only the written entry changes; the lines that were skipped stay as they were.
    EXPECT_TRUE(settings.WriteInt("Main", "Show", 1));
    EXPECT_EQ(TempDir::ReadFile(path), before.substr(0, before.size() - 8) + "Show=1\r\n");
}

TEST(ModuleSettingsTest, BatchWritesOnceAtItsEnd)
{
    TempDir dir;
    std::string path = dir.File("settings.ini");
    ModuleSettings settings(path);
    settings.BeginBatch();
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(settings.WriteInt("Rows", "Row " + std::to_string(i), i));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(settings.GetInt("Rows", "Row 42", -1), 42);
    EXPECT_TRUE(settings.EndBatch());
    EXPECT_EQ(ModuleSettings(path).GetInt("Rows", "Row 99", -1), 99);

    // An unfinished batch is saved when the store goes.
    {
        ModuleSettings other(path);
        other.BeginBatch();
        other.WriteInt("Rows", "Row 0", -5);
    }
    EXPECT_EQ(ModuleSettings(path).GetInt("Rows", "Row 0", 0), -5);
}

TEST(ModuleSettingsTest, UnreadableFileIsNeverOverwritten)
{
    TempDir dir;
    std::string path = dir.File("settings.ini");
    ASSERT_TRUE(std::filesystem::create_directory(path));
    ModuleSettings settings(path);
    EXPECT_TRUE(settings.LoadFailed());
    EXPECT_EQ(settings.GetInt("Main", "Show", 1), 1);
    EXPECT_FALSE(settings.WriteInt("Main", "Show", 0));
    EXPECT_EQ(settings.GetInt("Main", "Show", 1), 0); // kept in memory for this run
    EXPECT_TRUE(std::filesystem::is_directory(path));

    // A file that turns unreadable after it was loaded is not overwritten either; the write stays
    // pending and is saved once the file can be read again.
    std::string other = dir.File("other.ini");
    ASSERT_TRUE(TempDir::WriteFile(other, "[Main]\r\nShow=0\r\n"));
    ModuleSettings loaded(other);
    std::filesystem::rename(other, dir.File("moved.ini"));
    ASSERT_TRUE(std::filesystem::create_directory(other));
    EXPECT_FALSE(loaded.WriteInt("Main", "Show", 1));
    EXPECT_TRUE(std::filesystem::is_directory(other));
    std::filesystem::remove(other);
    std::filesystem::rename(dir.File("moved.ini"), other);
    EXPECT_TRUE(loaded.WriteInt("Main", "Left", 2));
    EXPECT_EQ(TempDir::ReadFile(other), "[Main]\r\nShow=1\r\nLeft=2\r\n");
}

TEST(ModuleSettingsTest, SavesMergeWithOtherWriters)
{
    TempDir dir;
    std::string path = dir.File("settings.ini");
    ASSERT_TRUE(TempDir::WriteFile(path, "[Comm]\r\nClass=1\r\n[Main]\r\nShow=0\r\nLeft=5\r\n"));
    ModuleSettings a(path);
    ModuleSettings b(path);

    // Each keeps the other's entry, in place.
    EXPECT_TRUE(a.WriteString("Comm", "COM1", "/dev/ttyUSB0"));
    EXPECT_TRUE(b.WriteInt("Main", "Show", 1));
    EXPECT_EQ(TempDir::ReadFile(path),
              "[Comm]\r\nClass=1\r\nCOM1=/dev/ttyUSB0\r\n[Main]\r\nShow=1\r\nLeft=5\r\n");
    // A save leaves the merged content in memory; reads between saves do not go to the file.
    EXPECT_EQ(b.GetString("Comm", "COM1", ""), "/dev/ttyUSB0");
    EXPECT_EQ(a.GetInt("Main", "Show", -1), 0);

    // An entry changed by hand survives a save that did not write it, and so does a comment.
    ASSERT_TRUE(TempDir::WriteFile(
        path,
        "; edited\r\n[Comm]\r\nClass=2\r\nCOM1=/dev/ttyS0\r\n[Main]\r\nShow=1\r\nLeft=5\r\n"));
    EXPECT_TRUE(a.WriteInt("Main", "Left", 7));
    EXPECT_EQ(TempDir::ReadFile(path),
              "; edited\r\n[Comm]\r\nClass=2\r\nCOM1=/dev/ttyS0\r\n[Main]\r\nShow=1\r\nLeft=7\r\n");

    // For an entry both wrote, the last save wins.
    EXPECT_TRUE(b.WriteInt("Comm", "Class", 9));
    EXPECT_TRUE(a.WriteString("Comm", "COM1", "/dev/ttyUSB1"));
    EXPECT_EQ(TempDir::ReadFile(path), "; edited\r\n[Comm]\r\nClass=9\r\nCOM1=/dev/ttyUSB1\r\n"
                                       "[Main]\r\nShow=1\r\nLeft=7\r\n");

    // A write of the value this store already holds saves nothing, so it does not put back an
    // old value over a newer one.
    ino_t inode = InodeOf(path);
    EXPECT_EQ(b.GetString("Comm", "COM1", ""), "/dev/ttyS0");
    EXPECT_TRUE(b.WriteString("Comm", "COM1", "/dev/ttyS0"));
    EXPECT_EQ(InodeOf(path), inode);

    // A batch merges once, at its end, in write order; an entry the batch set and set back is
    // still written.
    b.BeginBatch();
    EXPECT_TRUE(b.WriteInt("Main", "Top", 3));
    EXPECT_TRUE(b.WriteInt("Main", "Show", 0));
    EXPECT_TRUE(b.WriteInt("Main", "Show", 1));
    EXPECT_TRUE(a.WriteInt("Main", "Show", 4));
    EXPECT_TRUE(b.WriteInt("New", "Row", 1));
    EXPECT_TRUE(b.EndBatch());
    EXPECT_EQ(TempDir::ReadFile(path), "; edited\r\n[Comm]\r\nClass=9\r\nCOM1=/dev/ttyUSB1\r\n"
                                       "[Main]\r\nShow=1\r\nLeft=7\r\nTop=3\r\n[New]\r\nRow=1\r\n");

    // A file another program removed is made anew from this store's own changes only.
    std::filesystem::remove(path);
    EXPECT_TRUE(a.WriteInt("Main", "Left", 8));
    EXPECT_EQ(TempDir::ReadFile(path), "[Main]\r\nLeft=8\r\n");
}

// Two programs on one file: the first reads its rows (defaults for those the file lacks), the
// second saves meanwhile, then the first stores every row at its shut-down. Only what the first
// really changed may reach the file.
TEST(ModuleSettingsTest, OnlyRealChangesAreMerged)
{
    TempDir dir;
    std::string path = dir.File("settings.ini");
    ASSERT_TRUE(TempDir::WriteFile(path, "[Comm]\r\nClass=0\r\n"));
    ModuleSettings first(path);
    EXPECT_EQ(first.GetInt("IMG2 Shutter", "Shutter Speed", 0), 0);
    EXPECT_EQ(first.GetString("General", "User ID", ""), "");
    EXPECT_EQ(first.GetInt("Comm", "Class", 1), 0);
    ModuleSettings second(path);
    ASSERT_TRUE(second.WriteInt("IMG2 Shutter", "Shutter Speed", 4));
    ASSERT_TRUE(second.WriteString("General", "User ID", "line 7"));
    ASSERT_TRUE(second.WriteInt("Comm", "Class", 2));

    first.BeginBatch();
    EXPECT_TRUE(first.WriteInt("IMG1 Shutter", "Shutter Speed", 3));
    EXPECT_TRUE(first.WriteInt("IMG2 Shutter", "Shutter Speed", 0));
    EXPECT_TRUE(first.WriteString("General", "User ID", ""));
    EXPECT_TRUE(first.WriteInt("COMM", "Class ", 0));
    EXPECT_TRUE(first.EndBatch());
    EXPECT_EQ(TempDir::ReadFile(path), "[Comm]\r\nClass=2\r\n[IMG2 Shutter]\r\nShutter Speed=4\r\n"
                                       "[General]\r\nUser ID=line 7\r\n"
                                       "[IMG1 Shutter]\r\nShutter Speed=3\r\n");
}

// A file that lets the store down is reported, and it stays as it was.
TEST(ModuleSettingsTest, ProblemsAreReported)
{
    TempDir dir;
    const std::string folder = dir.File("folder.ini");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    {
        ModuleSettings settings(folder);
        const std::string file = "the module settings file \"" + folder + "\" could not be read";
        EXPECT_EQ(settings.Problem(), file + "; it is left as it is");
        settings.WriteInt("Main", "Show", settings.GetInt("Main", "Show", 1)); // a default
        EXPECT_FALSE(settings.HasUnsavedWrites());
        EXPECT_FALSE(settings.WriteInt("Main", "Show", 2));
        EXPECT_TRUE(settings.HasUnsavedWrites());
        EXPECT_EQ(settings.Problem(),
                  file + ", so it is left as it is and this run's changes are not in it");
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    // A full disk (here a file size limit) names its cause; a save that succeeds clears it.
    const std::string path = dir.File("settings.ini");
    ModuleSettings settings(path);
    ASSERT_TRUE(test::WithFileSizeLimit(
        64, [&] { EXPECT_FALSE(settings.WriteString("Main", "Name", std::string(200, 'n'))); }));
    EXPECT_EQ(settings.Problem(), "the module settings file \"" + path +
                                      "\" could not be saved (File too large); this run's "
                                      "changes are not in it");
    EXPECT_TRUE(settings.WriteInt("Main", "Show", 1));
    EXPECT_EQ(settings.Problem(), "");
    EXPECT_FALSE(settings.HasUnsavedWrites());
    EXPECT_EQ(dir.Names(),
              (std::vector<std::string>{"folder.ini", "settings.ini", "settings.ini.lock"}));
}

TEST(ModuleSettingsTest, SaveWaitsForTheLockHolder)
{
    TempDir dir;
    std::string path = dir.File("settings.ini");
    ModuleSettings settings(path);
    ASSERT_TRUE(settings.WriteInt("Main", "Show", 0));
    EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"settings.ini", "settings.ini.lock"}));

    // Another writer holds the lock while it replaces the file; the save must come after it.
    int holder = ::open((path + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    bool saved = false;
    std::thread writer([&] { saved = settings.WriteInt("Main", "Show", 1); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    TempDir::WriteFile(path, "[Comm]\r\nCOM1=/dev/ttyS0\r\n[Main]\r\nShow=0\r\n");
    ::close(holder);
    writer.join();
    EXPECT_TRUE(saved);
    EXPECT_EQ(TempDir::ReadFile(path), "[Comm]\r\nCOM1=/dev/ttyS0\r\n[Main]\r\nShow=1\r\n");

    // When no lock can be had, the save still merges. A link at the lock's name is not followed.
    std::filesystem::remove(path + ".lock");
    std::filesystem::create_symlink(dir.File("elsewhere"), path + ".lock");
    EXPECT_TRUE(settings.WriteInt("Main", "Left", 2));
    EXPECT_FALSE(std::filesystem::exists(dir.File("elsewhere")));
    std::filesystem::remove(path + ".lock");
    ASSERT_TRUE(std::filesystem::create_directory(path + ".lock"));
    TempDir::WriteFile(path, "[Comm]\r\nCOM1=/dev/ttyS1\r\n[Main]\r\nShow=1\r\nLeft=2\r\n");
    EXPECT_TRUE(settings.WriteInt("Main", "Left", 3));
    EXPECT_EQ(TempDir::ReadFile(path),
              "[Comm]\r\nCOM1=/dev/ttyS1\r\n[Main]\r\nShow=1\r\nLeft=3\r\n");
}

// Takes write permission on `folder` away and runs `check`. The superuser ignores permissions,
// so then the check runs in a child process that has dropped to the user "nobody".
bool RunWithoutWriteAccess(const TempDir& dir, const std::string& folder, bool (*check)())
{
    ::chmod(dir.Path().c_str(), 0755);
    ::chmod(folder.c_str(), 0555);
    if (::geteuid() != 0)
        return check();
    pid_t child = ::fork();
    if (child == 0) {
        bool ok = ::setgid(65534) == 0 && ::setuid(65534) == 0 && check();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

TEST(ModuleSettingsTest, ReadOnlyFolderKeepsOldFile)
{
    TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir.Path());
    std::string path = ModuleSettings::DefaultPath();
    {
        ModuleSettings settings;
        ASSERT_TRUE(settings.WriteInt("Comm", "Port", 3));
    }
    ::chmod(path.c_str(), 0644);
    const std::string before = TempDir::ReadFile(path);
    std::string folder = std::filesystem::path(path).parent_path().string();

    EXPECT_TRUE(RunWithoutWriteAccess(dir, folder, [] {
        ModuleSettings settings;
        return settings.GetInt("Comm", "Port", 0) == 3 && !settings.WriteInt("Comm", "Port", 4) &&
               settings.GetInt("Comm", "Port", 0) == 4;
    }));
    EXPECT_EQ(TempDir::ReadFile(path), before);
    // No temporary file stays behind.
    EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"XKorvelZR47xCL Control.ini",
                                                         "XKorvelZR47xCL Control.ini.lock"}));
}

TEST(ModuleSettingsTest, FolderThatCannotBeMadeIsReportedAsPermissionDenied)
{
    // The settings folder does not exist yet and its parent takes no new entries: the reason
    // given is the permission, not the missing file the save would run into after it.
    TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir.Path());
    EXPECT_TRUE(RunWithoutWriteAccess(dir, dir.Path(), [] {
        ModuleSettings settings;
        return !settings.WriteInt("Comm", "Port", 4) &&
               settings.Problem().find("could not be saved (Permission denied)") !=
                   std::string::npos;
    }));
}

} // namespace
} // namespace zr
