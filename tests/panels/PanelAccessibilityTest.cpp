// Every panel as screen readers and testing tools see it through Qt's accessibility: each
// control the user operates has a name from its layout's caption column (or its group and kind),
// caption labels are related to their controls, number fields are values that can be read and
// set, and a name stays when the value changes.
#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <gtest/gtest.h>

#include "ControlPanelTestBed.h"
#include "panels/DialogComm.h"
#include "panels/DialogControlColor.h"
#include "panels/DialogMain.h"
#include "panels/NEdit.h"

namespace zr::test
{
namespace
{

QString NameOf(QWidget* widget)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
}

bool Operated(const QWidget* widget)
{
    return qobject_cast<const QAbstractButton*>(widget) != nullptr ||
           qobject_cast<const QComboBox*>(widget) != nullptr ||
           qobject_cast<const QListWidget*>(widget) != nullptr ||
           (qobject_cast<const QLineEdit*>(widget) != nullptr &&
            qobject_cast<const QComboBox*>(widget->parentWidget()) == nullptr);
}

// Panel index and control identifier, with the name it must have.
struct Named {
    int32_t panel;
    int id;
    const char* name;
};

TEST(PanelAccessibility, EveryControlIsNamedFromItsLayoutAndKeepsItsName)
{
    for (const char* model : {"ZR-470", "ZR-471", "ZR-472"}) {
        SCOPED_TRACE(model);
        ControlPanelTestBed bed;
        bed.Start(model);
        for (int32_t index = PANEL_MAIN; index <= PANEL_IMAGER2; ++index) {
            for (QWidget* widget : bed.Panel(index).findChildren<QWidget*>()) {
                if (Operated(widget)) {
                    EXPECT_FALSE(NameOf(widget).trimmed().isEmpty())
                        << index << " " << widget->metaObject()->className();
                }
            }
        }
    }

    // ZR-470: imager 1 is a colour one.
    ControlPanelTestBed bed;
    bed.Start("ZR-470");
    using Color = CDialogControlColor;
    const Named names[] = {
        {PANEL_IMAGER1, Color::kGainMaster, "Master Gain"},         // column heading and group
        {PANEL_IMAGER1, Color::kKneeSlopeRed, "Red Slope"},         // row and column headings
        {PANEL_IMAGER1, Color::kShutterSpeed, "Preset"},            // the radio that chooses it
        {PANEL_IMAGER1, Color::kExposure, "Programmable Exposure"}, // a text of two lines
        {PANEL_IMAGER1, Color::kGainMasterSpin, "Master Gain arrows"},
        {PANEL_COMMUNICATION, CDialogComm::kCategoryList, "Category"},
        {PANEL_COMMUNICATION, CDialogComm::kAreaList, "Factory And User Settings In Camera list"},
        {PANEL_COMMUNICATION, CDialogComm::kGetArea, "Get Area"},
        {PANEL_MAIN, CDialogMain::kAboutButton, "Click to about dialog"}, // no caption, no group
    };
    for (const Named& row : names)
        EXPECT_EQ(NameOf(bed.Widget(row.panel, row.id)), row.name) << row.id;
    // A caption label is the label of its control (labelled-by and label-for).
    EXPECT_EQ(bed.Control<QLabel>(PANEL_COMMUNICATION, CDialogComm::kCategoryLabel)->buddy(),
              bed.Widget(PANEL_COMMUNICATION, CDialogComm::kCategoryList));

    // A list is named by its caption, not by the item it shows.
    QWidget* shutter = bed.Widget(PANEL_IMAGER1, Color::kShutterSpeed);
    bed.Choose(PANEL_IMAGER1, Color::kShutterSpeed, 3);
    EXPECT_EQ(NameOf(shutter), "Preset");

    // A number field is a value within its range; setting it commits as typing does.
    auto* gain = bed.Control<CNEdit>(PANEL_IMAGER1, Color::kGainMaster);
    QAccessibleInterface* field = QAccessible::queryAccessibleInterface(gain);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->role(), QAccessible::SpinBox);
    QAccessibleValueInterface* value = field->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->minimumValue().toInt(), -84);
    EXPECT_EQ(value->maximumValue().toInt(), 336);
    bed.TakeLines();
    value->setCurrentValue(25);
    EXPECT_EQ(gain->text(), "25");
    EXPECT_EQ(value->currentValue().toInt(), 25);
    const std::vector<std::string> lines = bed.TakeLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "GA1=25"), lines.end());
    EXPECT_EQ(NameOf(gain), "Master Gain");
}

} // namespace
} // namespace zr::test
