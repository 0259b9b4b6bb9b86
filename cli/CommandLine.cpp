#include "cli/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "comm/ComPortMap.h"

namespace zr::cli
{

namespace
{

bool IsVerbWord(const std::string& token)
{
    return token == "get" || token == "set" || token == "call" || token == "list" ||
           token == "describe" || token == "dump";
}

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Edits (insert, delete, replace) that turn one text into the other.
size_t EditDistance(const std::string& a, const std::string& b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// A non-negative decimal number, the whole text.
std::optional<int32_t> ParseIndex(std::string_view text)
{
    int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
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
        const std::vector<std::string> near = SuggestMembers(name, kind);
        for (size_t i = 0; i < near.size(); ++i)
            error += (i == 0 ? " (did you mean " : ", ") + near[i];
        if (!near.empty())
            error += "?)";
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

std::optional<PortChoice> ParsePort(const std::string& text)
{
    const std::string lower = Lower(text);
    if (lower.starts_with("com")) {
        std::optional<int32_t> number = ParseIndex(std::string_view(lower).substr(3));
        if (!number || *number < 1 || *number > ComPortMap::kPortCount)
            return std::nullopt;
        return PortChoice{0, *number - 1};
    }
    if (lower.starts_with("cl:")) {
        std::optional<int32_t> index = ParseIndex(std::string_view(lower).substr(3));
        if (!index)
            return std::nullopt;
        return PortChoice{1, *index};
    }
    return std::nullopt;
}

std::vector<std::string> SuggestMembers(const std::string& name, MemberKind kind)
{
    // Near enough to be a slip of the keyboard: a third of the name, at least two edits.
    const std::string wanted = Lower(name);
    const size_t limit = std::max<size_t>(2, wanted.size() / 3);
    std::vector<std::pair<size_t, std::string>> near;
    for (const AutomationMember& m : AutomationMembers()) {
        if (m.kind != kind)
            continue;
        const size_t distance = EditDistance(wanted, Lower(m.Name()));
        if (distance <= limit)
            near.emplace_back(distance, std::string(m.Name()));
    }
    std::stable_sort(near.begin(), near.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (size_t i = 0; i < near.size() && i < 3; ++i)
        names.push_back(near[i].second);
    return names;
}

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
            else if (token == "--strict")
                line.strict = true;
            else if (token == "--port" || token.starts_with("--port=")) {
                std::string text;
                if (token == "--port") {
                    const std::string* value = next();
                    if (value == nullptr) {
                        error = "--port needs COM1..COM16 or CL:N";
                        return false;
                    }
                    text = *value;
                } else {
                    text = token.substr(std::string_view("--port=").size());
                }
                line.port = ParsePort(text);
                if (!line.port) {
                    error = "--port needs COM1..COM16 or CL:N, got " + Quoted(text);
                    return false;
                }
            } else {
                error = "unknown option " + Quoted(token);
                return false;
            }
            continue;
        }

        Step step;
        if (token == "list") {
            step.verb = Verb::List;
        } else if (token == "dump") {
            step.verb = Verb::Dump;
        } else if (token == "describe") {
            step.verb = Verb::Describe;
            const std::string* name = next();
            if (name == nullptr) {
                error = "describe needs a property name";
                return false;
            }
            step.member = FindOfKind(*name, MemberKind::Property, error);
            if (step.member == nullptr)
                return false;
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
            error =
                "unknown verb " + Quoted(token) + " (verbs: get, set, call, list, describe, dump)";
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
    return R"(Usage: zr47xcl [--offline] [--log] [--events] [--strict] [--port PORT]
               VERB [ARGS] [VERB [ARGS]]...

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
  describe NAME     print what the property holds now (mirror value and text), its range or
                    its choices (value and text of every item, * marking those enabled now),
                    its setup-file section and key, and whether it is a text row
  dump              read all settings from the camera, then print every camera setting as
                    NAME=VALUE (TEXT), in table order (with --offline: the mirror as it is)

Member names are matched without regard to letter case. Properties read the mirror, never the
camera: after start-up only the model name is known; read-all (dump, or call ReadAllFromCamera)
fetches the rest.

Options:
  --offline   skip the start-up connection attempt; the control works on its mirror
  --log       print every line sent to the camera ("> LINE") and received ("< LINE") on stderr
  --events    print every event fired as "event NAME" on stderr
  --strict    fail (exit status 3) when a verb ran while the camera was offline or a method
              returned a non-zero result code; later verbs do not run
  --port PORT start up on PORT instead of the remembered port: COM1..COM16, or CL:N for port
              index N of the Camera Link class; remembered at exit like StartCommunication
  --help      show this text

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
}

} // namespace zr::cli
