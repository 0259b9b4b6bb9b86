// The camera data file against the simulated camera: the report byte for byte, the settings put
// back afterwards, and failures that keep the old file.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "CameraOnSimulator.h"
#include "camera/CameraError.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

using Strings = std::vector<std::string>;
using test::TempDir;
using test::WithFileSizeLimit;

// The rows a ZR-470 report shows (colour Imager 1, monochrome Imager 2), in table order.
const Strings kReportRows = {
    "IM1",  "SM1",  "SH1",  "PE1",  "TR1",  "SL1",  "TI1",  "TP1",  "SC1",  "OS1",  "WB1",  "GA1",
    "GAR1", "GAB1", "WA1",  "AGC1", "AGR1", "BL1",  "BLR1", "BLB1", "BLY1", "KN1",  "KSM1", "KSR1",
    "KSB1", "KSY1", "KPM1", "KPR1", "KPB1", "KPY1", "SDM1", "PBY1", "RF1",  "CM1",  "IM2",  "SM2",
    "SH2",  "PE2",  "TR2",  "SL2",  "TI2",  "TP2",  "SC2",  "OS2",  "GA2",  "AGC2", "AGR2", "BLY2",
    "KN2",  "KSY2", "KPY2", "SDM2", "PBY2", "RF2",  "CM2",  "HF",   "IS"};

// A 35-character column cell.
std::string Cell(const std::string& text)
{
    char cell[128];
    std::snprintf(cell, sizeof cell, "%-35s", (text + ",").c_str());
    return cell;
}

// A field as the report prints it: plain numbers in decimal, anything else by its value name.
std::string Field(int32_t row, int32_t value)
{
    const ParameterEntry& entry = kParameterTable[static_cast<size_t>(row)];
    if (entry.itemCount == 0)
        return std::to_string(value);
    for (int32_t i = 0; i < entry.itemCount; ++i)
        if (entry.items[i].value == value)
            return entry.items[i].text;
    return "?";
}

std::string Label(int32_t row)
{
    const std::string key = kParameterSettings[static_cast<size_t>(row)].key;
    if (row >= P_IM1 && row < P_IM2)
        return "IMG1:" + key;
    if (row >= P_IM2 && row < P_HF)
        return "IMG2:" + key;
    return key;
}

class CameraDataFile : public test::CameraOnSimulator
{
protected:
    // A camera whose current settings differ from every area, read into the mirror.
    void StartReadCamera()
    {
        Start("ZR-470");
        Sim().SetValue("SH1", 9);
        Sim().SetValue("GA2", 100);
        Sim().SetValue("KN1", 1);
        Sim().SetValue("VN", 7);
        Sim().SetValue("EA", 1);
        Sim().SetText("UD", "Line 7");
        int32_t failed = 0;
        ASSERT_EQ(camera->ReadAll(failed), 0);
        TakeLines();
        for (int32_t row = 0; row < PARAMETER_COUNT; ++row) {
            simBefore[static_cast<size_t>(row)] = Sim().Value(kParameterTable[row].mnemonic);
            mirrorBefore[static_cast<size_t>(row)] = camera->GetValue(row);
        }
    }

    // Whether the camera and the mirror hold the settings from before.
    void ExpectSettingsAsBefore()
    {
        for (int32_t row = 0; row < PARAMETER_COUNT; ++row) {
            const ParameterEntry& entry = kParameterTable[static_cast<size_t>(row)];
            if (entry.Has(PF_WRITE) && entry.Has(PF_BULK) && camera->IsAvailable(row)) {
                EXPECT_EQ(Sim().Value(entry.mnemonic), simBefore[static_cast<size_t>(row)])
                    << entry.mnemonic;
            }
            EXPECT_EQ(camera->GetValue(row), mirrorBefore[static_cast<size_t>(row)]) << row;
        }
    }

