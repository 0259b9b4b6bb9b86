#pragma once

#include <string>
#include <vector>

#include "automation/AutomationMembers.h"
#include "automation/AutomationTypes.h"

namespace zr::cli
{

enum class Verb { Get, Set, Call, List };

// One verb of the command line, checked against the member table.
struct Step {
    Verb verb = Verb::List;
    const AutomationMember* member = nullptr; // nullptr for List
    // Set: the new value. Call: one Variant per declared argument, in order; an out argument
    // (PTR(I4)) is an empty slot.
    std::vector<Variant> args;
};

struct CommandLine {
    bool help = false;
    bool offline = false;
    bool log = false;
    bool events = false;
    std::vector<Step> steps;

    // Whether a verb needs the control object (list works on the member table alone).
    bool NeedsControl() const;
};

// Parses the whole command line before anything runs, so a usage error leaves the camera
// untouched. False with a one-line message in `error` for an unknown option, verb or member, a
// member of the wrong kind, a malformed value or a wrong number of arguments.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error);

// The text of --help.
const char* UsageText();

} // namespace zr::cli
