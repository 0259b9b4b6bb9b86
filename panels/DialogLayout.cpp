#include "panels/DialogLayout.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionComboBox>
#include <algorithm>

#include "panels/ControlText.h"
#include "panels/DialogMetrics.h"
#include "panels/DropDownAccessible.h"
#include "panels/Label.h"
#include "panels/NiEdit.h"
#include "panels/NuEdit.h"
#include "panels/NumberFieldAccessible.h"
#include "panels/OnlineStrip.h"
#include "panels/PanelToolTip.h"
#include "panels/SpinButton.h"

namespace zr
{

namespace
{

QLabel* MakeText(QWidget& parent, const ControlSpec& panelSpec)
{
    auto* label = new QLabel(FromControlText(panelSpec.text ? panelSpec.text : ""), &parent);
    switch (panelSpec.kind) {
    case ControlKind::TextRight:
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case ControlKind::TextNoWrap:
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        break;
    case ControlKind::TextCentre:
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        break;
    default:
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        break;
    }
    return label;
}

QAbstractButton* MakeButton(QWidget& parent, const ControlSpec& panelSpec)
{
    const QString text = FromControlText(panelSpec.text ? panelSpec.text : "");
    switch (panelSpec.kind) {
    case ControlKind::Button: {
        auto* button = new QPushButton(text, &parent);
        // Enter never presses a button on its own: the panels ignore the default action.
        button->setAutoDefault(false);
        return button;
    }
    case ControlKind::PushCheckBox: {
        auto* button = new QPushButton(text, &parent);
        button->setCheckable(true);
        button->setAutoDefault(false);
        return button;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(text, &parent);
    default:
        return new QRadioButton(text, &parent);
    }
}

// A new control of `panelSpec`'s kind in `dialog`; `previous` is the control laid out before it.
QWidget* MakeControl(QWidget& dialog, const ControlSpec& panelSpec, QWidget* previous)
{
    switch (panelSpec.kind) {
    case ControlKind::Text:
    case ControlKind::TextNoWrap:
    case ControlKind::TextRight:
    case ControlKind::TextCentre:
        return MakeText(dialog, panelSpec);
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit: {
        auto* edit = new QLineEdit(&dialog);
        edit->setReadOnly(panelSpec.kind == ControlKind::ReadOnlyEdit);
        return edit;
    }
    case ControlKind::SignedNumber:
    case ControlKind::UnsignedNumber: {
        CNEdit* field = panelSpec.kind == ControlKind::SignedNumber
                            ? static_cast<CNEdit*>(new CNiEdit(&dialog))
                            : static_cast<CNEdit*>(new CNuEdit(&dialog));
        field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        NumberFieldAccessible::Install();
        return field;
    }
    case ControlKind::Spin: {
        auto* spin = new CSpinButton(&dialog);
        // The up-down button belongs to the number field laid out just before it.
        if (auto* buddy = qobject_cast<CNEdit*>(previous))
            spin->SetBuddy(buddy);
        return spin;
    }
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::PushCheckBox:
    case ControlKind::RadioFirst:
    case ControlKind::Radio:
        return MakeButton(dialog, panelSpec);
    case ControlKind::Group:
        return new QGroupBox(FromControlText(panelSpec.text ? panelSpec.text : ""), &dialog);
    case ControlKind::DropDown:
        DropDownAccessible::Install();
        return new QComboBox(&dialog);
    case ControlKind::List:
        return new QListWidget(&dialog);
    case ControlKind::Progress: {
        auto* bar = new QProgressBar(&dialog);
        bar->setTextVisible(false);
        bar->setRange(0, 100);
        bar->setValue(0);
        return bar;
    }
    case ControlKind::Picture:
        return new QLabel(&dialog);
    case ControlKind::Link:
        return new CLabel(FromControlText(panelSpec.text ? panelSpec.text : ""), &dialog);
    case ControlKind::Strip:
        return new OnlineStrip(&dialog);
    }
    return nullptr;
}

// What a control that the user operates is, in words that complete its group's title; nullptr
// for the controls that only show something.
const char* RoleWord(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit:
        return "field";
    case ControlKind::SignedNumber:
    case ControlKind::UnsignedNumber:
        return "number";
    case ControlKind::Spin:
        return "arrows";
    case ControlKind::Button:
    case ControlKind::PushCheckBox:
        return "button";
    case ControlKind::CheckBox:
        return "check box";
    case ControlKind::RadioFirst:
    case ControlKind::Radio:
        return "option";
    case ControlKind::DropDown:
    case ControlKind::List:
        return "list";
    case ControlKind::Progress:
        return "progress";
    case ControlKind::Link:
        return "link";
    default:
        return nullptr;
    }
}

} // namespace

void DialogControls::Build(QWidget& dialog, const DialogLayout& layout,
                           const DialogMetrics& metrics)
{
    dialog.setFont(metrics.Font());
    dialog.setWindowTitle(FromControlText(layout.title));
    dialog.setFixedSize(metrics.Size(layout.width, layout.height));

    QStyle* look = CreateLook(dialog);
    tips_ = new PanelToolTip(dialog, metrics.Font());
    QWidget* previous = nullptr;
    QButtonGroup* group = nullptr;
    for (const ControlSpec& panelSpec : layout.controls) {
        // A control inside a group frame is its child, so that screen readers and testing tools
        // find it in its group; an up-down button goes where its number field went.
        QWidget* parent = EnclosingGroup(layout, panelSpec);
        if (panelSpec.kind == ControlKind::Spin && previous != nullptr)
            parent = previous->parentWidget();
        if (parent == nullptr)
            parent = &dialog;
        QWidget* widget = MakeControl(*parent, panelSpec, previous);
        if (panelSpec.kind == ControlKind::RadioFirst || panelSpec.kind == ControlKind::Radio) {
            if (panelSpec.kind == ControlKind::RadioFirst || group == nullptr) {
                group = new QButtonGroup(&dialog);
                group->setExclusive(true);
            }
            group->addButton(static_cast<QAbstractButton*>(widget),
                             static_cast<int>(group->buttons().size()));
            groups_[panelSpec.id] = group;
        }
        widget->setFont(metrics.Font());
        if (look != nullptr)
            widget->setStyle(look);
        QRect rect = metrics.Rect(panelSpec.x, panelSpec.y, panelSpec.width, panelSpec.height);
        FitText(*widget, panelSpec.kind, rect);
        // A drop-down list's height is that of the open list; the closed box is one line.
        if (panelSpec.kind == ControlKind::DropDown)
            rect.setHeight(std::min(rect.height(), widget->sizeHint().height()));
        // The layout's rectangles are the dialog's; a group's child is placed in the group.
        if (parent != &dialog)
            rect.translate(-parent->mapTo(&dialog, QPoint(0, 0)));
        // An up-down button sits on the right edge of its field, which narrows by its width.
        if (panelSpec.kind == ControlKind::Spin && previous != nullptr &&
            qobject_cast<CNEdit*>(previous) != nullptr) {
            const QRect field = previous->geometry();
            rect =
                QRect(field.right() + 1 - rect.width(), field.top(), rect.width(), field.height());
            previous->resize(field.width() - rect.width(), field.height());
        }
        widget->setGeometry(rect);
        if (panelSpec.tooltip != nullptr) {
            widget->setToolTip(FromControlText(panelSpec.tooltip));
            tips_->Watch(*widget);
        }
        widgets_[panelSpec.id] = widget;
        // Group frames stay behind the controls they enclose.
        if (panelSpec.kind == ControlKind::Group)
            widget->lower();
        previous = widget;
    }
    NameControls(layout);
    // The parts the controls made of their own (arrows, list views) take the same look.
    if (look != nullptr)
        for (QWidget* child : dialog.findChildren<QWidget*>())
            child->setStyle(look);
}

QWidget* DialogControls::EnclosingGroup(const DialogLayout& layout, const ControlSpec& row) const
{
    QWidget* enclosing = nullptr;
    for (const ControlSpec& frame : layout.controls) {
        if (&frame == &row)
            break;
        if (frame.kind == ControlKind::Group && row.x >= frame.x && row.x < frame.x + frame.width &&
            row.y >= frame.y && row.y < frame.y + frame.height)
            enclosing = Widget(frame.id);
    }
    return enclosing;
}

void DialogControls::NameControls(const DialogLayout& layout) const
{
    auto textOf = [this](int id) {
        const auto* button = Get<QAbstractButton>(id);
        const auto* label = Get<QLabel>(id);
        const auto* frame = Get<QGroupBox>(id);
        QString text = button  ? button->text()
                       : label ? label->text()
                       : frame ? frame->title()
                               : "";
        return text.remove('&').replace('\n', ' ').simplified();
    };
    for (const ControlSpec& row : layout.controls) {
        QWidget* widget = Widget(row.id);
        const char* role = RoleWord(row.kind);
        if (widget == nullptr || role == nullptr)
            continue;
        QStringList caption;
        for (int id : {row.caption.first, row.caption.second})
            if (id != 0 && Widget(id) != nullptr)
                caption << textOf(id);
        QString name = caption.join(' ');
        // A label captions one control: screen readers relate the two (labelled-by, label-for).
        if (auto* label = Get<QLabel>(row.caption.first); label != nullptr && !label->buddy())
            label->setBuddy(widget);
        if (name.isEmpty() && row.text != nullptr && *row.text != '\0')
            continue; // a button, check box or radio button is named by its own text
        if (name.isEmpty()) {
            const auto* frame = qobject_cast<QGroupBox*>(widget->parentWidget());
            if (frame != nullptr)
                name = frame->title().remove('&') + ' ' + role;
            else if (row.tooltip != nullptr)
                name = QString::fromLocal8Bit(row.tooltip);
            else
                name = QString(role).left(1).toUpper() + QString(role).mid(1);
        }
        widget->setAccessibleName(name);
        if (auto* spin = qobject_cast<CSpinButton*>(widget)) {
            const QString field = spin->Buddy() ? spin->Buddy()->accessibleName() : name;
            spin->setAccessibleName(field + ' ' + role);
            spin->NameArrows(field);
        }
    }
}

void DialogControls::FitItems(QComboBox& list)
{
    QFont font = list.parentWidget() != nullptr ? list.parentWidget()->font() : list.font();
    QStyleOptionComboBox option;
    option.initFrom(&list);
    const int room =
        list.style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &list)
            .width();
    const QFontMetrics metrics(font);
    int widest = 0;
    for (int i = 0; i < list.count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(list.itemText(i)));
    // The stretch is a percentage of the normal width; one point more is taken off for the
    // rounding of the narrowed glyphs.
    if (widest > room && room > 0)
        font.setStretch(std::max(50, room * 100 / widest - 1));
    list.setFont(font);
}

