#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/AtomicFile.h"
#include "base/ProfileFile.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

using test::TempDir;

ProfileFile LoadText(const TempDir& dir, const std::string& text)
{
    std::string path = dir.File("profile.ini");
    EXPECT_TRUE(TempDir::WriteFile(path, text));
    return ProfileFile(path);
}

// UTF-16 text with its byte-order mark, as an editor's "Unicode" save writes it.
std::string Utf16(std::u16string_view text, bool bigEndian = false)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

TEST(ProfileFileTest, LookupRules)
{
    TempDir dir;
    ProfileFile file = LoadText(dir, "orphan=before any section\r\n"
                                     "[General]\r\n"
                                     "ModelName = ZR-47xCL  \r\n"
                                     "; Comment=not an entry\r\n"
                                     "# Hash=not an entry either\r\n"
                                     "a line without equals sign\r\n"
                                     "Formula=a=b=c\r\n"
                                     "Empty=\r\n"
                                     "=no key\r\n"
                                     "\t[ IMG1 Shutter ]  trailing text\n"
                                     "Shutter Speed\t=\t11\n"
                                     "shutter speed=12\n"
                                     "[Other]\n"
                                     "Long=" +
                                         std::string(300, 'x') +
                                         "\n"
                                         "Nul=ab" +
                                         std::string(1, '\0') +
                                         "cd\n"
                                         "Last=no line end");
    EXPECT_FALSE(file.LoadFailed());
    EXPECT_EQ(file.GetString("general", "MODELNAME", "No Data"), "ZR-47xCL");
    EXPECT_EQ(file.GetString("General", "Formula", ""), "a=b=c");
    EXPECT_EQ(file.GetString("General", "Empty", "No Data"), "");
    EXPECT_EQ(file.GetString("General", "; Comment", "d"), "d");
    EXPECT_EQ(file.GetString("General", "# Hash", "d"), "d");
    EXPECT_EQ(file.GetString("General", "orphan", "d"), "d");
    EXPECT_EQ(file.GetString("", "orphan", "d"), "d");
    EXPECT_EQ(file.GetString("General", "", "d"), "d");
    // The first of two equal keys wins; the section name is trimmed.
    EXPECT_EQ(file.GetString("IMG1 Shutter", "Shutter Speed", ""), "11");
    EXPECT_EQ(file.GetString("Other", "Long", ""), std::string(255, 'x'));
    EXPECT_EQ(file.GetString("Other", "Nul", ""), "ab");
    EXPECT_EQ(file.GetString("Other", "Last", ""), "no line end");
    EXPECT_EQ(file.GetString("Missing", "Key", "No Data"), "No Data");
    EXPECT_EQ(file.GetString("Other", "Missing", "No Data"), "No Data");
}

TEST(ProfileFileTest, Integers)
{
    TempDir dir;
    ProfileFile file = LoadText(dir, "[N]\nA=12\nB= -5 \nC=+7\nD=abc\nE=12abc\nF=99999999999\n"
                                     "G=\nH=-2147483648\nI=0x10\nJ=\"42\"\n");
    EXPECT_EQ(file.GetInt("N", "A", -1), 12);
    EXPECT_EQ(file.GetInt("N", "B", -1), -5);
    EXPECT_EQ(file.GetInt("N", "C", -1), 7);
    EXPECT_EQ(file.GetInt("N", "D", -1), -1);
    EXPECT_EQ(file.GetInt("N", "E", -1), -1);
    EXPECT_EQ(file.GetInt("N", "F", -1), -1);
    EXPECT_EQ(file.GetInt("N", "G", -1), -1);
    EXPECT_EQ(file.GetInt("N", "H", -1), INT32_MIN);
    EXPECT_EQ(file.GetInt("N", "I", -1), -1);
    EXPECT_EQ(file.GetInt("N", "J", -1), 42);
    EXPECT_EQ(file.GetInt("N", "Missing", 42), 42);
}

TEST(ProfileFileTest, UpdateInPlaceKeepsEverythingElse)
{
    TempDir dir;
    const std::string original = "; settings\r\n"
                                 "\r\n"
                                 "[General]\r\n"
                                 "ModelName = old\r\n"
                                 "junk line\n"
                                 "High Frame Rate=0\n"
                                 "; about the next section\r\n"
                                 "\r\n"
                                 "[IMG1 Gain]\r\n"
                                 "Gain=3";
    ProfileFile file = LoadText(dir, original);
    EXPECT_EQ(file.Content(), original);
    EXPECT_FALSE(file.IsModified());

    // Same value: nothing changes.
    EXPECT_TRUE(file.WriteString("GENERAL", "modelname", "old"));
    EXPECT_FALSE(file.IsModified());

    EXPECT_TRUE(file.WriteString("general", "MODELNAME", "ZR-47xCL"));
    EXPECT_TRUE(file.WriteInt("General", "V Binning", 1));
    EXPECT_TRUE(file.WriteInt("IMG1 Gain", "Red Gain", -4));
    EXPECT_TRUE(file.WriteInt("User Area", "EEPROM Area", 2));
    EXPECT_TRUE(file.IsModified());
    EXPECT_EQ(file.Content(), "; settings\r\n"
                              "\r\n"
                              "[General]\r\n"
                              "ModelName = ZR-47xCL\r\n"
                              "junk line\n"
                              "High Frame Rate=0\n"
                              "V Binning=1\r\n"
                              "; about the next section\r\n"
                              "\r\n"
                              "[IMG1 Gain]\r\n"
                              "Gain=3\r\n"
                              "Red Gain=-4\r\n"
                              "[User Area]\r\n"
                              "EEPROM Area=2\r\n");
    EXPECT_EQ(file.GetString("General", "ModelName", ""), "ZR-47xCL");
    EXPECT_EQ(file.GetInt("IMG1 Gain", "Red Gain", 0), -4);
}

