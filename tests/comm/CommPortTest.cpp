#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "base/UniqueFd.h"
#include "comm/ComPortMap.h"
#include "comm/CommPort.h"
#include "support/MemorySettings.h"
#include "support/PseudoTerminal.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

using test::MemorySettings;
using test::PseudoTerminal;
using Ms = std::chrono::milliseconds;

// A serial link whose COM1 is the terminal side of a fresh pseudo-terminal.
class CommPortTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.IsValid());
        settings.WriteString("Comm", "COM1", pty.SlavePath());
    }

    // Waits (briefly) until the link counts `count` bytes waiting.
    void WaitForBytes(CCommPort& port, int32_t count)
    {
        for (int i = 0; i < 200 && port.GetBytesWaiting() < count; ++i)
            ::usleep(1000);
    }

    PseudoTerminal pty;
    MemorySettings settings;
};

TEST(ComPortMapTest, DefaultsAndOverrides)
{
    MemorySettings settings;
    ComPortMap map(settings);
    EXPECT_EQ(map.DevicePath(0), "/dev/ttyS0");
    EXPECT_EQ(map.DevicePath(3), "/dev/ttyS3");
    EXPECT_EQ(map.DevicePath(4), "/dev/ttyUSB0");
    EXPECT_EQ(map.DevicePath(11), "/dev/ttyUSB7");
    EXPECT_EQ(map.DevicePath(12), "/dev/ttyACM0");
    EXPECT_EQ(map.DevicePath(15), "/dev/ttyACM3");
    EXPECT_EQ(map.DevicePath(16), "");
    EXPECT_EQ(map.DevicePath(-1), "");

    settings.WriteString("Comm", "COM5", "/dev/serial/by-id/camera");
    settings.WriteString("Comm", "COM6", ""); // empty: the default stays
    EXPECT_EQ(map.DevicePath(4), "/dev/serial/by-id/camera");
    EXPECT_EQ(map.DevicePath(5), "/dev/ttyUSB1");
    EXPECT_EQ(map.DevicePath(6), "/dev/ttyUSB2");
}

TEST_F(CommPortTest, NamesAndClosedLink)
{
    CCommPort port(settings);
    EXPECT_EQ(port.GetPortCount(), 16);
    EXPECT_EQ(port.GetPortName(0), "COM1");
    EXPECT_EQ(port.GetPortName(15), "COM16");
    EXPECT_EQ(port.GetPortName(16), "");
    EXPECT_EQ(port.GetPortName(-1), "");
    EXPECT_EQ(port.GetLinkClassName(), "COM-Ports");

    char buffer[4] = {};
    int32_t received = -1;
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Write("x", 1, 400), 2);
    EXPECT_EQ(port.Read(buffer, 1, received, 10), 2);
    EXPECT_EQ(port.Flush(), 2);
    EXPECT_EQ(port.GetBytesWaiting(), 0);
    EXPECT_EQ(port.Close(), 0);
    EXPECT_EQ(pty.ReadMaster(1, 20), "");
}

TEST_F(CommPortTest, OpenResults)
{
    CCommPort port(settings);
    ASSERT_EQ(port.Open(0), 0);
    EXPECT_TRUE(port.IsOpen());
    // An index without a name closes the open port first.
    EXPECT_EQ(port.Open(16), 1);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Open(-1), 1);
    EXPECT_FALSE(port.IsOpen());

    test::TempDir dir;
    settings.WriteString("Comm", "COM2", dir.File("missing-device"));
    EXPECT_EQ(port.Open(1), 3);
    EXPECT_FALSE(port.IsOpen());
    // A file that is not a terminal cannot be configured.
    ASSERT_TRUE(test::TempDir::WriteFile(dir.File("plain"), "data"));
    settings.WriteString("Comm", "COM2", dir.File("plain"));
    EXPECT_EQ(port.Open(1), 3);
    EXPECT_FALSE(port.IsOpen());

    // Opening the same port twice in a row reopens it, and it still works.
    ASSERT_EQ(port.Open(0), 0);
    ASSERT_EQ(port.Open(0), 0);
    EXPECT_EQ(port.Write("ok", 2, 400), 0);
    EXPECT_EQ(pty.ReadMaster(2), "ok");

    // The device path is looked up at every open.
    PseudoTerminal second;
    ASSERT_TRUE(second.IsValid());
    settings.WriteString("Comm", "COM1", second.SlavePath());
    ASSERT_EQ(port.Open(0), 0);
    EXPECT_EQ(port.Write("2", 1, 400), 0);
    EXPECT_EQ(second.ReadMaster(1), "2");
    EXPECT_EQ(pty.ReadMaster(1, 20), "");
}

