// Durable replacement of a file written in parts, and the UTF-16 conversion of the profile files.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "base/AtomicFile.h"
#include "base/Utf16.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

using test::TempDir;

// Written in parts, the new content appears all at once at Commit; until then the old file is
// what readers see, and an object that goes without committing leaves no trace.
TEST(AtomicFileTest, PartsAppearAtCommitAndAnAbandonedFileLeavesNoTrace)
{
    TempDir dir;
    const std::string path = dir.File("messages.txt");
    ASSERT_TRUE(TempDir::WriteFile(path, "old\r\n"));
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    {
        AtomicFile file(path);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_TRUE(file.Write("first\r\n"));
        EXPECT_TRUE(file.Write("second\r\n"));
        EXPECT_EQ(TempDir::ReadFile(path), "old\r\n");
        EXPECT_EQ(dir.Names().size(), 2U); // the target and the temporary file beside it
        ASSERT_TRUE(file.Commit());
        EXPECT_FALSE(file.Write("late")) << "a committed file takes no more writes";
        EXPECT_FALSE(file.Commit());
    }
    EXPECT_EQ(TempDir::ReadFile(path), "first\r\nsecond\r\n");
    struct stat st {
    };
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600U) << "the replaced file keeps its permissions";
    {
        AtomicFile abandoned(path);
        EXPECT_TRUE(abandoned.Write("never seen"));
    }
    EXPECT_EQ(TempDir::ReadFile(path), "first\r\nsecond\r\n");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"messages.txt"});

    // A new file is created; a read-only one is refused (EACCES) and stays, as a failure to
    // open the temporary file does (its folder is missing), errno intact after the object goes.
    EXPECT_TRUE(AtomicFile::Replace(dir.File("new.txt"), "new"));
    EXPECT_EQ(TempDir::ReadFile(dir.File("new.txt")), "new");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(AtomicFile::Replace(path, "x"));
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(TempDir::ReadFile(path), "first\r\nsecond\r\n");
    {
        AtomicFile missing(dir.File("no/such/folder/file.txt"));
        EXPECT_FALSE(missing.IsOpen());
        EXPECT_FALSE(missing.Write("x"));
        EXPECT_EQ(errno, ENOENT);
        EXPECT_FALSE(missing.Commit());
        EXPECT_EQ(errno, ENOENT);
    }
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"messages.txt", "new.txt"}));
}

// Under a file size limit a replacement fails with EFBIG like any other write error: the limit's
// signal does not end the process, and no temporary file stays behind.
TEST(AtomicFileTest, FileSizeLimitFailsTheWriteNotTheProcess)
{
    TempDir dir;
    const std::string path = dir.File("limited.cam");
    ASSERT_TRUE(TempDir::WriteFile(path, "[General]\r\n"));
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL); // as in a shell under "ulimit -f"
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 1024;
        const bool failed = ::setrlimit(RLIMIT_FSIZE, &limit) == 0 &&
                            !AtomicFile::Replace(path, std::string(5000, 'x')) && errno == EFBIG &&
                            !AtomicFile::Replace(path, std::string(5000, 'y'));
        ::_exit(failed ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(TempDir::ReadFile(path), "[General]\r\n");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"limited.cam"});
}

TEST(Utf16Test, ConversionBothWaysAndWhatItRefuses)
{
    // A, the euro sign (three UTF-8 bytes) and a clef beyond the BMP (a surrogate pair).
    const std::string text = "A\xE2\x82\xAC\xF0\x9D\x84\x9E";
    const std::string le("\xFF\xFE"
                         "A\0"
                         "\xAC\x20"
                         "\x34\xD8\x1E\xDD",
                         10);
    const std::string be("\xFE\xFF"
                         "\0A"
                         "\x20\xAC"
                         "\xD8\x34\xDD\x1E",
                         10);
    EXPECT_EQ(EncodeUtf16(text, false), le);
    EXPECT_EQ(EncodeUtf16(text, true), be);
    std::string decoded;
    ASSERT_TRUE(DecodeUtf16(std::string_view(le).substr(2), false, decoded));
    EXPECT_EQ(decoded, text);
    ASSERT_TRUE(DecodeUtf16(std::string_view(be).substr(2), true, decoded));
    EXPECT_EQ(decoded, text);

    // An odd byte count, a lone high or low surrogate.
    EXPECT_FALSE(DecodeUtf16(std::string("A\0B", 3), false, decoded));
    EXPECT_FALSE(DecodeUtf16(std::string("\x34\xD8"
                                         "A\0",
                                         4),
                             false, decoded));
    EXPECT_FALSE(DecodeUtf16(std::string("\x1E\xDD", 2), false, decoded));
    EXPECT_FALSE(DecodeUtf16(std::string("\x34\xD8", 2), false, decoded));

    EXPECT_TRUE(IsUtf8(text));
    EXPECT_TRUE(IsUtf8(""));
    for (const char* bad : {"\xC0\x80",         // overlong NUL
                            "\xE2\x82",         // cut short
                            "\xED\xA0\x80",     // a surrogate
                            "\xF4\x90\x80\x80", // beyond U+10FFFF
                            "\x80", "\xFF"}) {
        EXPECT_FALSE(IsUtf8(bad)) << bad;
    }
}

} // namespace
} // namespace zr
