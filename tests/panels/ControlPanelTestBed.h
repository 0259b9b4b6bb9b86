#pragma once

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QStringList>
#include <memory>
#include <string>

#include "control/ControlTestBed.h"
#include "panels/ControlWindow.h"
#include "panels/DialogOCXBase.h"

namespace zr::test
{

// A control with its Qt window (offscreen) on a simulated camera, or offline. Message boxes are
// rendered into a temporary folder and dismissed at once, and counted.
class ControlPanelTestBed
{
public:
    ControlPanelTestBed() = default;
    ~ControlPanelTestBed() { window_.reset(); }

    // A camera of `model` on COM1 and the control started with its window; the camera's received
    // lines cleared.
    CXKorvelCamCtrl& Start(const std::string& model);
    // The control's window started without a camera (every port leads nowhere).
    CXKorvelCamCtrl& StartOffline();

    CDialogOCXBase& Panel(int32_t index);
    template <typename T> T* Control(int32_t panel, int id)
    {
        return Panel(panel).Controls().template Get<T>(id);
    }
    QWidget* Widget(int32_t panel, int id) { return Panel(panel).Controls().Widget(id); }

    // What the user does: choose a list position, click a radio (by its position in the group),
    // tick a check box, type a whole text into a field, click a button. The signals are emitted
    // as a click would, even on a disabled control, so that every binding can be walked.
    void Choose(int32_t panel, int id, int position);
    void ClickRadio(int32_t panel, int id, int position);
    void Tick(int32_t panel, int id, bool checked);
    void Type(int32_t panel, int id, const QString& text);
    void Press(int32_t panel, int id);

    // What a control shows: list position, checked radio position, check state or number.
    int Shown(int32_t panel, int id);
    static QStringList Items(const QComboBox& list);

    sim::SimCamera& Camera() { return bed.Camera(0); }
    std::vector<std::string> TakeLines();
    int Messages() const { return window_->Ui().MessageCount(); }
    CControlWindow& Window() const { return *window_; }

    ControlTestBed bed;

private:
    std::unique_ptr<CControlWindow> window_;
};

} // namespace zr::test
