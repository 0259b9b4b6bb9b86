// The camera object's transactions against the simulated camera on a pseudo-terminal.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "camera/Camera.h"
#include "camera/CameraError.h"
#include "sim/lib/SimCamera.h"
#include "support/MemorySettings.h"
#include "support/RecordingCamera.h"

namespace zr
{
namespace
{

using Strings = std::vector<std::string>;
using test::MemorySettings;
using test::RecordingCamera;

class CameraSimulator : public ::testing::Test
{
protected:
    void TearDown() override
    {
        camera.reset();
        server.reset();
    }

    // Serves a simulated camera and connects a camera object to it on COM1, online.
    void Start(const sim::SimOptions& options = {})
    {
        camera.reset();
        server = std::make_unique<sim::PtyServer>(options);
        ASSERT_TRUE(server->IsServing());
        settings.WriteString("Comm", "COM1", server->DevicePath());
        camera = std::make_unique<RecordingCamera>(settings);
        ASSERT_EQ(camera->OpenCommPort(0, 0), 0);
        camera->SetOnline(true);
        camera->ClearEvents();
    }

    sim::SimCamera& Sim() { return server->Camera(); }

    MemorySettings settings;
    std::unique_ptr<sim::PtyServer> server;
    std::unique_ptr<RecordingCamera> camera;
};

TEST_F(CameraSimulator, SetsAndQueriesReachTheCamera)
{
    Start();
    EXPECT_EQ(camera->SetValue(P_SH1, 6, true, true, true), 0);
    EXPECT_EQ(Sim().Value("SH1"), 6);
    EXPECT_TRUE(camera->IsRowSynchronized(P_SH1));
    EXPECT_EQ(camera->SetValue(P_GA1, -84, true, true, true), 0);
    EXPECT_EQ(Sim().Value("GA1"), -84);

    Sim().SetValue("GA1", 120);
    EXPECT_EQ(camera->QueryValue(P_GA1, true), 0);
    EXPECT_EQ(camera->GetValue(P_GA1), 120);
    EXPECT_EQ(camera->QueryValue(P_MD, true), 0);
    EXPECT_EQ(camera->GetText(P_MD), "ZR-470");

    // The connection check's question: answered, but never logged.
    camera->ClearEvents();
    EXPECT_EQ(camera->QueryValue(P_EB, true), 0);
    EXPECT_TRUE(camera->Log().empty());

    EXPECT_EQ(camera->SetUserID("Line 7 west, bay 12"), 0);
    EXPECT_EQ(Sim().Text("UD"), "Line 7 west, bay");
    EXPECT_EQ(camera->Log(), (std::vector<std::pair<std::string, bool>>{
                                 {"UD=Line 7 west, bay\r\n", true}, {"COMPLETE\r\n", false}}));
    const Strings lines = Sim().ReceivedLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "ULCK=4127");
}

TEST_F(CameraSimulator, RefusalsKeepTheConnection)
{
    sim::SimOptions options;
    options.model = "ZR-471"; // two monochrome imagers: no white balance
    Start(options);

    camera->StoreValue(P_SH1, 50); // bypasses the clamping of SetValue
    EXPECT_EQ(camera->SendValue(P_SH1, true), CAMERA_BAD_PARAMETER);
    EXPECT_EQ(camera->QueryValue(P_WB1, true), CAMERA_UNKNOWN_COMMAND);
    EXPECT_FALSE(camera->IsRowSynchronized(P_SH1));
    EXPECT_TRUE(camera->IsOnline());

    // The user ID is refused without the unlock command right before it.
    camera->StoreText(P_UD, "no unlock");
    EXPECT_EQ(camera->SendValue(P_UD, true), CAMERA_BAD_PARAMETER);

    // With echo on, the first line back is the echoed command: an invalid answer.
    camera->StoreValue(P_EB, 1);
    camera->SendValue(P_EB, true);
    EXPECT_EQ(camera->QueryValue(P_SH1, true), CAMERA_INVALID_ANSWER);
    EXPECT_TRUE(camera->IsOnline());
}

TEST_F(CameraSimulator, FaultsGiveTheirCodes)
{
    sim::SimOptions options;
    options.faults = {"silent:SH1", "noise:GA1", "nocrlf:CM1", "delay=150:PE1"};
    Start(options);

    EXPECT_EQ(camera->SendValue(P_GA1, true), CAMERA_INVALID_ANSWER);
    EXPECT_EQ(camera->SendValue(P_PE1, true), 0);
    EXPECT_EQ(camera->SendValue(P_CM1, false), CAMERA_TIMEOUT);
    EXPECT_TRUE(camera->IsOnline());
    EXPECT_EQ(camera->QueryValue(P_SH1, true), CAMERA_TIMEOUT);
    EXPECT_FALSE(camera->IsOnline());
    EXPECT_FALSE(camera->ActiveLink().IsOpen());
    EXPECT_EQ(camera->Events().back(), "synchronized 0");
}

TEST_F(CameraSimulator, PacedLineAndClosedLine)
{
    sim::SimOptions options;
    options.pace = true;
    options.faults = {"close-after=2"};
    Start(options);

    Sim().SetValue("KPY1", 1000);
    EXPECT_EQ(camera->QueryValue(P_KPY1, true), 0);
    EXPECT_EQ(camera->GetValue(P_KPY1), 1000);
    EXPECT_EQ(camera->SetValue(P_KPY1, 12, true, false, true), 0);
    EXPECT_EQ(camera->QueryValue(P_KPY1, true), CAMERA_TIMEOUT);
    EXPECT_FALSE(camera->IsOnline());
}

} // namespace
} // namespace zr
