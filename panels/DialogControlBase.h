#pragma once

#include <span>
#include <vector>

#include "panels/DialogOCXBase.h"

namespace zr
{

class CNEdit;

// How a control of a control panel shows its parameter.
enum class BindingKind : uint8_t {
    List,   // drop-down list of the row's enabled items; its index is an item position
    Radio,  // two radio buttons: index 0 or 1
    Check,  // check box: 0 or 1
    Number, // number field with its up-down button
    Action, // push button that starts an operation of the row; only its enabling is shared
};

// One parameter shown on a control panel. On an imager panel `row` is the imager 1 row; the
// panel maps it to its own imager.
struct ControlBinding {
    int32_t row;
    BindingKind kind;
    int control;           // the list, number field, first radio button or check box
    int caption;           // its caption label; 0 for none
    int second;            // the up-down button or the second radio button; 0 for none
    bool indexForm;        // read and written as item positions (rows whose items can be disabled)
    const char* guardText; // typing guard: a text left alone while the user types; nullptr for none
    int guardMinLength;    // typing guard: shorter texts are left alone while the user types
};

// The shared rules of the control panels (common control and imager panels), driven by a table
// of bindings: lists are filled with the enabled items, number fields get the row's range, every
// change of a control is committed to the control at once, a parameter change refreshes its
// controls (with the typing guard while the user types), and the enabled conditions enable the
// bound controls. A panel adds its table and what is its own (one-push buttons, titles).
class CDialogControlBase : public CDialogOCXBase
{
    Q_OBJECT

public:
    // `imager` is 0 or 1 on an imager panel, -1 on the common control panel.
    CDialogControlBase(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                       PanelEnvironment& environment, const DialogLayout& layout, QWidget* parent,
                       std::span<const ControlBinding> bindings, int32_t imager);

    // The online strip, then every variable into its control.
    void OnOnlineStatusChanged(bool online) override;
    // Refreshes the controls of a row shown here; a governing row re-evaluates the enabling.
    void OnParameterChanged(int32_t parameter, bool interactive, bool updateControls) override;

    // The row a binding shows on this panel.
    int32_t Row(const ControlBinding& binding) const;
    int32_t Imager() const { return imager_; }
    std::span<const ControlBinding> Bindings() const { return bindings_; }
    // The variable of the binding of `row`, or 0.
    int32_t Variable(int32_t row) const;

protected:
    // Fills the lists, sets the number fields' ranges, connects the commit handlers, reads every
    // row and applies the enabling. Call at the end of the derived panel's initialisation.
    void InitialiseControls();
    // Empties the list of `row` and adds the display texts of its enabled items.
    void FillList(int32_t row);
    // Refills the lists whose items can be disabled (their enabled items may have changed with a
    // governing row) and reads their item positions again.
    void RefillConditionalLists();
    // A click on the push button of an Action binding.
    virtual void RunAction(const ControlBinding& /*binding*/) {}
    void CopyToControls();
    void CopyFromControls();
    void UpdateEnabling();
    // Whether the typing guard lets a refresh replace the text of `field`.
    static bool GuardAllows(const ControlBinding& binding, const CNEdit& field, bool userTyping);

private:
    void CommitChoice(size_t binding);
    void CommitNumber(size_t binding);
    int32_t ReadValue(const ControlBinding& binding) const;
    void WriteValue(const ControlBinding& binding, int32_t value);

    std::span<const ControlBinding> bindings_;
    std::vector<int32_t> variables_;
    int32_t imager_;
};

} // namespace zr
