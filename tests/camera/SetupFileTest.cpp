// Setup files: the layout of a new file, update in place, loading with its checks, and bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "CameraOnSimulator.h"
#include "base/ProfileFile.h"
#include "camera/CameraError.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

using Strings = std::vector<std::string>;
using test::TempDir;
using test::WithFileSizeLimit;
using SetupFile = test::CameraOnSimulator;

// The section lines of a file, in order, without their line ends.
Strings Sections(const std::string& text)
{
    Strings sections;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("["))
            sections.push_back(line.substr(0, line.find('\r')));
    return sections;
}

TEST_F(SetupFile, NewFileHoldsTheAvailableRowsInTableOrder)
{
    Start("ZR-470"); // colour Imager 1, monochrome Imager 2; never asked: no camera needed
    camera->SetOnline(false);
    camera->StoreValue(P_SH1, 6);
    camera->StoreValue(P_GA1, -84);
    camera->StoreValue(P_GAR1, 35);
    camera->StoreValue(P_HF, 1);
    camera->StoreValue(P_AREA, 2);
    TempDir dir;
    const std::string path = dir.File("line7.cam");
    int32_t rows = 0;
    EXPECT_EQ(camera->WriteSetupFile(path, rows), 0);
    EXPECT_EQ(rows, PARAMETER_COUNT);

    const std::string text = TempDir::ReadFile(path);
    EXPECT_TRUE(
        text.starts_with("[General]\r\nModelName=ZR-47xCL\r\nImager1 Type=5\r\n"
                         "Imager2 Type=0\r\nHigh Frame Rate=1\r\nImage Synchronization=0\r\n"
                         "[IMG1 Shutter]\r\nShutter Mode=0\r\nShutter Speed=6\r\n"
                         "Programmable Exposure=0\r\n[IMG1 Trigger]\r\n"));
    EXPECT_TRUE(text.ends_with("[User Area]\r\nEEPROM Area=2\r\n"));
    EXPECT_EQ(Sections(text),
              (Strings{"[General]", "[IMG1 Shutter]", "[IMG1 Trigger]", "[IMG1 Image Format]",
                       "[IMG1 Gain]", "[IMG1 Others]", "[IMG1 Knee]", "[IMG1 Shading]",
                       "[IMG2 Shutter]", "[IMG2 Trigger]", "[IMG2 Image Format]", "[IMG2 Gain]",
                       "[IMG2 Others]", "[IMG2 Knee]", "[IMG2 Shading]", "[User Area]"}));
    // Every line ends with CR LF.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'),
              std::count(text.begin(), text.end(), '\r'));

    ProfileFile file(path);
    EXPECT_EQ(file.GetString("IMG1 Gain", "Red Gain", "-"), "35");
    EXPECT_EQ(file.GetString("IMG1 Gain", "Green Gain", "-"), "-84");
    EXPECT_EQ(file.GetString("IMG2 Gain", "Red Gain", "-"), "-");
    EXPECT_EQ(file.GetString("IMG2 Gain", "Green Setup Level", "-"), "-");
    EXPECT_EQ(file.GetString("IMG1 Trigger", "Tigger Input", "-"), "0");
    // Only with alike imagers; never the command and result rows.
    EXPECT_EQ(file.GetString("General", "V Binning", "-"), "-");
    EXPECT_EQ(file.GetString("IMG1 Gain", "One-Push AWB", "-"), "-");
    EXPECT_EQ(file.GetString("IMG1 Shading", "Calibrate Result", "-"), "-");
    EXPECT_TRUE(TakeLines().empty());
}

TEST_F(SetupFile, WritingIntoAnExistingFileKeepsEverythingElse)
{
    Start("ZR-471");
    camera->SetOnline(false);
    camera->StoreValue(P_SH1, 6);
    TempDir dir;
    const std::string path = dir.File("kept.cam");
    const std::string mine = "; notes of line 7\r\n\r\n[Lens]\r\nFocus = 12 \r\n\r\n"
                             "[img1 shutter]\r\nshutter speed = 3\r\nOwn=x\r\n\r\n"
                             "; closing words\n";
    ASSERT_TRUE(TempDir::WriteFile(path, mine));
    int32_t rows = 0;
    EXPECT_EQ(camera->WriteSetupFile(path, rows), 0);

    // The entry keeps its spelling; new keys follow the section's last entry; new sections go to
    // the end.
    const std::string text = TempDir::ReadFile(path);
    EXPECT_TRUE(text.starts_with("; notes of line 7\r\n\r\n[Lens]\r\nFocus = 12 \r\n\r\n"
                                 "[img1 shutter]\r\nshutter speed = 6\r\nOwn=x\r\n"
                                 "Shutter Mode=0\r\nProgrammable Exposure=0\r\n\r\n"
                                 "; closing words\n[General]\r\nModelName=ZR-47xCL\r\n"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '['), 17);

    // Written again: nothing changes.
    EXPECT_EQ(camera->WriteSetupFile(path, rows), 0);
    EXPECT_EQ(TempDir::ReadFile(path), text);
    EXPECT_EQ(dir.Names(), Strings{"kept.cam"});
}

