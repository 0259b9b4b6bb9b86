#pragma once

#include <QPointer>
#include <QWidget>

class QToolButton;

namespace zr
{

class CNEdit;

// The up-down button of a number field. A click (or the up and down arrow keys in the field)
// moves the field's number by one within the button's range and writes it into the field as
// text, so that each click takes the same commit path as typing.
class CSpinButton : public QWidget
{
    Q_OBJECT

public:
    explicit CSpinButton(QWidget* parent = nullptr);

    void SetBuddy(CNEdit* buddy);
    CNEdit* Buddy() const;
    void SetRange(int lower, int upper);
    int Lower() const { return lower_; }
    int Upper() const { return upper_; }
    // Names the two arrows after the field they step, for screen readers and testing tools.
    void NameArrows(const QString& field);
    // One step up (+1) or down (-1) from the number the field shows.
    void Step(int delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
    // Held as a plain widget: the filter still sees events while the field is being destroyed.
    QPointer<QWidget> buddy_;
    int lower_ = 0;
    int upper_ = 100;
};

} // namespace zr