    std::array<int32_t, PARAMETER_COUNT> simBefore{};
    std::array<int32_t, PARAMETER_COUNT> mirrorBefore{};
};

TEST_F(CameraDataFile, ReportMatchesTheRulesAndTheCameraIsPutBack)
{
    StartReadCamera();
    TempDir dir;
    const std::string path = dir.File("line7.txt");
    ASSERT_TRUE(TempDir::WriteFile(path, "an older report\r\n"));
    int32_t index = -1;
    EXPECT_EQ(camera->WriteCameraDataFile(path, index), 0);
    EXPECT_EQ(index, 0);

    std::string golden = Cell("Model Name") + "ZR-470\r\n" + Cell("Camera ID") + "ZR47-00001\r\n" +
                         Cell("User ID") + "Line 7\r\n" + Cell("Firmware Version ") + "0.07\r\n" +
                         Cell("FPGA Version") + "1.02\r\n" + Cell("Power Up Setting") +
                         "User 1 Data\r\n";
    golden += Cell("(Settings)") + Cell("Current Setting") + Cell("Factory Data") +
              Cell("User 1 Data") + Cell("User 2 Data") + "\r\n";
    // Current settings, then the areas loaded in turn: factory, user 1, user 2, and the factory
    // area again for the fourth column, which has no area of its own.
    const int32_t areas[] = {0, 1, 2, 0};
    for (const std::string& m : kReportRows) {
        const int32_t row = FindParameterByMnemonic(m.c_str());
        const bool imager = row == P_IM1 || row == P_IM2;
        std::string line = Cell(Label(row)) + Cell(Field(row, simBefore[row]));
        for (int32_t c = 0; c < 4; ++c) {
            const int32_t value = imager ? simBefore[row] : Sim().AreaValue(areas[c], m);
            line += c < 3 ? Cell(Field(row, value)) : Field(row, value);
        }
        golden += line + "\r\n";
    }
    const std::string report = TempDir::ReadFile(path);
    EXPECT_EQ(report, golden);
    EXPECT_NE(report.find("IMG1:Shutter Speed," + std::string(16, ' ') + "1/10000,"),
              std::string::npos);
    EXPECT_NE(report.find("High Frame Rate,"), std::string::npos);
    EXPECT_EQ(dir.Names(), Strings{"line7.txt"});

    // The areas were loaded in turn; afterwards everything is as before and synchronised.
    Strings loads;
    for (const std::string& line : TakeLines())
        if (line.starts_with("LD="))
            loads.push_back(line);
    EXPECT_EQ(loads, (Strings{"LD=0", "LD=1", "LD=2", "LD=0"}));
    ExpectSettingsAsBefore();
    EXPECT_TRUE(camera->IsSynchronized());
    EXPECT_TRUE(camera->IsRowSynchronized(P_SH1));

    // A mirror value the camera never got (as after a change made offline): the camera gets its
    // own setting back, not the mirror's, and the mirror then shows the camera's.
    ASSERT_NE(simBefore[P_SH1], 3);
    camera->StoreValue(P_SH1, 3);
    EXPECT_EQ(camera->WriteCameraDataFile(path, index), 0);
    EXPECT_EQ(Sim().Value("SH1"), simBefore[P_SH1]);
    EXPECT_EQ(camera->GetValue(P_SH1), simBefore[P_SH1]);
}

