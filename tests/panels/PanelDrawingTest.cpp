// Every panel as it is drawn: each control inside the frame of the group its layout puts it in,
// no text cut off, up-down buttons on their field's edge, the sizes the layouts give.
#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <gtest/gtest.h>

#include "ControlPanelTestBed.h"
#include "panels/DialogAbout.h"
#include "panels/DialogComm.h"
#include "panels/DialogControl.h"
#include "panels/DialogControlMono.h"
#include "panels/DialogMetrics.h"
#include "panels/NEdit.h"
#include "panels/PanelToolTip.h"
#include "panels/SpinButton.h"

namespace zr::test
{
namespace
{

const DialogLayout& LayoutOf(const CDialogOCXBase& panel)
{
    if (dynamic_cast<const CDialogAbout*>(&panel) != nullptr)
        return CDialogAbout::Layout();
    if (dynamic_cast<const CDialogComm*>(&panel) != nullptr)
        return CDialogComm::Layout();
    if (dynamic_cast<const CDialogControl*>(&panel) != nullptr)
        return CDialogControl::Layout();
    if (dynamic_cast<const CDialogControlMono*>(&panel) != nullptr)
        return CDialogControlMono::Layout();
    return CDialogControlColor::Layout();
}

bool Contains(const ControlSpec& outer, const ControlSpec& inner)
{
    const int x = inner.x + inner.width / 2;
    const int y = inner.y + std::min(inner.height, 14) / 2;
    return x > outer.x && x < outer.x + outer.width && y > outer.y && y < outer.y + outer.height;
}

// The part of a group box inside its frame lines, in its window's coordinates.
QRect InsideFrame(const QGroupBox& box)
{
    QStyleOptionGroupBox option;
    option.initFrom(&box);
    option.text = box.title();
    option.lineWidth = 1;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect frame =
        box.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, &box);
    return frame.adjusted(1, 1, -1, -1).translated(box.mapTo(box.window(), QPoint(0, 0)));
}

// Where a control's text has to fit, or an empty string when it has none of its own.
int TextRoom(const QWidget& widget, QString& text)
{
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        text = label->pixmap().isNull() && !label->wordWrap() ? label->text() : QString();
        return label->contentsRect().width();
    }
    if (const auto* radio = qobject_cast<const QAbstractButton*>(&widget);
        radio != nullptr && qobject_cast<const QPushButton*>(&widget) == nullptr) {
        text = radio->text();
        // The indicator and its gap come before the text.
        return widget.width() - (radio->sizeHint().width() -
                                 widget.fontMetrics().horizontalAdvance(text.split('\n').first()));
    }
    if (const auto* list = qobject_cast<const QComboBox*>(&widget)) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, list);
        text.clear();
        for (int i = 0; i < list->count(); ++i)
            if (widget.fontMetrics().horizontalAdvance(list->itemText(i)) >
                widget.fontMetrics().horizontalAdvance(text))
                text = list->itemText(i);
        return field.width();
    }
    return -1;
}

