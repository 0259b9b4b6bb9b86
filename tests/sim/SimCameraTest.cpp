#include <gtest/gtest.h>

#include "sim/lib/SimCamera.h"

namespace zr::sim
{
namespace
{

constexpr const char* kComplete = "COMPLETE\r\n";
constexpr const char* kUnknown = "Unknown Command!!\r\n";
constexpr const char* kBad = "Bad Parameters!!\r\n";

SimOptions Model(const std::string& model, std::vector<std::string> faults = {})
{
    SimOptions options;
    options.model = model;
    options.faults = std::move(faults);
    return options;
}

std::string Ask(SimCamera& camera, const std::string& line)
{
    return camera.Receive(line + "\r\n");
}

TEST(SimCameraTest, SetsAndQueriesWithinRanges)
{
    SimCamera camera(Model("ZR-470"));
    EXPECT_EQ(Ask(camera, "SH1=3"), kComplete);
    EXPECT_EQ(camera.Value("SH1"), 3);
    EXPECT_EQ(Ask(camera, "SH1?"), "SH1=3\r\n");
    EXPECT_EQ(Ask(camera, "GA1=-84"), kComplete);
    EXPECT_EQ(Ask(camera, "GA1?"), "GA1=-84\r\n");
    EXPECT_EQ(Ask(camera, "GA1=336"), kComplete);

    // Plain rows take minimum..maximum, list rows only the list's values.
    EXPECT_EQ(Ask(camera, "GA1=-85"), kBad);
    EXPECT_EQ(Ask(camera, "GA1=337"), kBad);
    EXPECT_EQ(Ask(camera, "SH1=12"), kBad);
    EXPECT_EQ(Ask(camera, "SH1=-1"), kBad);
    EXPECT_EQ(Ask(camera, "WA1=9"), kComplete);
    EXPECT_EQ(Ask(camera, "PBY1=3"), kComplete);
    EXPECT_EQ(camera.Value("GA1"), 336);
    EXPECT_EQ(camera.Value("SH1"), 3);

    // Only a plain decimal number is a value.
    for (const char* bad : {"GA1=", "GA1=abc", "GA1=12x", "GA1= 5", "GA1=99999999999", "GA1=+-3"})
        EXPECT_EQ(Ask(camera, bad), kBad) << bad;
    EXPECT_EQ(Ask(camera, "GA1=+7"), kComplete);
    EXPECT_EQ(camera.Value("GA1"), 7);
}

TEST(SimCameraTest, UnknownWordsAndMalformedLines)
{
    SimCamera camera(Model("ZR-470"));
    EXPECT_EQ(Ask(camera, "XYZ?"), kUnknown);
    EXPECT_EQ(Ask(camera, "XYZ=1"), kUnknown);
    EXPECT_EQ(Ask(camera, "SH1"), kUnknown);
    EXPECT_EQ(Ask(camera, "SH1?1"), kUnknown);
    EXPECT_EQ(Ask(camera, "=5"), kUnknown);
    EXPECT_EQ(Ask(camera, "?"), kUnknown);
    // A line far beyond any command is refused as a whole, and the next line works again.
    EXPECT_EQ(Ask(camera, "UD=" + std::string(1000, 'x')), kUnknown);
    EXPECT_EQ(Ask(camera, "SH1?"), "SH1=0\r\n");
    // Words are matched without regard to case; the answer names the row as the camera does.
    EXPECT_EQ(Ask(camera, "sh1?"), "SH1=0\r\n");
}

TEST(SimCameraTest, ReadOnlyAndCommandOnlyRows)
{
    SimCamera camera(Model("ZR-470"));
    for (const char* row : {"VN", "PV", "ID", "MD", "ST", "HP", "EA", "AWR1", "RSS1", "IM1"})
        EXPECT_EQ(Ask(camera, std::string(row) + "=0"), kBad) << row;
    for (const char* row : {"ULCK", "AW1", "RS1", "LD", "SA"})
        EXPECT_EQ(Ask(camera, std::string(row) + "?"), kBad) << row;
    EXPECT_EQ(Ask(camera, "VN?"), "VN=105\r\n");
    EXPECT_EQ(Ask(camera, "PV?"), "PV=102\r\n");
    EXPECT_EQ(Ask(camera, "ID?"), "ID=ZR47-00001\r\n");
    EXPECT_EQ(Ask(camera, "UD?"), "UD=\r\n");
    EXPECT_EQ(Ask(camera, "ST?"), "ST=0\r\n");
    EXPECT_EQ(Ask(camera, "HP?"), "HP=0\r\n");
    EXPECT_EQ(Ask(camera, "EA?"), "EA=0\r\n");
}

TEST(SimCameraTest, ModelDecidesWhichImagerIsColour)
{
    SimCamera zr470(Model("ZR-470"));
    EXPECT_EQ(Ask(zr470, "MD?"), "MD=ZR-470\r\n");
    EXPECT_EQ(Ask(zr470, "GAR1?"), "GAR1=0\r\n");
    EXPECT_EQ(Ask(zr470, "GAR2?"), kUnknown);
    EXPECT_EQ(Ask(zr470, "AW2=0"), kUnknown);
    EXPECT_EQ(Ask(zr470, "BL1?"), "BL1=0\r\n");
    EXPECT_EQ(Ask(zr470, "BL2?"), kUnknown);
    // Binning and AYB exist only on two alike imagers.
    EXPECT_EQ(Ask(zr470, "BI1?"), kUnknown);
    EXPECT_EQ(Ask(zr470, "AYB=0"), kUnknown);

    SimCamera zr471(Model("ZR-471"));
    EXPECT_EQ(Ask(zr471, "GAR1?"), kUnknown);
    EXPECT_EQ(Ask(zr471, "WB2=1"), kUnknown);
    EXPECT_EQ(Ask(zr471, "BI1?"), "BI1=0\r\n");
    EXPECT_EQ(Ask(zr471, "YA=9"), kComplete);

    SimCamera zr472(Model("ZR-472"));
    EXPECT_EQ(Ask(zr472, "GAR1?"), kUnknown);
    EXPECT_EQ(Ask(zr472, "GAR2?"), "GAR2=0\r\n");

    SimCamera other(Model("ZR-479X"));
    EXPECT_EQ(Ask(other, "MD?"), "MD=ZR-479X\r\n");
    EXPECT_EQ(Ask(other, "GAR1?"), "GAR1=0\r\n");
    EXPECT_EQ(Ask(other, "GAR2?"), "GAR2=0\r\n");
    EXPECT_EQ(Ask(other, "AYB=0"), kComplete);
}

TEST(SimCameraTest, EchoRepeatsEachLineBeforeItsAnswer)
{
    SimCamera camera(Model("ZR-470"));
    EXPECT_EQ(Ask(camera, "EB?"), "EB=0\r\n");
    EXPECT_EQ(Ask(camera, "EB=1"), kComplete); // echo starts with the next line
    EXPECT_EQ(Ask(camera, "SH1=2"), "SH1=2\r\nCOMPLETE\r\n");
    EXPECT_EQ(Ask(camera, "EB?"), "EB?\r\nEB=1\r\n");
    EXPECT_EQ(Ask(camera, "EB=2"), "EB=2\r\nBad Parameters!!\r\n");
    EXPECT_EQ(Ask(camera, "EB=0"), "EB=0\r\nCOMPLETE\r\n");
    EXPECT_EQ(Ask(camera, "SH1?"), "SH1=2\r\n");
}

TEST(SimCameraTest, LineEndsAndSplitInput)
{
    SimCamera camera(Model("ZR-470"));
    // Bytes may come one at a time; nothing is answered before the line is complete.
    std::string out;
    for (char c : std::string("SH1=5"))
        out += camera.Receive(std::string_view(&c, 1));
    EXPECT_EQ(out, "");
    EXPECT_EQ(camera.Receive("\r"), kComplete);
    EXPECT_EQ(camera.Receive("\n"), ""); // the LF of that CR LF, not an empty command
    // CR alone and LF alone end lines too; several lines in one burst get their answers in order.
    EXPECT_EQ(camera.Receive("SH1?\rGA1?\nSM1?\r\n\r\n"), "SH1=5\r\nGA1=0\r\nSM1=0\r\n");
    EXPECT_EQ(camera.ReceivedLines(), (std::vector<std::string>{"SH1=5", "SH1?", "GA1?", "SM1?"}));
    camera.ClearReceivedLines();
    EXPECT_TRUE(camera.ReceivedLines().empty());
}

TEST(SimCameraTest, UserIdNeedsTheUnlockCodeRightBefore)
{
    SimCamera camera(Model("ZR-470"));
    EXPECT_EQ(Ask(camera, "UD=Line 3"), kBad);
    EXPECT_EQ(Ask(camera, "ULCK=1234"), kBad);
    EXPECT_EQ(Ask(camera, "UD=Line 3"), kBad);

    EXPECT_EQ(Ask(camera, "ULCK=4127"), kComplete);
    EXPECT_EQ(Ask(camera, "UD=Line 3"), kComplete);
    EXPECT_EQ(camera.Text("UD"), "Line 3");
    // The unlock covers one write only, and any other line in between uses it up.
    EXPECT_EQ(Ask(camera, "UD=again"), kBad);
    EXPECT_EQ(Ask(camera, "ULCK=4127"), kComplete);
    EXPECT_EQ(Ask(camera, "SH1?"), "SH1=0\r\n");
    EXPECT_EQ(Ask(camera, "UD=again"), kBad);
    // Sixteen characters at most.
    EXPECT_EQ(Ask(camera, "ULCK=4127"), kComplete);
    EXPECT_EQ(Ask(camera, "UD=12345678901234567"), kBad);
    EXPECT_EQ(Ask(camera, "ULCK=4127"), kComplete);
    EXPECT_EQ(Ask(camera, "UD=1234567890123456"), kComplete);
    EXPECT_EQ(Ask(camera, "UD?"), "UD=1234567890123456\r\n");
    // The other text rows stay read-only even when unlocked.
    EXPECT_EQ(Ask(camera, "ULCK=4127"), kComplete);
    EXPECT_EQ(Ask(camera, "ID=X"), kBad);
}

TEST(SimCameraTest, EepromAreasLoadAndStore)
{
    SimCamera camera(Model("ZR-470"));
    // Power-up loads the factory area; the user areas differ from it.
    EXPECT_EQ(camera.Value("SH1"), camera.AreaValue(0, "SH1"));
    EXPECT_NE(camera.AreaValue(0, "SH1"), camera.AreaValue(1, "SH1"));
    EXPECT_NE(camera.AreaValue(1, "GA1"), camera.AreaValue(2, "GA1"));

    EXPECT_EQ(Ask(camera, "LD=1"), kComplete);
    EXPECT_EQ(camera.Value("SH1"), camera.AreaValue(1, "SH1"));
    EXPECT_EQ(camera.Value("GA1"), camera.AreaValue(1, "GA1"));

    EXPECT_EQ(Ask(camera, "GA1=200"), kComplete);
    EXPECT_EQ(Ask(camera, "SA=2"), kComplete);
    EXPECT_EQ(camera.AreaValue(2, "GA1"), 200);
    EXPECT_NE(camera.AreaValue(1, "GA1"), 200);

    // The factory area is write-protected; areas are 0..2 only.
    EXPECT_EQ(Ask(camera, "SA=0"), kBad);
    EXPECT_EQ(Ask(camera, "SA=3"), kBad);
    EXPECT_EQ(Ask(camera, "LD=3"), kBad);
    EXPECT_EQ(camera.AreaValue(0, "GA1"), 0);

    EXPECT_EQ(Ask(camera, "GA1=-5"), kComplete);
    EXPECT_EQ(Ask(camera, "LD=2"), kComplete);
    EXPECT_EQ(Ask(camera, "GA1?"), "GA1=200\r\n");

    camera.SetValue("EA", 2);
    EXPECT_EQ(Ask(camera, "EA?"), "EA=2\r\n");
    camera.SetValue("EA", 7); // not an area: ignored
    EXPECT_EQ(camera.Value("EA"), 2);
}

TEST(SimCameraTest, OnePushBalanceReportsWorkingThenResult)
{
    SimCamera camera(Model("ZR-470"));
    int32_t red = camera.Value("GAR1");
    int32_t blue = camera.Value("GAB1");
    EXPECT_EQ(Ask(camera, "AW1=1"), kBad);
    EXPECT_EQ(Ask(camera, "AW1=0"), kComplete);
    EXPECT_EQ(Ask(camera, "AWR1?"), "AWR1=0\r\n");
    EXPECT_EQ(Ask(camera, "AWR1?"), "AWR1=0\r\n");
    EXPECT_EQ(camera.Value("GAR1"), red); // gains change only when the balance is done
    EXPECT_EQ(Ask(camera, "AWR1?"), "AWR1=1\r\n");
    EXPECT_NE(camera.Value("GAR1"), red);
    EXPECT_NE(camera.Value("GAB1"), blue);
    EXPECT_EQ(Ask(camera, "AWR1?"), "AWR1=1\r\n");

    // Shading: either user table; the result row follows the same pattern.
    EXPECT_EQ(Ask(camera, "RS1=1"), kComplete);
    EXPECT_EQ(Ask(camera, "RSS1?"), "RSS1=0\r\n");
    EXPECT_EQ(Ask(camera, "RSS1?"), "RSS1=0\r\n");
    EXPECT_EQ(Ask(camera, "RSS1?"), "RSS1=1\r\n");
    EXPECT_EQ(Ask(camera, "RS1=2"), kBad);
}

TEST(SimCameraTest, OnePushOutcomesAreConfigurable)
{
    SimCamera camera(Model("ZR-479", {"awb-working=0", "awb-result=2:AW2", "shading-working=3",
                                      "shading-result=3", "ayb-working=1"}));
    int32_t red = camera.Value("GAR2");
    EXPECT_EQ(Ask(camera, "AW1=0"), kComplete);
    EXPECT_EQ(Ask(camera, "AWR1?"), "AWR1=1\r\n");
    EXPECT_EQ(Ask(camera, "AW2=0"), kComplete);
    EXPECT_EQ(Ask(camera, "AWR2?"), "AWR2=2\r\n");
    EXPECT_EQ(camera.Value("GAR2"), red); // a failed balance changes nothing

    int32_t green1 = camera.Value("GA1");
    EXPECT_EQ(Ask(camera, "AYB=0"), kComplete);
    EXPECT_EQ(Ask(camera, "AYR?"), "AYR=0\r\n");
    EXPECT_EQ(Ask(camera, "AYR?"), "AYR=1\r\n");
    EXPECT_NE(camera.Value("GA1"), green1);

    EXPECT_EQ(Ask(camera, "RS2=0"), kComplete);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Ask(camera, "RSS2?"), "RSS2=0\r\n");
    EXPECT_EQ(Ask(camera, "RSS2?"), "RSS2=3\r\n");
    // A run restarts the count.
    EXPECT_EQ(Ask(camera, "RS2=0"), kComplete);
    EXPECT_EQ(Ask(camera, "RSS2?"), "RSS2=0\r\n");
}

TEST(SimCameraTest, FaultsShapeTheAnswers)
{
    SimCamera camera(Model("ZR-470", {"silent:SH1", "noise=\\x15#:GA1", "nocrlf:SM1",
                                      "delay=40:TR1", "silent:PE1@1"}));
    EXPECT_EQ(Ask(camera, "SH1=3"), "");
    EXPECT_EQ(camera.Value("SH1"), 0); // a silent camera carries nothing out
    EXPECT_EQ(Ask(camera, "GA1?"), "\x15#GA1=0\r\n");
    EXPECT_EQ(Ask(camera, "SM1?"), "SM1=0");
    EXPECT_EQ(Ask(camera, "OS1?"), "OS1=0\r\n");
    // Receive leaves delays to the line; Exchange tells them.
    std::vector<SimReply> replies = camera.Exchange("TR1?\r\nOS1?\r\n");
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].bytes, "TR1=0\r\n");
    EXPECT_EQ(replies[0].delayMs, 40);
    EXPECT_EQ(replies[1].delayMs, 0);
    // "@1": only the first matching line.
    EXPECT_EQ(Ask(camera, "PE1?"), "");
    EXPECT_EQ(Ask(camera, "PE1?"), "PE1=400\r\n");
    EXPECT_EQ(camera.ReceivedLines().size(), 8u);
}

TEST(SimCameraTest, CloseAfterAnswersThenGoesQuiet)
{
    SimCamera camera(Model("ZR-470", {"close-after=2"}));
    std::vector<SimReply> replies = camera.Exchange("SH1?\r\nSH1=1\r\nSH1?\r\n");
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_FALSE(replies[0].closeLine);
    EXPECT_EQ(replies[1].bytes, kComplete);
    EXPECT_TRUE(replies[1].closeLine);
    EXPECT_TRUE(camera.LineClosed());
    EXPECT_EQ(Ask(camera, "SH1?"), "");
    EXPECT_EQ(camera.ReceivedLines().size(), 2u);
}

TEST(SimCameraTest, MalformedFaultSpecsAreIgnored)
{
    testing::internal::CaptureStderr();
    SimCamera camera(Model("ZR-470", {"silent:XYZ", "frobnicate"}));
    std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_NE(warnings.find("XYZ"), std::string::npos);
    EXPECT_NE(warnings.find("frobnicate"), std::string::npos);
    EXPECT_EQ(Ask(camera, "SH1?"), "SH1=0\r\n");
}

} // namespace
} // namespace zr::sim
