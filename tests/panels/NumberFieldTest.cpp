// The number fields, their up-down button and the label link: the character filter with its
// beeps, the clamp on focus loss, writing a value only when it differs, and what a click opens.
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "panels/Label.h"
#include "panels/NiEdit.h"
#include "panels/NuEdit.h"
#include "panels/SpinButton.h"

namespace zr
{
namespace
{

struct Beeps {
    int count = 0;
    void Attach(CNEdit& field)
    {
        field.SetBeep([this] { ++count; });
    }
};

TEST(NumberField, CharacterFilterKeepsOneMinusWhereNegativesAreAllowed)
{
    struct Case {
        bool negative;
        const char* start;
        bool selectAll;
        const char* typed;
        const char* shown;
        int beeps;
    };
    const Case cases[] = {
        {true, "", false, "-", "-", 0},
        {true, "", false, "-5", "-5", 0},
        {true, "-5", false, "-", "-5", 1}, // a second "-" at the end
        {true, "5", false, "-", "5-", 0},  // accepted at any caret position
        {true, "-3", true, "-", "-", 0},   // the selection goes first
        {true, "12", false, "a .3", "123", 3},
        {false, "", false, "-", "", 1}, // never in an unsigned field
        {false, "7", false, "8-", "78", 1},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CNEdit> field;
        if (c.negative)
            field = std::make_unique<CNiEdit>();
        else
            field = std::make_unique<CNuEdit>();
        Beeps beeps;
        beeps.Attach(*field);
        field->setText(c.start);
        if (c.selectAll)
            field->selectAll();
        QTest::keyClicks(field.get(), c.typed);
        EXPECT_EQ(field->text().toStdString(), c.shown) << c.start << " + " << c.typed;
        EXPECT_EQ(beeps.count, c.beeps) << c.start << " + " << c.typed;
    }
}

TEST(NumberField, FocusLossClampsOnlyARangeWithoutAZeroBound)
{
    struct Case {
        double minimum;
        double maximum;
        const char* text;
        const char* shown;
        int beeps;
    };
    const Case cases[] = {
        {-84, 336, "400", "336", 1},                           // master gain
        {-84, 336, "-90", "-84", 1},  {-84, 336, "-", "0", 0}, // a lone "-" reads as 0
        {0, 1023, "2000", "2000", 0}, // knee point: a bound of 0 turns the clamp off
        {1, 11, "12abc", "11", 1},    // the leading number counts
    };
    CNiEdit field;
    for (const Case& c : cases) {
        Beeps beeps;
        beeps.Attach(field);
        field.SetRange(c.minimum, c.maximum);
        field.setText(c.text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(&field, &out);
        EXPECT_EQ(field.text().toStdString(), c.shown) << c.text;
        EXPECT_EQ(beeps.count, c.beeps) << c.text;
    }
}

TEST(NumberField, SettingTheShownValueChangesNothingAndTheSpinWritesText)
{
    CNiEdit field;
    QSignalSpy changes(&field, &QLineEdit::textChanged);
    field.SetValue(12);
    field.SetValue(12);
    field.SetValue(12.9); // truncated toward zero
    EXPECT_EQ(changes.count(), 1);
    field.SetValue(-0.5);
    EXPECT_EQ(field.text(), "0");

    // Each step of the up-down button is a text change of the field, within the range.
    CSpinButton spin;
    spin.SetBuddy(&field);
    spin.SetRange(-2, 1);
    changes.clear();
    for (int delta : {1, 1, 1, -1})
        spin.Step(delta);
    EXPECT_EQ(field.text(), "0");
    EXPECT_EQ(changes.count(), 2); // 0 -> 1, then 1 -> 0; the clamped steps write nothing
    QTest::keyClick(&field, Qt::Key_Down);
    EXPECT_EQ(field.text(), "-1");
}

TEST(LabelLink, AClickOpensTheTargetOrElseTheLabelsOwnText)
{
    QStringList opened;
    CLabel label("www.example.org");
    label.resize(100, 20);
    label.SetOpener([&](const QString& target) { opened << target; });
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_TRUE(opened.isEmpty()) << "a plain static text takes no clicks";

    label.SetNotify(true);
    QTest::mouseClick(&label, Qt::LeftButton);
    QTest::mouseClick(&label, Qt::RightButton);
    label.SetLinkTarget("https://downloads.example.org");
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(opened, QStringList({"www.example.org", "https://downloads.example.org"}));
}

} // namespace
} // namespace zr
