#include "cli/BusCommands.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <poll.h>

#include "automation/LocalControl.h"
#include "base/TerminalText.h"
#include "base/TerminationSignals.h"
#include "bus/BusClient.h"
#include "bus/BusPublication.h"
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

// The publication is dropped once the session bus has gone, with one line saying so; the
// control goes on serving its stop check until a signal ends the program.
void DropIfLost(ServedControl& served)
{
    const bus::BusPublication* publication = served.publication.get();
    if (publication == nullptr || publication->Lost().empty())
        return;
    ErrorLine("the session bus has gone (" + publication->Lost() + "); " + publication->Name() +
              " is no longer published");
    served.publication.reset(); // its caller's stop source goes with it
}

// Serves the bus until a termination signal arrives. The wait includes the signals' descriptor,
// so a signal that comes between the check and the wait still ends it at once.
void ServeUntilSignal(ServedControl& served, const TerminationSignals& termination)
{
    while (!TerminationSignals::Requested()) {
        DropIfLost(served);
        bus::BusPublication* publication = served.publication.get();
        pollfd fds[2] = {{termination.Fd(), POLLIN, 0}, {-1, 0, 0}};
        int timeoutMs = termination.Fd() < 0 ? 100 : -1;
        if (publication != nullptr) {
            fds[1] = {publication->Fd(), publication->PollEvents(), 0};
            const int busTimeoutMs = publication->PollTimeoutMs();
            if (!publication->Lost().empty())
                continue;
            if (busTimeoutMs >= 0 && (timeoutMs < 0 || busTimeoutMs < timeoutMs))
                timeoutMs = busTimeoutMs;
        }
        if (::poll(fds, 2, timeoutMs) < 0 && errno != EINTR)
            break;
        if (publication != nullptr)
            publication->Process();
    }
}

// A camera that went away is tried again before the next call that needs it, with the class
// and port the control holds, as the start-up of a local run tries it.
void ReconnectIfOffline(CXKorvelCamCtrl& control)
{
    if (control.CheckOnline())
        return;
    if (control.ConnectCamera(control.GetCommClass(), control.GetCommPort(), /*notify=*/true) !=
            0 &&
        !control.GetConnectionFailure().empty())
        ErrorLine(control.GetConnectionFailure());
}

} // namespace

int RunServe(const std::optional<PortChoice>& port, bool offline, bool log)
{
    ComponentModule module;
    ComponentModule::Hold hold(module);
    int exitCode = kExitOk;
    {
        TerminationSignals termination;
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
            control.SetStopCheck([] { return TerminationSignals::Requested(); });
            if (!offline)
                publication.SetBeforeCameraUse([&control] { ReconnectIfOffline(control); });
            std::printf("%s\n", publication.Name().c_str());
            std::fflush(stdout);
            ServeUntilSignal(*served, termination);
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
