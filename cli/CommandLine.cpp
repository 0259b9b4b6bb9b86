#include "cli/CommandLine.h"

#include <algorithm>

namespace zr::cli
{

namespace
{

bool IsVerbWord(const std::string& token)
{
    return token == "get" || token == "set" || token == "call" || token == "list";
}

bool IsOption(const std::string& token)
{
    return token.size() > 1 && token.front() == '-';
}

// The text between single quotes, control characters escaped so that a message naming it stays
// on one line.
std::string Quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out + "'";
}

// What a value of the type looks like, for messages.
const char* ValueHint(VarType type)
{
    switch (type) {
    case VarType::I4:
        return "a decimal integer";
    case VarType::Bool:
        return "true, false, 1, 0 or -1";
    default:
        return "a value";
    }
}

size_t CountInArguments(const AutomationMember& member)
{
    auto args = member.Arguments();
    return static_cast<size_t>(std::count_if(
        args.begin(), args.end(), [](const auto& a) { return a.type != VarType::PtrI4; }));
}

// The member of that name and kind; otherwise a message saying what it is instead.
const AutomationMember* FindOfKind(const std::string& name, MemberKind kind, std::string& error)
{
    const AutomationMember* member = FindMember(name);
    if (member == nullptr) {
        error = "unknown member " + Quoted(name);
        return nullptr;
    }
    if (member->kind != kind) {
        error = std::string(member->Name()) + " is " +
                (member->kind == MemberKind::Event ? "an " : "a ") + MemberKindName(member->kind) +
                ", not a " + MemberKindName(kind);
        if (member->kind == MemberKind::Event)
            error += " (watch events with --events)";
        return nullptr;
    }
    return member;
}

} // namespace

bool CommandLine::NeedsControl() const
{
    return std::any_of(steps.begin(), steps.end(),
                       [](const Step& step) { return step.verb != Verb::List; });
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error)
{
    size_t i = 0;
    auto next = [&]() -> const std::string* { return i < args.size() ? &args[i++] : nullptr; };

    while (i < args.size()) {
        const std::string& token = args[i++];
        if (IsOption(token)) {
            if (token == "--help" || token == "-h")
                line.help = true;
            else if (token == "--offline")
                line.offline = true;
            else if (token == "--log")
                line.log = true;
            else if (token == "--events")
                line.events = true;
            else {
                error = "unknown option " + Quoted(token);
                return false;
            }
            continue;
        }

        Step step;
        if (token == "list") {
            step.verb = Verb::List;
        } else if (token == "get") {
            step.verb = Verb::Get;
            const std::string* name = next();
            if (name == nullptr) {
                error = "get needs a property name";
                return false;
            }
            step.member = FindOfKind(*name, MemberKind::Property, error);
            if (step.member == nullptr)
                return false;
        } else if (token == "set") {
            step.verb = Verb::Set;
            const std::string* assignment = next();
            size_t eq = assignment != nullptr ? assignment->find('=') : std::string::npos;
            if (eq == std::string::npos || eq == 0) {
                error = "set needs NAME=VALUE" +
                        (assignment != nullptr ? ", got " + Quoted(*assignment) : std::string());
                return false;
            }
            std::string name = assignment->substr(0, eq);
            std::string text = assignment->substr(eq + 1);
            step.member = FindOfKind(name, MemberKind::Property, error);
            if (step.member == nullptr)
                return false;
            std::optional<Variant> value = Variant::Parse(step.member->type, text);
            if (!value) {
                error = Quoted(text) + " is not a valid value for " +
                        std::string(step.member->Name()) + " (" + VarTypeName(step.member->type) +
                        ": " + ValueHint(step.member->type) + ")";
                return false;
            }
            step.args.push_back(std::move(*value));
        } else if (token == "call") {
            step.verb = Verb::Call;
            const std::string* name = next();
            if (name == nullptr) {
                error = "call needs a method name";
                return false;
            }
            const AutomationMember* member = FindOfKind(*name, MemberKind::Method, error);
            if (member == nullptr)
                return false;
            step.member = member;
            const std::string takes = std::string(member->Name()) + " takes " +
                                      std::to_string(CountInArguments(*member)) + ": " +
                                      FormatSignature(*member);
            for (const AutomationArgument& argument : member->Arguments()) {
                if (argument.type == VarType::PtrI4) {
                    step.args.emplace_back(); // filled in by the call
                    continue;
                }
                const std::string* text = next();
                std::optional<Variant> value;
                if (text != nullptr)
                    value = Variant::Parse(argument.type, *text);
                if (!value) {
                    // A verb or option where a number belongs: the arguments ran out.
                    if (text == nullptr || IsVerbWord(*text) || IsOption(*text))
                        error = "too few arguments: " + takes;
                    else
                        error = Quoted(*text) + " is not a valid value for " + argument.name +
                                " of " + std::string(member->Name()) + " (" +
                                VarTypeName(argument.type) + ": " + ValueHint(argument.type) + ")";
                    return false;
                }
                step.args.push_back(std::move(*value));
            }
            if (i < args.size() && !IsVerbWord(args[i]) && !IsOption(args[i])) {
                error = "too many arguments: " + takes;
                return false;
            }
        } else {
            error = "unknown verb " + Quoted(token) + " (verbs: get, set, call, list)";
            return false;
        }
        line.steps.push_back(std::move(step));
    }
    if (line.steps.empty() && !line.help) {
        error = "no verb given (see zr47xcl --help)";
        return false;
    }
    return true;
}

const char* UsageText()
{
    return R"(Usage: zr47xcl [--offline] [--log] [--events] VERB [ARGS] [VERB [ARGS]]...

Drives one ZR-47xCL control object through its automation interface, the way a script does.
The control is created with the module settings, makes its start-up connection attempt with the
remembered communication class and port (a failure is reported on stderr and the control goes on
offline), runs the verbs in order and is destroyed again, which writes the module settings.

Verbs:
  get NAME          print the property's value: I4 in decimal, BOOL as true or false, BSTR as
                    the raw text
  set NAME=VALUE    write the property: I4 in decimal, BOOL as true, false, 1, 0 or -1, BSTR as
                    the rest of the argument
  call NAME [ARG].. invoke a method with its input arguments in order; prints the result (if
                    any) on one line, then NAME=VALUE for each out argument (PTR(I4)), which
                    takes no ARG
  list              print every member: dispid, kind, name and signature, tab-separated

Member names are matched without regard to letter case.

Options:
  --offline   skip the start-up connection attempt; the control works on its mirror
  --log       print every line sent to the camera ("> LINE") and received ("< LINE") on stderr
  --events    print every event fired as "event NAME" on stderr
  --help      show this text

Exit status: 0 when every verb succeeded; 1 when a member raised a script error, reported as
"error 0xXXXXXXXX: DESCRIPTION" on stderr (later verbs do not run); 2 for a usage error; 4 when
every verb succeeded but the module settings could not be saved (a line on stderr says why).

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

Ports: class 0 is "COM-Ports" (COM1..COM16); a port name maps to a device path through the
entry COMn=PATH of section [Comm] in the module settings,
${XDG_CONFIG_HOME:-$HOME/.config}/Korvel-XKorvelZR47xCL.ini-Control/XKorvelZR47xCL Control.ini
)";
}

} // namespace zr::cli
