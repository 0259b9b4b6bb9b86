// A camera object connected to the simulated camera over a pseudo-terminal, for the tests of
// transactions, whole-camera operations and the files built on them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "camera/Camera.h"
#include "sim/lib/SimCamera.h"
#include "support/ManualClock.h"
#include "support/MemorySettings.h"
#include "support/RecordingCamera.h"

namespace zr::test
{

class CameraOnSimulator : public ::testing::Test
{
protected:
    // Serves a simulated camera of `model` and connects a camera object to it on COM1, online,
    // with the imager types the model name gives. The manual clock lets the answer polls run
    // without sleeping; the bytes still cross the real line, paced like 9600 baud with `pace`.
    void Start(const std::string& model = "ZR-470", std::vector<std::string> faults = {},
               bool pace = false)
    {
        camera.reset();
        sim::SimOptions options;
        options.model = model;
        options.faults = std::move(faults);
        options.pace = pace;
        server = std::make_unique<sim::PtyServer>(options);
        ASSERT_TRUE(server->IsServing());
        settings.WriteString("Comm", "COM1", server->DevicePath());
        camera = std::make_unique<RecordingCamera>(settings, clock);
        ASSERT_EQ(camera->OpenCommPort(0, 0), 0);
        camera->SetOnline(true);
        const bool color1 = model != "ZR-471" && model != "ZR-472";
        const bool color2 = model != "ZR-470" && model != "ZR-471";
        camera->StoreValue(P_IM1, color1 ? 5 : 0);
        camera->StoreValue(P_IM2, color2 ? 5 : 0);
        camera->ClearEvents();
    }

    sim::SimCamera& Sim() { return server->Camera(); }

    // Lines the camera received since the last call.
    std::vector<std::string> TakeLines()
    {
        std::vector<std::string> lines = Sim().ReceivedLines();
        Sim().ClearReceivedLines();
        return lines;
    }

    // Declared so that the camera object goes first, then the line, then what it used.
    MemorySettings settings;
    ManualClock clock;
    std::unique_ptr<sim::PtyServer> server;
    std::unique_ptr<RecordingCamera> camera;
};

} // namespace zr::test