int Widest(const QFontMetrics& metrics, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split('\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

// Walks one panel's layout and checks what it built.
void CheckPanel(const CDialogOCXBase& panel, const DialogMetrics& metrics)
{
    const DialogLayout& layout = LayoutOf(panel);
    SCOPED_TRACE(layout.title);
    EXPECT_EQ(panel.width(), metrics.X(layout.width));
    const std::span<const ControlSpec> controls = layout.controls;
    for (const ControlSpec& row : controls) {
        QWidget* widget = panel.Controls().Widget(row.id);
        ASSERT_NE(widget, nullptr) << row.id;
        if (widget->isHidden() || row.kind == ControlKind::Group)
            continue;
        SCOPED_TRACE(row.id);
        const QRect placed(widget->mapTo(&panel, QPoint(0, 0)), widget->size());
        for (const ControlSpec& group : controls)
            if (group.kind == ControlKind::Group && Contains(group, row)) {
                const auto* box = panel.Controls().Get<QGroupBox>(group.id);
                EXPECT_TRUE(InsideFrame(*box).contains(placed))
                    << placed.x() << "," << placed.y() << " " << widget->width() << "x"
                    << widget->height() << " in " << group.text;
                // The frame holds it in the window's tree too, which screen readers walk.
                EXPECT_EQ(widget->parentWidget(), box) << group.text;
            }
        QString text;
        const int room = TextRoom(*widget, text);
        if (room >= 0 && !text.isEmpty()) {
            EXPECT_LE(Widest(widget->fontMetrics(), text), room) << text.toStdString();
        }
        if (const auto* field = qobject_cast<const CNEdit*>(widget)) {
            EXPECT_EQ(field->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        }
        if (const auto* spin = qobject_cast<const CSpinButton*>(widget)) {
            // On the field's right edge, as high as the field, the field narrowed by its width.
            const QRect field = spin->Buddy()->geometry();
            EXPECT_EQ(spin->x(), field.right() + 1);
            EXPECT_EQ(spin->y(), field.y());
            EXPECT_EQ(spin->height(), field.height());
        }
    }
}

TEST(PanelDrawing, EveryControlSitsInsideItsFrameWithItsWholeText)
{
    // The three models give every panel kind: colour and monochrome imager panels, the common
    // control panel with imagers alike and of two kinds.
    for (const char* model : {"ZR-470", "ZR-471", "ZR-472"}) {
        SCOPED_TRACE(model);
        ControlPanelTestBed bed;
        bed.Start(model);
        const DialogMetrics metrics;
        for (int32_t index = PANEL_ABOUT; index <= PANEL_IMAGER2; ++index)
            CheckPanel(bed.Panel(index), metrics);
    }
}

TEST(PanelDrawing, TooltipsUseTheDialogFontAndThePanelsWidth)
{
    ControlPanelTestBed bed;
    bed.Start("ZR-470");
    const DialogMetrics metrics;
    // Panel, a control with a tip, the tip's maximum width.
    const struct {
        int32_t panel;
        int control;
        int width;
    } rows[] = {
        {PANEL_ABOUT, CDialogAbout::kSave, 200},
        {PANEL_COMMUNICATION, CDialogComm::kAuto, 400},
        {PANEL_IMAGER1, CDialogControlColor::kGainMaster, 400},
    };
    for (const auto& row : rows) {
        CDialogOCXBase& panel = bed.Panel(row.panel);
        QWidget* control = panel.Controls().Widget(row.control);
        PanelToolTip* tips = panel.Controls().ToolTip();
        ASSERT_NE(tips, nullptr);
        QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), control->mapToGlobal(QPoint(2, 2)));
        QCoreApplication::sendEvent(control, &hover);
        QLabel* shown = tips->Shown();
        ASSERT_NE(shown, nullptr) << row.panel;
        EXPECT_EQ(shown->text(), control->toolTip());
        EXPECT_EQ(shown->font().family(), metrics.Font().family());
        EXPECT_EQ(shown->font().pixelSize(), metrics.Font().pixelSize());
        EXPECT_EQ(tips->MaximumWidth(), row.width);
        EXPECT_LE(shown->width(), row.width);
        // The whole text on one line where it fits.
        EXPECT_GE(shown->contentsRect().width(),
                  std::min(shown->fontMetrics().horizontalAdvance(shown->text()), row.width - 4));
        // Leaving the control takes the tip away.
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(control, &leave);
        EXPECT_EQ(tips->Shown(), nullptr);
    }
}

TEST(PanelDrawing, DialogUnitsFollowTheFontsWindowsAscentAndDescent)
{
    // Tahoma's OS/2 table: 2049 and 423 of 2048 units; at 96 dpi the 8 pt em is 11 pixels.
    QByteArray os2(96, '\0');
    os2[74] = char(2049 >> 8);
    os2[75] = char(2049 & 0xFF);
    os2[76] = char(423 >> 8);
    os2[77] = char(423 & 0xFF);
    EXPECT_EQ(DialogMetrics::EmPixels(8, 96), 11);
    EXPECT_EQ(DialogMetrics::LineHeight(os2, 2048, 11), 13);
    EXPECT_EQ(DialogMetrics::EmPixels(8, 120), 13);
    EXPECT_EQ(DialogMetrics::LineHeight(os2, 2048, 13), 16);
    EXPECT_EQ(DialogMetrics::EmPixels(8, 144), 16);
    EXPECT_EQ(DialogMetrics::LineHeight(os2, 2048, 16), 19);
    // A short or missing table gives no height (the font's own line height is used then).
    EXPECT_EQ(DialogMetrics::LineHeight(os2.left(76), 2048, 11), 0);
    EXPECT_EQ(DialogMetrics::LineHeight(QByteArray(), 2048, 11), 0);

    // Every resolution and the fall-back font alike: the height is never Qt's line height of a
    // font that prefers its typographic metrics, and the about panel keeps its proportions.
    for (int dpi : {96, 120, 144, 192}) {
        const DialogMetrics metrics(dpi);
        EXPECT_GE(metrics.CharHeight(), DialogMetrics::EmPixels(8, dpi)) << dpi;
        const QSize about = metrics.Size(299, 170);
        EXPECT_NEAR(double(about.width()) / about.height(), 449.0 / 276.0, 0.1) << dpi;
    }
    const DialogMetrics metrics(96);
    if (metrics.Font().family() == "Tahoma") {
        EXPECT_EQ(metrics.CharHeight(), 13);
        EXPECT_EQ(metrics.Size(299, 170), QSize(449, 276));
    }
}

} // namespace
} // namespace zr::test
