#pragma once

#include <memory>
#include <string>
#include <vector>

#include "control/XKorvelCamCtrl.h"
#include "sim/lib/PtyServer.h"
#include "sim/lib/SimCamera.h"
#include "support/ManualClock.h"
#include "support/MemorySettings.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

namespace zr::test
{

// Everything a control test needs: settings in memory whose sixteen COM ports all lead to
// paths that do not exist (so no serial device of the machine takes part), simulated cameras
// that can be put on any of them, a recording user interface that also receives the events,
// and a clock that only moves when the control sleeps.
class ControlTestBed
{
public:
    ControlTestBed();
    ~ControlTestBed();
    ControlTestBed(const ControlTestBed&) = delete;
    ControlTestBed& operator=(const ControlTestBed&) = delete;

    // A simulated camera on COM(port + 1); replaces one already there.
    sim::SimCamera& AttachCamera(int32_t port, const sim::SimOptions& options = {});
    sim::SimCamera& AttachCamera(int32_t port, const std::string& model);
    sim::SimCamera& Camera(int32_t port) { return cameras_[port]->Camera(); }
    // Takes the camera off COM(port + 1), as if its cable had been pulled.
    void DetachCamera(int32_t port) { cameras_[port].reset(); }

    // A new control on the bed's settings, user interface, links and clock (or another clock),
    // with the user interface journalling its events. The old one is destroyed first.
    CXKorvelCamCtrl& MakeControl();
    CXKorvelCamCtrl& MakeControl(Clock& clock);
    void DestroyControl();

    // A control started (OnCreate) on the bed's clock, or on `clock`, with a camera of that
    // model and those faults on COM1; the journal and the camera's received lines cleared.
    CXKorvelCamCtrl& StartWithCamera(const std::string& model = "ZR-470",
                                     const std::vector<std::string>& faults = {},
                                     Clock* clock = nullptr);

    CXKorvelCamCtrl& Control() { return *control_; }

    TempDir dir;
    MemorySettings settings;
    // The folder of the Camera Link libraries the controls are handed; empty for none, so that
    // the sixteen COM ports are the only ports whatever the machine has installed.
    std::string cameraLinkFolder;
    RecordingUi ui;
    ManualClock clock;

private:
    std::unique_ptr<CXKorvelCamCtrl> control_;
    std::unique_ptr<sim::PtyServer> cameras_[16];
};

} // namespace zr::test
