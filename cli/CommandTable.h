#pragma once

#include <span>
#include <string>
#include <string_view>

#include "automation/AutomationMembers.h"
#include "cli/CommandLine.h"
#include "cli/VerbRunners.h"

namespace zr::cli
{

// What follows a verb's word on the command line.
enum class Operands {
    None,              // nothing
    Member,            // the name of a member of the row's kind
    Assignment,        // NAME=VALUE of a property
    MemberAndArguments // the name of a method, then one value per input argument
};

// One verb of the command line, whole: the parser, the usage text, the bash completion and the
// program's run all read these rows, so a new verb is one row here and its runner.
struct VerbRow {
    std::string_view word;
    Verb verb;
    Operands operands;
    MemberKind kind;        // of the member named (ignored for Operands::None)
    bool needsControl;      // false when the verb works on the tables alone
    bool connects;          // makes the start-up connection attempt (not when every verb says no)
    bool runsAlone;         // no other verb and no --attach beside it; runs without a control
    StepRunner run;         // what it does
    std::string_view usage; // its synopsis in the usage text, "get NAME"
    std::string_view help;  // its description, lines separated by '\n'
};

// Whether an option takes a value: never, always (the next token or "--name=VALUE"), only when
// written "--name=VALUE", or also as the next token when that is neither a verb nor an option.
enum class OptionValue { None, Required, Optional, Trailing };

// One option of the command line, read like the verb rows.
struct OptionRow {
    std::string_view name;  // "--port"
    std::string_view alias; // a short form such as "-h", or empty
    OptionValue value;
    // An option without a value sets this flag...
    bool CommandLine::*flag;
    // ...one with a value goes through this, which gets nullptr when the value is missing and
    // says in `error` what is wrong with it.
    bool (*apply)(CommandLine& line, const std::string* value, std::string& error);
    bool inSynopsis;             // listed on the usage text's first line
    std::string_view usage;      // "--port PORT"
    std::string_view help;       // lines separated by '\n'
    std::string_view valueWords; // what the completion offers for the value
};

std::span<const VerbRow> VerbRows();
std::span<const OptionRow> OptionRows();

// The row of a verb word or option name (exact spelling), or nullptr.
const VerbRow* FindVerbRow(std::string_view word);
const VerbRow* FindVerbRow(Verb verb);
const OptionRow* FindOptionRow(std::string_view name);

} // namespace zr::cli
