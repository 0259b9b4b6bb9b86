#include "panels/DialogControlBase.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

#include "camera/ParameterTable.h"
#include "control/XKorvelCamCtrl.h"
#include "panels/ControlText.h"
#include "panels/NEdit.h"
#include "panels/SpinButton.h"

namespace zr
{

CDialogControlBase::CDialogControlBase(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                                       PanelEnvironment& environment, const DialogLayout& layout,
                                       QWidget* parent, std::span<const ControlBinding> bindings,
                                       int32_t imager)
    : CDialogOCXBase(panelSpec, owner, environment, layout, parent), bindings_(bindings),
      variables_(bindings.size(), 0), imager_(imager)
{
}

int32_t CDialogControlBase::Row(const ControlBinding& binding) const
{
    if (imager_ < 0)
        return binding.row;
    const int32_t row = CXKorvelCamCtrl::ImagerRow(imager_, binding.row);
    return row >= 0 ? row : binding.row;
}

int32_t CDialogControlBase::Variable(int32_t row) const
{
    for (size_t i = 0; i < bindings_.size(); ++i)
        if (Row(bindings_[i]) == row)
            return variables_[i];
    return 0;
}

int32_t CDialogControlBase::ReadValue(const ControlBinding& binding) const
{
    const int32_t row = Row(binding);
    return binding.indexForm ? Owner().GetParameterIndex(row) : Owner().GetParameterValue(row);
}

void CDialogControlBase::WriteValue(const ControlBinding& binding, int32_t value)
{
    const int32_t row = Row(binding);
    if (binding.indexForm)
        Owner().SetParameterIndex(row, value);
    else
        Owner().SetParameterValue(row, value);
    Owner().SetModifiedFlag();
}

void CDialogControlBase::InitialiseControls()
{
    for (size_t i = 0; i < bindings_.size(); ++i) {
        const ControlBinding& binding = bindings_[i];
        const int32_t row = Row(binding);
        switch (binding.kind) {
        case BindingKind::List:
            FillList(row);
            Handle(Controls().Get<QComboBox>(binding.control), &QComboBox::activated,
                   [this, i](int) { CommitChoice(i); });
            break;
        case BindingKind::Radio:
            Handle(Controls().RadioGroup(binding.control), &QButtonGroup::idClicked,
                   [this, i](int) { CommitChoice(i); });
            break;
        case BindingKind::Check:
            Handle(Controls().Get<QCheckBox>(binding.control), &QCheckBox::clicked,
                   [this, i](bool) { CommitChoice(i); });
            break;
        case BindingKind::Number: {
            // A row with value names counts item positions; any other its own range.
            const bool named = kParameterTable[static_cast<size_t>(row)].itemCount > 0;
            const int32_t lower = named ? 0 : CXKorvelCamCtrl::AskRange(row, 0);
            const int32_t upper =
                named ? Owner().AskIndexRange(row, 1) : CXKorvelCamCtrl::AskRange(row, 1);
            auto* field = Controls().Get<CNEdit>(binding.control);
            field->SetRange(lower, upper);
            if (auto* spin = Controls().Get<CSpinButton>(binding.second))
                spin->SetRange(lower, upper);
            Handle(field, &CNEdit::textChanged, [this, i](const QString&) { CommitNumber(i); });
            break;
        }
        case BindingKind::Action:
            Handle(Controls().Get<QAbstractButton>(binding.control), &QAbstractButton::clicked,
                   [this, i](bool) { RunAction(bindings_[i]); });
            break;
        }
    }
    OnOnlineStatusChanged(Owner().CheckOnline());
    for (const ControlBinding& binding : bindings_)
        OnParameterChanged(Row(binding), false, false);
    CopyToControls();
    UpdateEnabling();
}

void CDialogControlBase::FillList(int32_t row)
{
    for (const ControlBinding& binding : bindings_) {
        if (binding.kind != BindingKind::List || Row(binding) != row)
            continue;
        auto* list = Controls().Get<QComboBox>(binding.control);
        const QSignalBlocker quiet(list);
        list->clear();
        const int32_t count = Owner().AskIndexRange(row, 1) + 1;
        for (int32_t k = 0; k < count && Owner().CountEnabledItems(row) > 0; ++k)
            list->addItem(FromControlText(Owner().AskItemString(row, k)));
        DialogControls::FitItems(*list);
    }
}

namespace
{

bool HasConditionalItems(int32_t row)
{
    const ParameterEntry& entry = kParameterTable[static_cast<size_t>(row)];
    for (int32_t k = 0; k < entry.itemCount; ++k)
        if (entry.items[k].enable != nullptr)
            return true;
    return false;
}

} // namespace

void CDialogControlBase::RefillConditionalLists()
{
    for (size_t i = 0; i < bindings_.size(); ++i) {
        const ControlBinding& binding = bindings_[i];
        const int32_t row = Row(binding);
        if (binding.kind != BindingKind::List || !HasConditionalItems(row))
            continue;
        FillList(row);
        variables_[i] = ReadValue(binding);
        auto* list = Controls().Get<QComboBox>(binding.control);
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(variables_[i] < list->count() ? variables_[i] : -1);
    }
}

void CDialogControlBase::CopyToControls()
{
    for (size_t i = 0; i < bindings_.size(); ++i) {
        const ControlBinding& binding = bindings_[i];
        const int32_t value = variables_[i];
        switch (binding.kind) {
        case BindingKind::List: {
            auto* list = Controls().Get<QComboBox>(binding.control);
            const QSignalBlocker quiet(list);
            list->setCurrentIndex(value < list->count() ? value : -1);
            break;
        }
        case BindingKind::Radio:
            if (QAbstractButton* button = Controls().RadioGroup(binding.control)->button(value))
                button->setChecked(true);
            break;
        case BindingKind::Check:
            Controls().Get<QCheckBox>(binding.control)->setChecked(value != 0);
            break;
        case BindingKind::Number:
        case BindingKind::Action:
            // Number fields are written by the refresh itself, under the typing guard.
            break;
        }
    }
}

void CDialogControlBase::CopyFromControls()
{
    for (size_t i = 0; i < bindings_.size(); ++i) {
        const ControlBinding& binding = bindings_[i];
        switch (binding.kind) {
        case BindingKind::List:
            variables_[i] = Controls().Get<QComboBox>(binding.control)->currentIndex();
            break;
        case BindingKind::Radio:
            variables_[i] = std::max(0, Controls().RadioGroup(binding.control)->checkedId());
            break;
        case BindingKind::Check:
            variables_[i] = Controls().Get<QCheckBox>(binding.control)->isChecked() ? 1 : 0;
            break;
        case BindingKind::Number:
            variables_[i] = Controls().Get<CNEdit>(binding.control)->Value();
            break;
        case BindingKind::Action:
            break;
        }
    }
}

void CDialogControlBase::CommitChoice(size_t binding)
{
    CopyFromControls();
    WriteValue(bindings_[binding], variables_[binding]);
}

void CDialogControlBase::CommitNumber(size_t binding)
{
    // Cleared again however the handler ends, a script error included.
    FlagScope typing(UserTypingFlag());
    if (IsRefreshing())
        return;
    auto* field = Controls().Get<CNEdit>(bindings_[binding].control);
    WriteValue(bindings_[binding], field->Value());
}

bool CDialogControlBase::GuardAllows(const ControlBinding& binding, const CNEdit& field,
                                     bool userTyping)
{
    if (!userTyping)
        return true;
    const QString text = field.text();
    if (text.isEmpty())
        return false;
    if (binding.guardText != nullptr && text == FromControlText(binding.guardText))
        return false;
    return text.size() >= binding.guardMinLength;
}

void CDialogControlBase::OnOnlineStatusChanged(bool online)
{
    CDialogOCXBase::OnOnlineStatusChanged(online);
    CopyToControls();
}

void CDialogControlBase::OnParameterChanged(int32_t parameter, bool, bool updateControls)
{
    bool shown = false;
    {
        FlagScope refreshing(RefreshingFlag());
        for (size_t i = 0; i < bindings_.size(); ++i) {
            const ControlBinding& binding = bindings_[i];
            if (Row(binding) != parameter)
                continue;
            shown = true;
            variables_[i] = ReadValue(binding);
            if (binding.kind != BindingKind::Number)
                continue;
            auto* field = Controls().Get<CNEdit>(binding.control);
            if (GuardAllows(binding, *field, IsUserTyping()))
                field->SetValue(variables_[i]);
        }
        if (shown && updateControls)
            CopyToControls();
    }
    const bool governing = parameter >= 0 && parameter < PARAMETER_COUNT &&
                           kParameterTable[static_cast<size_t>(parameter)].Has(PF_GOVERNING);
    if (governing) {
        FlagScope refreshing(RefreshingFlag());
        RefillConditionalLists();
    }
    if (shown || governing)
        UpdateEnabling();
}

void CDialogControlBase::UpdateEnabling()
{
    for (const ControlBinding& binding : bindings_) {
        const bool enabled = Owner().IsEnabled(Row(binding));
        for (int id : {binding.caption, binding.control, binding.second})
            if (QWidget* widget = Controls().Widget(id))
                widget->setEnabled(enabled);
        if (binding.kind == BindingKind::Radio)
            for (QAbstractButton* button : Controls().RadioGroup(binding.control)->buttons())
                button->setEnabled(enabled);
    }
}

} // namespace zr
