#include "panels/DialogOCXBase.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "control/Identities.h"
#include "control/XKorvelCamCtrl.h"
#include "panels/OnlineStrip.h"
#include "panels/QuitWatch.h"

namespace zr
{

namespace
{

constexpr const char* kLeftEntry = "Left";
constexpr const char* kTopEntry = "Top";
constexpr int kFallbackPosition = 100;
constexpr int kWorkAreaMargin = 10;

QSize WorkArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry().size() : QSize(0, 0);
}

} // namespace

CDialogOCXBase::CDialogOCXBase(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                               PanelEnvironment& environment, const DialogLayout& layout,
                               QWidget* parent)
    : QDialog(parent), index_(panelSpec.index), template_(panelSpec.layout), owner_(owner),
      section_(panelSpec.section), topLevel_(panelSpec.topLevel),
      imagersAlike_(panelSpec.imagersAlike), kind_(panelSpec.kind), environment_(environment),
      quitWatch_(new QuitWatch(this))
{
    if (topLevel_) {
        setWindowFlags(Qt::Widget);
    } else {
        // Caption, close box and a frame that cannot be resized; above the host's window.
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                       Qt::MSWindowsFixedSizeDialogHint);
    }
    controls_.Build(*this, layout, environment_.metrics);
    for (const ControlSpec& control : layout.controls)
        if (control.kind == ControlKind::Strip)
            strip_ = controls_.Get<OnlineStrip>(control.id);

    left_ = owner_.Settings().GetInt(section_, kLeftEntry, -1);
    top_ = owner_.Settings().GetInt(section_, kTopEntry, -1);
    const QPoint position = PlacedPosition(left_, top_, WorkArea());
    left_ = position.x();
    top_ = position.y();
    PositionedWindow()->move(position);
    PositionedWindow()->update();

    if (strip_ != nullptr)
        strip_->SetOnline(owner_.CheckOnline());
    initialised_ = true;
}

CDialogOCXBase::~CDialogOCXBase() = default;

QPoint CDialogOCXBase::PlacedPosition(int left, int top, const QSize& workArea)
{
    if (left < 0 || left >= workArea.width() - kWorkAreaMargin)
        left = kFallbackPosition;
    if (top < 0 || top >= workArea.height() - kWorkAreaMargin)
        top = kFallbackPosition;
    return {left, top};
}

QWidget* CDialogOCXBase::PositionedWindow()
{
    return topLevel_ ? window() : this;
}

void CDialogOCXBase::OnOnlineStatusChanged(bool online)
{
    if (strip_ != nullptr)
        strip_->SetOnline(online);
}

void CDialogOCXBase::ShowPanel(int32_t index, bool show)
{
    if (index == index_ && !windowDestroyed_)
        setVisible(show);
}

void CDialogOCXBase::DestroyWindow()
{
    if (windowDestroyed_)
        return;
    // A Wayland compositor does not tell its clients where their windows are (Qt reports a
    // made-up place): there the saved position is kept as it was.
    if (!QGuiApplication::platformName().startsWith("wayland")) {
        const QPoint position = PositionedWindow()->pos();
        owner_.Settings().WriteInt(section_, kLeftEntry, position.x());
        owner_.Settings().WriteInt(section_, kTopEntry, position.y());
    }
    hide();
    windowDestroyed_ = true;
}

void CDialogOCXBase::reject()
{
    // The close box and Esc hide a floating panel through the control, so that its flag, its
    // button on the main panel and the window agree. The main panel never hides itself.
    if (!topLevel_)
        Guarded([this] { owner_.SetPanelVisible(index_, false); });
}

void CDialogOCXBase::closeEvent(QCloseEvent* event)
{
    // The program's end through QApplication::quit() closes every window and gives up when one
    // refuses: the panel lets that close through and keeps its flag, which the control saves as
    // one of the panels shown. Any other close only hides the panel, through the control.
    if (quitWatch_->Quitting()) {
        event->accept();
        return;
    }
    event->ignore();
    reject();
}

void CDialogOCXBase::keyPressEvent(QKeyEvent* event)
{
    // Enter presses the push button that has the focus, and does nothing else: the default
    // action of a panel is ignored.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        DialogControls::PressFocusedButton(*this);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CDialogOCXBase::ProcessWindowEvents()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CDialogOCXBase::ShowStopMessage(const std::string& text) noexcept
{
    try {
        owner_.Ui().ShowMessageBox(text, identity::kApplicationName, MessageIcon::Stop);
    } catch (...) {
        // A message box that cannot be shown must not take the event loop down.
    }
}

} // namespace zr
