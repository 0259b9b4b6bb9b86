#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

class QEvent;

namespace zr
{

// While it lives, user input (mouse, keyboard, wheel, touch) for any window but `allowed` is
// held back instead of delivered; when it goes, the input held back is posted again in its
// order. So a window may process pending events during a long operation (to see its own Cancel)
// without a click elsewhere starting a second camera transaction inside the first.
class InputDeferral : public QObject
{
    Q_OBJECT

public:
    explicit InputDeferral(QWidget& allowed);
    ~InputDeferral() override;
    InputDeferral(const InputDeferral&) = delete;
    InputDeferral& operator=(const InputDeferral&) = delete;

    static bool IsUserInput(const QEvent& event);

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };

    bool Allowed(QObject* receiver) const;

    QPointer<QWidget> allowed_;
    std::vector<Held> held_;
};

} // namespace zr
