#include "panels/ControlWindow.h"

#include <QDir>
#include <QPainter>
#include <QProgressBar>

#include "control/XKorvelCamCtrl.h"
#include "panels/DialogPorts.h"
#include "panels/DialogProgress.h"
#include "panels/XKorvelCamPropPage.h"

namespace zr
{

namespace
{

// The size a container gives the control at first.
constexpr QSize kInitialSize(180, 40);

bool SavePicture(QWidget& widget, const QDir& folder, const QString& name)
{
    widget.ensurePolished();
    return widget.grab().save(folder.filePath(name + ".png"));
}

} // namespace

CControlWindow::CControlWindow(CXKorvelCamCtrl& control, QWidget* parent,
                               const QString& screenshotFolder)
    : QWidget(parent), control_(control), ui_(*this, environment_, screenshotFolder)
{
    resize(kInitialSize);
}

CControlWindow::~CControlWindow()
{
    if (control_.HasWindow())
        control_.OnDestroy();
    control_.UseHeadlessUi();
}

void CControlWindow::Start()
{
    control_.SetUi(ui_);
    control_.OnCreate();
    if (QWidget* main = MainPanel())
        main->setGeometry(rect());
}

QSize CControlWindow::sizeHint() const
{
    return kInitialSize;
}

QWidget* CControlWindow::MainPanel() const
{
    return dynamic_cast<QWidget*>(control_.GetPanel(PANEL_MAIN));
}

void CControlWindow::resizeEvent(QResizeEvent*)
{
    if (QWidget* main = MainPanel())
        main->setGeometry(rect());
}

void CControlWindow::paintEvent(QPaintEvent*)
{
    if (MainPanel() != nullptr)
        return;
    // Without its main panel the control shows what it is at design time.
    QPainter painter(this);
    const QRect box = rect();
    painter.fillRect(box, Qt::white);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawEllipse(box);
    const QPoint centre(box.left() + box.width() / 2, box.top() + box.height() / 2);
    const QRect textBox(centre.x() - 120, centre.y() - 20, 240, 40);
    painter.setFont(environment_.metrics.Font());
    painter.drawText(textBox, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                     "Design Time of XKorvelCam-Control");
}

int CControlWindow::SaveScreenshots(const QString& folder)
{
    const QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder))
        return 1;
    bool saved = true;
    for (int32_t index = 0; index < PANEL_COUNT; ++index) {
        auto* panel = dynamic_cast<QWidget*>(control_.GetPanel(index));
        if (panel == nullptr)
            continue;
        static constexpr const char* kSections[PANEL_COUNT] = {
            "Main", "About", "Communication", "Control", "Control - IMG1", "Control - IMG2"};
        // The main panel is seen inside the host's window.
        QWidget& subject = index == PANEL_MAIN ? *window() : *panel;
        saved = SavePicture(subject, dir, kSections[index]) && saved;
    }

    // The progress window as the search shows it at the 6th of 16 candidates.
    CDialogProgress progress("In Progress ( 37.5%)", environment_.metrics);
    progress.SetMessage("Checking COM-Ports - COM6 ...");
    progress.SetRange(0, 16);
    progress.SetPosition(6);
    saved = SavePicture(progress, dir, "Progress") && saved;

    CXKorvelCamPropPage page(control_, environment_.metrics);
    saved = SavePicture(page, dir, "PropertyPage") && saved;

    CDialogPorts ports(control_.Settings(), environment_.metrics, this);
    saved = SavePicture(ports, dir, "Ports") && saved;
    return saved ? 0 : 1;
}

int CControlWindow::ShowPortsWindow()
{
    CDialogPorts ports(control_.Settings(), environment_.metrics, window());
    ports.exec();
    return 0;
}

} // namespace zr
