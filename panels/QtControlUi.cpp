#include "panels/QtControlUi.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <cstdio>
#include <vector>

#include "panels/ControlText.h"
#include "panels/DialogProgress.h"
#include "panels/PanelFactory.h"

namespace zr
{

QtControlUi::QtControlUi(QWidget& controlWindow, PanelEnvironment& environment,
                         const QString& screenshotFolder)
    : controlWindow_(&controlWindow), environment_(environment), screenshotFolder_(screenshotFolder)
{
}

std::unique_ptr<Panel> QtControlUi::CreatePanel(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                                                Panel*)
{
    if (!controlWindow_)
        return nullptr;
    return CreatePanelWindow(panelSpec, owner, environment_, controlWindow_);
}

void QtControlUi::ShowMessageBox(const std::string& text, const std::string& caption,
                                 MessageIcon icon)
{
    QString body = FromControlText(text);
    body.replace("\r\n", "\n");
    if (QCoreApplication::instance()->property(kProgramEndingProperty).toBool()) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), body.toLocal8Bit().constData());
        return;
    }
    const QMessageBox::Icon boxIcon = icon == MessageIcon::Information ? QMessageBox::Information
                                      : icon == MessageIcon::Warning   ? QMessageBox::Warning
                                                                       : QMessageBox::Critical;
    QMessageBox box(boxIcon, FromControlText(caption), body, QMessageBox::Ok,
                    controlWindow_ ? controlWindow_->window() : nullptr);
    box.setFont(environment_.metrics.Font());
    ++messages_;
    if (!screenshotFolder_.isEmpty()) {
        // Nobody is there to answer: the box is drawn to a file and dismissed.
        box.adjustSize();
        const QDir folder(screenshotFolder_);
        box.grab().save(folder.filePath(QString("Message-%1.png").arg(messages_)));
        // Its text beside the picture, for whoever checks the run afterwards.
        QFile textFile(folder.filePath(QString("Message-%1.txt").arg(messages_)));
        if (textFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
            textFile.write(body.toUtf8() + '\n');
        return;
    }
    box.exec();
}

void QtControlUi::BeginWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtControlUi::EndWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

std::unique_ptr<ProgressWindow> QtControlUi::CreateProgressWindow(const std::string& caption)
{
    return std::make_unique<CDialogProgress>(caption, environment_.metrics, controlWindow_);
}

bool QtControlUi::HasMainWindow() const
{
    return controlWindow_ && controlWindow_->window() != controlWindow_;
}

void QtControlUi::EnableMainWindow(bool enable)
{
    if (HasMainWindow())
        EnableWindowAlone(*controlWindow_->window(), enable);
}

void QtControlUi::EnableWindowAlone(QWidget& window, bool enable)
{
    // Qt passes a window's disabling on to the windows it owns; they are enabled again.
    std::vector<QWidget*> owned;
    if (!enable)
        for (QWidget* child : window.findChildren<QWidget*>())
            if (child->isWindow() && child->isEnabled())
                owned.push_back(child);
    window.setEnabled(enable);
    for (QWidget* child : owned)
        child->setEnabled(true);
}

} // namespace zr
