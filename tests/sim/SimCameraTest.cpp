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

// Sends each line in turn; each gets the same answer.
void ExpectEach(SimCamera& camera, std::initializer_list<std::string> lines,
                const std::string& answer)
{
    for (const std::string& line : lines)
        EXPECT_EQ(Ask(camera, line), answer) << line;
}

// Asks for each "MNEMONIC=value" with "MNEMONIC?" and expects exactly that line back.
void ExpectQueries(SimCamera& camera, std::initializer_list<std::string> answers)
{
    for (const std::string& answer : answers)
        EXPECT_EQ(Ask(camera, answer.substr(0, answer.find('=')) + "?"), answer + "\r\n");
}

TEST(SimCameraTest, SetsAndQueriesWithinRanges)
{
    SimCamera camera(Model("ZR-470"));
    EXPECT_EQ(Ask(camera, "SH1=3"), kComplete);
    EXPECT_EQ(Ask(camera, "SH1?"), "SH1=3\r\n");
    EXPECT_EQ(Ask(camera, "GA1=-84"), kComplete);
    EXPECT_EQ(Ask(camera, "GA1?"), "GA1=-84\r\n");

    // Plain rows take minimum..maximum, list rows only the list's values, and only a plain
    // decimal number is a value.
    ExpectEach(camera, {"GA1=336", "WA1=9", "PBY1=3", "GA1=+7"}, kComplete);
    ExpectEach(camera,
               {"GA1=-85", "GA1=337", "SH1=12", "SH1=-1", "GA1=", "GA1=abc", "GA1=12x", "GA1= 5",
                "GA1=99999999999", "GA1=+-3"},
               kBad);
    EXPECT_EQ(camera.Value("GA1"), 7);
    EXPECT_EQ(camera.Value("SH1"), 3);
}

TEST(SimCameraTest, UnknownWordsMalformedLinesAndFixedRows)
{
    SimCamera camera(Model("ZR-470"));
    // A line far beyond any command is refused as a whole, and the next line works again.
    ExpectEach(camera, {"XYZ?", "XYZ=1", "SH1", "SH1?1", "=5", "?", "UD=" + std::string(1000, 'x')},
               kUnknown);
    // Words are matched without regard to case; the answer names the row as the camera does.
    EXPECT_EQ(Ask(camera, "sh1?"), "SH1=0\r\n");

    // Read-only rows refuse a set, command-only rows a query.
    ExpectEach(camera,
               {"VN=0", "PV=0", "ID=0", "MD=0", "ST=0", "HP=0", "EA=0", "AWR1=0", "RSS1=0", "IM1=0",
                "ULCK?", "AW1?", "RS1?", "LD?", "SA?"},
               kBad);
    ExpectQueries(camera, {"VN=105", "PV=102", "ID=ZR47-00001", "UD=", "ST=0", "HP=0", "EA=0"});
}

TEST(SimCameraTest, ModelDecidesWhichImagerIsColour)
{
    // Binning and AYB exist only on two alike imagers.
    SimCamera zr470(Model("ZR-470"));
    ExpectQueries(zr470, {"MD=ZR-470", "GAR1=0", "BL1=0"});
    ExpectEach(zr470, {"GAR2?", "AW2=0", "BL2?", "BI1?", "AYB=0"}, kUnknown);

    SimCamera zr471(Model("ZR-471"));
    ExpectQueries(zr471, {"BI1=0"});
    ExpectEach(zr471, {"GAR1?", "WB2=1"}, kUnknown);
    EXPECT_EQ(Ask(zr471, "YA=9"), kComplete);

    SimCamera zr472(Model("ZR-472"));
    ExpectQueries(zr472, {"GAR2=0"});
    EXPECT_EQ(Ask(zr472, "GAR1?"), kUnknown);

    SimCamera other(Model("ZR-479X"));
    ExpectQueries(other, {"MD=ZR-479X", "GAR1=0", "GAR2=0"});
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
    ExpectEach(camera, {"UD=Line 3", "ULCK=1234", "UD=Line 3"}, kBad);
    ExpectEach(camera, {"ULCK=4127", "UD=Line 3"}, kComplete);
    EXPECT_EQ(camera.Text("UD"), "Line 3");
    // The unlock covers one write only, and any other line in between uses it up.
    EXPECT_EQ(Ask(camera, "UD=again"), kBad);
    EXPECT_EQ(Ask(camera, "ULCK=4127"), kComplete);
    ExpectQueries(camera, {"SH1=0"});
    EXPECT_EQ(Ask(camera, "UD=again"), kBad);
    // Sixteen characters at most; the other text rows stay read-only even when unlocked.
    for (const char* refused : {"UD=12345678901234567", "ID=X"}) {
        EXPECT_EQ(Ask(camera, "ULCK=4127"), kComplete);
        EXPECT_EQ(Ask(camera, refused), kBad) << refused;
    }
    ExpectEach(camera, {"ULCK=4127", "UD=1234567890123456"}, kComplete);
    ExpectQueries(camera, {"UD=1234567890123456"});
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

    ExpectEach(camera, {"GA1=200", "SA=2"}, kComplete);
    EXPECT_EQ(camera.AreaValue(2, "GA1"), 200);
    EXPECT_NE(camera.AreaValue(1, "GA1"), 200);

    // The factory area is write-protected; areas are 0..2 only.
    ExpectEach(camera, {"SA=0", "SA=3", "LD=3"}, kBad);
    EXPECT_EQ(camera.AreaValue(0, "GA1"), 0);

    ExpectEach(camera, {"GA1=-5", "LD=2"}, kComplete);
    ExpectQueries(camera, {"GA1=200"});

    camera.SetValue("EA", 2);
    ExpectQueries(camera, {"EA=2"});
    camera.SetValue("EA", 7); // not an area: ignored
    EXPECT_EQ(camera.Value("EA"), 2);
}