// Files as other programs write them: what a key reads as, the whole file after a new value is
// written to it, and that value read back from the saved file.
TEST(ProfileFileTest, FilesFromOtherPrograms)
{
    struct Case {
        std::string file;
        const char* section;
        const char* key;
        const char* reads; // "-" when missing
        const char* write;
        std::string written;
    };
    const std::string twice = "[S]\r\nA=1\r\n[T]\r\n[s]\r\nA=2\r\nB=3\r\n";
    const Case cases[] = {
        {"[G]\r\nModelName=\"ZR-47xCL\"\r\n", "G", "ModelName", "ZR-47xCL", "X",
         "[G]\r\nModelName=X\r\n"},
        {"[S]\nSpeed = '5' \n", "S", "Speed", "5", "6", "[S]\nSpeed = 6\r\n"},
        {"[S]\r\nA=\"5'\r\nB=\"\r\n", "S", "A", "\"5'", "7", "[S]\r\nA=7\r\nB=\"\r\n"},
        {"[S]\r\nA=\"x y\"\r\n", "S", "A", "x y", "x y", "[S]\r\nA=\"x y\"\r\n"}, // kept quoted
        {twice, "s", "B", "-", "7", "[S]\r\nA=1\r\nB=7\r\n[T]\r\n[s]\r\nA=2\r\nB=3\r\n"},
        {"[IMG1 Shutter\r\nSpeed=5\r\n[Next\nSpeed=9", "img1 shutter", "Speed", "5", "4",
         "[IMG1 Shutter\r\nSpeed=4\r\n[Next\nSpeed=9"},
        {Utf16(u"[G]\r\nName=\u00C4\U0001F600\r\n[S]\nA='1'"), "G", "Name",
         "\xC3\x84\xF0\x9F\x98\x80", "\xE2\x82\xAC", Utf16(u"[G]\r\nName=\u20AC\r\n[S]\nA='1'")},
        {Utf16(u"[S]\r\nA=1"), "T", "B", "-", "7", Utf16(u"[S]\r\nA=1\r\n[T]\r\nB=7\r\n")},
        {Utf16(u"[S]\r\nA=1\r\n", true), "S", "A", "1", "7", Utf16(u"[S]\r\nA=7\r\n", true)},
        // A UTF-8 byte-order mark neither hides the first section nor goes when written back.
        {"\xEF\xBB\xBF[S]\r\nA=1\r\n", "S", "A", "1", "\xE9", "\xEF\xBB\xBF[S]\r\nA=\xE9\r\n"},
        {"\xEF\xBB\xBF[S]\r\nA=1", "T", "B", "-", "7", "\xEF\xBB\xBF[S]\r\nA=1\r\n[T]\r\nB=7\r\n"},
    };
    TempDir dir;
    const std::string path = dir.File("exchange.ini");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        ASSERT_TRUE(TempDir::WriteFile(path, c.file));
        ProfileFile file(path);
        EXPECT_EQ(file.Content(), c.file);
        EXPECT_EQ(file.GetString(c.section, c.key, "-"), c.reads);
        EXPECT_TRUE(file.WriteString(c.section, c.key, c.write));
        EXPECT_TRUE(file.Save(path));
        EXPECT_EQ(TempDir::ReadFile(path), c.written);
        EXPECT_EQ(ProfileFile(path).GetString(c.section, c.key, "-"), c.write);
    }
    // A UTF-16 file takes only text it can encode, so it never ends up in two encodings.
    ProfileFile utf16 = LoadText(dir, Utf16(u"[S]\r\n"));
    EXPECT_FALSE(utf16.WriteString("S", "A", "\xC3"));
    EXPECT_FALSE(utf16.WriteString("S", "\xED\xA0\x80", "1")); // a surrogate
    EXPECT_EQ(utf16.Content(), Utf16(u"[S]\r\n"));
}

TEST(ProfileFileTest, RefusesWhatCannotBeOneLine)
{
    ProfileFile file;
    EXPECT_FALSE(file.WriteString("S", "K", "two\r\nlines"));
    EXPECT_FALSE(file.WriteString("S", "K", std::string("nul\0", 4)));
    EXPECT_FALSE(file.WriteString("S", "a=b", "v"));
    EXPECT_FALSE(file.WriteString("S", "[K]", "v"));
    EXPECT_FALSE(file.WriteString("A]B", "K", "v"));
    EXPECT_FALSE(file.WriteString("S\n[T]", "K", "v"));
    EXPECT_FALSE(file.IsModified());
    EXPECT_EQ(file.Content(), "");
    // Blanks around a value are allowed but read back trimmed, as the format has it.
    EXPECT_TRUE(file.WriteString(" S ", " K ", "  v  "));
    EXPECT_EQ(file.GetString("S", "K", ""), "v");
}