TEST_F(CommPortTest, LineSettingsAndExclusiveUse)
{
    // A descriptor of our own, opened before the link, to look at the terminal's state.
    UniqueFd probe(::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK));
    ASSERT_TRUE(probe.IsValid());

    CCommPort port(settings);
    ASSERT_EQ(port.Open(0), 0);
    termios tio{};
    ASSERT_EQ(::tcgetattr(probe.Get(), &tio), 0);
    EXPECT_EQ(::cfgetispeed(&tio), B9600);
    EXPECT_EQ(::cfgetospeed(&tio), B9600);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    int exclusive = 0;
    ASSERT_EQ(::ioctl(probe.Get(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);

    // Held by this link: a second link, and any other program that locks, are refused.
    CCommPort other(settings);
    EXPECT_EQ(other.Open(0), 3);
    EXPECT_FALSE(other.IsOpen());
    EXPECT_NE(::flock(probe.Get(), LOCK_EX | LOCK_NB), 0);

    // Closing clears exclusive mode and the lock: the other link gets the port.
    EXPECT_EQ(port.Close(), 0);
    ASSERT_EQ(::ioctl(probe.Get(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    EXPECT_EQ(other.Open(0), 0);
    other.Close();

    // And a port locked by another program cannot be taken over.
    ASSERT_EQ(::flock(probe.Get(), LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(port.Open(0), 3);
    ::flock(probe.Get(), LOCK_UN);
    EXPECT_EQ(port.Open(0), 0);
}

TEST_F(CommPortTest, WriteReadAndFlushKeepEveryByte)
{
    CCommPort port(settings);
    ASSERT_EQ(port.Open(0), 0);

    const std::string line = "SH1=6\r\n";
    EXPECT_EQ(port.Write(line.data(), static_cast<uint32_t>(line.size()), 400), 0);
    EXPECT_EQ(pty.ReadMaster(64), line);

    // Every byte value passes unchanged both ways: no CR/LF translation, no XON/XOFF, no NUL
    // handling, no stripping of the eighth bit.
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(port.Write(all.data(), static_cast<uint32_t>(all.size()), 400), 0);
    EXPECT_EQ(pty.ReadMaster(all.size()), all);

    ASSERT_TRUE(pty.WriteMaster(all));
    std::string in(all.size(), '\0');
    int32_t received = 0;
    EXPECT_EQ(port.Read(in.data(), static_cast<int32_t>(in.size()), received, 1000), 0);
    EXPECT_EQ(received, 256);
    EXPECT_EQ(in, all);

    // Wanted 0 returns at once with nothing received, even with bytes waiting.
    ASSERT_TRUE(pty.WriteMaster("AB"));
    WaitForBytes(port, 2);
    char buffer[4] = {'-', '-', '-', '-'};
    received = -1;
    EXPECT_EQ(port.Read(buffer, 0, received, 1000), 0);
    EXPECT_EQ(received, 0);
    // Two of four bytes in time: 7, with the two bytes in the buffer.
    EXPECT_EQ(port.Read(buffer, 4, received, 50), 7);
    EXPECT_EQ(received, 2);
    EXPECT_EQ(std::string(buffer, 2), "AB");
    // A time-out of 0 still takes what is waiting.
    ASSERT_TRUE(pty.WriteMaster("C"));
    WaitForBytes(port, 1);
    EXPECT_EQ(port.Read(buffer, 1, received, 0), 0);
    EXPECT_EQ(received, 1);
    EXPECT_EQ(buffer[0], 'C');

    // Flush discards only what is waiting.
    ASSERT_TRUE(pty.WriteMaster("stale"));
    WaitForBytes(port, 5);
    EXPECT_EQ(port.GetBytesWaiting(), 5);
    EXPECT_EQ(port.Flush(), 0);
    EXPECT_EQ(port.GetBytesWaiting(), 0);
    EXPECT_EQ(port.Flush(), 0);
    ASSERT_TRUE(pty.WriteMaster("n"));
    EXPECT_EQ(port.Read(buffer, 1, received, 1000), 0);
    EXPECT_EQ(buffer[0], 'n');
}

TEST_F(CommPortTest, ByteAtATimeReadsShareOneFetchThatFlushAndCloseDiscard)
{
    CCommPort port(settings);
    ASSERT_EQ(port.Open(0), 0);
    char byte = 0;
    int32_t received = 0;
    auto readByte = [&] {
        byte = '-';
        return port.Read(&byte, 1, received, 1000) == 0 && received == 1 ? byte : '?';
    };

    // The first byte fetches the whole answer; the rest count as waiting and come out in order.
    ASSERT_TRUE(pty.WriteMaster("COMPLETE\r\n"));
    WaitForBytes(port, 10);
    EXPECT_EQ(readByte(), 'C');
    EXPECT_EQ(port.GetBytesWaiting(), 9);
    ASSERT_TRUE(pty.WriteMaster("!"));
    WaitForBytes(port, 10);
    std::string rest;
    for (int i = 0; i < 10; ++i)
        rest += readByte();
    EXPECT_EQ(rest, "OMPLETE\r\n!");

    // Flush drops the fetched bytes with the device's; later bytes stay.
    ASSERT_TRUE(pty.WriteMaster("stale"));
    WaitForBytes(port, 5);
    EXPECT_EQ(readByte(), 's');
    EXPECT_EQ(port.Flush(), 0);
    EXPECT_EQ(port.GetBytesWaiting(), 0);
    ASSERT_TRUE(pty.WriteMaster("n"));
    EXPECT_EQ(readByte(), 'n');

    // So does closing: a reopened port starts empty.
    ASSERT_TRUE(pty.WriteMaster("old"));
    WaitForBytes(port, 3);
    EXPECT_EQ(readByte(), 'o');
    EXPECT_EQ(port.Close(), 0);
    EXPECT_EQ(port.GetBytesWaiting(), 0);
    ASSERT_EQ(port.Open(0), 0);
    EXPECT_EQ(port.GetBytesWaiting(), 0);

    // Bytes fetched before a hang-up are still handed out; then the read fails.
    ASSERT_TRUE(pty.WriteMaster("AB"));
    WaitForBytes(port, 2);
    EXPECT_EQ(readByte(), 'A');
    pty.CloseMaster();
    EXPECT_EQ(readByte(), 'B');
    EXPECT_EQ(port.Read(&byte, 1, received, 1000), 5);
}

TEST_F(CommPortTest, ReadTimesOutOnSilentLine)
{
    CCommPort port(settings);
    ASSERT_EQ(port.Open(0), 0);
    char byte = 0;
    int32_t received = -1;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Read(&byte, 1, received, 400), 7);
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(received, 0);
    EXPECT_GT(elapsed, Ms(400));
    EXPECT_LT(elapsed, Ms(5000));
}

TEST_F(CommPortTest, HungUpLineFailsWithoutWaiting)
{
    CCommPort port(settings);
    ASSERT_EQ(port.Open(0), 0);
    pty.CloseMaster();

    char buffer[4] = {};
    int32_t received = -1;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Read(buffer, 4, received, 3000), 5);
    EXPECT_EQ(received, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, Ms(1500));
    EXPECT_EQ(port.Write("x", 1, 400), 4);
    EXPECT_EQ(port.GetBytesWaiting(), 0);
    EXPECT_EQ(port.Flush(), 0);
    EXPECT_EQ(port.Close(), 0);
}

} // namespace
} // namespace zr
