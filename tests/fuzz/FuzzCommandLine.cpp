// The command line: any arguments parse or give a one-line usage error, and every verb that
// parses runs through the dispatch on an offline control without a crash or an escaping
// exception. Arguments are the input split at NUL bytes.
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "ScratchFolder.h"
#include "automation/Dispatch.h"
#include "cli/CommandLine.h"
#include "control/HeadlessUi.h"
#include "control/XKorvelCamCtrl.h"
#include "support/ManualClock.h"
#include "support/MemorySettings.h"

namespace
{

using namespace zr;
using fuzz::ScratchFolder;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

std::vector<std::string> SplitArguments(const uint8_t* data, size_t size)
{
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size && args.size() <= 24; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back().push_back(static_cast<char>(data[i]));
    }
    return args;
}

// File names stay inside the scratch folder: a name becomes one entry of it.
void ConfineFileNames(cli::Step& step, const ScratchFolder& scratch)
{
    auto arguments = step.member->Arguments();
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (std::string(arguments[i].name) != "bstrFileName")
            continue;
        std::string name = step.args[i].ToBStr().value_or("");
        for (char& c : name)
            c = c == '/' ? '_' : c;
        if (!name.empty())
            step.args[i] = Variant(scratch.File(name == "." || name == ".." ? name + "_" : name));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ScratchFolder scratch;
    cli::CommandLine line;
    std::string error;
    if (!cli::ParseCommandLine(SplitArguments(data, size), line, error)) {
        Check(!error.empty() && error.find('\n') == std::string::npos);
        return 0;
    }
    if (!line.NeedsControl())
        return 0;

    scratch.Clear();
    test::MemorySettings settings;
    // Every port leads to a path that does not exist, so no device of the machine is opened.
    for (int port = 1; port <= 16; ++port)
        settings.WriteString("Comm", "COM" + std::to_string(port),
                             scratch.File("no-such-tty" + std::to_string(port)));
    test::ManualClock clock;
    std::ostream discard(nullptr);
    HeadlessUi ui(discard);
    CXKorvelCamCtrl control(settings, ui, clock);
    CXKorvelCamDispatch dispatch(control);
    for (cli::Step& step : line.steps) {
        // Serve runs alone and works on the bus, not on the control's members.
        if (step.verb == cli::Verb::List || step.verb == cli::Verb::Serve)
            continue;
        // Dump has no member of its own: it is the read-all, then the mirror. Describe reads
        // the property it names.
        const AutomationMember* member =
            step.verb == cli::Verb::Dump
                ? FindSpecialMember(MemberKind::Method, SpecialOp::ReadAllFromCamera)
                : step.member;
        Check(member != nullptr);
        const bool read = step.verb == cli::Verb::Get || step.verb == cli::Verb::Describe;
        const InvokeKind kind = read                          ? InvokeKind::PropertyGet
                                : step.verb == cli::Verb::Set ? InvokeKind::PropertyPut
                                                              : InvokeKind::Method;
        if (step.verb == cli::Verb::Call)
            ConfineFileNames(step, scratch);
        Variant result;
        DispatchResult outcome = dispatch.Invoke(member->dispid, kind, step.args, result);
        // A failure always says what went wrong; the command line stops at the first.
        if (!outcome.Succeeded()) {
            Check(!outcome.description.empty());
            break;
        }
    }
    return 0;
}