TEST(ProfileFileTest, LoadOddFiles)
{
    // A missing file, a folder and an oversized file are read through the setup file tests.
    TempDir dir;
    std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ProfileFile pipe(fifo);
    EXPECT_TRUE(pipe.LoadFailed());

    // Too many lines counts as too large too, however few bytes they take; the last line counts
    // without its line end.
    ProfileFile manyLines =
        LoadText(dir, "[A]\n" + std::string(ProfileFile::kMaxLines - 2, '\n') + "Key=1");
    EXPECT_FALSE(manyLines.LoadFailed());
    EXPECT_EQ(manyLines.GetInt("A", "Key", 0), 1);
    ProfileFile tooManyLines =
        LoadText(dir, "[A]\n" + std::string(ProfileFile::kMaxLines - 1, '\n') + "Key=1");
    EXPECT_TRUE(tooManyLines.LoadFailed());
    EXPECT_EQ(tooManyLines.Content(), "");

    // A 10 MB line and binary garbage load, are ignored for lookup and saved unchanged.
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919) & 0xff);
    std::string text = "[A]\r\nKey=1\r\n" + std::string(10 * 1024 * 1024, 'L') + "\r\n" + garbage +
                       "\r\n[B]\r\nKey=2\r\n";
    ProfileFile big = LoadText(dir, text);
    EXPECT_FALSE(big.LoadFailed());
    EXPECT_EQ(big.GetInt("A", "Key", 0), 1);
    EXPECT_EQ(big.Content(), text);
    EXPECT_TRUE(big.WriteInt("A", "Key", 3));
    std::string path = dir.File("big.ini");
    ASSERT_TRUE(big.Save(path));
    ProfileFile reread(path);
    EXPECT_EQ(reread.GetInt("A", "Key", 0), 3);
    EXPECT_EQ(reread.Content().size(), text.size());
}

TEST(ProfileFileTest, SaveReplacesAtomically)
{
    TempDir dir;
    std::string path = dir.File("setup.cam");
    ASSERT_TRUE(TempDir::WriteFile(path, "[General]\r\nModelName=old\r\n"));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);

    ProfileFile file(path);
    file.WriteString("General", "ModelName", "ZR-47xCL");
    ASSERT_TRUE(file.Save(path));
    EXPECT_FALSE(file.IsModified());
    EXPECT_EQ(TempDir::ReadFile(path), "[General]\r\nModelName=ZR-47xCL\r\n");
    struct stat st {
    };
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"setup.cam"});

    // A symbolic link is followed: the file it points to is replaced, the link stays.
    std::string link = dir.File("link.cam");
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    file.WriteInt("General", "V Binning", 1);
    ASSERT_TRUE(file.Save(link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempDir::ReadFile(path), "[General]\r\nModelName=ZR-47xCL\r\nV Binning=1\r\n");
    // So is a link to a file that does not exist yet (relative to the link's folder); a loop of
    // links is refused.
    ASSERT_EQ(::symlink("folder/new.cam", dir.File("new-link.cam").c_str()), 0);
    ASSERT_TRUE(std::filesystem::create_directory(dir.File("folder")));
    ASSERT_TRUE(file.Save(dir.File("new-link.cam")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("new-link.cam")));
    EXPECT_EQ(TempDir::ReadFile(dir.File("folder/new.cam")), TempDir::ReadFile(path));
    ASSERT_EQ(::symlink("loop.cam", dir.File("loop.cam").c_str()), 0);
    EXPECT_FALSE(file.Save(dir.File("loop.cam")));

    // Failures leave no trace.
    EXPECT_FALSE(file.Save(dir.File("no/such/folder/setup.cam")));
    EXPECT_FALSE(file.Save(dir.File("folder")));
    EXPECT_FALSE(file.Save(""));
    // A pipe (or a device) at the path stays what it is; writing there is not a replacement.
    std::string fifo = dir.File("pipe.cam");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    EXPECT_FALSE(AtomicFile::Replace(fifo, "report\r\n"));
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    // A write stopped short, as on a full disk, keeps the old file and the unsaved change.
    const std::string old = TempDir::ReadFile(path);
    file.WriteString("General", "Padding", std::string(5000, 'p'));
    ASSERT_TRUE(test::WithFileSizeLimit(1024, [&] { EXPECT_FALSE(file.Save(path)); }));
    EXPECT_TRUE(file.IsModified());
    EXPECT_EQ(TempDir::ReadFile(path), old);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"folder", "link.cam", "loop.cam",
                                                     "new-link.cam", "pipe.cam", "setup.cam"}));
    EXPECT_TRUE(file.Save(path));
    EXPECT_EQ(ProfileFile(path).GetString("General", "Padding", ""), std::string(255, 'p'));
}

} // namespace
} // namespace zr
