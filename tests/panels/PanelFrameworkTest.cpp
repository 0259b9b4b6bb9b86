// The panel framework with the real panels in a host window: saved positions and the work-area
// rule, the show and hide protocol between buttons, close boxes and visibility properties, and
// the commit, refresh and typing-guard rules of a control panel against a simulated camera.
#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>

#include "PanelTestBed.h"
#include "panels/DialogControlBase.h"
#include "panels/DialogMain.h"
#include "panels/NEdit.h"
#include "panels/SpinButton.h"

namespace zr
{
namespace
{

using test::PanelTestBed;

QSize WorkArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry().size();
}

TEST(PanelFlags, NestedScopesGiveBackTheOuterValueAlsoWhenLeftByAnException)
{
    bool flag = false;
    {
        const CDialogOCXBase::FlagScope outer(flag);
        {
            const CDialogOCXBase::FlagScope inner(flag);
            EXPECT_TRUE(flag);
        }
        // The inner scope must not clear what the outer one still holds.
        EXPECT_TRUE(flag);
        try {
            const CDialogOCXBase::FlagScope cleared(flag, false);
            EXPECT_FALSE(flag);
            throw std::runtime_error("handler stopped");
        } catch (const std::runtime_error&) {
            EXPECT_TRUE(flag);
        }
    }
    EXPECT_FALSE(flag);
}

TEST(PanelPlacement, SavedPositionsOutsideTheWorkAreaOpenAt100)
{
    const QSize area = WorkArea();
    struct Case {
        int left;
        int top;
        QPoint placed;
    };
    const Case cases[] = {
        {-1, -1, {100, 100}},
        {area.width() - 10, 40, {100, 40}},
        {area.width() - 11, area.height() - 10, {area.width() - 11, 100}},
        {0, 0, {0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDialogOCXBase::PlacedPosition(c.left, c.top, area), c.placed)
            << c.left << "," << c.top;

    // The real panels: About saved at (0, 0), Communication off the screen, nothing saved for
    // Control; the main panel's position is the host window's.
    PanelTestBed panels;
    panels.bed.settings.WriteInt("About", "Left", 0);
    panels.bed.settings.WriteInt("About", "Top", 0);
    panels.bed.settings.WriteInt("Communication", "Left", area.width() - 10);
    panels.bed.settings.WriteInt("Communication", "Top", 50);
    panels.bed.settings.WriteInt("Main", "Left", -400);
    panels.bed.settings.WriteInt("Main", "Top", area.height());
    panels.StartOffline();
    EXPECT_EQ(panels.PanelWidget(PANEL_ABOUT)->pos(), QPoint(0, 0));
    EXPECT_EQ(panels.PanelWidget(PANEL_COMMUNICATION)->pos(), QPoint(100, 50));
    EXPECT_EQ(panels.PanelWidget(PANEL_CONTROL)->pos(), QPoint(100, 100));
    EXPECT_EQ(panels.host.pos(), QPoint(100, 100));
}

TEST(PanelVisibility, ButtonsCloseBoxesAndPropertiesAgree)
{
    PanelTestBed panels;
    CXKorvelCamCtrl& control = panels.StartOffline();
    auto* main = panels.PanelAs<CDialogMain>(PANEL_MAIN);
    ASSERT_NE(main, nullptr);
    // First run: every flag 1, every panel shown and every button pressed.
    for (int32_t index = PANEL_ABOUT; index < PANEL_COUNT; ++index) {
        EXPECT_TRUE(panels.PanelWidget(index)->isVisible()) << index;
        EXPECT_TRUE(main->Button(index)->isChecked()) << index;
    }

    // The close box hides the panel through the control: button released, property false,
    // and the position is not written before the control goes.
    QWidget* comm = panels.PanelWidget(PANEL_COMMUNICATION);
    comm->move(230, 140);
    comm->close();
    EXPECT_FALSE(comm->isVisible());
    EXPECT_FALSE(main->Button(PANEL_COMMUNICATION)->isChecked());
    EXPECT_FALSE(control.GetPanelVisible(PANEL_COMMUNICATION));
    EXPECT_TRUE(control.IsModified());
    EXPECT_FALSE(panels.bed.settings.Has("Communication", "Left"));
    // Esc does the same; Enter does nothing.
    QWidget* about = panels.PanelWidget(PANEL_ABOUT);
    QTest::keyClick(about, Qt::Key_Return);
    EXPECT_TRUE(about->isVisible());
    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_FALSE(about->isVisible());
    EXPECT_FALSE(control.GetPanelVisible(PANEL_ABOUT));

    // A button clicked twice hides its panel and shows it again where it was.
    QWidget* imager = panels.PanelWidget(PANEL_IMAGER2);
    imager->move(300, 200);
    QPushButton* button = main->Button(PANEL_IMAGER2);
    button->click();
    EXPECT_FALSE(imager->isVisible());
    EXPECT_FALSE(button->isChecked());
    EXPECT_FALSE(control.GetPanelVisible(PANEL_IMAGER2));
    button->click();
    EXPECT_TRUE(imager->isVisible());
    EXPECT_TRUE(button->isChecked());
    EXPECT_EQ(imager->pos(), QPoint(300, 200));

    // A visibility property sets window and button alike; the main panel ignores its own.
    control.SetPanelVisible(PANEL_COMMUNICATION, true);
    EXPECT_TRUE(comm->isVisible());
    EXPECT_TRUE(main->Button(PANEL_COMMUNICATION)->isChecked());
    main->ShowPanel(PANEL_MAIN, false);
    EXPECT_TRUE(main->isVisibleTo(panels.controlWindow));

    // Destroying the control writes the positions and the flags.
    panels.bed.DestroyControl();
    EXPECT_EQ(panels.bed.settings.GetInt("Communication", "Left", -1), 230);
    EXPECT_EQ(panels.bed.settings.GetInt("Communication", "Top", -1), 140);
    EXPECT_EQ(panels.bed.settings.GetInt("About", "Show", -1), 0);
    EXPECT_EQ(panels.bed.settings.GetInt("Control - IMG2", "Show", -1), 1);
}

// A control panel of two bindings: the imager 1 master gain (signed, guarded like a gain field)
// and the knee point (unsigned, unguarded).
enum : int { kGainLabel = 1, kGain, kGainSpin, kKneeLabel, kKnee, kKneeSpin, kStrip };
constexpr ControlSpec kTestControls[] = {
    {kGainLabel, ControlKind::TextRight, 5, 5, 40, 12, "Gain", nullptr},
    {kGain, ControlKind::SignedNumber, 50, 5, 40, 12, nullptr, nullptr},
    {kGainSpin, ControlKind::Spin, 90, 5, 10, 12, nullptr, nullptr},
    {kKneeLabel, ControlKind::TextRight, 5, 20, 40, 12, "Knee", nullptr},
    {kKnee, ControlKind::UnsignedNumber, 50, 20, 40, 12, nullptr, nullptr},
    {kKneeSpin, ControlKind::Spin, 90, 20, 10, 12, nullptr, nullptr},
    {kStrip, ControlKind::Strip, 5, 40, 100, 3, nullptr, nullptr},
};
constexpr DialogLayout kTestLayout{900, "Test", 110, 46, kTestControls};
constexpr ControlBinding kTestBindings[] = {
    {P_GA1, BindingKind::Number, kGain, kGainLabel, kGainSpin, false, "-", 3},
    {P_KPM1, BindingKind::Number, kKnee, kKneeLabel, kKneeSpin, false, nullptr, 0},
};

class TestControlPanel : public CDialogControlBase
{
public:
    TestControlPanel(CXKorvelCamCtrl& owner, PanelEnvironment& environment)
        : CDialogControlBase({PANEL_IMAGER1, PanelKind::ImagerColor, 900, "Test", false, false},
                             owner, environment, kTestLayout, nullptr, kTestBindings, 0)
    {
        InitialiseControls();
    }
    CNEdit& Field(int id) { return *Controls().Get<CNEdit>(id); }
    CSpinButton& Spin(int id) { return *Controls().Get<CSpinButton>(id); }
};

std::vector<std::string> SentLines(sim::SimCamera& camera, const std::string& mnemonic)
{
    std::vector<std::string> lines;
    for (const std::string& line : camera.ReceivedLines())
        if (line.rfind(mnemonic + "=", 0) == 0)
            lines.push_back(line);
    return lines;
}

TEST(ControlPanelRules, TypingCommitsEachChangeAndTheGuardKeepsUnfinishedNumbers)
{
    PanelTestBed panels;
    CXKorvelCamCtrl& control = panels.Start("ZR-470");
    TestControlPanel panel(control, panels.environment);
    ScopedConnection<int32_t> refresh(
        control.parameterChanged, [&](int32_t row) { panel.OnParameterChanged(row, true, true); });
    sim::SimCamera& camera = panels.bed.Camera(0);
    CNEdit& gain = panel.Field(kGain);
    EXPECT_EQ(gain.Minimum(), -84);
    EXPECT_EQ(gain.Maximum(), 336);

    gain.clear();
    camera.ClearReceivedLines();
    QTest::keyClick(&gain, Qt::Key_Minus);
    EXPECT_EQ(gain.text(), "-") << "the echo of 0 leaves the lone minus";
    EXPECT_EQ(SentLines(camera, "GA1"), std::vector<std::string>{"GA1=0"});
    QTest::keyClick(&gain, Qt::Key_5);
    EXPECT_EQ(gain.text(), "-5");
    EXPECT_EQ(SentLines(camera, "GA1"), (std::vector<std::string>{"GA1=0", "GA1=-5"}));
    EXPECT_EQ(control.GetParameterValue(P_GA1), -5);
    EXPECT_FALSE(panel.IsUserTyping());

    // A value from elsewhere is written into the field; the same value again sends nothing.
    camera.ClearReceivedLines();
    control.SetParameterValue(P_GA1, 120);
    EXPECT_EQ(gain.text(), "120");
    EXPECT_EQ(SentLines(camera, "GA1"), std::vector<std::string>{"GA1=120"});
    gain.SetValue(120);
    EXPECT_EQ(SentLines(camera, "GA1").size(), 1u);

    // Enabling follows the governing row: the knee point is usable while the knee is on.
    CNEdit& knee = panel.Field(kKnee);
    control.SetParameterValue(P_OS1, 4); // colour output
    ASSERT_EQ(control.GetParameterValue(P_OS1), 4);
    control.SetParameterValue(P_KN1, 0);
    EXPECT_FALSE(knee.isEnabled());
    EXPECT_FALSE(panel.Spin(kKneeSpin).isEnabled());
    control.SetParameterValue(P_KN1, 1);
    ASSERT_TRUE(knee.isEnabled());
    EXPECT_TRUE(gain.isEnabled()) << "a control whose condition holds stays enabled";

    // Typed beyond the range: the control clamps, and an unguarded field shows the echo at once.
    knee.clear();
    QTest::keyClicks(&knee, "2000");
    EXPECT_EQ(control.GetParameterValue(P_KPM1), 1023);
    EXPECT_EQ(knee.text(), "1023");
    // The up-down button commits through the same path.
    camera.ClearReceivedLines();
    panel.Spin(kGainSpin).Step(1);
    EXPECT_EQ(SentLines(camera, "GA1"), std::vector<std::string>{"GA1=121"});
}

TEST(ControlPanelRules, AScriptErrorInAHandlerShowsTheStopMessageAndEndsTyping)
{
    PanelTestBed panels;
    CXKorvelCamCtrl& control = panels.Start("ZR-470", {"noise:GA1"});
    TestControlPanel panel(control, panels.environment);
    CNEdit& gain = panel.Field(kGain);
    gain.selectAll();
    QTest::keyClick(&gain, Qt::Key_7); // must not unwind into the event loop
    const std::vector<std::string> messages = panels.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Stop: \"GA1\" : ", 0), 0u) << messages[0];
    EXPECT_FALSE(panel.IsUserTyping());
    EXPECT_FALSE(panel.IsRefreshing());
    EXPECT_EQ(control.GetParameterValue(P_GA1), 7) << "the mirror keeps the written value";
}

} // namespace
} // namespace zr
