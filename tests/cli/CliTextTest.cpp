// zr47xcl and the control's 8-bit texts (Windows-1252) on a terminal: every high byte of a user
// ID under a UTF-8 and a C locale, both ways, and the text refused where it cannot be held.
// Then the detail added when the link goes under a verb.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliHarness.h"
#include "base/AnsiText.h"
#include "base/ProfileFile.h"

namespace zr::test
{
namespace
{

const std::string kZr47xcl = std::string(ZR_BIN_DIR) + "/zr47xcl";
constexpr size_t kUserIdLength = 16; // what the camera keeps

EnvList InLocale(const CliSession& session, const char* locale)
{
    EnvList env = session.Environment();
    env.emplace_back("LC_ALL", locale);
    return env;
}

// The bytes 0x80-0xFF in pieces that fit a user ID.
std::vector<std::string> HighByteChunks()
{
    std::vector<std::string> chunks;
    for (int b = 0x80; b <= 0xFF; ++b) {
        if ((b - 0x80) % kUserIdLength == 0)
            chunks.emplace_back();
        chunks.back() += static_cast<char>(b);
    }
    return chunks;
}

TEST(CliText, UserIdWithEveryHighByteUnderAUtf8AndACLocale)
{
    CliSession session{sim::SimOptions{}};
    sim::SimCamera& camera = session.Camera()->Camera();
    const EnvList utf8 = InLocale(session, "C.UTF-8");
    const EnvList plain = InLocale(session, "C");
    for (const std::string& chunk : HighByteChunks()) {
        SCOPED_TRACE(AnsiToUtf8(chunk));
        // From the camera to the terminal: UTF-8 where the locale is, the bytes elsewhere.
        camera.SetText("UD", chunk);
        const std::vector<std::string> read{"call", "ReadAllFromCamera", "get", "UserID"};
        RunResult shown = RunProgram(kZr47xcl, read, utf8);
        EXPECT_EQ(shown.exitCode, 0) << shown.err;
        EXPECT_EQ(shown.out, "0\n" + AnsiToUtf8(chunk) + "\n");
        EXPECT_EQ(RunProgram(kZr47xcl, read, plain).out, "0\n" + chunk + "\n");

        // From the command line to the camera.
        camera.SetText("UD", "");
        RunResult typed = RunProgram(kZr47xcl, {"set", "UserID=" + AnsiToUtf8(chunk)}, utf8);
        EXPECT_EQ(typed.exitCode, 0) << typed.err;
        EXPECT_EQ(camera.Text("UD"), chunk);
        camera.SetText("UD", "");
        EXPECT_EQ(RunProgram(kZr47xcl, {"set", "UserID=" + chunk}, plain).exitCode, 0);
        EXPECT_EQ(camera.Text("UD"), chunk);
    }

    // What the control's texts cannot hold is a usage error naming it; the camera is not asked.
    camera.SetText("UD", "kept");
    RunResult arrow = RunProgram(kZr47xcl,
                                 {"set", "UserID=A\xE2\x86\x92"
                                         "B"},
                                 utf8);
    EXPECT_EQ(arrow.exitCode, 2);
    EXPECT_EQ(arrow.err, "zr47xcl: UserID: the text holds \"\xE2\x86\x92\" (U+2192), which the "
                         "control's 8-bit texts (Windows-1252) cannot hold\n");
    RunResult latin1 = RunProgram(kZr47xcl, {"set", "UserID=caf\xE9"}, utf8);
    EXPECT_EQ(latin1.exitCode, 2);
    EXPECT_EQ(latin1.err,
              "zr47xcl: UserID: the text is not valid UTF-8 (byte 0xE9 at position 3)\n");
    EXPECT_EQ(camera.Text("UD"), "kept");

    // The communication log shows the line as the terminal reads it.
    RunResult logged = RunProgram(kZr47xcl, {"--log", "set", "UserID=\xE2\x82\xAC 5"}, utf8);
    EXPECT_EQ(camera.Text("UD"), "\x80 5");
    EXPECT_NE(logged.err.find("> UD=\xE2\x82\xAC 5\n"), std::string::npos) << logged.err;
}

TEST(CliErrorDetail, LinkLostUnderAVerbNamesThePortItsDeviceAndWhy)
{
    // Two commands at the start-up, the first set, then the line goes down.
    CliSession session{sim::SimOptions{"ZR-470", "", false, {"close-after=3"}}};
    const std::string device = ProfileFile(session.SettingsFile()).GetString("Comm", "COM1", "");
    ASSERT_FALSE(device.empty());
    RunResult r = session.Run({"set", "IMG1ShutterSpeed=3", "set", "IMG1ShutterSpeed=4"});
    EXPECT_EQ(r.exitCode, 1);
    // The camera's own text first, unchanged; then where and why.
    const std::string lost = "zr47xcl: link lost: COM1 is " + device + ": ";
    const size_t detail = r.err.find(lost);
    ASSERT_NE(detail, std::string::npos) << r.err;
    EXPECT_TRUE(r.err.starts_with("error 0x800A0039: ")) << r.err;
    EXPECT_TRUE(r.err.ends_with("\n")) << r.err;
    EXPECT_EQ(r.err.find('\n', detail), r.err.size() - 1) << r.err; // one line
    EXPECT_GT(r.err.size(), detail + lost.size() + 1) << "no reason given: " << r.err;
}

} // namespace
} // namespace zr::test
