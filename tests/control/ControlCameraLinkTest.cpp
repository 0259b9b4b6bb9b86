// The control over the Camera Link class, through the test Camera Link serial libraries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlTestBed.h"
#include "support/TestCommLinks.h"

namespace zr
{
namespace
{

using Strings = std::vector<std::string>;
using test::ControlTestBed;

// A control bed whose controls are handed the test Camera Link libraries: port 0 a grabber
// whose camera never answers, port 1 a ZR-471.
class ControlCameraLink : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::TempDir::WriteFile(
            bed.dir.File("cl.conf"), "ClSerial port \"Maker A\" silent\n"
                                     "ClAllSerial port \"Grabber X\" \"Port 0\" model=ZR-471\n"));
        bed.cameraLinkFolder = test::ClTestLibraryFolder();
    }

    ControlTestBed bed;
    test::ScopedEnv config{"ZR_CL_TEST_CONFIG", bed.dir.File("cl.conf")};
};

TEST_F(ControlCameraLink, StartCommunicationOverCameraLink)
{
    CXKorvelCamCtrl& control = bed.MakeControl();
    control.StoreValue(P_IM1, 5);
    ASSERT_EQ(control.AskCommClassRange(1), 1);
    EXPECT_EQ(control.AskCommClassString(1), "CameraLink");
    EXPECT_EQ(control.AskCommPortRange(1, 1), 1);
    EXPECT_EQ(control.AskCommPortString(1, 1), "Grabber X - Port 0");

    EXPECT_EQ(control.StartCommunication(1, 1), 0);
    EXPECT_TRUE(control.CheckOnline());
    EXPECT_EQ(control.GetText(P_MD), "ZR-471");
    EXPECT_EQ(control.GetValue(P_IM1), 0);
    EXPECT_EQ(bed.ui.Lines("event ModelNameChanged").size(), 1u);
}

TEST_F(ControlCameraLink, SearchGoesOnFromTheSerialPortsToCameraLink)
{
    CXKorvelCamCtrl& control = bed.MakeControl();
    int32_t commClass = -1, port = -1;

    EXPECT_EQ(control.AutoSelectCommunication(commClass, port, true), 1);
    EXPECT_EQ(commClass, 1);
    EXPECT_EQ(port, 1);
    EXPECT_TRUE(control.CheckOnline());
    EXPECT_EQ(bed.ui.Lines("progress range"), (Strings{"progress range 0 18"}));
    const Strings titles = bed.ui.Lines("progress title");
    ASSERT_EQ(titles.size(), 18u);
    EXPECT_EQ(titles[16], "progress title In Progress ( 94.4%)");
    EXPECT_EQ(titles[17], "progress title In Progress (100.0%)");
    EXPECT_EQ(bed.ui.Lines("progress message").back(),
              "progress message Checking CameraLink - Grabber X - Port 0 ...");
}

} // namespace
} // namespace zr