TEST_F(SetupFile, ReadingLoadsAndSendsRowByRow)
{
    Start("ZR-470");
    TempDir dir;
    const std::string path = dir.File("round.cam");
    camera->StoreValue(P_SH1, 4);
    camera->StoreValue(P_GAR1, 35);
    camera->StoreValue(P_AREA, 1);
    int32_t index = 0;
    ASSERT_EQ(camera->WriteSetupFile(path, index), 0);
    camera->StoreValue(P_SH1, 0);
    camera->StoreValue(P_GAR1, 0);
    camera->StoreValue(P_AREA, 0);

    EXPECT_EQ(camera->ReadSetupFile(path, index), 0);
    EXPECT_EQ(index, PARAMETER_COUNT);
    EXPECT_EQ(camera->GetValue(P_AREA), 1);
    EXPECT_EQ(Sim().Value("SH1"), 4);
    EXPECT_EQ(Sim().Value("GAR1"), 35);
    EXPECT_TRUE(camera->IsRowSynchronized(P_GAR1));
    EXPECT_FALSE(camera->IsBulkLoad());
    // In table order, each notified (not interactively) before it is sent; the imager types and
    // the area choice are never sent.
    const Strings lines = TakeLines();
    EXPECT_EQ(lines.front(), "SM1=0");
    EXPECT_EQ(lines[1], "SH1=4");
    EXPECT_EQ(lines.back(), "IS=0");
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with("IM") || line.starts_with("LD") || line.starts_with("UD");
    }));
    const Strings& events = camera->Events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(Strings(events.begin(), events.begin() + 3),
              (Strings{"value 9 0", "value 10 0", "sending 1"}));
    EXPECT_TRUE(std::none_of(events.begin(), events.end(), [](const std::string& e) {
        return e.starts_with("value ") && e.ends_with(" 1");
    }));

    // A clamped value is sent as clamped; a key found regardless of letter case.
    std::string text = TempDir::ReadFile(path);
    text.replace(text.find("Shutter Speed=4"), 15, "shutter speed = 25");
    text.replace(text.find("ModelName"), 9, "MODELNAME");
    ASSERT_TRUE(TempDir::WriteFile(path, text));
    EXPECT_EQ(camera->ReadSetupFile(path, index), 0);
    EXPECT_EQ(camera->GetValue(P_SH1), 11);
    EXPECT_EQ(Sim().Value("SH1"), 11);
    const Strings clamped = TakeLines();
    EXPECT_TRUE(std::find(clamped.begin(), clamped.end(), "SH1=11") != clamped.end());

    // A monochrome Imager 1 in the file: its colour rows are skipped from then on, though the
    // file holds them, and the rows of alike imagers become due, though the file lacks them.
    text.replace(text.find("Imager1 Type=5"), 14, "Imager1 Type=0");
    ASSERT_TRUE(TempDir::WriteFile(path, text));
    EXPECT_EQ(camera->ReadSetupFile(path, index), CAMERA_UNMATCHED_FILE);
    EXPECT_EQ(index, P_BI1);
    EXPECT_EQ(camera->GetValue(P_IM1), 0);
    const Strings mono = TakeLines();
    EXPECT_TRUE(std::find(mono.begin(), mono.end(), "GAR1=35") == mono.end());
    EXPECT_TRUE(std::find(mono.begin(), mono.end(), "SH1=11") != mono.end());
    EXPECT_EQ(mono.back(), "IS=0");

    // Offline the first writable row fails, after the imager type was taken.
    camera->StoreValue(P_IM1, 5);
    camera->SetOnline(false);
    EXPECT_EQ(camera->ReadSetupFile(path, index), CAMERA_OFFLINE);
    EXPECT_EQ(index, P_SM1);
    EXPECT_EQ(camera->GetValue(P_IM1), 0);
    EXPECT_FALSE(camera->IsBulkLoad());
}

TEST_F(SetupFile, ReadingStopsAtAForeignModelOrAMissingValue)
{
    Start("ZR-470");
    TempDir dir;
    const std::string path = dir.File("check.cam");
    int32_t index = -1;
    camera->StoreValue(P_SM1, 1);
    ASSERT_EQ(camera->WriteSetupFile(path, index), 0);
    const std::string good = TempDir::ReadFile(path);
    camera->StoreValue(P_IM1, 7);
    camera->StoreValue(P_SM1, 0);

    // The family name must match exactly: nothing is taken.
    std::string text = good;
    text.replace(text.find("ZR-47xCL"), 8, "zr-47xcl");
    ASSERT_TRUE(TempDir::WriteFile(path, text));
    EXPECT_EQ(camera->ReadSetupFile(path, index), CAMERA_UNMATCHED_FILE);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(camera->GetValue(P_IM1), 7);

    // Rows before the missing one are loaded and sent, then the row that lacks its value.
    text = good;
    text.erase(text.find("Shutter Speed="),
               text.find("Programmable") - text.find("Shutter Speed="));
    ASSERT_TRUE(TempDir::WriteFile(path, text));
    EXPECT_EQ(camera->ReadSetupFile(path, index), CAMERA_UNMATCHED_FILE);
    EXPECT_EQ(index, P_SH1);
    EXPECT_EQ(camera->GetValue(P_IM1), 5);
    EXPECT_EQ(TakeLines(), Strings{"SM1=1"});
    EXPECT_FALSE(camera->IsBulkLoad());
}

