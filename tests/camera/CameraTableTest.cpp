// The camera object without a camera: clamping, value names, conditions, the mirror and its
// module settings, and the notifications these operations make.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "camera/Camera.h"
#include "camera/CameraError.h"
#include "support/MemorySettings.h"
#include "support/RecordingCamera.h"

namespace zr
{
namespace
{

using test::MemorySettings;
using test::RecordingCamera;

class CameraTable : public ::testing::Test
{
protected:
    MemorySettings settings;
    RecordingCamera camera{settings};

    void SetImagers(int32_t im1, int32_t im2)
    {
        camera.StoreValue(P_IM1, im1);
        camera.StoreValue(P_IM2, im2);
    }
};

TEST_F(CameraTable, SetValueClampsToTheRowLimits)
{
    struct Case {
        const char* name;
        int32_t row, im1, im2, value, stored;
    };
    const Case cases[] = {
        {"SH1 above", P_SH1, 0, 0, 15, 11},
        {"SH1 below", P_SH1, 0, 0, -3, 0},
        {"GA1 below", P_GA1, 0, 0, -100, -84},
        {"GA1 above", P_GA1, 0, 0, 400, 336},
        // Imagers differ: the PIV items are disabled and the bound is 3, but a value above it
        // becomes the row maximum 6, not the bound.
        {"TR1 imagers differ", P_TR1, 5, 0, 5, 6},
        {"TR1 imagers alike", P_TR1, 0, 0, 5, 5},
        // "Bypass" is never enabled; still below the bound of 2, and 3 is the row maximum.
        {"PBY1 3", P_PBY1, 0, 0, 3, 3},
        {"PBY1 1", P_PBY1, 0, 0, 1, 1},
        // The bound of a row with value names is its enabled item count less one.
        {"YA", P_YA, 5, 5, 7, 7},
    };
    for (const Case& c : cases) {
        SetImagers(c.im1, c.im2);
        camera.SetValue(c.row, c.value, false, false, false);
        EXPECT_EQ(camera.GetValue(c.row), c.stored) << c.name;
    }
}

TEST_F(CameraTable, EnabledItemsGiveTextsAndPositions)
{
    EXPECT_EQ(camera.CountEnabledItems(P_PBY1), 3);
    EXPECT_EQ(camera.GetItemString(P_PBY1, 1), "TestPattern1");
    EXPECT_EQ(camera.GetItemString(P_PBY1, 3), "");
    EXPECT_EQ(camera.GetItemString(P_PBY1, -1), "");
    EXPECT_EQ(camera.GetItemString(P_GA1, 0), "");
    EXPECT_EQ(camera.CountEnabledItems(P_GA1), 0);
    EXPECT_EQ(camera.GetItemPosition(P_PBY1, 3), 2);
    EXPECT_EQ(camera.GetItemPosition(P_PBY1, 1), -1);

    std::string text = "stale";
    camera.StoreValue(P_PBY1, 3);
    EXPECT_EQ(camera.GetValueString(P_PBY1, text, false, false, false), 0);
    EXPECT_EQ(text, "TestPattern2");
    camera.StoreValue(P_PBY1, 1);
    EXPECT_EQ(camera.GetValueString(P_PBY1, text, false, false, false), 0);
    EXPECT_EQ(text, "");
    camera.StoreValue(P_GA1, 12);
    EXPECT_EQ(camera.GetValueString(P_GA1, text, false, false, false), 0);
    EXPECT_EQ(text, "");
    camera.StoreText(P_MD, "ZR-471");
    EXPECT_EQ(camera.GetValueString(P_MD, text, true, true, true), 0); // offline: no query
    EXPECT_EQ(text, "ZR-471");

    // The PIV items count only while both imagers are the same.
    SetImagers(5, 0);
    EXPECT_EQ(camera.CountEnabledItems(P_TR1), 4);
    EXPECT_EQ(camera.GetItemPosition(P_TR1, 3), 3);
    EXPECT_EQ(camera.GetItemPosition(P_TR1, 4), -1);
    SetImagers(0, 0);
    EXPECT_EQ(camera.CountEnabledItems(P_TR1), 7);
    EXPECT_EQ(camera.GetItemString(P_TR1, 4), "PIV1");

    EXPECT_TRUE(camera.IsValidAnswer(P_TR1, 6));
    SetImagers(5, 0);
    EXPECT_FALSE(camera.IsValidAnswer(P_TR1, 5));
    EXPECT_FALSE(camera.IsValidAnswer(P_PBY1, 1));
    EXPECT_TRUE(camera.IsValidAnswer(P_GA1, -84));
    EXPECT_FALSE(camera.IsValidAnswer(P_GA1, 337));
    EXPECT_TRUE(camera.IsValidAnswer(P_UD, 12345));
}

TEST_F(CameraTable, SetValueStringMatchesDisplayTextsOrCutsText)
{
    EXPECT_EQ(camera.SetValueString(P_SH1, "1/250"), 100); // offline: stored, not sent
    EXPECT_EQ(camera.GetValue(P_SH1), 4);

    // White balance is writable only with a colour Imager 1; sent otherwise, so 100 offline.
    SetImagers(5, 0);
    EXPECT_EQ(camera.SetValueString(P_WB1, "continuous awb"), 100);
    EXPECT_EQ(camera.GetValue(P_WB1), 1);
    SetImagers(0, 0);
    EXPECT_EQ(camera.SetValueString(P_WB1, "CONTINUOUS AWB"), 0); // unavailable: not sent
    EXPECT_EQ(camera.GetValue(P_WB1), 1);

    camera.StoreValue(P_SH1, 9);
    camera.SetValueString(P_SH1, "1/7");
    EXPECT_EQ(camera.GetValue(P_SH1), 0);
    // No match with the first items disabled: the first enabled item. OS1 with TR1 = 5 and a
    // colour imager leaves 0, 1 and 4 enabled; "10bit + 10bit" is disabled.
    SetImagers(5, 5);
    camera.StoreValue(P_TR1, 5);
    camera.SetValueString(P_OS1, "10bit + 10bit");
    EXPECT_EQ(camera.GetValue(P_OS1), 0);
    camera.SetValueString(P_OS1, "full color");
    EXPECT_EQ(camera.GetValue(P_OS1), 4);

    camera.SetValueString(P_UD, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(camera.GetText(P_UD), "ABCDEFGHIJKLMNOP");
    // Line breaks would split the command line into two commands; they are left out.
    camera.SetValueString(P_UD, "AB\r\nSA=1");
    EXPECT_EQ(camera.GetText(P_UD), "ABSA=1");

    camera.ClearEvents();
    camera.StoreValue(P_GA1, 7);
    EXPECT_EQ(camera.SetValueString(P_GA1, "12"), CAMERA_INVALID_PARAMETER);
    EXPECT_EQ(camera.GetValue(P_GA1), 7);
    EXPECT_EQ(camera.SetValueIndex(P_GA1, 0), CAMERA_INVALID_PARAMETER);
    EXPECT_EQ(camera.SetValueIndex(P_UD, 0), CAMERA_INVALID_PARAMETER);
    EXPECT_TRUE(camera.Events().empty());
}

TEST_F(CameraTable, SetValueIndexCountsEnabledItemsOnly)
{
    // OS1 with TR1 = 5 and colour imagers: items 2 and 3 disabled. Area 3 has no item: the
    // first one, "Factory Data".
    SetImagers(5, 5);
    camera.StoreValue(P_TR1, 5);
    const struct {
        int32_t row, position, stored;
    } cases[] = {{P_OS1, 2, 4},  {P_OS1, 1, 1},  {P_OS1, 3, 0},
                 {P_OS1, -1, 0}, {P_PBY1, 1, 2}, {P_AREA, 3, 0}};
    for (const auto& c : cases) {
        camera.StoreValue(c.row, 9);
        camera.SetValueIndex(c.row, c.position);
        EXPECT_EQ(camera.GetValue(c.row), c.stored) << c.row << " at " << c.position;
    }
    camera.SetValueIndex(P_OS1, 2);
    std::string text;
    camera.GetValueString(P_OS1, text, false, false, false);
    EXPECT_EQ(text, "Full Color");
}

TEST_F(CameraTable, ConditionsReadTheMirrorEvenOffline)
{
    ASSERT_FALSE(camera.IsOnline());
    SetImagers(0, 0);
    camera.StoreValue(P_OS1, 0);
    camera.StoreValue(P_OS2, 0);
    EXPECT_FALSE(camera.IsEnabled(P_WB1));
    camera.StoreValue(P_OS2, 4);
    EXPECT_TRUE(camera.IsEnabled(P_WB1));
    EXPECT_FALSE(camera.IsAvailable(P_WB1));
    EXPECT_TRUE(camera.IsAvailable(P_BL1));
    EXPECT_FALSE(camera.IsAvailable(P_BL2));
    SetImagers(5, 0);
    EXPECT_TRUE(camera.IsAvailable(P_WB1));
    EXPECT_FALSE(camera.IsAvailable(P_YA));
    EXPECT_TRUE(camera.IsAvailable(P_GA1)); // not conditional

    // SM2: TR2 in {1,3,0} and TR1 <= 3 and HF == 0 and (TR1 in {1,3,0} or IS != 0)
    camera.StoreValue(P_TR1, 2);
    camera.StoreValue(P_TR2, 0);
    camera.StoreValue(P_HF, 0);
    camera.StoreValue(P_IS, 0);
    EXPECT_FALSE(camera.IsEnabled(P_SM2));
    camera.StoreValue(P_IS, 1);
    EXPECT_TRUE(camera.IsEnabled(P_SM2));
    camera.StoreValue(P_HF, 1);
    EXPECT_FALSE(camera.IsEnabled(P_SM2));

    // Every node kind on its own, including bit tests and a kind the table never uses.
    camera.StoreValue(P_CM1, 6);
    camera.StoreValue(P_CM2, 6);
    const ConditionNode eqParam{COND_EQ_PARAM, P_CM1, P_CM2, nullptr, nullptr};
    const ConditionNode neParam{COND_NE_PARAM, P_CM1, P_CM2, nullptr, nullptr};
    const ConditionNode ge{COND_GE, P_CM1, 6, nullptr, nullptr};
    const ConditionNode lt{COND_LT, P_CM1, 6, nullptr, nullptr};
    const ConditionNode noneOf{COND_NONE_OF, P_CM1, 1, nullptr, nullptr};
    const ConditionNode anyOf{COND_ANY_OF, P_CM1, 4, nullptr, nullptr};
    const ConditionNode unknownKind{99, P_CM1, 1, nullptr, nullptr};
    const ConditionNode notLt{COND_NOT, 0, 0, &lt, nullptr};
    const ConditionNode orNode{COND_OR, 0, 0, &lt, &ge};
    const ConditionNode andNode{COND_AND, 0, 0, &ge, &lt};
    const ConditionNode badOperand{COND_EQ, 1000, 0, nullptr, nullptr};
    EXPECT_TRUE(camera.EvaluateCondition(nullptr));
    EXPECT_TRUE(camera.EvaluateCondition(&eqParam));
    EXPECT_FALSE(camera.EvaluateCondition(&neParam));
    EXPECT_TRUE(camera.EvaluateCondition(&ge));
    EXPECT_TRUE(camera.EvaluateCondition(&noneOf));
    EXPECT_TRUE(camera.EvaluateCondition(&anyOf));
    EXPECT_FALSE(camera.EvaluateCondition(&unknownKind));
    EXPECT_TRUE(camera.EvaluateCondition(&notLt));
    EXPECT_TRUE(camera.EvaluateCondition(&orNode));
    EXPECT_FALSE(camera.EvaluateCondition(&andNode));
    EXPECT_TRUE(camera.EvaluateCondition(&badOperand)); // reads as 0, no crash
}

TEST_F(CameraTable, MirrorKeepsValuesOfflineAndRestoresBackups)
{
    camera.SetOnline(true);
    camera.SetSynchronized(true);
    camera.StoreValue(P_SH1, 6);
    camera.StoreText(P_MD, "ZR-470");
    for (int32_t i = 0; i < PARAMETER_COUNT; ++i)
        camera.SetRowSynchronized(i, true);
    camera.SetOnline(false);
    EXPECT_FALSE(camera.IsOnline());
    for (int32_t i = 0; i < PARAMETER_COUNT; ++i)
        EXPECT_FALSE(camera.IsRowSynchronized(i)) << i;
    EXPECT_TRUE(camera.IsSynchronized()); // the status flag is the caller's to clear
    EXPECT_EQ(camera.GetValue(P_SH1), 6);
    EXPECT_EQ(camera.GetText(P_MD), "ZR-470");

    camera.SaveBackup();
    camera.StoreValue(P_SH1, 2);
    camera.StoreText(P_MD, "after");
    camera.SetRowSynchronized(P_SH1, true);
    camera.RestoreBackup();
    EXPECT_EQ(camera.GetValue(P_SH1), 6);
    EXPECT_EQ(camera.GetText(P_MD), "ZR-470");
    EXPECT_FALSE(camera.IsRowSynchronized(P_SH1));
}

TEST_F(CameraTable, ValueNotificationsAreInteractiveUnlessBulkLoading)
{
    camera.SetValue(P_SH1, 3, true, true, true); // offline: notified, then 100
    camera.SetValue(P_SH1, 4, false, false, false);
    camera.SetBulkLoad(true);
    camera.SetValue(P_GA1, 5, false, true, false);
    camera.SetValueIndex(P_SH1, 2);
    camera.SetBulkLoad(false);
    camera.SetValueString(P_CM1, "Both");
    EXPECT_EQ(camera.Events(),
              (std::vector<std::string>{"value 11 1", "value 20 0", "value 11 0", "value 46 1"}));

    // A row that is never sent gives 0 even when asked to send; 100 only when it would be sent.
    EXPECT_EQ(camera.SetValue(P_SH1, 3, true, true, true), CAMERA_OFFLINE);
    EXPECT_EQ(camera.SetValue(P_IM1, 3, true, true, true), 0);
    EXPECT_EQ(camera.SetValue(P_GAR1, 3, true, true, true), 0); // unavailable: monochrome
}

TEST_F(CameraTable, InvalidIndicesNeverCrash)
{
    for (int32_t index : {-1, int32_t{PARAMETER_COUNT}, 1000}) {
        std::string text = "x";
        EXPECT_EQ(camera.GetCommandName(index), "");
        EXPECT_FALSE(camera.IsAvailable(index));
        EXPECT_FALSE(camera.IsEnabled(index));
        EXPECT_EQ(camera.CountEnabledItems(index), 0);
        EXPECT_EQ(camera.GetItemString(index, 0), "");
        EXPECT_EQ(camera.GetItemPosition(index, 0), -1);
        EXPECT_FALSE(camera.IsValidAnswer(index, 0));
        EXPECT_EQ(camera.SetValue(index, 1, true, true, true), CAMERA_INVALID_PARAMETER);
        EXPECT_EQ(camera.SetValueString(index, "a"), CAMERA_INVALID_PARAMETER);
        EXPECT_EQ(camera.SetValueIndex(index, 0), CAMERA_INVALID_PARAMETER);
        EXPECT_EQ(camera.GetValueString(index, text, true, true, true), CAMERA_INVALID_PARAMETER);
        EXPECT_EQ(text, "");
        EXPECT_EQ(camera.SendValue(index, true), CAMERA_INVALID_PARAMETER);
        EXPECT_EQ(camera.QueryValue(index, true), CAMERA_INVALID_PARAMETER);
        EXPECT_EQ(camera.GetValue(index), 0);
        EXPECT_EQ(camera.GetText(index), "");
        EXPECT_FALSE(camera.IsRowSynchronized(index));
        camera.StoreValue(index, 1);
        camera.StoreText(index, "a");
        camera.SetRowSynchronized(index, true);
    }
    EXPECT_EQ(camera.GetCommandName(P_AREA), "");
    EXPECT_EQ(camera.GetCommandName(P_SH1), "SH1");
    // The EEPROM area row has no command word: never sent or asked, even online.
    camera.SetOnline(true);
    EXPECT_EQ(camera.SendValue(P_AREA, false), CAMERA_INVALID_PARAMETER);
    EXPECT_TRUE(camera.IsOnline());
    EXPECT_TRUE(camera.Events() == std::vector<std::string>{"online 1"});
}

TEST(CameraSettings, SetupRowsComeBackFromTheModuleSettings)
{
    MemorySettings settings;
    {
        CCamera camera(settings);
        // Nothing stored: every setup row starts at its minimum (IM1 and IM2 monochrome).
        for (int32_t i = 0; i < PARAMETER_COUNT; ++i) {
            const ParameterEntry& row = kParameterTable[static_cast<size_t>(i)];
            if (row.Has(PF_SETUP)) {
                EXPECT_EQ(camera.GetValue(i), row.minimum) << i;
            }
        }
        EXPECT_EQ(camera.GetValue(P_IM1), 0);
        EXPECT_EQ(camera.GetValue(P_IM2), 0);
        camera.StoreValue(P_SH1, 7);
        camera.StoreValue(P_IM1, 5);
        camera.StoreValue(P_MD, 3);     // not a setup row: never written
        camera.StoreText(P_UD, "user"); // not a setup row either
    }
    EXPECT_EQ(settings.GetInt("IMG1 Shutter", "Shutter Speed", -1), 7);
    EXPECT_EQ(settings.GetInt("General", "Imager1 Type", -1), 5);
    EXPECT_EQ(settings.GetInt("User Area", "EEPROM Area", -1), 0);
    EXPECT_FALSE(settings.Has("General", "Model Name"));
    EXPECT_FALSE(settings.Has("General", "User ID"));
    EXPECT_TRUE(settings.Has("Comm", "Class")); // the communication part follows
    int setupRows = 0;
    for (int32_t i = 0; i < PARAMETER_COUNT; ++i) {
        const bool setup = kParameterTable[static_cast<size_t>(i)].Has(PF_SETUP);
        setupRows += setup;
        EXPECT_EQ(settings.Has(kParameterSettings[static_cast<size_t>(i)].section,
                               kParameterSettings[static_cast<size_t>(i)].key),
                  setup)
            << i;
    }
    EXPECT_GT(setupRows, 70);

    settings.WriteInt("IMG1 Trigger", "Trigger Mode", 3);
    CCamera again(settings);
    EXPECT_EQ(again.GetValue(P_SH1), 7);
    EXPECT_EQ(again.GetValue(P_IM1), 5);
    EXPECT_EQ(again.GetValue(P_TR1), 3);
    EXPECT_EQ(again.GetValue(P_MD), 0);
    EXPECT_FALSE(again.IsOnline());
    EXPECT_FALSE(again.IsRowSynchronized(P_SH1));
}

TEST(CameraErrors, EveryCodeHasItsMessage)
{
    EXPECT_EQ(CCamera::GetErrorString(0), "No error detected.");
    EXPECT_EQ(CCamera::GetErrorString(7), "Time out detected in reading the communicaiton port.");
    EXPECT_EQ(CCamera::GetErrorString(100), "Operation failed. The camera is offline.");
    EXPECT_EQ(CCamera::GetErrorString(101),
              "Operation time out.\nPlease check the camera power and its cable.");
    EXPECT_EQ(CCamera::GetErrorString(102), "Unkown command !!");
    EXPECT_EQ(CCamera::GetErrorString(103), "Bad Parameter !!");
    EXPECT_EQ(CCamera::GetErrorString(109), "Unmatched data file for this camera.");
    for (int code : {-1, 8, 99, 110, 200, 250})
        EXPECT_EQ(CCamera::GetErrorString(code), "Unknown error detected.") << code;

    for (int code : {100, 102, 103, 104, 105, 107})
        EXPECT_TRUE(IsCameraLevelFailure(code)) << code;
    for (int code : {0, 1, 2, 4, 7, 101, 106, 108, 109, 200})
        EXPECT_FALSE(IsCameraLevelFailure(code)) << code;
}

} // namespace
} // namespace zr
