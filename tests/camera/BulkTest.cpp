// Read-all, write-all and the EEPROM areas against the simulated camera over a pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CameraOnSimulator.h"
#include "camera/CameraError.h"

namespace zr
{
namespace
{

using Strings = std::vector<std::string>;

bool Contains(const Strings& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

Strings Queries(const Strings& mnemonics)
{
    Strings lines;
    for (const std::string& m : mnemonics)
        lines.push_back(m + "?");
    return lines;
}

// The Imager 1 rows every imager has, in table order.
const Strings kImager1Rows = {"SM1", "SH1",  "PE1",  "TR1",  "SL1",  "TI1", "TP1",
                              "SC1", "OS1",  "GA1",  "AGC1", "AGR1", "BL1", "BLY1",
                              "KN1", "KSY1", "KPY1", "SDM1", "PBY1", "RF1", "CM1"};
const Strings kImager2Rows = {"SM2",  "SH2",  "PE2",  "TR2",  "SL2",  "TI2",  "TP2",
                              "SC2",  "OS2",  "GA2",  "AGC2", "AGR2", "BLY2", "KN2",
                              "KSY2", "KPY2", "SDM2", "PBY2", "RF2",  "CM2"};

using Bulk = test::CameraOnSimulator;

TEST_F(Bulk, ReadAllAsksTheRowsOfTheImagersInTableOrder)
{
    Start("ZR-471"); // two monochrome imagers, alike
    Sim().SetValue("GA2", 77);
    Sim().SetText("UD", "Bay 3");
    int32_t failed = -1;
    EXPECT_EQ(camera->ReadAll(failed), 0);
    EXPECT_EQ(failed, 0);

    Strings expected = {"VN", "PV", "ID", "MD", "UD"};
    expected.insert(expected.end(), kImager1Rows.begin(), kImager1Rows.end());
    expected.insert(expected.end(), kImager2Rows.begin(), kImager2Rows.end());
    expected.insert(expected.end(), {"HF", "IS", "BI1", "YA", "EA"});
    const Strings lines = TakeLines();
    EXPECT_EQ(lines, Queries(expected));
    // BL1 has no availability condition, its twin BL2 needs a colour Imager 2.
    EXPECT_TRUE(Contains(lines, "BL1?"));
    EXPECT_FALSE(Contains(lines, "BL2?"));

    EXPECT_EQ(camera->GetValue(P_GA2), 77);
    EXPECT_EQ(camera->GetText(P_UD), "Bay 3");
    EXPECT_EQ(camera->GetValue(P_VN), 105);
    EXPECT_TRUE(camera->IsSynchronized());
    EXPECT_TRUE(camera->IsRowSynchronized(P_EA));
    // Every row read is notified, not interactively, and the status is set last.
    const Strings& events = camera->Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "value 58 0"), 1);
    EXPECT_EQ(events.back(), "synchronized 1");

    // A colour Imager 1 beside a monochrome Imager 2: the colour rows of Imager 1 only, and no
    // rows that need alike imagers.
    Start("ZR-470");
    EXPECT_EQ(camera->ReadAll(failed), 0);
    const Strings colour = TakeLines();
    EXPECT_TRUE(Contains(colour, "WB1?"));
    EXPECT_TRUE(Contains(colour, "KPB1?"));
    EXPECT_FALSE(Contains(colour, "WB2?"));
    EXPECT_FALSE(Contains(colour, "BL2?"));
    EXPECT_FALSE(Contains(colour, "BI1?"));
    EXPECT_EQ(colour.size(), expected.size() + 12 - 2);

