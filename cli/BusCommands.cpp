#include "cli/BusCommands.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <poll.h>
#include <thread>

#include "automation/Dispatch.h"
#include "bus/BusClient.h"
#include "bus/BusPublication.h"
#include "cli/AttachedControl.h"
#include "cli/InterruptGuard.h"
#include "component/ComponentModule.h"
#include "control/XKorvelCamCtrl.h"

namespace zr::cli
{

namespace
{

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitSettingsNotSaved = 4;

void ErrorLine(const std::string& text)
{
    const std::string line = "zr47xcl: " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

// The control served and its publication, destroyed before the module lets its settings go.
struct ServedControl {
    explicit ServedControl(ComponentModule& module) : control(module.Settings()), dispatch(control)
    {
    }
    CXKorvelCamCtrl control;
    CXKorvelCamDispatch dispatch;
    std::unique_ptr<bus::BusPublication> publication;
    ScopedConnection<const std::string&, bool> log;
};

// Serves the bus until a signal arrives.
void ServeUntilSignal(bus::BusPublication& publication)
{
    while (!InterruptGuard::Requested()) {
        pollfd fd{publication.Fd(), publication.PollEvents(), 0};
        if (::poll(&fd, 1, publication.PollTimeoutMs()) < 0 && errno != EINTR)
            break;
        publication.Process();
    }
}

// Serves the bus until `done` is set.
void ServeUntil(bus::BusPublication& publication, const std::atomic<bool>& done)
{
    while (!done) {
        pollfd fd{publication.Fd(), publication.PollEvents(), 0};
        const int timeout = publication.PollTimeoutMs();
        if (::poll(&fd, 1, timeout < 0 || timeout > 50 ? 50 : timeout) < 0 && errno != EINTR)
            break;
        publication.Process();
    }
}

} // namespace

std::string PortText(int32_t commClass, int32_t port)
{
    return commClass == 0 ? "COM" + std::to_string(port + 1) : "CL:" + std::to_string(port);
}

int RunServe(const std::optional<PortChoice>& port, bool offline, bool log,
             const std::function<void()>& beside)
{
    ComponentModule module;
    ComponentModule::Hold hold(module);
    int exitCode = kExitOk;
    {
        InterruptGuard interrupts;
        auto served = std::make_unique<ServedControl>(module);
        CXKorvelCamCtrl& control = served->control;
        if (log)
            served->log = ScopedConnection<const std::string&, bool>(
                control.commLog, [](const std::string& line, bool sent) {
                    std::string text = line;
                    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
                    ErrorLine(std::string(sent ? "> " : "< ") + text);
                });
        if (port)
            control.SelectCommPort(port->commClass, port->port);
        if (!offline) {
            control.OnCreate();
            if (!control.CheckOnline() && !control.GetConnectionFailure().empty())
                ErrorLine(control.GetConnectionFailure());
        }
        std::string error;
        served->publication = bus::BusPublication::Publish(control, served->dispatch, error);
        if (!served->publication) {
            ErrorLine("cannot publish the control on the session bus: " + error);
            exitCode = kExitFailure;
        } else {
            bus::BusPublication& publication = *served->publication;
            // A long operation answers the bus between its steps, and a signal or its caller's
            // stop request stops it there.
            control.SetStopCheck([&publication] {
                publication.Process();
                return InterruptGuard::Requested() || publication.StopRequested();
            });
            std::printf("%s\n", publication.Name().c_str());
            std::fflush(stdout);
            std::atomic<bool> besideDone{!beside};
            std::thread companion;
            if (beside)
                companion = std::thread([&] {
                    beside();
                    besideDone = true;
                });
            ServeUntilSignal(publication);
            // The companion may still wait for the control's answers: serve it until it ends.
            ServeUntil(publication, besideDone);
            if (companion.joinable())
                companion.join();
            control.SetStopCheck(nullptr);
        }
        served.reset(); // the control writes the module settings
    }
    const ModuleSettings& settings = module.Settings();
    if (settings.HasUnsavedWrites()) {
        ErrorLine(settings.Problem());
        if (exitCode == kExitOk)
            exitCode = kExitSettingsNotSaved;
    }
    return exitCode;
}

IXKorvelCamObject* AttachToPublished(const std::optional<PortChoice>& port, std::string& error)
{
    std::optional<std::pair<int32_t, int32_t>> wanted;
    if (port)
        wanted = std::make_pair(port->commClass, port->port);
    std::unique_ptr<bus::BusClient> client = bus::BusClient::Attach(wanted, error);
    if (!client) {
        if (port)
            error = PortText(port->commClass, port->port) + ": " + error;
        return nullptr;
    }
    return new AttachedControl(std::move(client));
}

std::string HeldByPublishedControl(int32_t commClass, int32_t port)
{
    std::string error;
    for (const bus::PublishedControl& c : bus::BusClient::List(error))
        if (c.online && c.commClass == commClass && c.port == port)
            return PortText(commClass, port) + " is held by the published control " + c.name +
                   "; run zr47xcl --attach " + PortText(commClass, port) +
                   " to use it through the session bus";
    return {};
}

} // namespace zr::cli
