#include "cli/CommandHelp.h"

#include <algorithm>
#include <vector>

#include "cli/CommandTable.h"

namespace zr::cli
{

namespace
{

constexpr std::string_view kAbout = R"(
Drives one ZR-47xCL control object through its automation interface, the way a script does.
The control is created with the module settings, makes its start-up connection attempt with the
remembered communication class and port (a failure is reported on stderr and the control goes on
offline), runs the verbs in order and is destroyed again, which writes the module settings.

Verbs:
)";

constexpr std::string_view kMembers = R"(
Member names are matched without regard to letter case. Properties read the mirror, never the
camera: after start-up only the model name is known; read-all (dump, or call ReadAllFromCamera)
fetches the rest.

Options:
)";

constexpr std::string_view kBehaviour = R"(
When the camera is offline (without --offline), each verb that needed it says so on stderr:
"zr47xcl: camera offline: ...". A failed start-up also names the port, its device and the
system's reason. Long operations show a progress line on stderr when it is a terminal. Ctrl-C
(SIGINT) or SIGTERM stops a long operation at its next safe point, after its restoring steps
(the camera data report puts the camera's settings back); a second Ctrl-C ends at once.

Exit status: 0 when every verb succeeded; 1 when a member raised a script error, reported as
"error 0xXXXXXXXX: DESCRIPTION" on stderr (later verbs do not run); 2 for a usage error;
3 with --strict as above; 4 when every verb succeeded but the module settings could not be
saved (a line on stderr says why); 130 when interrupted by SIGINT or SIGTERM.

Examples:
  zr47xcl get ModelName get FirmwareVersion
  zr47xcl set IMG1ShutterSpeed=6 get IMG1ShutterSpeedString
  zr47xcl set IMG1WhiteBalanceString="continuous awb"
  zr47xcl call AskIMG1GainMasterRange 0 call AskIMG1GainMasterRange 1
  zr47xcl call AskIMG1TriggerModeString 4
  zr47xcl call StartCommunication 0 1
  zr47xcl --events set EEPROMArea=1 call LoadSettings
  zr47xcl call DoIMG1OnePushAWB 0
  zr47xcl --offline call ReadAllFromCamera
  zr47xcl list | grep -i shutter
  zr47xcl describe IMG1ShutterSpeed
  zr47xcl dump > camera-settings.txt
  zr47xcl --port COM5 --strict set IMG1GainMaster=100

Ports: class 0 is "COM-Ports" (COM1..COM16); a port name maps to a device path through the
entry COMn=PATH of section [Comm] in the module settings,
${XDG_CONFIG_HOME:-$HOME/.config}/Korvel-XKorvelZR47xCL.ini-Control/XKorvelZR47xCL Control.ini
)";

// Columns of the usage text: where a verb's and an option's description starts.
constexpr size_t kVerbColumn = 18;
constexpr size_t kOptionColumn = 12;

// "  USAGE     first line of help", further lines of help under the first; a usage too long for
// its column has the help start on the next line, so that every help line keeps its column.
void AppendEntry(std::string& out, std::string_view usage, std::string_view help, size_t column)
{
    out += "  ";
    out += usage;
    if (usage.size() < column)
        out.append(column - usage.size(), ' ');
    else
        out.append("\n").append(2 + column, ' ');
    for (size_t start = 0;;) {
        const size_t end = help.find('\n', start);
        out += help.substr(start, end - start);
        out += '\n';
        if (end == std::string_view::npos)
            break;
        start = end + 1;
        out.append(2 + column, ' ');
    }
}

// What a verb's operand completes to, and the verbs that share it.
struct VerbCompletion {
    std::string words; // "get|describe"
    std::string list;  // the shell variable holding the names
    bool assignment;
};

std::vector<VerbCompletion> VerbCompletions()
{
    std::vector<VerbCompletion> groups;
    for (const VerbRow& row : VerbRows()) {
        if (row.operands == Operands::None)
            continue;
        const bool assignment = row.operands == Operands::Assignment;
        const std::string list = assignment                         ? "writable"
                                 : row.kind == MemberKind::Property ? "properties"
                                                                    : "methods";
        auto same = std::find_if(groups.begin(), groups.end(),
                                 [&](const VerbCompletion& g) { return g.list == list; });
        if (same != groups.end())
            same->words += "|" + std::string(row.word);
        else
            groups.push_back({std::string(row.word), list, assignment});
    }
    return groups;
}

std::string MemberNames(MemberKind kind, bool writableOnly)
{
    std::string names;
    for (const AutomationMember& m : AutomationMembers())
        if (m.kind == kind && !(writableOnly && m.readOnly))
            names += (names.empty() ? "" : " ") + std::string(m.Name());
    return names;
}

