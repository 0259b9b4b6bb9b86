#include "panels/DialogProgress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "panels/ControlText.h"
#include "panels/DialogMetrics.h"
#include "panels/InputDeferral.h"
#include "panels/QuitWatch.h"

namespace zr
{

namespace
{

using enum ControlKind;
using enum CDialogProgress::ControlId;

// clang-format off
constexpr ControlSpec kControls[] = {
    {kText,   TextNoWrap,   7,  7, 133, 25, "Static Information here...", nullptr, {}},
    {kCancel, Button,     144,  7,  35, 14, "Cancel",                     nullptr, {}},
    {kBar,    Progress,     7, 34, 172, 14, nullptr,                      nullptr, {}},
};
// clang-format on

} // namespace

const DialogLayout& CDialogProgress::Layout()
{
    static constexpr DialogLayout layout{201, "Dialog", 186, 55, kControls};
    return layout;
}

CDialogProgress::CDialogProgress(const std::string& caption, const DialogMetrics& metrics,
                                 QWidget* over)
    : QDialog(over != nullptr ? over->window() : nullptr,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                  Qt::WindowSystemMenuHint | Qt::MSWindowsFixedSizeDialogHint),
      over_(over), quitWatch_(new QuitWatch(this))
{
    // Owned by the host's window: it stays above that window, and a host that runs its window
    // modally does not block it. The search disables the host's window alone (see Show).
    controls_.Build(*this, Layout(), metrics);
    setWindowTitle(FromControlText(caption));
    Bar()->setRange(0, 100);
    Bar()->setValue(0);
    connect(CancelButton(), &QPushButton::clicked, this, [this] { cancelled_ = true; });
}

CDialogProgress::~CDialogProgress() = default;

void CDialogProgress::SetTitle(const std::string& title)
{
    setWindowTitle(FromControlText(title));
}

void CDialogProgress::SetMessage(const std::string& text)
{
    controls_.Get<QLabel>(kText)->setText(FromControlText(text));
}

void CDialogProgress::SetRange(int32_t lower, int32_t upper)
{
    // The bar's range is a 16-bit one.
    Bar()->setRange(static_cast<int16_t>(lower), static_cast<int16_t>(upper));
}

void CDialogProgress::SetPosition(int32_t position)
{
    Bar()->setValue(position);
}

void CDialogProgress::Show()
{
    if (over_ != nullptr) {
        const QWidget* host = over_->window();
        move(host->frameGeometry().center() - rect().center());
    }
    // A window of its own stays usable while the window that owns it is disabled.
    setEnabled(true);
    show();
    raise();
    deferral_ = std::make_unique<InputDeferral>(*this);
}

bool CDialogProgress::IsCancelled()
{
    if (deferral_)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    return cancelled_;
}

QPushButton* CDialogProgress::CancelButton() const
{
    return controls_.Get<QPushButton>(kCancel);
}

QProgressBar* CDialogProgress::Bar() const
{
    return controls_.Get<QProgressBar>(kBar);
}

QString CDialogProgress::Message() const
{
    return controls_.Get<QLabel>(kText)->text();
}

void CDialogProgress::reject()
{
    // Esc and the close box do what Cancel does; the window stays until its owner ends it.
    cancelled_ = true;
}

void CDialogProgress::keyPressEvent(QKeyEvent* event)
{
    // Enter presses Cancel when it has the focus; Esc goes on to the cancel action.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        DialogControls::PressFocusedButton(*this)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CDialogProgress::closeEvent(QCloseEvent* event)
{
    // The operation is asked to stop either way. The window stays for its owner to end, except
    // when the program ends through QApplication::quit(), which closes every window and gives
    // up when one refuses.
    reject();
    event->setAccepted(quitWatch_->Quitting());
}

} // namespace zr
