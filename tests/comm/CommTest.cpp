#include <gtest/gtest.h>

#include <memory>

#include "comm/Comm.h"
#include "comm/CommPort.h"
#include "support/MemorySettings.h"
#include "support/PseudoTerminal.h"
#include "support/TestCommLinks.h"

namespace zr
{
namespace
{

using test::MemorySettings;
using test::TestCommLinks;

TEST(CommTest, RestoredChoiceFallsBackWhenGone)
{
    struct Case {
        int32_t storedClass, storedPort, wantClass, wantPort;
    };
    const Case cases[] = {
        {0, 7, 0, 7}, {0, 15, 0, 15}, {0, 16, 0, 0}, {0, 20, 0, 0},
        {1, 5, 0, 0}, {2, 0, 0, 0},   {0, -3, 0, 0}, {-1, 4, 0, 0},
    };
    for (const Case& c : cases) {
        MemorySettings settings;
        settings.WriteInt("Comm", "Class", c.storedClass);
        settings.WriteInt("Comm", "Port", c.storedPort);
        CComm comm(settings, TestCommLinks(settings));
        EXPECT_EQ(comm.GetCommClass(), c.wantClass) << c.storedClass << "/" << c.storedPort;
        EXPECT_EQ(comm.GetCommPort(), c.wantPort) << c.storedClass << "/" << c.storedPort;
        // Nothing is opened at construction, whatever was stored.
        EXPECT_EQ(comm.ActiveLink().GetLinkClassName(), "COM-Ports");
        EXPECT_FALSE(comm.ActiveLink().IsOpen());
    }
}

TEST(CommTest, ClassesPortsAndTheLastTriedChoice)
{
    MemorySettings settings;
    {
        // By default the real links: the sixteen COM ports, and the Camera Link class whatever
        // libraries the machine has.
        CComm standard(settings);
        EXPECT_EQ(standard.GetCommPortCount(0), 16);
        EXPECT_EQ(standard.GetCommClassName(0), "COM-Ports");
        EXPECT_EQ(standard.GetCommClassName(1), "CameraLink");
    }
    {
        CComm comm(settings, TestCommLinks(settings));
        EXPECT_EQ(comm.GetCommClass(), 0);
        EXPECT_EQ(comm.GetCommPort(), 0);
        EXPECT_EQ(comm.GetCommClassCount(), 1);
        EXPECT_EQ(comm.GetCommClassName(0), "COM-Ports");
        EXPECT_EQ(comm.GetCommClassName(1), "CameraLink");
        EXPECT_EQ(comm.GetCommPortCount(0), 16);
        EXPECT_EQ(comm.GetCommPortName(0, 0), "COM1");
        EXPECT_EQ(comm.GetCommPortName(0, 16), "");
        EXPECT_EQ(comm.GetCommPortName(1, 0), "");
        EXPECT_EQ(comm.ActiveLink().GetLinkClassName(), "COM-Ports");
        EXPECT_FALSE(comm.ActiveLink().IsOpen());

        // Destruction writes the class and port last tried, even when the open failed.
        EXPECT_EQ(comm.OpenCommPort(0, 16), 1);
        EXPECT_EQ(comm.GetCommClass(), 0);
        EXPECT_EQ(comm.GetCommPort(), 16);
    }
    EXPECT_EQ(settings.GetInt("Comm", "Class", -1), 0);
    EXPECT_EQ(settings.GetInt("Comm", "Port", -1), 16);

    {
        CComm comm(settings, TestCommLinks(settings));
        EXPECT_EQ(comm.GetCommPort(), 0); // 16 is beyond the list
        EXPECT_EQ(comm.OpenCommPort(1, 2), 1);
        EXPECT_EQ(comm.ActiveLink().GetLinkClassName(), "CameraLink");
    }
    EXPECT_EQ(settings.GetInt("Comm", "Class", -1), 1);
    EXPECT_EQ(settings.GetInt("Comm", "Port", -1), 2);
}

TEST(CommTest, OpenSwitchesAndReleasesTheActiveLink)
{
    test::PseudoTerminal pty;
    ASSERT_TRUE(pty.IsValid());
    MemorySettings settings;
    settings.WriteString("Comm", "COM3", pty.SlavePath());
    CCommPort other(settings);

    auto comm = std::make_unique<CComm>(settings, TestCommLinks(settings));
    ASSERT_EQ(comm->OpenCommPort(0, 2), 0);
    EXPECT_TRUE(comm->ActiveLink().IsOpen());
    EXPECT_EQ(comm->ActiveLink().Write("EB?\r\n", 5, 400), 0);
    EXPECT_EQ(pty.ReadMaster(5), "EB?\r\n");
    EXPECT_EQ(other.Open(2), 3);

    // Switching class closes the serial link first, so the port is free again.
    EXPECT_EQ(comm->OpenCommPort(1, 0), 1);
    EXPECT_EQ(comm->ActiveLink().GetLinkClassName(), "CameraLink");
    EXPECT_EQ(other.Open(2), 0);
    other.Close();

    // Destruction closes the active link.
    ASSERT_EQ(comm->OpenCommPort(0, 2), 0);
    comm.reset();
    EXPECT_EQ(other.Open(2), 0);
    EXPECT_EQ(settings.GetInt("Comm", "Port", -1), 2);
}

} // namespace
} // namespace zr
