// The camera object's transactions against the simulated camera on a pseudo-terminal.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "CameraOnSimulator.h"
#include "camera/CameraError.h"

namespace zr
{
namespace
{

using Strings = std::vector<std::string>;
using CameraSimulator = test::CameraOnSimulator;

TEST_F(CameraSimulator, SetsQueriesAndRefusalsKeepTheConnection)
{
    Start(); // ZR-470: colour Imager 1, monochrome Imager 2
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
    const Strings lines = TakeLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(Strings(lines.end() - 2, lines.end()), (Strings{"ULCK=4127", "UD=Line 7 west, bay"}));

    // A value out of range, a row this model lacks, the user ID without the unlock command
    // right before it: refused, and still connected.
    camera->StoreValue(P_SH1, 50); // bypasses the clamping of SetValue
    EXPECT_EQ(camera->SendValue(P_SH1, true), CAMERA_BAD_PARAMETER);
    EXPECT_FALSE(camera->IsRowSynchronized(P_SH1));
    EXPECT_EQ(camera->QueryValue(P_WB2, true), CAMERA_UNKNOWN_COMMAND);
    camera->StoreText(P_UD, "no unlock");
    EXPECT_EQ(camera->SendValue(P_UD, true), CAMERA_BAD_PARAMETER);
    EXPECT_TRUE(camera->IsOnline());

    // With echo on, the first line back is the echoed command: an invalid answer.
    camera->StoreValue(P_EB, 1);
    camera->SendValue(P_EB, true);
    EXPECT_EQ(camera->QueryValue(P_SH1, true), CAMERA_INVALID_ANSWER);
    EXPECT_TRUE(camera->IsOnline());
}

TEST_F(CameraSimulator, FaultsGiveTheirCodes)
{
    Start("ZR-470", {"silent:SH1", "noise:GA1", "nocrlf:CM1", "delay=150:PE1"});
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
    Start("ZR-470", {"close-after=2"}, true);
    Sim().SetValue("KPY1", 1000);
    EXPECT_EQ(camera->QueryValue(P_KPY1, true), 0);
    EXPECT_EQ(camera->GetValue(P_KPY1), 1000);
    EXPECT_EQ(camera->SetValue(P_KPY1, 12, true, false, true), 0);
    EXPECT_EQ(camera->QueryValue(P_KPY1, true), CAMERA_TIMEOUT);
    EXPECT_FALSE(camera->IsOnline());
}

} // namespace
} // namespace zr
