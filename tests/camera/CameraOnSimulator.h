// A camera object connected to the simulated camera over a pseudo-terminal, for the tests of
// the whole-camera operations and the files built on them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "camera/Camera.h"
#include "sim/lib/SimCamera.h"
#include "support/ManualClock.h"
#include "support/MemorySettings.h"
#include "support/RecordingCamera.h"

namespace zr::test
{

class BulkSimulator : public ::testing::Test
{
protected:
    void TearDown() override
    {
        camera.reset();
        server.reset();
    }

    // Serves a simulated camera of `model` and connects a camera object to it on COM1, online,
    // with the imager types the model name gives. The manual clock lets the answer polls run
    // without sleeping; the bytes still cross the real line.
    void Start(const std::string& model = "ZR-470", std::vector<std::string> faults = {})
    {
        camera.reset();
        sim::SimOptions options;
        options.model = model;
        options.faults = std::move(faults);
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

    MemorySettings settings;
    ManualClock clock;
    std::unique_ptr<sim::PtyServer> server;
    std::unique_ptr<RecordingCamera> camera;
};

// The names in a folder, sorted: files left behind show up here.
inline std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs `action` while the process may write no file beyond `limit` bytes: writes then stop
// short, as on a full disk.
template <typename Action> void WithFileSizeLimit(rlim_t limit, Action action)
{
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = limit;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    action();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
}

} // namespace zr::test
