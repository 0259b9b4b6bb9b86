#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "comm/SerialDevices.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

using test::TempDir;
namespace fs = std::filesystem;

TEST(SerialDevices, StableNamesFirstThenAdaptersAndOnlyTheUartsTheKernelFound)
{
    TempDir dir;
    const std::string dev = dir.File("dev"), sys = dir.File("sys");
    fs::create_directories(dev + "/serial/by-id");
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyUSB0", "ttyACM1", "ttyS0", "ttyS1",
                             "ttyS12", "ttyUSBx", "tty0", "ttyprintk"})
        ASSERT_TRUE(TempDir::WriteFile(dev + "/" + name, ""));
    fs::create_symlink("../../ttyUSB2", dev + "/serial/by-id/usb-FTDI_FT232R_A1-if00-port0");
    fs::create_symlink("../../ttyACM1", dev + "/serial/by-id/usb-Arduino_Uno_75-if00");
    // ttyS0 has a UART (type 4), ttyS1 is a placeholder (type 0), ttyS12 has no entry at all.
    for (auto [name, type] : {std::pair{"ttyS0", "4\n"}, {"ttyS1", "0\n"}}) {
        fs::create_directories(sys + "/class/tty/" + name);
        ASSERT_TRUE(TempDir::WriteFile(sys + "/class/tty/" + name + "/type", type));
    }

    EXPECT_EQ(SerialDevices(dev, sys).Present(),
              (std::vector<std::string>{dev + "/serial/by-id/usb-Arduino_Uno_75-if00",
                                        dev + "/serial/by-id/usb-FTDI_FT232R_A1-if00-port0",
                                        dev + "/ttyUSB0", dev + "/ttyUSB2", dev + "/ttyUSB10",
                                        dev + "/ttyACM1", dev + "/ttyS0"}));
    // No device folder at all: nothing, and no failure.
    EXPECT_TRUE(SerialDevices(dir.File("none"), sys).Present().empty());
}

TEST(SerialDevices, StateSaysWhetherTheUserMayOpenTheDevice)
{
    TempDir dir;
    const std::string open = dir.File("open"), closed = dir.File("closed");
    ASSERT_TRUE(TempDir::WriteFile(open, ""));
    ASSERT_TRUE(TempDir::WriteFile(closed, ""));
    fs::permissions(closed, fs::perms::none);

    EXPECT_EQ(SerialDevices::StateOf(open), DeviceState::Present);
    EXPECT_EQ(SerialDevices::StateOf(dir.File("gone")), DeviceState::Missing);
    // Root may open anything.
    EXPECT_EQ(SerialDevices::StateOf(closed),
              ::geteuid() == 0 ? DeviceState::Present : DeviceState::NotPermitted);
    EXPECT_STREQ(SerialDevices::StateName(DeviceState::NotPermitted), "not permitted");
    EXPECT_STREQ(SerialDevices::StateName(DeviceState::Missing), "missing");
}

} // namespace
} // namespace zr
