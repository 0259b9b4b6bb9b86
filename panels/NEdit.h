#pragma once

#include <QLineEdit>
#include <functional>

namespace zr
{

// A single-line field for whole numbers. Typed characters are filtered (digits, backspace, and
// one "-" where negative numbers are allowed; anything else is dropped with a beep), and on
// focus loss a number outside the field's range is clamped with a beep, unless the minimum or
// the maximum is 0. Every change of the text, by the user or the program, emits textChanged.
class CNEdit : public QLineEdit
{
    Q_OBJECT

public:
    CNEdit(bool negativeAllowed, QWidget* parent = nullptr);

    bool NegativeAllowed() const { return negativeAllowed_; }
    void SetRange(double minimum, double maximum);
    double Minimum() const { return minimum_; }
    double Maximum() const { return maximum_; }

    // Shows `value` in decimal; the text is replaced only when it differs, so setting the value
    // already shown causes no change notification.
    void SetValue(int value);
    // Truncates toward zero.
    void SetValue(double value);
    // The leading decimal number of the text; an empty text or a lone "-" gives 0.
    int Value() const;
    static int ParseLeadingInt(const QString& text);

    // What a refused character or a clamp sounds like (the application's beep by default).
    void SetBeep(std::function<void()> beep) { beep_ = std::move(beep); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool Accepts(QChar c) const;

    bool negativeAllowed_;
    bool decimalPointAllowed_ = false; // never in this system
    double minimum_ = 0;
    double maximum_ = 0;
    std::function<void()> beep_;
};

} // namespace zr
