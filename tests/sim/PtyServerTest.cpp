#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "sim/lib/SimCamera.h"

namespace zr::sim
{
namespace
{

using Clock = std::chrono::steady_clock;

// The tool's end of the line: the device opened as a serial port is, raw.
class Terminal
{
public:
    explicit Terminal(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        termios tio{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~Terminal()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    bool Write(const std::string& bytes) const
    {
        return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Reads until `wanted` bytes are in or nothing arrives for timeoutMs. `firstByte` gets the
    // arrival time of the first byte.
    std::string Read(size_t wanted, int timeoutMs = 1000, Clock::time_point* firstByte = nullptr)
    {
        std::string out;
        while (out.size() < wanted) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, timeoutMs) <= 0)
                break;
            char buffer[512];
            ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                lastError_ = n < 0 ? errno : 0;
                break;
            }
            if (out.empty() && firstByte != nullptr)
                *firstByte = Clock::now();
            out.append(buffer, static_cast<size_t>(n));
        }
        return out;
    }
    int LastError() const { return lastError_; }

private:
    int fd_;
    int lastError_ = 0;
};

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
        Terminal tool(server.DevicePath());
        ASSERT_TRUE(tool.IsOpen());
        ASSERT_TRUE(tool.Write("MD?\r\nSH1=7\r\n"));
        EXPECT_EQ(tool.Read(21), "MD=ZR-470\r\nCOMPLETE\r\n");
    }
    // The tool closed its side; the line stays up for the next open.
    Terminal again(server.DevicePath());
    ASSERT_TRUE(again.Write("SH1?\r\n"));
    EXPECT_EQ(again.Read(7), "SH1=7\r\n");
    EXPECT_EQ(server.Camera().Value("SH1"), 7);
    EXPECT_EQ(server.Camera().ReceivedLines(), (std::vector<std::string>{"MD?", "SH1=7", "SH1?"}));
}

TEST(PtyServerTest, PacingTakesTheLineTimeOfEveryByte)
{
    PtyServer server(Options(true));
    Terminal tool(server.DevicePath());
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
    PtyServer server(Options(false, {"delay=150:GA1", "silent:SM1"}));
    Terminal tool(server.DevicePath());
    ASSERT_TRUE(tool.Write("SM1?\r\n"));
    EXPECT_EQ(tool.Read(1, 100), "");

    Clock::time_point sent = Clock::now();
    ASSERT_TRUE(tool.Write("GA1?\r\nSH1?\r\n"));
    // The delayed answer holds back the next one: order as sent.
    EXPECT_EQ(tool.Read(14), "GA1=0\r\nSH1=0\r\n");
    EXPECT_GE(Clock::now() - sent, std::chrono::milliseconds(150));
}

TEST(PtyServerTest, CloseAfterHangsTheLineUp)
{
    PtyServer server(Options(false, {"close-after=2"}));
    Terminal tool(server.DevicePath());
    ASSERT_TRUE(tool.Write("SH1?\r\nGA1?\r\n"));
    EXPECT_EQ(tool.Read(14), "SH1=0\r\nGA1=0\r\n");
    // Once the answers are out the camera side closes: the tool reads end-of-file or an error.
    EXPECT_EQ(tool.Read(1, 1000), "");
    EXPECT_FALSE(server.IsServing());
}

TEST(PtyServerTest, DestructionIsPromptWhileAnswersArePending)
{
    Clock::time_point start = Clock::now();
    {
        PtyServer server(Options(false, {"delay=60000"}));
        Terminal tool(server.DevicePath());
        ASSERT_TRUE(tool.Write("SH1?\r\n"));
        EXPECT_EQ(tool.Read(1, 50), "");
    }
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
}

} // namespace
} // namespace zr::sim