QStyle* DialogControls::CreateLook(QWidget& dialog)
{
    // The look the layouts were drawn for: group titles inside the frame's top edge, sunken
    // fields with narrow margins. Set on this dialog's widgets only; the application's style
    // belongs to whoever embeds the control. The dialog owns its style object.
    QStyle* look = QStyleFactory::create("Windows");
    if (look == nullptr)
        return nullptr;
    look->setParent(&dialog);
    dialog.setStyle(look);
    return look;
}

void DialogControls::FitText(const QWidget& widget, ControlKind kind, QRect& rect)
{
    // A one-line text, check box or radio button whose text is wider than its layout rectangle
    // (the text is measured in this font, which may run wider than the one the layout was drawn
    // with) grows away from its alignment edge instead of cutting the text off.
    const bool fits = kind == ControlKind::TextNoWrap || kind == ControlKind::TextRight ||
                      kind == ControlKind::TextCentre || kind == ControlKind::CheckBox ||
                      kind == ControlKind::RadioFirst || kind == ControlKind::Radio;
    const int needed = widget.sizeHint().width();
    if (!fits || needed <= rect.width())
        return;
    const int extra = needed - rect.width();
    if (kind == ControlKind::TextRight)
        rect.setLeft(rect.left() - extra);
    else if (kind == ControlKind::TextCentre)
        rect.adjust(-extra / 2, 0, extra - extra / 2, 0);
    else
        rect.setWidth(needed);
}

QWidget* DialogControls::Widget(int id) const
{
    auto it = widgets_.find(id);
    return it != widgets_.end() ? it->second.data() : nullptr;
}

bool DialogControls::PressFocusedButton(const QWidget& dialog)
{
    auto* button = qobject_cast<QPushButton*>(dialog.focusWidget());
    if (button == nullptr || button->isCheckable() || !button->isEnabled() ||
        button->window() != dialog.window())
        return false;
    button->animateClick();
    return true;
}

QButtonGroup* DialogControls::RadioGroup(int id) const
{
    auto it = groups_.find(id);
    return it != groups_.end() ? it->second : nullptr;
}

} // namespace zr