// The methods that take a file name: their argument is named as a file name is.
std::string FileMethodNames()
{
    std::string names;
    for (const AutomationMember& m : AutomationMembers()) {
        if (m.kind != MemberKind::Method)
            continue;
        for (const AutomationArgument& argument : m.Arguments())
            if (argument.type == VarType::BStr &&
                std::string_view(argument.name).ends_with("FileName"))
                names += (names.empty() ? "" : " ") + std::string(m.Name());
    }
    return names;
}

} // namespace

std::string UsageText()
{
    std::string out = "Usage: zr47xcl";
    for (const OptionRow& row : OptionRows())
        if (row.inSynopsis)
            out += " [" + std::string(row.usage) + "]";
    out += "\n               VERB [ARGS] [VERB [ARGS]]...\n";
    out += kAbout;
    for (const VerbRow& row : VerbRows())
        AppendEntry(out, row.usage, row.help, kVerbColumn);
    out += kMembers;
    for (const OptionRow& row : OptionRows())
        AppendEntry(out, row.usage, row.help, kOptionColumn);
    out += kBehaviour;
    return out;
}

std::string CompletionScript()
{
    std::string out =
        "# bash completion for zr47xcl: options, verbs and member names. Generated at build time "
        "from\n# the program's own verb, option and member tables; do not edit the installed "
        "copy.\n\n";
    out += "_zr47xcl_properties=\"" + MemberNames(MemberKind::Property, false) + "\"\n";
    out += "_zr47xcl_writable=\"" + MemberNames(MemberKind::Property, true) + "\"\n";
    out += "_zr47xcl_methods=\"" + MemberNames(MemberKind::Method, false) + "\"\n";
    out += "_zr47xcl_file_methods=\"" + FileMethodNames() + "\"\n";
    out += "\n# The words of $1 that start with the word being completed in any letter case, each "
           "with\n"
           "# $2 appended: member names match as the program matches them.\n"
           "_zr47xcl_match()\n{\n"
           "    local word lower=${cur,,}\n"
           "    for word in $1; do\n"
           "        [[ ${word,,} == \"$lower\"* ]] && COMPREPLY+=(\"$word$2\")\n"
           "    done\n}\n";
    out += "\n_zr47xcl()\n{\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]}\n"
           "    local prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    COMPREPLY=()\n"
           "    # A file name after a method that takes one (call WriteAllToFile FILE).\n"
           "    if [[ $COMP_CWORD -ge 2 && ${COMP_WORDS[COMP_CWORD-2],,} == call &&\n"
           "          \" ${_zr47xcl_file_methods,,} \" == *\" ${prev,,} \"* ]]; then\n"
           "        compopt -o filenames 2>/dev/null\n"
           "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
           "        return\n"
           "    fi\n"
           "    case $prev in\n";
    for (const VerbCompletion& group : VerbCompletions()) {
        out += "    " + group.words + ")\n";
        if (group.assignment)
            out += "        # NAME=VALUE: complete the name and its equals sign, then let the "
                   "value be typed.\n"
                   "        _zr47xcl_match \"$_zr47xcl_" +
                   group.list + "\" =\n        compopt -o nospace 2>/dev/null\n";
        else
            out += "        _zr47xcl_match \"$_zr47xcl_" + group.list + "\"\n";
        out += "        return ;;\n";
    }
    std::string options;
    for (const OptionRow& row : OptionRows()) {
        options += (options.empty() ? "" : " ") + std::string(row.name);
        // A value that starts with a slash is a path (a port's device).
        if (!row.valueWords.empty())
            out += "    " + std::string(row.name) +
                   ")\n        if [[ $cur == /* ]]; then\n"
                   "            compopt -o filenames 2>/dev/null\n"
                   "            COMPREPLY=($(compgen -f -- \"$cur\"))\n"
                   "            return\n"
                   "        fi\n"
                   "        _zr47xcl_match \"" +
                   std::string(row.valueWords) + "\"\n        return ;;\n";
    }
    std::string verbs;
    for (const VerbRow& row : VerbRows())
        verbs += (verbs.empty() ? "" : " ") + std::string(row.word);
    out += "    esac\n"
           "    if [[ $cur == -* ]]; then\n"
           "        COMPREPLY=($(compgen -W \"" +
           options +
           "\" -- \"$cur\"))\n"
           "    else\n"
           "        COMPREPLY=($(compgen -W \"" +
           verbs +
           "\" -- \"$cur\"))\n"
           "    fi\n}\n"
           "complete -F _zr47xcl zr47xcl\n";
    return out;
}

} // namespace zr::cli