TEST(SimCameraTest, OnePushFunctionsReportWorkingThenTheirResult)
{
    SimCamera camera(Model("ZR-470"));
    int32_t red = camera.Value("GAR1");
    int32_t blue = camera.Value("GAB1");
    EXPECT_EQ(Ask(camera, "AW1=1"), kBad);
    EXPECT_EQ(Ask(camera, "AW1=0"), kComplete);
    ExpectQueries(camera, {"AWR1=0", "AWR1=0"});
    EXPECT_EQ(camera.Value("GAR1"), red); // gains change only when the balance is done
    ExpectQueries(camera, {"AWR1=1", "AWR1=1"});
    EXPECT_NE(camera.Value("GAR1"), red);
    EXPECT_NE(camera.Value("GAB1"), blue);
    // Shading: either user table; the result row follows the same pattern.
    EXPECT_EQ(Ask(camera, "RS1=1"), kComplete);
    ExpectQueries(camera, {"RSS1=0", "RSS1=0", "RSS1=1"});
    EXPECT_EQ(Ask(camera, "RS1=2"), kBad);

    // Working polls and results are configurable.
    SimCamera configured(Model("ZR-479", {"awb-working=0", "awb-result=2:AW2", "shading-working=3",
                                          "shading-result=3", "ayb-working=1"}));
    red = configured.Value("GAR2");
    EXPECT_EQ(Ask(configured, "AW1=0"), kComplete);
    ExpectQueries(configured, {"AWR1=1"});
    EXPECT_EQ(Ask(configured, "AW2=0"), kComplete);
    ExpectQueries(configured, {"AWR2=2"});
    EXPECT_EQ(configured.Value("GAR2"), red); // a failed balance changes nothing
    int32_t green1 = configured.Value("GA1");
    EXPECT_EQ(Ask(configured, "AYB=0"), kComplete);
    ExpectQueries(configured, {"AYR=0", "AYR=1"});
    EXPECT_NE(configured.Value("GA1"), green1);
    EXPECT_EQ(Ask(configured, "RS2=0"), kComplete);
    ExpectQueries(configured, {"RSS2=0", "RSS2=0", "RSS2=0", "RSS2=3"});
    // A run restarts the count.
    EXPECT_EQ(Ask(configured, "RS2=0"), kComplete);
    ExpectQueries(configured, {"RSS2=0"});
}

TEST(SimCameraTest, FaultsShapeTheAnswers)
{
    // Malformed descriptions are reported and ignored; the others each hit their own row.
    testing::internal::CaptureStderr();
    SimCamera camera(
        Model("ZR-470", {"silent:SH1", "noise=\\x15#:GA1", "nocrlf:SM1", "delay=40:TR1",
                         "silent:PE1@1", "close-after=1:ST", "silent:XYZ", "frobnicate"}));
    std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_NE(warnings.find("XYZ"), std::string::npos);
    EXPECT_NE(warnings.find("frobnicate"), std::string::npos);

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
    EXPECT_FALSE(replies[1].closeLine);
    // "@1": only the first matching line.
    EXPECT_EQ(Ask(camera, "PE1?"), "");
    EXPECT_EQ(Ask(camera, "PE1?"), "PE1=400\r\n");

    // Close-after answers its last line, then the camera goes quiet for good.
    replies = camera.Exchange("ST?\r\nSH1?\r\n");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes, "ST=0\r\n");
    EXPECT_TRUE(replies[0].closeLine);
    EXPECT_TRUE(camera.LineClosed());
    EXPECT_EQ(Ask(camera, "OS1?"), "");
    EXPECT_EQ(camera.ReceivedLines().size(), 9u);
}

} // namespace
} // namespace zr::sim
