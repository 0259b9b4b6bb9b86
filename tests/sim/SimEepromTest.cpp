#include <gtest/gtest.h>

#include <unistd.h>

#include "sim/lib/SimCamera.h"
#include "sim/lib/ValueRules.h"
#include "support/TempDir.h"

namespace zr::sim
{
namespace
{

using test::TempDir;

SimOptions WithState(const std::string& file)
{
    SimOptions options;
    options.stateFile = file;
    return options;
}

TEST(SimEepromTest, StateFileKeepsAreasAndPowerUpAcrossRuns)
{
    TempDir dir;
    std::string file = dir.File("camera.state");
    {
        SimCamera camera(WithState(file));
        EXPECT_EQ(camera.Receive("GA1=123\r\nSA=1\r\n"), "COMPLETE\r\nCOMPLETE\r\n");
        camera.SetValue("EA", 1);
    }
    std::string text = TempDir::ReadFile(file);
    EXPECT_NE(text.find("power-up=1"), std::string::npos);
    EXPECT_NE(text.find("GA1=123"), std::string::npos);

    // The next camera powers up with area 1.
    SimCamera camera(WithState(file));
    EXPECT_EQ(camera.Receive("EA?\r\nGA1?\r\n"), "EA=1\r\nGA1=123\r\n");
    EXPECT_EQ(camera.AreaValue(1, "GA1"), 123);
    EXPECT_EQ(camera.AreaValue(2, "GA1"), SimEeprom::Defaults(2)[P_GA1]);
    // No temporary files are left beside the state file.
    EXPECT_EQ(TempDir::ReadFile(file + ".tmp-" + std::to_string(::getpid())), "");
}

TEST(SimEepromTest, MissingCorruptOrUnwritableFileKeepsTheCameraWorking)
{
    TempDir dir;
    testing::internal::CaptureStderr();
    SimCamera fresh(WithState(dir.File("none.state")));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(fresh.Value("SH1"), SimEeprom::Defaults(0)[P_SH1]);

    for (const char* corrupt :
         {"power-up=9\n", "[area 0]\nGA1=999\n", "[area 4]\n", "[area 1]\nXYZ=1\n",
          "[area 1]\nUD=1\n", "GA1=1\n", "[area 1]\nGA1=1x\n"}) {
        std::string file = dir.File("corrupt.state");
        ASSERT_TRUE(TempDir::WriteFile(file, corrupt));
        testing::internal::CaptureStderr();
        SimCamera camera(WithState(file));
        std::string warning = testing::internal::GetCapturedStderr();
        EXPECT_NE(warning.find("corrupt"), std::string::npos) << corrupt;
        EXPECT_EQ(camera.Value("EA"), 0) << corrupt;
        EXPECT_EQ(camera.AreaValue(1, "GA1"), SimEeprom::Defaults(1)[P_GA1]) << corrupt;
    }

    // Comments, CR LF line ends and rows left out are fine.
    std::string file = dir.File("partial.state");
    ASSERT_TRUE(TempDir::WriteFile(file, "# note\r\npower-up=2\r\n[area 2]\r\nSH1=9\r\n"));
    SimCamera camera(WithState(file));
    EXPECT_EQ(camera.Value("SH1"), 9);
    EXPECT_EQ(camera.Value("GA1"), SimEeprom::Defaults(2)[P_GA1]);

    // A folder that does not exist: nothing to load, and every save warns but changes the
    // camera's memory all the same.
    SimCamera unsaved(WithState(dir.File("missing/camera.state")));
    testing::internal::CaptureStderr();
    EXPECT_EQ(unsaved.Receive("GA1=50\r\nSA=2\r\n"), "COMPLETE\r\nCOMPLETE\r\n");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot write"), std::string::npos);
    EXPECT_EQ(unsaved.AreaValue(2, "GA1"), 50);
}

TEST(SimEepromTest, DefaultsAreValidSettings)
{
    // What the camera writes, it reads back: every default passes the value rules.
    SimEeprom eeprom("");
    std::string problem;
    EXPECT_TRUE(eeprom.Parse(eeprom.Serialize(), problem)) << problem;
    for (int32_t area = 0; area < SimEeprom::kAreaCount; ++area) {
        SettingValues values = SimEeprom::Defaults(area);
        for (int32_t row = 0; row < PARAMETER_COUNT; ++row) {
            if (SimEeprom::IsStoredRow(row)) {
                EXPECT_TRUE(IsAcceptedValue(row, values[static_cast<size_t>(row)]))
                    << kParameterTable[static_cast<size_t>(row)].mnemonic << " area " << area;
            }
        }
    }
}

} // namespace
} // namespace zr::sim