TEST_F(SetupFile, BadFilesGiveCodesAndLoseNothing)
{
    Start("ZR-470");
    TempDir dir;
    int32_t index = 0;
    camera->StoreValue(P_SH1, 5);

    // Reading: a missing file reads as no data; a folder or an oversized file cannot be read.
    EXPECT_EQ(camera->ReadSetupFile(dir.File("missing.cam"), index), CAMERA_UNMATCHED_FILE);
    ASSERT_TRUE(std::filesystem::create_directory(dir.File("folder.cam")));
    EXPECT_EQ(camera->ReadSetupFile(dir.File("folder.cam"), index), CAMERA_FILE_ACCESS);
    std::string garbage;
    for (int i = 0; i < 65536; ++i)
        garbage += static_cast<char>((i * 7919 + i / 13) & 0xff);
    const std::string garbagePath = dir.File("garbage.cam");
    ASSERT_TRUE(TempDir::WriteFile(garbagePath, garbage));
    EXPECT_EQ(camera->ReadSetupFile(garbagePath, index), CAMERA_UNMATCHED_FILE);
    const std::string longPath = dir.File("long.cam");
    ASSERT_TRUE(TempDir::WriteFile(longPath, "[General]\r\nModelName=ZR-47xCL" +
                                                 std::string(10 * 1024 * 1024, '7') + "\r\n"));
    EXPECT_EQ(camera->ReadSetupFile(longPath, index), CAMERA_UNMATCHED_FILE);
    EXPECT_EQ(camera->GetValue(P_SH1), 5);
    EXPECT_TRUE(TakeLines().empty());

    // Writing: a file that cannot be read is not replaced (nor one that is no UTF-16 after its
    // mark: it could not be written back in its encoding); a folder stays a folder.
    const std::string notUtf16 = dir.File("utf16.cam");
    ASSERT_TRUE(TempDir::WriteFile(notUtf16, std::string("\xFF\xFE[\0G\0]\0\x00\xDC", 10)));
    EXPECT_EQ(camera->ReadSetupFile(notUtf16, index), CAMERA_FILE_ACCESS);
    EXPECT_EQ(camera->WriteSetupFile(notUtf16, index), CAMERA_FILE_ACCESS);
    EXPECT_EQ(TempDir::ReadFile(notUtf16).size(), 10u);
    const std::string oversized = dir.File("oversized.cam");
    ASSERT_TRUE(TempDir::WriteFile(oversized, ""));
    ASSERT_EQ(::truncate(oversized.c_str(), ProfileFile::kMaxFileSize + 1), 0);
    EXPECT_EQ(camera->WriteSetupFile(oversized, index), CAMERA_FILE_ACCESS);
    EXPECT_EQ(std::filesystem::file_size(oversized), ProfileFile::kMaxFileSize + 1);
    EXPECT_EQ(camera->WriteSetupFile(dir.File("folder.cam"), index), CAMERA_FILE_ACCESS);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.cam")));
    EXPECT_EQ(camera->WriteSetupFile(dir.File("no/such/folder.cam"), index), CAMERA_FILE_ACCESS);

    // Garbage is kept byte for byte, the entries follow it.
    EXPECT_EQ(camera->WriteSetupFile(garbagePath, index), 0);
    EXPECT_TRUE(TempDir::ReadFile(garbagePath).starts_with(garbage));

    // A read-only file and a full disk leave the old file as it was, with no leftovers.
    const std::string path = dir.File("old.cam");
    const std::string old = "[General]\r\nModelName=ZR-47xCL\r\n";
    ASSERT_TRUE(TempDir::WriteFile(path, old));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(camera->WriteSetupFile(path, index), CAMERA_FILE_ACCESS);
    EXPECT_EQ(TempDir::ReadFile(path), old);
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    ASSERT_TRUE(WithFileSizeLimit(old.size() + 100, [&] {
        EXPECT_EQ(camera->WriteSetupFile(path, index), CAMERA_FILE_ACCESS);
    }));
    EXPECT_EQ(TempDir::ReadFile(path), old);
    EXPECT_EQ(dir.Names(), (Strings{"folder.cam", "garbage.cam", "long.cam", "old.cam",
                                    "oversized.cam", "utf16.cam"}));
    EXPECT_EQ(camera->WriteSetupFile(path, index), 0);
}

} // namespace
} // namespace zr
