#pragma once

#include <QColor>
#include <QLabel>
#include <functional>

namespace zr
{

// Opens a file name or web address with the desktop's "open" action.
using Opener = std::function<void(const QString&)>;

// A static text with its own colour, font and cursor that can act as a link: once it takes
// clicks (SetNotify), a left click opens its link target, or its own text when the target is
// empty.
class CLabel : public QLabel
{
    Q_OBJECT

public:
    explicit CLabel(const QString& text, QWidget* parent = nullptr);

    void SetTextColor(const QColor& color);
    void SetUnderline(bool underline);
    void SetLinkCursor(const QCursor& cursor);
    void SetLinkTarget(const QString& target) { target_ = target; }
    const QString& LinkTarget() const { return target_; }
    // Whether the label receives clicks (off by default, like a plain static text).
    void SetNotify(bool notify) { notify_ = notify; }
    void SetOpener(Opener opener) { opener_ = std::move(opener); }
    // What a click opens.
    QString Target() const { return target_.isEmpty() ? text() : target_; }

    // The desktop's own "open" action: a file by its path, anything else as an address.
    static void OpenWithDesktop(const QString& target);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString target_;
    bool notify_ = false;
    Opener opener_;
};

} // namespace zr
