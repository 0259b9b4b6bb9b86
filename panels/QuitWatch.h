#pragma once

#include <QObject>

namespace zr
{

// Tells a window whether the program is ending through QApplication::quit(). Quitting closes
// every window and gives up when one refuses; a window that refuses the user's close (a floating
// panel only hides) lets that close through while Quitting() says so.
//
// It watches the application's events for the quit request; the request counts until the event
// loop has run once more, so a quit that another window refused does not count for the next
// close.
class QuitWatch : public QObject
{
public:
    explicit QuitWatch(QObject* parent);

    bool Quitting() const { return quitting_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool quitting_ = false;
};

} // namespace zr
