#include "panels/DialogControl.h"

#include <QButtonGroup>

#include "camera/ParameterTable.h"
#include "control/XKorvelCamCtrl.h"
#include "panels/WaitCursor.h"

namespace zr
{

namespace
{

using enum ControlKind;
using enum CDialogControl::ControlId;

// clang-format off
constexpr ControlSpec kControls[] = {
    {kOutputModeLabel,  TextRight,    7,  4,  46,  14, "Output Mode",     nullptr,                                  {}},
    {kSynchronous,      RadioFirst,  57,  4,  34,  14, "Sync.",           "Select imager synchronous mode",         {}},
    {kSeparate,         Radio,       94,  4,  45,  14, "Separate",        "Select imager separate mode",            {}},
    {kCameraLink1Label, TextRight,    7, 19,  46,  14, "Camera Link 1",   nullptr,                                  {}},
    {kCameraLink1,      DropDown,    57, 19, 101,  59, nullptr,           "Select output format for Camera Link 1", {kCameraLink1Label}},
    {kCameraLink2Label, TextRight,    7, 34,  46,  14, "Camera Link 2",   nullptr,                                  {}},
    {kCameraLink2,      DropDown,    57, 34, 101,  59, nullptr,           "Select output format for Camera Link 2", {kCameraLink2Label}},
    {kProcessModeLabel, TextRight,    7, 51,  46,   8, "Process Mode",    nullptr,                                  {}},
    {kHighFrameRate,    CheckBox,    57, 51,  68,   8, "High Frame Rate", "Check here to enable high frame rate",   {}},
    {kBinningLabel,     TextRight,    7, 61,  46,  14, "V Binning",       nullptr,                                  {}},
    {kBinningOff,       RadioFirst,  57, 61,  34,  14, "Off",             "Select V Binning mode off",              {}},
    {kBinningOn,        Radio,       94, 61,  45,  14, "On",              "Select V Binning mode on",               {}},
    {kAybLabel,         TextRight,    6, 76,  47,  14, "One-Push AYB",    nullptr,                                  {}},
    {kAybArea,          DropDown,    57, 76,  61, 118, nullptr,           "Select one-push AYB area",               {kAybLabel}},
    {kAybRun,           Button,     122, 75,  36,  14, "Run",             "Start one-push AYB",                     {}},
    {kStrip,            Strip,        7, 94, 151,   3, nullptr,           nullptr,                                  {}},
};
// clang-format on

// The output lists are read and written as item positions: their dual formats and "Full Color"
// are offered only while the camera can produce them.
// clang-format off
constexpr ControlBinding kBindings[] = {
    // row  kind                 control          caption            second       index  guard    min
    {P_OS1, BindingKind::List,   kCameraLink1,    0,                 0,           true,  nullptr, 0},
    {P_OS2, BindingKind::List,   kCameraLink2,    0,                 0,           true,  nullptr, 0},
    {P_YA,  BindingKind::List,   kAybArea,        0,                 0,           false, nullptr, 0},
    {P_IS,  BindingKind::Radio,  kSynchronous,    kOutputModeLabel,  kSeparate,   false, nullptr, 0},
    {P_HF,  BindingKind::Check,  kHighFrameRate,  kProcessModeLabel, 0,           false, nullptr, 0},
    {P_BI1, BindingKind::Radio,  kBinningOff,     0,                 kBinningOn,  false, nullptr, 0},
    {P_AYB, BindingKind::Action, kAybRun,         0,                 0,           false, nullptr, 0},
};
// clang-format on

// The rows rendered only when both imagers are of the same type, in layout order.
constexpr int kAlikeRows[] = {kProcessModeLabel, kHighFrameRate, kBinningLabel, kBinningOff,
                              kBinningOn,        kAybLabel,      kAybArea,      kAybRun};

// Output formats by value: the dual formats and their single forms.
constexpr int32_t kDualTenBit = 2;
constexpr int32_t kDualEightBit = 3;

} // namespace

const DialogLayout& CDialogControl::Layout()
{
    static constexpr DialogLayout layout{226, "Common Control", 165, 104, kControls};
    return layout;
}

CDialogControl::CDialogControl(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                               PanelEnvironment& environment, QWidget* parent)
    : CDialogControlBase(panelSpec, owner, environment, Layout(), parent, kBindings, -1)
{
    InitialiseControls();
    if (!ImagersAlike())
        HideAlikeRows();
    // After a click on an output mode radio the keyboard focus rests on the strip, as after
    // every commit of this group.
    Handle(Controls().RadioGroup(kSynchronous), &QButtonGroup::idClicked, [this](int) {
        if (QWidget* strip = Controls().Widget(kStrip))
            strip->setFocus();
    });
}

void CDialogControl::HideAlikeRows()
{
    for (int id : kAlikeRows)
        if (QWidget* widget = Controls().Widget(id))
            widget->hide();
    QWidget* strip = Controls().Widget(kStrip);
    QWidget* firstHidden = Controls().Widget(kProcessModeLabel);
    if (strip == nullptr || firstHidden == nullptr)
        return;
    const int moved = strip->y() - firstHidden->y();
    strip->move(strip->x(), firstHidden->y());
    setFixedSize(width(), height() - moved);
}

void CDialogControl::OnParameterChanged(int32_t parameter, bool interactive, bool updateControls)
{
    // Runs inside the control's notification: nothing may unwind out of it.
    Guarded([&] {
        CDialogControlBase::OnParameterChanged(parameter, interactive, updateControls);
        if (!interactive)
            return;
        const int32_t value = Owner().GetParameterValue(parameter);
        const bool singleOnly =
            (parameter == P_TR1 && value >= 4 && value <= 6) || (parameter == P_IS && value == 1);
        if (singleOnly) {
            // The camera's value decides, not the list position: with the dual formats already
            // missing from the list, a position of 2 is "Full Color", which stays.
            for (int32_t row : {P_OS1, P_OS2}) {
                const int32_t output = Owner().GetParameterValue(row);
                if (output == kDualTenBit || output == kDualEightBit)
                    Owner().SetParameterIndex(row, output - kDualTenBit);
            }
        }
        // Sent every time: the mirror may hold a value the camera no longer has, since nothing is
        // read from it at start-up.
        if (parameter == P_HF && value == 1)
            Owner().SetParameterValue(P_IS, 0);
    });
}

void CDialogControl::RunAction(const ControlBinding&)
{
    const WaitCursor wait(Owner().Ui());
    int32_t result = 0;
    // Both imagers at once; the operation shows its own progress and result message.
    Owner().RunOnePushBalance(2, result, true);
}

} // namespace zr