    camera->SetOnline(false);
    EXPECT_EQ(camera->ReadAll(failed), CAMERA_OFFLINE);
    EXPECT_EQ(failed, 0);
    EXPECT_TRUE(TakeLines().empty());
}

TEST_F(Bulk, RefusedAnswerStopsReadAllAtItsRow)
{
    Start("ZR-470"); // imagers differ: the PIV trigger modes are not enabled
    Sim().SetValue("SM1", 1);
    Sim().SetValue("SH1", 7);
    Sim().SetValue("PE1", 300);
    Sim().SetValue("TR1", 4);
    Sim().SetValue("SL1", 1);
    camera->StoreValue(P_TR1, 2);

    int32_t failed = 0;
    EXPECT_EQ(camera->ReadAll(failed), CAMERA_ANSWER_OUT_OF_RANGE);
    EXPECT_EQ(failed, P_TR1);
    EXPECT_EQ(TakeLines().back(), "TR1?");
    // The rows read before keep their new values and flags; the refused one keeps its old value.
    EXPECT_EQ(camera->GetValue(P_SH1), 7);
    EXPECT_EQ(camera->GetValue(P_PE1), 300);
    EXPECT_TRUE(camera->IsRowSynchronized(P_VN));
    EXPECT_TRUE(camera->IsRowSynchronized(P_PE1));
    EXPECT_EQ(camera->GetValue(P_TR1), 2);
    EXPECT_FALSE(camera->IsRowSynchronized(P_TR1));
    EXPECT_EQ(camera->GetValue(P_SL1), 0);
    EXPECT_FALSE(camera->IsSynchronized());
    EXPECT_TRUE(camera->IsOnline());
}

// A stop request ends read-all and write-all before the next row, with its own code and the
// row it reached; the synchronised status is cleared, the link stays up. Progress counts rows.
TEST_F(Bulk, StopRequestEndsReadAllAndWriteAllBeforeTheNextRow)
{
    Start("ZR-470");
    camera->SetStopCheck([&] { return camera->Progress().size() == 3; });
    for (bool read : {true, false}) {
        camera->ClearEvents();
        int32_t failed = 0;
        EXPECT_EQ(read ? camera->ReadAll(failed) : camera->WriteAll(failed), OPERATION_STOPPED);
        const Strings lines = TakeLines();
        ASSERT_EQ(lines.size(), 3u) << read;
        EXPECT_EQ(lines[2].ends_with("?"), read) << lines[2];
        const std::string operation = read ? "Reading all settings " : "Writing all settings ";
        ASSERT_EQ(camera->Progress().size(), 3u);
        EXPECT_TRUE(camera->Progress()[0].starts_with(operation)) << camera->Progress()[0];
        EXPECT_TRUE(camera->Progress()[2].ends_with("/95"));
        EXPECT_GT(failed, 0);
        EXPECT_FALSE(camera->IsSynchronized());
        EXPECT_TRUE(camera->IsOnline());
    }
}

TEST_F(Bulk, WriteAllSendsTheReadRowsButNeverTheIdentityOrCommands)
{
    Start("ZR-470");
    int32_t failed = 0;
    ASSERT_EQ(camera->ReadAll(failed), 0);
    const Strings read = TakeLines();

    // Changed in the mirror only, a disabled row included (PE1 while SM1 is 0).
    camera->StoreValue(P_GA1, -40);
    camera->StoreValue(P_PE1, 123);
    camera->StoreText(P_UD, "never sent");
    EXPECT_EQ(camera->WriteAll(failed), 0);
    EXPECT_EQ(failed, 0);
    const Strings written = TakeLines();

    // The same rows as read-all, in the same order, without the identity and power-up rows.
    Strings expected;
    for (const std::string& query : read) {
        const std::string m = query.substr(0, query.size() - 1);
        if (m == "VN" || m == "PV" || m == "ID" || m == "MD" || m == "UD" || m == "EA")
            continue;
        const int32_t row = FindParameterByMnemonic(m.c_str());
        expected.push_back(m + "=" + std::to_string(camera->GetValue(row)));
    }
    EXPECT_EQ(written, expected);
    for (const char* never : {"UD=", "ULCK=", "AW1=", "RS1=", "LD=", "SA="})
        EXPECT_TRUE(std::none_of(written.begin(), written.end(), [&](const std::string& line) {
            return line.starts_with(never);
        })) << never;
    EXPECT_EQ(Sim().Value("GA1"), -40);
    EXPECT_EQ(Sim().Value("PE1"), 123);
    EXPECT_TRUE(camera->IsSynchronized());
    EXPECT_TRUE(camera->Events().back() == "synchronized 1");

    // A value the camera refuses stops write-all at its row; later rows are not sent.
    camera->StoreValue(P_GA1, 500);
    EXPECT_EQ(camera->WriteAll(failed), CAMERA_BAD_PARAMETER);
    EXPECT_EQ(failed, P_GA1);
    EXPECT_EQ(TakeLines().back(), "GA1=500");
    EXPECT_FALSE(camera->IsSynchronized());
    EXPECT_TRUE(camera->IsOnline());
}

TEST_F(Bulk, LoadAndStoreTheChosenArea)
{
    Start("ZR-470");
    camera->StoreValue(P_AREA, 2);
    int32_t failed = -1;
    EXPECT_EQ(camera->LoadArea(failed), 0);
    EXPECT_EQ(failed, 0);
    Strings lines = TakeLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "LD=2");
    EXPECT_EQ(lines[1], "VN?");
    EXPECT_EQ(lines.back(), "EA?");
    EXPECT_EQ(camera->GetValue(P_LD), 2);
    // The load row is notified before it is sent.
    ASSERT_GE(camera->Events().size(), 2u);
    EXPECT_EQ(camera->Events()[0], "value 92 1");
    EXPECT_EQ(camera->Events()[1], "sending 1");
    EXPECT_EQ(camera->GetValue(P_SH1), Sim().AreaValue(2, "SH1"));
    EXPECT_EQ(camera->GetValue(P_GA1), Sim().AreaValue(2, "GA1"));
    EXPECT_TRUE(camera->IsSynchronized());

