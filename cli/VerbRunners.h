#pragma once

#include <cstdint>
#include <optional>

namespace zr
{
class ControlSession;
}

namespace zr::cli
{

struct CommandLine;
struct Step;
class ProgressLine;

// How one verb ended.
struct StepOutcome {
    bool ok = true;           // false after a script error (reported)
    int32_t resultCode = 0;   // a method's result code, 0 for everything else
    bool stopped = false;     // the script error is that of an operation stopped on request
    bool lineFailure = false; // it failed as a lost line does (time-out, read or write failure)
    // The program's exit status, for a verb that runs alone and decides it (serve).
    std::optional<int> exitStatus;
};

// What a verb works on: the command line, the control (nullptr for a verb that needs none, and
// for one that runs alone) and standard error.
struct VerbContext {
    const CommandLine& line;
    ControlSession* control;
    ProgressLine& err;
};

// What a verb does; every row of the verb table names one (CommandTable.h).
using StepRunner = StepOutcome (*)(VerbContext& context, Step& step);

StepOutcome RunList(VerbContext& context, Step& step);
StepOutcome RunDescribe(VerbContext& context, Step& step);
StepOutcome RunDump(VerbContext& context, Step& step);
StepOutcome RunPorts(VerbContext& context, Step& step);
// get, set and call: one invocation of the member.
StepOutcome RunMember(VerbContext& context, Step& step);
StepOutcome RunServeVerb(VerbContext& context, Step& step);
StepOutcome RunWebVerb(VerbContext& context, Step& step);

} // namespace zr::cli
