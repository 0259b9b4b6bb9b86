#include "panels/NumberFieldAccessible.h"

#include "panels/NEdit.h"

namespace zr
{

namespace
{

QAccessibleInterface* MakeForNumberField(const QString& /*className*/, QObject* object)
{
    auto* field = qobject_cast<CNEdit*>(object);
    return field != nullptr ? new NumberFieldAccessible(field) : nullptr;
}

} // namespace

NumberFieldAccessible::NumberFieldAccessible(CNEdit* field)
    : QAccessibleWidget(field, QAccessible::SpinBox)
{
}

void NumberFieldAccessible::Install()
{
    // The component's library stays loaded for the life of the process, so the factory's code
    // does too.
    static const bool installed = [] {
        QAccessible::installFactory(MakeForNumberField);
        return true;
    }();
    (void)installed;
}

CNEdit* NumberFieldAccessible::Field() const
{
    return static_cast<CNEdit*>(widget());
}

void* NumberFieldAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString NumberFieldAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value)
        return Field()->text();
    return QAccessibleWidget::text(type);
}

QAccessible::State NumberFieldAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !Field()->isReadOnly();
    state.readOnly = Field()->isReadOnly();
    return state;
}

QVariant NumberFieldAccessible::currentValue() const
{
    return Field()->Value();
}

void NumberFieldAccessible::setCurrentValue(const QVariant& value)
{
    if (Field()->isEnabled() && !Field()->isReadOnly())
        Field()->SetValue(value.toInt());
}

QVariant NumberFieldAccessible::maximumValue() const
{
    return static_cast<int>(Field()->Maximum());
}

QVariant NumberFieldAccessible::minimumValue() const
{
    return static_cast<int>(Field()->Minimum());
}

QVariant NumberFieldAccessible::minimumStepSize() const
{
    return 1;
}

} // namespace zr
