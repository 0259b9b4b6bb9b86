#include "cli/VerbRunners.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "automation/CameraUse.h"
#include "automation/ControlSession.h"
#include "camera/CameraError.h"
#include "cli/BusCommands.h"
#include "cli/CommandLine.h"
#include "cli/PortsReport.h"
#include "cli/ProgressLine.h"
#include "cli/SettingsReport.h"
#include "cli/WebCommand.h"
#include "comm/LinkError.h"
#include "control/ModuleSettings.h"

namespace zr::cli
{

namespace
{

// The results of an operation whose line went away under it.
constexpr int kLostLineCodes[] = {CAMERA_TIMEOUT, LINK_READ_FAILED, LINK_WRITE_FAILED};

void WriteLine(FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// "error 0xXXXXXXXX: DESCRIPTION"; a description of several lines keeps its line breaks, as
// plain line feeds.
void PrintError(ProgressLine& err, int32_t status, const std::string& description)
{
    char code[16];
    std::snprintf(code, sizeof code, "%08" PRIX32, static_cast<uint32_t>(status));
    std::string text = description;
    std::erase(text, '\r');
    err.Line("error 0x" + std::string(code) + ": " + err.Shown(text));
}

// A failed verb: its error line, and whether it only says that the operation stopped.
StepOutcome Failed(const DispatchResult& failure, ProgressLine& err)
{
    PrintError(err, failure.status, failure.description);
    StepOutcome outcome;
    outcome.ok = false;
    outcome.stopped = failure.description == GetErrorString(OPERATION_STOPPED);
    outcome.lineFailure =
        std::any_of(std::begin(kLostLineCodes), std::end(kLostLineCodes),
                    [&](int code) { return failure.description == GetErrorString(code); });
    return outcome;
}

void PrintOut(const std::string& text)
{
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

} // namespace

StepOutcome RunList(VerbContext&, Step&)
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
    PrintOut(out);
    return {};
}

StepOutcome RunDescribe(VerbContext& context, Step& step)
{
    PrintOut(context.err.Shown(SettingsReport(*context.control).Describe(*step.member)));
    return {};
}

StepOutcome RunDump(VerbContext& context, Step&)
{
    // The mirror after a read-all; offline the read-all returns 100 and the mirror stays.
    StepOutcome outcome;
    const AutomationMember* readAll =
        FindSpecialMember(MemberKind::Method, SpecialOp::ReadAllFromCamera);
    std::vector<Variant> none;
    Variant result;
    const DispatchResult called =
        context.control->Invoke(*readAll, InvokeKind::Method, none, result);
    context.err.Clear();
    if (!called.Succeeded())
        return Failed(called, context.err);
    outcome.resultCode = result.ToI4().value_or(0);
    PrintOut(context.err.Shown(SettingsReport(*context.control).Dump()));
    return outcome;
}

StepOutcome RunPorts(VerbContext& context, Step&)
{
    // The module settings as they are now: the [Comm] entries say which device each COM port is.
    const ModuleSettings settings;
    PrintOut(PortsReport(*context.control, settings));
    return {};
}

StepOutcome RunMember(VerbContext& context, Step& step)
{
    StepOutcome outcome;
    const AutomationMember& member = *step.member;
    const InvokeKind kind = step.verb == Verb::Get   ? InvokeKind::PropertyGet
                            : step.verb == Verb::Set ? InvokeKind::PropertyPut
                                                     : InvokeKind::Method;
    // The caller's arguments stay as they were on a failure.
    std::vector<Variant> args = step.args;
    Variant result;
    const DispatchResult called = context.control->Invoke(member, kind, args, result);
    context.err.Clear();
    if (!called.Succeeded())
        return Failed(called, context.err);
    step.args = std::move(args);
    if (step.verb == Verb::Set)
        return outcome;
    if (step.verb == Verb::Get || member.type != VarType::Void)
        WriteLine(stdout, context.err.Shown(result.ToText()));
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

StepOutcome RunServeVerb(VerbContext& context, Step&)
{
    StepOutcome outcome;
    outcome.exitStatus = RunServe(context.line.port, context.line.offline, context.line.log);
    return outcome;
}

StepOutcome RunWebVerb(VerbContext& context, Step&)
{
    StepOutcome outcome;
    outcome.exitStatus = RunWeb(context.line);
    return outcome;
}

} // namespace zr::cli
