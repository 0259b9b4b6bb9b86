#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

    EXPECT_TRUE(settings.WriteInt("Main", "Show", 1));
    EXPECT_EQ(TempDir::ReadFile(path), "\x01\x02garbage without structure\r\n"
                                       "[Comm]\r\n"
                                       "Class=abc\r\n"
                                       "Port=12x\r\n"
                                       "[broken section\r\n"
                                       "Show=0\r\n"
                                       "[Main]\r\n"
                                       "Show=1\r\n");
}

TEST(ModuleSettingsTest, BatchAndUnchangedWrites)
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

    // Writing what is already stored does not touch the file.
    ino_t inode = InodeOf(path);
    EXPECT_TRUE(settings.WriteInt("Rows", "Row 7", 7));
    EXPECT_EQ(InodeOf(path), inode);
    EXPECT_TRUE(settings.WriteInt("Rows", "Row 7", 8));
    EXPECT_NE(InodeOf(path), inode);

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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);
}

} // namespace
} // namespace zr
