#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "control/ControlTestBed.h"
#include "control/ControlUi.h"
#include "panels/PanelEnvironment.h"
#include "panels/QtControlUi.h"

namespace zr
{
class CDialogProgress;
}

namespace zr::test
{

// A control with the real Qt panels in a host window, whose message boxes, opened documents and
// beeps are recorded instead of shown: the panels come from the window layer's factory, message
// boxes go to the control test bed's recording user interface.
class PanelTestBed : public ControlUi
{
public:
    PanelTestBed();
    ~PanelTestBed() override;

    // A control started with a camera of `model` on COM1, or offline without one; its panels
    // created in the control's window.
    CXKorvelCamCtrl& Start(const std::string& model = "ZR-470",
                           const std::vector<std::string>& faults = {});
    CXKorvelCamCtrl& StartOffline();
    CXKorvelCamCtrl& Control() { return bed.Control(); }
    // Panel `index` as the window layer's class T.
    template <typename T> T* PanelAs(int32_t index)
    {
        return dynamic_cast<T*>(bed.Control().GetPanel(index));
    }
    QWidget* PanelWidget(int32_t index) { return PanelAs<QWidget>(index); }

    // The message boxes shown so far, "Icon: text".
    std::vector<std::string> Messages() const;

    // --- ControlUi --------------------------------------------------------------------------
    std::unique_ptr<Panel> CreatePanel(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                                       Panel* parent) override;
    void ShowMessageBox(const std::string& text, const std::string& caption,
                        MessageIcon icon) override;
    void BeginWaitCursor() override { bed.ui.BeginWaitCursor(); }
    void EndWaitCursor() override { bed.ui.EndWaitCursor(); }
    std::unique_ptr<ProgressWindow> CreateProgressWindow(const std::string& caption) override;
    bool HasMainWindow() const override { return true; }
    void EnableMainWindow(bool enable) override { QtControlUi::EnableWindowAlone(host, enable); }

    // Called with each progress window as it is created; the titles it is given are collected.
    std::function<void(CDialogProgress&)> onProgress;
    QStringList progressTitles;

    ControlTestBed bed;
    PanelEnvironment environment;
    QStringList opened;
    QWidget host;
    QWidget* controlWindow;

private:
    CXKorvelCamCtrl& StartControl();
};

} // namespace zr::test

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
