// zr47xcl: drives one ZR-47xCL control through the automation interface every face uses.

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "automation/CameraUse.h"
#include "automation/ControlSession.h"
#include "base/TerminalText.h"
#include "base/TerminationSignals.h"
#include "cli/BusCommands.h"
#include "cli/CommandHelp.h"
#include "cli/CommandLine.h"
#include "cli/CommandTable.h"
#include "cli/ControlHolder.h"
#include "cli/ProgressLine.h"
#include "cli/VerbRunners.h"
#include "comm/ComPortMap.h"
#include "comm/CommPort.h"
#include "comm/PortName.h"
#include "control/ModuleSettings.h"

namespace
{

using namespace zr;
using zr::cli::CommandLine;
using zr::cli::ProgressLine;
using zr::cli::Step;
using zr::cli::StepOutcome;
using zr::cli::Verb;

constexpr int kExitOk = 0;
constexpr int kExitScriptError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitStrict = 3;
constexpr int kExitSettingsNotSaved = 4;
constexpr int kExitInterrupted = 130;

void WriteLine(FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// Events, communication-log lines and progress of the control on stderr, as the options ask;
// its stop check reads the interrupt flag, for as long as the object lives.
class StderrReporter
{
public:
    StderrReporter(ControlSession& control, ProgressLine& err, const CommandLine& line)
        : control_(control)
    {
        if (line.events)
            events_ = ScopedConnection<const AutomationMember&>(
                control.Events(), [&err](const AutomationMember& event) {
                    err.Line("event " + std::string(event.Name()));
                });
        if (line.log)
            log_ = ScopedConnection<const std::string&, bool>(
                control.Log(), [&err](const std::string& text, bool sent) {
                    err.Line((sent ? "> " : "< ") + err.Shown(text));
                });
        progress_ = ScopedConnection<const std::string&, int32_t, int32_t>(
            control.Progress(), [&err](const std::string& operation, int32_t done, int32_t total) {
                err.OnProgress(operation.c_str(), done, total);
            });
        control.SetStopCheck([&err] { return err.IsStopRequested(); });
    }
    ~StderrReporter() { control_.SetStopCheck(nullptr); }
    StderrReporter(const StderrReporter&) = delete;
    StderrReporter& operator=(const StderrReporter&) = delete;

private:
    ControlSession& control_;
    ScopedConnection<const AutomationMember&> events_;
    ScopedConnection<const std::string&, bool> log_;
    ScopedConnection<const std::string&, int32_t, int32_t> progress_;
};

// Whether the verb would have had to reach the camera: a write of a row the camera holds, a
// method that talks to the camera, a dump (its read-all).
bool NeedsCamera(const Step& step)
{
    if (step.verb == Verb::Dump)
        return true;
    if (step.member == nullptr)
        return false;
    if (step.verb == Verb::Set)
        return zr::NeedsCamera(*step.member, InvokeKind::PropertyPut);
    if (step.verb == Verb::Call)
        return zr::NeedsCamera(*step.member, InvokeKind::Method);
    return false;
}

// What the offline warning says the verb did instead.
std::string OfflineWarning(const Step& step)
{
    if (step.verb == Verb::Set)
        return "zr47xcl: camera offline: " + std::string(step.member->Name()) +
               " kept in the mirror only";
    if (step.verb == Verb::Dump)
        return "zr47xcl: camera offline: dump shows the mirror, not the camera";
    return "zr47xcl: camera offline: " + std::string(step.member->Name()) +
           " did not reach the camera";
}

StepOutcome RunStep(CommandLine& line, ControlSession* control, Step& step, ProgressLine& err)
{
    const cli::VerbRow* row = cli::FindVerbRow(step.verb);
    cli::VerbContext context{line, control, err};
    return row != nullptr ? row->run(context, step) : StepOutcome{};
}

bool IsOnline(ControlSession& control)
{
    const AutomationMember* check = FindSpecialMember(MemberKind::Method, SpecialOp::CheckOnline);
    std::vector<Variant> none;
    Variant online;
    return control.Invoke(*check, InvokeKind::Method, none, online).Succeeded() &&
           online.ToBool().value_or(false);
}

// A property of the control that the member table marks with `special`, as an I4; -1 when it
// cannot be read.
int32_t ReadSpecial(ControlSession& control, SpecialOp special)
{
    std::vector<Variant> none;
    Variant value;
    if (!control
             .Invoke(*FindSpecialMember(MemberKind::Property, special), InvokeKind::PropertyGet,
                     none, value)
             .Succeeded())
        return -1;
    return value.ToI4().value_or(-1);
}

// When a control published on the session bus holds the port the start-up tried: a line naming
// it and --attach; else empty.
std::string PublishedHolder(ControlSession& control)
{
    const int32_t commClass = ReadSpecial(control, SpecialOp::CommClass);
    const int32_t port = ReadSpecial(control, SpecialOp::CommPort);
    if (commClass < 0 || port < 0)
        return {};
    return cli::HeldByPublishedControl(commClass, port);
}

// The line that ends an interrupted run. Only an operation that stopped, or ended well, has
// finished its restoring steps: one that failed (its error line says how) may not have.
std::string InterruptedLine(const StepOutcome& last)
{
    const char* name = TerminationSignals::SignalName(TerminationSignals::Signal());
    return std::string("zr47xcl: interrupted by ") + name +
           (last.ok || last.stopped ? "; the operation under way finished its restoring steps,"
                                    : ";") +
           " later verbs did not run";
}

// Runs the verbs on a started control; the exit status. `holder` (null for verbs without a
// control) tells, after a failed verb, whether the link was lost under it.
int RunSteps(ControlSession* object, const cli::ControlHolder* holder, CommandLine& line,
             ProgressLine& err)
{
    StepOutcome last;
    for (Step& step : line.steps) {
        if (TerminationSignals::Requested())
            break;
        const StepOutcome outcome = RunStep(line, object, step, err);
        last = outcome;
        if (TerminationSignals::Requested())
            break;
        if (!outcome.ok) {
            // The camera's time-out says little when the line went away under the verb: the
            // port, its device and the system's reason follow it.
            if (outcome.lineFailure && holder != nullptr && object != nullptr &&
                !IsOnline(*object) && !holder->LinkLoss().empty())
                err.Line("zr47xcl: " + holder->LinkLoss());
            return kExitScriptError;
        }
        if (object == nullptr || !NeedsCamera(step))
            continue;
        // Said after the verb: the camera may have gone during it.
        const bool offline = !IsOnline(*object);
        if (offline && (!line.offline || line.strict))
            err.Line(OfflineWarning(step));
        if (line.strict && outcome.resultCode != 0 && !offline)
            err.Line(
                "zr47xcl: " + std::string(step.member != nullptr ? step.member->Name() : "dump") +
                " returned result code " + std::to_string(outcome.resultCode));
        if (line.strict && (offline || outcome.resultCode != 0))
            return kExitStrict;
    }
    if (TerminationSignals::Requested()) {
        err.Line(InterruptedLine(last));
        // A failure other than the stop (the camera's settings not put back, say) is what the
        // status tells, as after any script error.
        return last.ok || last.stopped ? kExitInterrupted : kExitScriptError;
    }
    return kExitOk;
}

// The start-up connection attempt, and what a failed one says.
void StartUp(cli::ControlHolder& holder, const CommandLine& line, ProgressLine& err)
{
    if (line.port)
        holder.SelectPort(*line.port);
    holder.Start(line.Connects());
    if (!line.Connects() || IsOnline(*holder.Session()))
        return;
    const std::string why = holder.ConnectionFailure();
    if (!why.empty())
        err.Line("zr47xcl: " + why);
    // Only a port that another program holds can be a published control's: a run whose port is
    // free never waits on the bus.
    const bool inUse = why.find(kPortInUse) != std::string::npos;
    const std::string held =
        line.attach || !inUse ? std::string() : PublishedHolder(*holder.Session());
    if (!held.empty())
        err.Line("zr47xcl: " + held);
}

// Runs the verbs on the control the line names (one of this process, or --attach's); the exit
// status.
int RunOnControl(CommandLine& line, ProgressLine& err)
{
    std::string error;
    // The published control is started already and keeps its own settings: the same verbs run
    // on it, the start-up and the close leave it as it is.
    std::unique_ptr<cli::ControlHolder> holder =
        line.attach ? std::make_unique<cli::ControlHolder>(line.port, error)
                    : std::make_unique<cli::ControlHolder>();
    if (holder->Session() == nullptr) {
        WriteLine(stderr, "zr47xcl: --attach: " + error);
        return kExitScriptError;
    }
    int exitCode = kExitOk;
    // From the start-up on, a signal lets the operation under way end properly.
    TerminationSignals termination;
    {
        StderrReporter reporter(*holder->Session(), err, line);
        StartUp(*holder, line, err);
        exitCode = RunSteps(holder->Session(), holder.get(), line, err);
    }
    // The control is destroyed here and writes the module settings; a file that could not be
    // read or saved is reported, and a lost save fails an otherwise successful run.
    std::string problem;
    const cli::ControlHolder::Saved saved = holder->Close(problem);
    if (saved != cli::ControlHolder::Saved::Yes)
        err.Line("zr47xcl: " + problem);
    if (saved == cli::ControlHolder::Saved::No && exitCode == kExitOk)
        exitCode = kExitSettingsNotSaved;
    return exitCode;
}

// A device path names the COM port the module settings map to it. False after a usage error.
bool ResolvePortDevice(CommandLine& line)
{
    if (line.portDevice.empty())
        return true;
    std::string why;
    const ModuleSettings settings;
    line.port = ResolvePort(line.portDevice, ComPortMap(settings), why);
    if (!line.port)
        WriteLine(stderr, "zr47xcl: --port: " + why);
    return line.port.has_value();
}

} // namespace

int main(int argc, char** argv)
{
    CommandLine line;
    std::string error;
    const TerminalText terminal = TerminalText::FromEnvironment();
    if (!cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), line, error) ||
        !cli::TextsFromTerminal(line, terminal, error)) {
        WriteLine(stderr, "zr47xcl: " + error);
        return kExitUsage;
    }
    if (line.help) {
        std::fputs(cli::UsageText().c_str(), stdout);
        return kExitOk;
    }
    if (line.version) {
        WriteLine(stdout, std::string("zr47xcl ") + ZR_VERSION);
        return kExitOk;
    }
    if (!ResolvePortDevice(line))
        return kExitUsage;

    ProgressLine err(::isatty(STDERR_FILENO) == 1, terminal);
    if (!line.NeedsControl())
        return RunSteps(nullptr, nullptr, line, err);
    // A verb that runs alone (serve) makes and ends its own control.
    if (line.Serves())
        return RunStep(line, nullptr, line.steps.front(), err).exitStatus.value_or(kExitOk);
    return RunOnControl(line, err);
}
