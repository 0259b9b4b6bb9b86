#include <gtest/gtest.h>

#include <memory>

#include "ToolTerminal.h"
#include "sim/lib/SimCamera.h"

namespace zr::sim
{
namespace
{

using test::ToolTerminal;
using Clock = ToolTerminal::Clock;

SimOptions Options(bool pace = false, std::vector<std::string> faults = {})
{
    SimOptions options;
    options.pace = pace;
    options.faults = std::move(faults);
    return options;
}

TEST(PtyServerTest, AnswersOverTheTerminalAndSurvivesReopening)
{
    PtyServer server(Options());
    ASSERT_TRUE(server.IsServing());
    EXPECT_EQ(server.DevicePath().rfind("/dev/pts/", 0), 0u);
    {
        ToolTerminal tool(server.DevicePath());
        ASSERT_TRUE(tool.IsOpen());
        EXPECT_EQ(tool.Ask("MD?\r\nSH1=7\r\n", 21), "MD=ZR-470\r\nCOMPLETE\r\n");
    }
    // The tool closed its side; the line stays up for the next open.
    EXPECT_EQ(ToolTerminal(server.DevicePath()).Ask("SH1?\r\n", 7), "SH1=7\r\n");
    EXPECT_EQ(server.Camera().Value("SH1"), 7);
    EXPECT_EQ(server.Camera().ReceivedLines(), (std::vector<std::string>{"MD?", "SH1=7", "SH1?"}));
}

TEST(PtyServerTest, PacingTakesTheLineTimeOfEveryByte)
{
    PtyServer server(Options(true));
    ToolTerminal tool(server.DevicePath());
    ASSERT_TRUE(tool.IsOpen());

    // 15 queries of 6 bytes; 15 answers of 7 bytes, 105 bytes at about 1.04 ms each.
    std::string queries;
    for (int i = 0; i < 15; ++i)
        queries += "SH1?\r\n";
    Clock::time_point sent = Clock::now();
    Clock::time_point first;
    ASSERT_TRUE(tool.Write(queries));
    std::string answers = tool.Read(105, 2000, &first);
    Clock::time_point last = Clock::now();
    ASSERT_EQ(answers.size(), 105u);
    EXPECT_EQ(answers.substr(0, 7), "SH1=0\r\n");
    // The first answer needs its command's 5 bytes up to CR, then its own first byte.
    EXPECT_GE(first - sent, std::chrono::microseconds(5500));
    // The remaining 104 bytes each take their line time (lower bounds only).
    EXPECT_GE(last - first, std::chrono::milliseconds(95));
}

TEST(PtyServerTest, DelayedAndSilentAnswers)
{
    auto server = std::make_unique<PtyServer>(
        Options(false, {"delay=150:GA1", "silent:SM1", "delay=60000:PE1"}));
    ToolTerminal tool(server->DevicePath());
    ASSERT_TRUE(tool.Write("SM1?\r\n"));
    EXPECT_EQ(tool.Read(1, 100), "");

    Clock::time_point sent = Clock::now();
    // The delayed answer holds back the next one: order as sent.
    EXPECT_EQ(tool.Ask("GA1?\r\nSH1?\r\n", 14), "GA1=0\r\nSH1=0\r\n");
    EXPECT_GE(Clock::now() - sent, std::chrono::milliseconds(150));

    // Destruction is prompt while an answer is still pending.
    ASSERT_TRUE(tool.Write("PE1?\r\n"));
    EXPECT_EQ(tool.Read(1, 50), "");
    Clock::time_point stop = Clock::now();
    server.reset();
    EXPECT_LT(Clock::now() - stop, std::chrono::seconds(10));
}

TEST(PtyServerTest, CloseAfterHangsTheLineUp)
{
    PtyServer server(Options(false, {"close-after=2"}));
    ToolTerminal tool(server.DevicePath());
    EXPECT_EQ(tool.Ask("SH1?\r\nGA1?\r\n", 14), "SH1=0\r\nGA1=0\r\n");
    // Once the answers are out the camera side closes: the tool reads end-of-file or an error.
    EXPECT_EQ(tool.Read(1, 1000), "");
    EXPECT_FALSE(server.IsServing());
}

} // namespace
} // namespace zr::sim
