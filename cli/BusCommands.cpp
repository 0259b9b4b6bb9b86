#include "cli/BusCommands.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <poll.h>

#include "automation/LocalControl.h"
#include "base/TerminalText.h"
#include "bus/BusClient.h"
#include "bus/BusPublication.h"
#include "cli/InterruptGuard.h"
#include "comm/PortName.h"
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
    explicit ServedControl(ComponentModule& module) : local(module.Settings()) {}
    LocalControl local;
    std::unique_ptr<bus::BusPublication> publication;
    ScopedConnection<const std::string&, bool> log;
    ScopedConnection<StatusChange> linkLoss;
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

} // namespace

int RunServe(const std::optional<PortChoice>& port, bool offline, bool log)
{
    ComponentModule module;
    ComponentModule::Hold hold(module);
    int exitCode = kExitOk;
    {
        InterruptGuard interrupts;
        auto served = std::make_unique<ServedControl>(module);
        CXKorvelCamCtrl& control = served->local.Control();
        if (log)
            served->log = ScopedConnection<const std::string&, bool>(
                control.commLog,
                [terminal = TerminalText::FromEnvironment()](const std::string& line, bool sent) {
                    ErrorLine(std::string(sent ? "> " : "< ") + terminal.Out(line));
                });
        // A link lost under a caller's operation: the caller hears the camera's time-out, the
        // one who runs the camera here hears the port, its device and why.
        served->linkLoss = ScopedConnection<StatusChange>(
            control.statusChanged, [&control, told = false](StatusChange change) mutable {
                if (change != StatusChange::Online)
                    return;
                if (control.CheckOnline()) {
                    told = false;
                } else if (!told && !control.GetLinkLoss().empty()) {
                    ErrorLine(control.GetLinkLoss());
                    told = true;
                }
            });
        if (port)
            control.SelectCommPort(port->commClass, port->port);
        if (!offline) {
            control.OnCreate();
            if (!control.CheckOnline() && !control.GetConnectionFailure().empty())
                ErrorLine(control.GetConnectionFailure());
        }
        std::string error;
        served->publication =
            bus::BusPublication::Publish(control, served->local.Dispatch(), error);
        if (!served->publication) {
            ErrorLine("cannot publish the control on the session bus: " + error);
            exitCode = kExitFailure;
        } else {
            bus::BusPublication& publication = *served->publication;
            // A signal stops a long operation at its next step; the publication itself answers
            // the bus there and adds its caller's stop request.
            control.SetStopCheck([] { return InterruptGuard::Requested(); });
            std::printf("%s\n", publication.Name().c_str());
            std::fflush(stdout);
            ServeUntilSignal(publication);
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

std::string HeldByPublishedControl(int32_t commClass, int32_t port)
{
    std::string error;
    for (const bus::PublishedControl& c : bus::BusClient::List(error))
        if (c.online && c.commClass == commClass && c.port == port)
            return PortName(commClass, port) + " is held by the published control " + c.name +
                   "; run zr47xcl --attach " + PortName(commClass, port) +
                   " to use it through the session bus";
    return {};
}

} // namespace zr::cli
