#include "panels/DropDownAccessible.h"

#include <QComboBox>

namespace zr
{

namespace
{

QAccessibleInterface* MakeForDropDown(const QString& className, QObject* object)
{
    auto* list = qobject_cast<QComboBox*>(object);
    // Only the lists that were given a name; any other keeps Qt's own interface.
    if (className != "QComboBox" || list == nullptr || list->accessibleName().isEmpty())
        return nullptr;
    return new DropDownAccessible(list);
}

} // namespace

DropDownAccessible::DropDownAccessible(QComboBox* list)
    : QAccessibleWidget(list, QAccessible::ComboBox)
{
}

void DropDownAccessible::Install()
{
    // The component's library stays loaded for the life of the process, so the factory's code
    // does too.
    static const bool installed = [] {
        QAccessible::installFactory(MakeForDropDown);
        return true;
    }();
    (void)installed;
}

QComboBox* DropDownAccessible::List() const
{
    return static_cast<QComboBox*>(widget());
}

QString DropDownAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value)
        return List()->currentText();
    return QAccessibleWidget::text(type);
}

QStringList DropDownAccessible::actionNames() const
{
    return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
}

void DropDownAccessible::doAction(const QString& actionName)
{
    if (actionName == showMenuAction() || actionName == pressAction())
        List()->showPopup();
    else
        QAccessibleWidget::doAction(actionName);
}

} // namespace zr
