// zr47xcl: drives one ZR-47xCL control object through its automation interface.

#include <algorithm>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "automation/CameraUse.h"
#include "camera/CameraError.h"
#include "cli/BusCommands.h"
#include "cli/CommandHelp.h"
#include "cli/CommandLine.h"
#include "cli/InterruptGuard.h"
#include "cli/PortsReport.h"
#include "cli/ProgressLine.h"
#include "cli/SettingsReport.h"
#include "cli/WebCommand.h"
#include "comm/ComPortMap.h"
#include "comm/PortName.h"
#include "component/ComponentInterface.h"
#include "control/Identities.h"
#include "control/ModuleSettings.h"

namespace
{

using namespace zr;
using zr::cli::CommandLine;
using zr::cli::InterruptGuard;
using zr::cli::ProgressLine;
using zr::cli::Step;
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

// Events and communication log lines on stderr, as the options ask.
class StderrReporter final : public IXKorvelCamEvents
{
public:
    StderrReporter(ProgressLine& err, bool events, bool log) : err_(err), events_(events), log_(log)
    {
    }

    void OnEvent(int32_t, const char* name) override
    {
        if (events_)
            err_.Line(std::string("event ") + name);
    }
    void OnCommLog(const char* line, bool sent) override
    {
        if (log_)
            err_.Line((sent ? "> " : "< ") + std::string(line));
    }

private:
    ProgressLine& err_;
    bool events_;
    bool log_;
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

void ListMembers()
{
    std::string out;
    for (const AutomationMember& m : AutomationMembers()) {
        out += std::to_string(m.dispid);
        out += '\t';
        out += MemberKindName(m.kind);
        out += '\t';
        out += m.Name();
        out += '\t';
        out += FormatSignature(m);
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

// "error 0xXXXXXXXX: DESCRIPTION"; a description of several lines keeps its line breaks, as
// plain line feeds.
void PrintError(ProgressLine& err, int32_t status, const std::string& description)
{
    char code[16];
    std::snprintf(code, sizeof code, "%08" PRIX32, static_cast<uint32_t>(status));
    std::string text = description;
    std::erase(text, '\r');
    err.Line("error 0x" + std::string(code) + ": " + text);
}

// How one verb ended.
struct StepOutcome {
    bool ok = true;         // false after a script error (reported)
    int32_t resultCode = 0; // a method's result code, 0 for everything else
    bool stopped = false;   // the script error is that of an operation stopped on request
};

// A failed verb: its error line, and whether it only says that the operation stopped.
StepOutcome Failed(IXKorvelCamObject& object, int32_t status, ProgressLine& err)
{
    PrintError(err, status, object.ErrorDescription());
    StepOutcome outcome;
    outcome.ok = false;
    outcome.stopped = object.ErrorDescription() == GetErrorString(OPERATION_STOPPED);
    return outcome;
}

// What each verb does. `object` is null when no verb of the line needs the control.
using StepRunner = StepOutcome (*)(IXKorvelCamObject* object, Step& step, ProgressLine& err);

StepOutcome RunList(IXKorvelCamObject*, Step&, ProgressLine&)
{
    ListMembers();
    return {};
}

StepOutcome RunDescribe(IXKorvelCamObject* object, Step& step, ProgressLine&)
{
    std::fputs(cli::SettingsReport(*object).Describe(*step.member).c_str(), stdout);
    std::fflush(stdout);
    return {};
}

StepOutcome RunDump(IXKorvelCamObject* object, Step&, ProgressLine& err)
{
    // The mirror after a read-all; offline the read-all returns 100 and the mirror stays.
    StepOutcome outcome;
    const AutomationMember* readAll =
        FindSpecialMember(MemberKind::Method, SpecialOp::ReadAllFromCamera);
    Variant result;
    const int32_t status = object->Invoke(readAll->dispid, InvokeKind::Method, nullptr, 0, &result);
    err.Clear();
    if (status != hresult::kOk)
        return Failed(*object, status, err);
    outcome.resultCode = result.ToI4().value_or(0);
    std::fputs(cli::SettingsReport(*object).Dump().c_str(), stdout);
    std::fflush(stdout);
    return outcome;
}

StepOutcome RunPorts(IXKorvelCamObject* object, Step&, ProgressLine&)
{
    // The module settings as they are now: the [Comm] entries say which device each COM port is.
    const ModuleSettings settings;
    std::fputs(cli::PortsReport(*object, settings).c_str(), stdout);
    std::fflush(stdout);
    return {};
}

// get, set and call: one invocation of the member.
StepOutcome RunMember(IXKorvelCamObject* object, Step& step, ProgressLine& err)
{
    StepOutcome outcome;
    const AutomationMember& member = *step.member;
    InvokeKind kind = step.verb == Verb::Get   ? InvokeKind::PropertyGet
                      : step.verb == Verb::Set ? InvokeKind::PropertyPut
                                               : InvokeKind::Method;
    Variant result;
    int32_t status = object->Invoke(member.dispid, kind, step.args.data(),
                                    static_cast<uint32_t>(step.args.size()), &result);
    err.Clear();
    if (status != hresult::kOk)
        return Failed(*object, status, err);
    if (step.verb == Verb::Set)
        return outcome;
    if (step.verb == Verb::Get || member.type != VarType::Void)
        WriteLine(stdout, result.ToText());
    if (step.verb == Verb::Call) {
        if (ReturnsResultCode(member))
            outcome.resultCode = result.ToI4().value_or(0);
        auto arguments = member.Arguments();
        for (size_t i = 0; i < arguments.size(); ++i) {
            if (arguments[i].type == VarType::PtrI4)
                WriteLine(stdout, std::string(arguments[i].name) + "=" + step.args[i].ToText());
        }
    }
    return outcome;
}

struct VerbRunner {
    Verb verb;
    StepRunner run;
};
constexpr VerbRunner kVerbRunners[] = {
    {Verb::Get, RunMember},  {Verb::Set, RunMember},        {Verb::Call, RunMember},
    {Verb::List, RunList},   {Verb::Describe, RunDescribe}, {Verb::Dump, RunDump},
    {Verb::Ports, RunPorts},
};

StepOutcome RunStep(IXKorvelCamObject* object, Step& step, ProgressLine& err)
{
    for (const VerbRunner& runner : kVerbRunners)
        if (runner.verb == step.verb)
            return runner.run(object, step, err);
    return {};
}

bool IsOnline(IXKorvelCamObject& object)
{
    const AutomationMember* check = FindSpecialMember(MemberKind::Method, SpecialOp::CheckOnline);
    Variant online;
    return object.Invoke(check->dispid, InvokeKind::Method, nullptr, 0, &online) == hresult::kOk &&
           online.ToBool().value_or(false);
}

// When a control published on the session bus holds the port the start-up tried: a line naming
// it and --attach; else empty.
std::string PublishedHolder(IXKorvelCamObject& object)
{
    const AutomationMember* classMember =
        FindSpecialMember(MemberKind::Property, SpecialOp::CommClass);
    const AutomationMember* portMember =
        FindSpecialMember(MemberKind::Property, SpecialOp::CommPort);
    Variant commClass;
    Variant port;
    if (object.Invoke(classMember->dispid, InvokeKind::PropertyGet, nullptr, 0, &commClass) !=
            hresult::kOk ||
        object.Invoke(portMember->dispid, InvokeKind::PropertyGet, nullptr, 0, &port) !=
            hresult::kOk)
        return {};
    return cli::HeldByPublishedControl(commClass.ToI4().value_or(-1), port.ToI4().value_or(-1));
}

using ObjectPtr = std::unique_ptr<IXKorvelCamObject, ReleaseObject>;

// The control object, made through the component's class factory as a host makes it.
ObjectPtr CreateControl()
{
    void* raw = nullptr;
    if (DllGetClassObject(identity::kControlClassId, kClassFactoryInterface, &raw) != hresult::kOk)
        return nullptr;
    std::unique_ptr<IXKorvelCamClassFactory, ReleaseObject> factory(
        static_cast<IXKorvelCamClassFactory*>(raw));
    IXKorvelCamObject* object = nullptr;
    if (factory->CreateInstance(&object) != hresult::kOk)
        return nullptr;
    return ObjectPtr(object);
}

// The line that ends an interrupted run. Only an operation that stopped, or ended well, has
// finished its restoring steps: one that failed (its error line says how) may not have.
std::string InterruptedLine(const StepOutcome& last)
{
    const char* name = InterruptGuard::Signal() == SIGTERM ? "SIGTERM" : "SIGINT";
    return std::string("zr47xcl: interrupted by ") + name +
           (last.ok || last.stopped ? "; the operation under way finished its restoring steps,"
                                    : ";") +
           " later verbs did not run";
}

// Runs the verbs on a started control; the exit status.
int RunSteps(IXKorvelCamObject* object, CommandLine& line, ProgressLine& err)
{
    StepOutcome last;
    for (Step& step : line.steps) {
        if (InterruptGuard::Requested())
            break;
        const StepOutcome outcome = RunStep(object, step, err);
        last = outcome;
        if (InterruptGuard::Requested())
            break;
        if (!outcome.ok)
            return kExitScriptError;
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
    if (InterruptGuard::Requested()) {
        err.Line(InterruptedLine(last));
        // A failure other than the stop (the camera's settings not put back, say) is what the
        // status tells, as after any script error.
        return last.ok || last.stopped ? kExitInterrupted : kExitScriptError;
    }
    return kExitOk;
}

bool OnlyPorts(const CommandLine& line)
{
    return std::all_of(line.steps.begin(), line.steps.end(),
                       [](const Step& step) { return step.verb == Verb::Ports; });
}

} // namespace

int main(int argc, char** argv)
{
    CommandLine line;
    std::string error;
    if (!cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), line, error)) {
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
    // A device path names the COM port the module settings map to it.
    if (!line.portDevice.empty()) {
        std::string why;
        const ModuleSettings settings;
        line.port = ResolvePort(line.portDevice, ComPortMap(settings), why);
        if (!line.port) {
            WriteLine(stderr, "zr47xcl: --port: " + why);
            return kExitUsage;
        }
    }

    ProgressLine err(::isatty(STDERR_FILENO) == 1);
    if (!line.NeedsControl())
        return RunSteps(nullptr, line, err);

    if (line.Serves())
        return cli::RunServe(line.port, line.offline, line.log);
    if (line.ServesWeb())
        return cli::RunWeb(line);

    ObjectPtr object;
    if (line.attach) {
        // The published control is started already and keeps its own settings: the same verbs
        // run on it below, Start and Close leave it as it is.
        object.reset(cli::AttachToPublished(line.port, error));
        if (!object) {
            WriteLine(stderr, "zr47xcl: --attach: " + error);
            return kExitScriptError;
        }
    } else {
        object = CreateControl();
    }
    if (!object) {
        WriteLine(stderr, "zr47xcl: the control object could not be created");
        return kExitScriptError;
    }
    StderrReporter reporter(err, line.events, line.log);
    object->Advise(&reporter);
    object->SetProgress(&err);
    int exitCode = kExitOk;
    {
        // From the start-up on, a signal lets the operation under way end properly.
        InterruptGuard interrupts;
        if (line.port)
            object->SelectPort(line.port->commClass, line.port->port);
        // Listing the ports needs no camera: without another verb there is no connection attempt.
        const bool connect = !line.offline && !OnlyPorts(line);
        object->Start(connect);
        if (connect && !IsOnline(*object)) {
            const std::string why = object->ConnectionFailure();
            if (!why.empty())
                err.Line("zr47xcl: " + why);
            const std::string held = line.attach ? std::string() : PublishedHolder(*object);
            if (!held.empty())
                err.Line("zr47xcl: " + held);
        }
        exitCode = RunSteps(object.get(), line, err);
        object->SetProgress(nullptr);
        object->Unadvise(&reporter);
        // The control is destroyed here and writes the module settings; a file that could not
        // be read or saved is reported, and a lost save fails an otherwise successful run.
        const int32_t closed = object->Close();
        if (closed != hresult::kOk)
            err.Line("zr47xcl: " + std::string(object->ErrorDescription()));
        if (closed != hresult::kOk && closed != hresult::kFalse && exitCode == kExitOk)
            exitCode = kExitSettingsNotSaved;
        object.reset();
    }
    return exitCode;
}
