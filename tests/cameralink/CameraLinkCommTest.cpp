#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ClTestBed.h"
#include "camera/Camera.h"
#include "comm/Comm.h"
#include "support/MemorySettings.h"
#include "support/TestCommLinks.h"

namespace zr
{
namespace
{

using test::ClTestBed;
using test::MemorySettings;
using test::TestCommLinks;

TEST(CameraLinkCommTest, WithoutLibrariesOnlyTheSerialPortClassIsOffered)
{
    MemorySettings settings;
    settings.WriteInt("Comm", "Class", 1);
    settings.WriteInt("Comm", "Port", 0);
    CComm comm(settings, TestCommLinks(settings));
    EXPECT_EQ(comm.GetCommClassCount(), 1);
    EXPECT_EQ(comm.GetCommClass(), 0);
    EXPECT_EQ(comm.GetCommPort(), 0);
    EXPECT_EQ(comm.GetCommClassName(1), "CameraLink");
    EXPECT_EQ(comm.OpenCommPort(1, 0), 1);
}

TEST(CameraLinkCommTest, CommOffersTheCameraLinkClass)
{
    ClTestBed bed;
    bed.AddFourPorts();
    MemorySettings settings;
    settings.WriteInt("Comm", "Class", 1);
    settings.WriteInt("Comm", "Port", 3);
    {
        CComm comm(settings, TestCommLinks(settings, ClTestBed::LibraryFolder()));
        EXPECT_EQ(comm.GetCommClassCount(), 2);
        EXPECT_EQ(comm.GetCommClass(), 1);
        EXPECT_EQ(comm.GetCommPort(), 3);
        EXPECT_EQ(comm.GetCommClassName(1), "CameraLink");
        ASSERT_EQ(comm.GetCommPortCount(1), 4);
        EXPECT_EQ(comm.GetCommPortName(1, 0), "Maker A");
        EXPECT_EQ(comm.GetCommPortName(1, 2), "Grabber X - Port 0");
        EXPECT_EQ(comm.GetCommPortName(1, 4), "");

        // Data through this class is checked by the camera transactions below.
        ASSERT_EQ(comm.OpenCommPort(1, 2), 0);
        EXPECT_EQ(comm.ActiveLink().GetLinkClassName(), "CameraLink");
        bed.ClearLog();
    }
    // The links handed in are the CComm's own: it closes the port and they unload the library.
    EXPECT_EQ(bed.Log(),
              (std::vector<std::string>{"ClAllSerial clSerialClose", "ClAllSerial unload"}));
    EXPECT_EQ(settings.GetInt("Comm", "Class", -1), 1);
    EXPECT_EQ(settings.GetInt("Comm", "Port", -1), 2);

    // A port beyond the list falls back to port 0 of the same class.
    settings.WriteInt("Comm", "Port", 4);
    CComm comm(settings, TestCommLinks(settings, ClTestBed::LibraryFolder()));
    EXPECT_EQ(comm.GetCommClass(), 1);
    EXPECT_EQ(comm.GetCommPort(), 0);
}

TEST(CameraLinkCommTest, CameraTransactionsThroughEachLibrary)
{
    ClTestBed bed;
    bed.AddFourPorts();
    struct Case {
        int32_t port;
        const char* model;
    };
    for (const Case& c : {Case{1, "ZR-472"}, Case{3, "ZR-471"}}) {
        MemorySettings settings;
        CCamera camera(settings, TestCommLinks(settings, ClTestBed::LibraryFolder()));
        ASSERT_EQ(camera.OpenCommPort(1, c.port), 0) << c.port;
        camera.SetOnline(true);

        EXPECT_EQ(camera.QueryValue(P_MD, false), 0) << c.port;
        EXPECT_EQ(camera.GetText(P_MD), c.model) << c.port;

        // The value goes to the camera and comes back from it.
        ASSERT_EQ(camera.SetValue(P_SH1, 5, false, false, false), 0) << c.port;
        EXPECT_EQ(camera.SendValue(P_SH1, false), 0) << c.port;
        EXPECT_TRUE(camera.IsRowSynchronized(P_SH1)) << c.port;
        camera.StoreValue(P_SH1, 0);
        EXPECT_EQ(camera.QueryValue(P_SH1, false), 0) << c.port;
        EXPECT_EQ(camera.GetValue(P_SH1), 5) << c.port;
    }
}

} // namespace
} // namespace zr
