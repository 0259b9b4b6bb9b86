#pragma once

#include <QAccessibleWidget>

class QComboBox;

namespace zr
{

// What screen readers and testing tools see of a panel's drop-down list: a combo box named by
// its caption (Qt's own names a list by the item it shows, so the name would change with every
// choice), whose value is the item shown, and whose press opens the list.
class DropDownAccessible : public QAccessibleWidget
{
public:
    explicit DropDownAccessible(QComboBox* list);

    // Makes Qt's accessibility ask this class for every drop-down list that has a name of its
    // own; once per process, from the thread that runs the windows.
    static void Install();

    QString text(QAccessible::Text type) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    QComboBox* List() const;
};

} // namespace zr
