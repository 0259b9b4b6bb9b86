#include "ControlTestBed.h"

#include <gtest/gtest.h>

#include "support/TestCommLinks.h"

namespace zr::test
{

ControlTestBed::ControlTestBed()
{
    for (int32_t port = 0; port < 16; ++port)
        settings.WriteString("Comm", "COM" + std::to_string(port + 1),
                             dir.File("no-such-tty" + std::to_string(port + 1)));
}

ControlTestBed::~ControlTestBed()
{
    // The control closes its link before the cameras go.
    DestroyControl();
}

sim::SimCamera& ControlTestBed::AttachCamera(int32_t port, const sim::SimOptions& options)
{
    auto& slot = cameras_[port];
    slot = std::make_unique<sim::PtyServer>(options);
    EXPECT_TRUE(slot->IsServing());
    settings.WriteString("Comm", "COM" + std::to_string(port + 1), slot->DevicePath());
    return slot->Camera();
}

sim::SimCamera& ControlTestBed::AttachCamera(int32_t port, const std::string& model)
{
    sim::SimOptions options;
    options.model = model;
    return AttachCamera(port, options);
}

CXKorvelCamCtrl& ControlTestBed::MakeControl()
{
    return MakeControl(clock);
}

CXKorvelCamCtrl& ControlTestBed::MakeControl(Clock& use)
{
    DestroyControl();
    control_ = std::make_unique<CXKorvelCamCtrl>(settings, ui,
                                                 cameraLinkFolder.empty()
                                                     ? TestCommLinks(settings)
                                                     : TestCommLinks(settings, cameraLinkFolder),
                                                 use);
    ui.Listen(*control_);
    return *control_;
}

void ControlTestBed::DestroyControl()
{
    ui.StopListening();
    control_.reset();
}

CXKorvelCamCtrl& ControlTestBed::StartWithCamera(const std::string& model,
                                                 const std::vector<std::string>& faults, Clock* use)
{
    sim::SimOptions options;
    options.model = model;
    options.faults = faults;
    AttachCamera(0, options);
    settings.WriteInt("Comm", "Class", 0);
    settings.WriteInt("Comm", "Port", 0);
    CXKorvelCamCtrl& control = MakeControl(use != nullptr ? *use : clock);
    control.OnCreate();
    EXPECT_TRUE(control.CheckOnline());
    Camera(0).ClearReceivedLines();
    ui.Clear();
    return control;
}

} // namespace zr::test
