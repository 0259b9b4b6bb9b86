#pragma once

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QLabel;
class QWidget;

namespace zr
{

// The tooltip control of one panel: the texts of the panel's controls shown in the dialog font,
// wrapped at the panel's maximum tip width, instead of the desktop's tooltip (its font and width
// are the application's, which belong to whoever embeds the control).
class PanelToolTip : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaximumWidth = 400;
    // How long a tip stays without the mouse moving, as the desktop's own tips.
    static constexpr int kShowMs = 10000;

    PanelToolTip(QWidget& panel, const QFont& font);
    ~PanelToolTip() override;
    PanelToolTip(const PanelToolTip&) = delete;
    PanelToolTip& operator=(const PanelToolTip&) = delete;

    // Takes over the tooltip of `control` (its toolTip() text).
    void Watch(QWidget& control);
    void SetMaximumWidth(int pixels);
    int MaximumWidth() const;
    // The tip's window while shown; nullptr otherwise.
    QLabel* Shown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show(const QString& text, const QPoint& globalPosition);
    void Hide();

    QPointer<QLabel> tip_;
    QTimer hideTimer_;
};

} // namespace zr