TEST_F(CameraDataFile, FailuresKeepTheOldFile)
{
    StartReadCamera();
    TempDir dir;
    const std::string path = dir.File("old.txt");
    const std::string old = "an older report\r\n";
    ASSERT_TRUE(TempDir::WriteFile(path, old));
    int32_t index = -1;

    // A file that cannot be written: the old one stays, and the camera still gets its current
    // settings back.
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(camera->WriteCameraDataFile(path, index), CAMERA_FILE_ACCESS);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(TempDir::ReadFile(path), old);
    ExpectSettingsAsBefore();
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);

    ASSERT_TRUE(WithFileSizeLimit(
        1024, [&] { EXPECT_EQ(camera->WriteCameraDataFile(path, index), CAMERA_FILE_ACCESS); }));
    EXPECT_EQ(TempDir::ReadFile(path), old);
    EXPECT_EQ(dir.Names(), Strings{"old.txt"});
    ExpectSettingsAsBefore();

    ASSERT_TRUE(std::filesystem::create_directory(dir.File("folder.txt")));
    EXPECT_EQ(camera->WriteCameraDataFile(dir.File("folder.txt"), index), CAMERA_FILE_ACCESS);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.txt")));
    TakeLines();

    // A stop request once the first area is loaded: the collection ends at the next row, and
    // putting the current settings back is not stopped. No file is written.
    bool stop = false;
    camera->SetStopCheck([&] {
        const Strings lines = Sim().ReceivedLines();
        stop = stop || std::find(lines.begin(), lines.end(), "LD=0") != lines.end();
        return stop;
    });
    EXPECT_EQ(camera->WriteCameraDataFile(dir.File("new.txt"), index), OPERATION_STOPPED);
    camera->SetStopCheck(nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.txt")));
    const Strings lines = TakeLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "LD=0"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "LD=1"), 0);
    ExpectSettingsAsBefore();

    // A refused answer while the current settings are collected: the row is named, no file is
    // written, nothing is sent back, and the mirror is as before but unsynchronised.
    Sim().SetValue("TR1", 4);
    EXPECT_EQ(camera->WriteCameraDataFile(dir.File("new.txt"), index), CAMERA_ANSWER_OUT_OF_RANGE);
    EXPECT_EQ(index, P_TR1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.txt")));
    EXPECT_EQ(TakeLines().back(), "TR1?");
    EXPECT_EQ(camera->GetValue(P_TR1), mirrorBefore[P_TR1]);
    EXPECT_FALSE(camera->IsRowSynchronized(P_VN));

    // Offline nothing happens at all.
    camera->SetOnline(false);
    EXPECT_EQ(camera->WriteCameraDataFile(dir.File("new.txt"), index), CAMERA_OFFLINE);
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(TakeLines().empty());
    EXPECT_EQ(dir.Names(), (Strings{"folder.txt", "old.txt"}));
}

TEST_F(CameraDataFile, SettingsNotPutBackAreReportedOverTheStopAndTheFirstFailure)
{
    // The line closes once the camera has answered the second SH1 line. A stop as soon as the
    // factory area is loaded: SH1 was asked once, so the line closes in the middle of the
    // restoring write. That used to be reported as a plain stop.
    Start("ZR-470", {"close-after=2:SH1"});
    TempDir dir;
    int32_t index = -1;
    camera->SetStopCheck([&] {
        const Strings lines = Sim().ReceivedLines();
        return std::find(lines.begin(), lines.end(), "LD=0") != lines.end();
    });
    EXPECT_EQ(camera->WriteCameraDataFile(dir.File("stopped.txt"), index), RESTORE_FAILED);
    camera->SetStopCheck(nullptr);
    const Strings lines = TakeLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "SH1?"), 1);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "SH1=" + std::to_string(Sim().Value("SH1"))),
              lines.end()); // the restoring write had begun
    EXPECT_FALSE(camera->IsOnline());
    EXPECT_EQ(GetErrorString(RESTORE_FAILED),
              "The camera's settings could not be put back.\nThe camera keeps the settings of an "
              "EEPROM area; check the camera and its cable, then write the settings again.");

    // Without a stop the line closes while the factory area is collected: the camera can no
    // longer be put back at all, and that is the result rather than the collection's failure.
    Start("ZR-470", {"close-after=2:SH1"});
    EXPECT_EQ(camera->WriteCameraDataFile(dir.File("failed.txt"), index), RESTORE_FAILED);
    EXPECT_EQ(dir.Names(), Strings{});
}

} // namespace
} // namespace zr
