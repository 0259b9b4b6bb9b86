#pragma once

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

namespace zr
{

class CNEdit;

// What screen readers and testing tools see of a number field: a spin button named by its
// caption whose value is the field's number, within the field's range, one step at a time.
// Setting the value writes the number into the field, which commits it as typing does.
class NumberFieldAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit NumberFieldAccessible(CNEdit* field);

    // Makes Qt's accessibility ask this class for every number field; once per process, from
    // the thread that runs the windows.
    static void Install();

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text type) const override;
    QAccessible::State state() const override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    CNEdit* Field() const;
};

} // namespace zr
