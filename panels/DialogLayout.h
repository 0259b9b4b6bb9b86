#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <map>
#include <span>

class QButtonGroup;
class QComboBox;
class QStyle;

namespace zr
{

class DialogMetrics;
class PanelToolTip;

// What a control of a layout is.
enum class ControlKind : uint8_t {
    Text,           // static text, left-aligned, wrapping words
    TextNoWrap,     // static text, left-aligned, one line
    TextRight,      // static text, right-aligned and vertically centred
    TextCentre,     // static text, centred, one line (column captions)
    Edit,           // single-line edit field
    ReadOnlyEdit,   // single-line field with a border that the user cannot change
    SignedNumber,   // CNiEdit
    UnsignedNumber, // CNuEdit
    Spin,           // up-down button for the number field laid out just before it
    Button,         // push button
    CheckBox,
    PushCheckBox, // check box that looks like a push button, with a picture
    RadioFirst,   // radio button that starts a group
    Radio,        // radio button of the group started last
    Group,        // group frame with a caption
    DropDown,     // drop-down list
    List,         // list box
    Progress,     // smooth progress bar
    Picture,      // an icon
    Link,         // CLabel
    Strip,        // the online strip
};

// The controls whose texts caption a control on the screen, by identifier (0 for none): a label
// beside it, a radio button that chooses it, the row and column headings of a grid. A control's
// name for screen readers and testing tools is their texts in this order.
struct Caption {
    int first = 0;
    int second = 0;
};

// One control: identifier, kind, rectangle in dialog units, text, tooltip (nullptr for none) and
// caption. A control without a caption is named by its group frame and its kind.
struct ControlSpec {
    int id;
    ControlKind kind;
    int x;
    int y;
    int width;
    int height;
    const char* text;
    const char* tooltip;
    Caption caption{};
};

// A panel's layout: its number, title, client size in dialog units and controls in tab order.
struct DialogLayout {
    int id;
    const char* title;
    int width;
    int height;
    std::span<const ControlSpec> controls;
};

// The controls of one built layout, by identifier.
class DialogControls
{
public:
    // Creates the controls of `layout` as children of `dialog`, sizes the dialog's client area
    // and sets its title and font.
    void Build(QWidget& dialog, const DialogLayout& layout, const DialogMetrics& metrics);

    QWidget* Widget(int id) const;
    template <typename T> T* Get(int id) const { return qobject_cast<T*>(Widget(id)); }
    // The panel's tooltip control (null before Build).
    PanelToolTip* ToolTip() const { return tips_; }
    // The exclusive group a radio button belongs to (by the identifier of any of its buttons).
    QButtonGroup* RadioGroup(int id) const;

    // Narrows the font of a drop-down list just enough for its widest item to show whole in the
    // closed box; the dialog font again when every item fits.
    static void FitItems(QComboBox& list);

    // Presses the dialog's focused push button (not a toggle button), as Enter does in the
    // dialogs the layouts come from; false when no such button has the focus.
    static bool PressFocusedButton(const QWidget& dialog);

private:
    static QStyle* CreateLook(QWidget& dialog);
    // The group frame that encloses `row` (the innermost one laid out before it), or nullptr.
    QWidget* EnclosingGroup(const DialogLayout& layout, const ControlSpec& row) const;
    // Names every control that the user operates, from the table (see Caption).
    void NameControls(const DialogLayout& layout) const;
    static void FitText(const QWidget& widget, ControlKind kind, QRect& rect);

    std::map<int, QPointer<QWidget>> widgets_;
    std::map<int, QButtonGroup*> groups_;
    PanelToolTip* tips_ = nullptr; // owned by the dialog
};

} // namespace zr
