// The module object and what a control keeps in the module settings file across runs.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "camera/CameraError.h"
#include "control/ModuleSettings.h"
#include "control/XKorvelCamApp.h"
#include "control/XKorvelCamCtrl.h"
#include "support/ManualClock.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

using Strings = std::vector<std::string>;
using test::TempDir;

const SettingsName& NameOf(int32_t row)
{
    return kParameterSettings[static_cast<size_t>(row)];
}

TEST(ControlModule, NamesTheApplicationAndItsSettingsFile)
{
    TempDir dir;
    test::ScopedEnv config("XDG_CONFIG_HOME", dir.Path());
    CXKorvelCamApp app;
    EXPECT_FALSE(app.IsInitialized());
    EXPECT_EQ(app.InitInstance(), 0);
    EXPECT_EQ(app.ApplicationName(), "XKorvelZR47xCL Control");
    EXPECT_EQ(app.SettingsKey(), "Korvel-XKorvelZR47xCL.ini-Control");
    EXPECT_EQ(app.SettingsPath(),
              dir.Path() + "/" + app.SettingsKey() + "/" + app.ApplicationName() + ".ini");
    EXPECT_EQ(app.Settings().Path(), app.SettingsPath());
    app.ExitInstance();
    EXPECT_FALSE(app.IsInitialized());
}

TEST(ControlModule, ShutDownWritesWhatTheNextControlRestores)
{
    TempDir dir;
    test::ScopedEnv config("XDG_CONFIG_HOME", dir.Path());
    test::ManualClock clock;
    test::RecordingUi ui;
    std::string path;
    {
        CXKorvelCamApp app;
        app.InitInstance();
        path = app.SettingsPath();
        ModuleSettings& settings = app.Settings();
        for (int port = 1; port <= 16; ++port)
            settings.WriteString("Comm", "COM" + std::to_string(port),
                                 dir.File("no-such-tty" + std::to_string(port)));
        settings.WriteInt("Main", "Show", 0);

        CXKorvelCamCtrl control(settings, ui, clock);
        control.OnCreate();
        control.SetPanelVisible(PANEL_COMMUNICATION, false);
        control.SetPanelVisible(PANEL_IMAGER2, false);
        EXPECT_EQ(control.SetParameterValue(P_SH1, 7), CAMERA_OFFLINE);
        EXPECT_EQ(control.SetParameterValue(P_GA2, -30), CAMERA_OFFLINE);
        EXPECT_NE(control.ConnectCamera(0, 4, false), 0);
        ui.Clear();
    }
    // The panels went with the control, each window before its object.
    EXPECT_EQ(ui.Lines("de"),
              (Strings{"destroy-window 0", "delete 0", "destroy-window 1", "delete 1",
                       "destroy-window 2", "delete 2", "destroy-window 3", "delete 3",
                       "destroy-window 4", "delete 4", "destroy-window 5", "delete 5"}));

    ModuleSettings file(path);
    const std::pair<const char*, int32_t> shows[] = {{"Main", 1},           {"About", 1},
                                                     {"Communication", 0},  {"Control", 1},
                                                     {"Control - IMG1", 1}, {"Control - IMG2", 0}};
    for (const auto& [section, show] : shows)
        EXPECT_EQ(file.GetInt(section, "Show", -1), show) << section;
    EXPECT_EQ(file.GetInt("Comm", "Class", -1), 0);
    EXPECT_EQ(file.GetInt("Comm", "Port", -1), 4);
    EXPECT_EQ(file.GetInt(NameOf(P_SH1).section, NameOf(P_SH1).key, -1), 7);
    EXPECT_EQ(file.GetInt(NameOf(P_GA2).section, NameOf(P_GA2).key, 0), -30);
    // Every setup row is stored, the untouched ones at their first-run values.
    EXPECT_EQ(file.GetInt(NameOf(P_GA1).section, NameOf(P_GA1).key, 0), -84);
    EXPECT_EQ(file.GetInt(NameOf(P_IM1).section, NameOf(P_IM1).key, -1), 0);

    CXKorvelCamApp next;
    next.InitInstance();
    test::RecordingUi nextUi;
    CXKorvelCamCtrl restored(next.Settings(), nextUi, clock);
    EXPECT_EQ(restored.GetVisibilityFlag(PANEL_COMMUNICATION), 0);
    EXPECT_EQ(restored.GetVisibilityFlag(PANEL_IMAGER2), 0);
    EXPECT_EQ(restored.GetVisibilityFlag(PANEL_ABOUT), 1);
    EXPECT_EQ(restored.GetValue(P_SH1), 7);
    EXPECT_EQ(restored.GetValue(P_GA2), -30);
    EXPECT_EQ(restored.GetCommClass(), 0);
    EXPECT_EQ(restored.GetCommPort(), 4);
}

} // namespace
} // namespace zr
