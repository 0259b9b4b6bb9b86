#include "host/ControlDialog.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMessageBox>
#include <utility>

#include "panels/DialogMetrics.h"

// Resources of a static library are registered by hand; this must run outside any namespace.
static void InitHostResources()
{
    Q_INIT_RESOURCE(host);
}

namespace zr
{

namespace
{

// The control starts one pixel below the top edge.
constexpr int kControlTop = 1;

constexpr const char* kMessageBoxTitle = "ZR-47xCL Control Tool";

// Dialog units to pixels: x units are a quarter of the font's average character width, y units
// an eighth of its height.
QSize DialogUnitsToPixels(const DialogMetrics& metrics, int width, int height)
{
    return {width * metrics.AverageCharWidth() / 4, height * metrics.CharHeight() / 8};
}

} // namespace

CControlDialog::CControlDialog(CXKorvelZR47xCL control, QuitQuestion askQuit)
    // A normal top-level window, not a dialog: it is the program's own window, with its
    // button in the taskbar and its place in the window switcher.
    : QDialog(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      control_(std::move(control)), askQuit_(std::move(askQuit)), contextMenu_(this)
{
    InitHostResources();
    icon_ = QIcon(":/host/ControlTool.svg");
    setWindowTitle(kTitle);
    setWindowIcon(icon_);
    const DialogMetrics metrics;
    setFont(metrics.Font());
    setFixedSize(DialogUnitsToPixels(metrics, kClientWidthUnits, kClientHeightUnits));
    contextMenu_.addAction(kAboutEntry, this, &CControlDialog::ShowAboutPanel);
    // Which device each COM port leads to, chosen in a window instead of the settings file.
    contextMenu_.addAction(kPortsEntry, this, [this] { control_.ShowPortsWindow(); });
    reportSettingsProblem = [](const std::string& problem) {
        QMessageBox::warning(nullptr, kTitle, QString::fromLocal8Bit(problem));
    };

    controlWindow_ = control_.CreateControlWindow(this);
    if (controlWindow_ != nullptr)
        controlWindow_->setGeometry(0, kControlTop, width(), height() - kControlTop);
}

CControlDialog::~CControlDialog()
{
    const std::string problem = control_.Release();
    if (!problem.empty() && reportSettingsProblem)
        reportSettingsProblem(problem);
    // A window the control left behind is deleted while the library with its code is loaded.
    delete controlWindow_;
}

void CControlDialog::ShowAboutPanel()
{
    control_.SetProperty(CXKorvelZR47xCL::kShowAboutWindow, true);
}

void CControlDialog::accept()
{
    if (quitConfirmed_)
        QDialog::accept();
}

void CControlDialog::reject()
{
    if (quitConfirmed_)
        QDialog::reject();
}

void CControlDialog::closeEvent(QCloseEvent* event)
{
    if (!quitConfirmed_ && !askQuit_(this, kQuitQuestion)) {
        event->ignore();
        return;
    }
    quitConfirmed_ = true;
    // Ends the dialog through its cancel action.
    QDialog::closeEvent(event);
}

void CControlDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized))
        HideFloatingPanels();
}

void CControlDialog::contextMenuEvent(QContextMenuEvent* event)
{
    contextMenu_.popup(event->globalPos());
    event->accept();
}

void CControlDialog::HideFloatingPanels()
{
    // No floating panel stays on the screen while the tool is minimised. Restoring the window
    // does not show them again; the hidden state is what the control saves at exit.
    for (int32_t dispid : {CXKorvelZR47xCL::kShowAboutWindow, CXKorvelZR47xCL::kShowControlWindow,
                           CXKorvelZR47xCL::kShowImage1Window, CXKorvelZR47xCL::kShowImage2Window,
                           CXKorvelZR47xCL::kShowCommunicationWindow})
        control_.SetProperty(dispid, false);
}

bool AskQuitWithMessageBox(QWidget* parent, const QString& text)
{
    return QMessageBox::question(parent, kMessageBoxTitle, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

} // namespace zr