    // Beyond the last area the row maximum is sent, which the camera refuses; nothing is read.
    camera->StoreValue(P_AREA, 7);
    EXPECT_EQ(camera->LoadArea(failed), CAMERA_BAD_PARAMETER);
    EXPECT_EQ(failed, P_LD);
    EXPECT_EQ(TakeLines(), Strings{"LD=3"});
    // A refused load leaves the synchronised status as it was.
    EXPECT_TRUE(camera->IsSynchronized());
    EXPECT_TRUE(camera->IsOnline());
    camera->StoreValue(P_AREA, -1);
    EXPECT_EQ(camera->LoadArea(), 0);
    EXPECT_EQ(TakeLines().front(), "LD=0");

    // Storing into the factory area is sent all the same; the camera refuses it.
    camera->StoreValue(P_AREA, 0);
    EXPECT_EQ(camera->StoreArea(), CAMERA_BAD_PARAMETER);
    EXPECT_EQ(TakeLines(), Strings{"SA=0"});
    EXPECT_EQ(camera->GetValue(P_SA), 0);
    EXPECT_TRUE(camera->IsOnline());

    Sim().SetValue("SH1", 9);
    camera->StoreValue(P_AREA, 1);
    camera->ClearEvents();
    EXPECT_EQ(camera->StoreArea(), 0);
    EXPECT_EQ(TakeLines(), Strings{"SA=1"});
    EXPECT_EQ(Sim().AreaValue(1, "SH1"), 9);
    EXPECT_EQ(camera->Events().front(), "value 93 1");
}

TEST_F(Bulk, CurrentAreaAsksOnlyWhileOnline)
{
    Start("ZR-470");
    Sim().SetValue("EA", 1);
    EXPECT_EQ(camera->GetCurrentArea(), 1);
    EXPECT_EQ(camera->GetCurrentAreaText(), "User 1 Data");
    EXPECT_EQ(TakeLines(), (Strings{"EA?", "EA?"}));

    camera->SetOnline(false);
    camera->StoreValue(P_EA, 2);
    Sim().SetValue("EA", 0);
    EXPECT_EQ(camera->GetCurrentArea(), 2);
    EXPECT_EQ(camera->GetCurrentAreaText(), "User 2 Data");
    EXPECT_TRUE(TakeLines().empty());
}

TEST_F(Bulk, LostCameraTakesTheObjectOffline)
{
    Start("ZR-470", {"silent:AGC1"});
    int32_t failed = 0;
    EXPECT_EQ(camera->ReadAll(failed), CAMERA_TIMEOUT);
    EXPECT_EQ(failed, P_AGC1);
    EXPECT_FALSE(camera->IsOnline());
    EXPECT_FALSE(camera->IsRowSynchronized(P_VN));
    EXPECT_EQ(camera->GetCurrentArea(), camera->GetValue(P_EA));
    EXPECT_EQ(camera->WriteAll(failed), CAMERA_OFFLINE);

    // A current area that cannot be asked reads as 0, not as the mirrored value.
    Start("ZR-470", {"silent:EA"});
    camera->StoreValue(P_EA, 2);
    EXPECT_EQ(camera->GetCurrentArea(), 0);
    EXPECT_FALSE(camera->IsOnline());
}

} // namespace
} // namespace zr
