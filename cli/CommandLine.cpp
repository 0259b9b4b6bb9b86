#include "cli/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iterator>

#include "cli/CommandTable.h"

namespace zr::cli
{

namespace
{

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

namespace
{

// One text of a verb as the control's text; the message names the member and the argument.
bool TextFromTerminal(Variant& value, const TerminalText& terminal, const std::string& what,
                      std::string& error)
{
    std::string ansi;
    std::string why;
    if (!terminal.In(value.ToText(), ansi, why)) {
        error = what + ": " + why;
        return false;
    }
    value = Variant(std::move(ansi));
    return true;
}

} // namespace

bool TextsFromTerminal(CommandLine& line, const TerminalText& terminal, std::string& error)
{
    for (Step& step : line.steps) {
        if (step.member == nullptr)
            continue;
        const std::string name(step.member->Name());
        if (step.verb == Verb::Set && step.member->type == VarType::BStr &&
            !TextFromTerminal(step.args.at(0), terminal, name, error))
            return false;
        if (step.verb != Verb::Call)
            continue;
        const auto arguments = step.member->Arguments();
        for (size_t i = 0; i < arguments.size() && i < step.args.size(); ++i)
            if (arguments[i].type == VarType::BStr && !IsFileName(arguments[i]) &&
                !TextFromTerminal(step.args[i], terminal, name + " argument " + arguments[i].name,
                                  error))
                return false;
    }
    return true;
}

std::optional<PortChoice> ParsePort(const std::string& text)
{
    return ParsePortName(text);
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

namespace
{

bool ApplyPort(CommandLine& line, const std::string* value, std::string& error)
{
    if (value == nullptr) {
        error = "--port needs COM1..COM16, CL:N or a device path";
        return false;
    }
    line.port.reset();
    line.portDevice.clear();
    if (value->starts_with('/')) {
        line.portDevice = *value;
        return true;
    }
    line.port = ParsePort(*value);
    if (!line.port) {
        error = "--port needs COM1..COM16, CL:N or a device path, got " + Quoted(*value);
        return false;
    }
    return true;
}

bool ApplyAttach(CommandLine& line, const std::string* value, std::string& error)
{
    line.attach = true;
    if (value == nullptr)
        return true;
    line.port = ParsePort(*value);
    if (!line.port)
        error = "--attach takes COM1..COM16 or CL:N, got " + Quoted(*value);
    return line.port.has_value();
}

// An option whose value is kept as it is, in the field `field`.
template <std::string CommandLine::*field>
bool ApplyText(CommandLine& line, const std::string* value, std::string& error)
{
    if (value == nullptr || value->empty()) {
        error = "the option needs a value";
        return false;
    }
    line.*field = *value;
    return true;
}

// clang-format off
constexpr VerbRow kVerbRows[] = {
    {"get", Verb::Get, Operands::Member, MemberKind::Property, true, true, false, RunMember,
     "get NAME",
     "print the property's value: I4 in decimal, BOOL as true or false, BSTR as\n"
     "the raw text"},
    {"set", Verb::Set, Operands::Assignment, MemberKind::Property, true, true, false, RunMember,
     "set NAME=VALUE",
     "write the property: I4 in decimal, BOOL as true, false, 1, 0 or -1, BSTR as\n"
     "the rest of the argument"},
    {"call", Verb::Call, Operands::MemberAndArguments, MemberKind::Method, true, true, false,
     RunMember, "call NAME [ARG]..",
     "invoke a method with its input arguments in order; prints the result (if\n"
     "any) on one line, then NAME=VALUE for each out argument (PTR(I4)), which\n"
     "takes no ARG"},
    {"list", Verb::List, Operands::None, MemberKind::Property, false, true, false, RunList, "list",
     "print every member: dispid, kind, name and signature, tab-separated"},
    {"describe", Verb::Describe, Operands::Member, MemberKind::Property, true, true, false,
     RunDescribe, "describe NAME",
     "print what the property holds now (mirror value and text), its range or\n"
     "its choices (value and text of every item, * marking those enabled now),\n"
     "its setup-file section and key, and whether it is a text row"},
    {"dump", Verb::Dump, Operands::None, MemberKind::Property, true, true, false, RunDump, "dump",
     "read all settings from the camera, then print every camera setting as\n"
     "NAME=VALUE (TEXT), in table order (with --offline: the mirror as it is)"},
    {"ports", Verb::Ports, Operands::None, MemberKind::Property, true, false, false, RunPorts,
     "ports",
     "list every communication class and its ports: each COM port with its device\n"
     "and whether it is present, the Camera Link ports as CL:N with their names;\n"
     "alone, it makes no connection attempt"},
    {"serve", Verb::Serve, Operands::None, MemberKind::Property, true, false, true, RunServeVerb,
     "serve",
     "run the control without a window and publish it on the session bus until\n"
     "SIGTERM or SIGINT (prints its bus name first); runs alone, with --port,\n"
     "--offline and --log"},
    {"web", Verb::Web, Operands::None, MemberKind::Property, true, false, true, RunWebVerb,
     "web",
     "serve a web page and a JSON API for every control published on the session\n"
     "bus, on 127.0.0.1:8047 unless --listen says otherwise, until SIGTERM, SIGINT\n"
     "or SIGHUP; runs alone, with --listen, --tls-cert, --tls-key, --password-file,\n"
     "--serve (and its --port, --offline, --log) and --hash-password"},
};

constexpr OptionRow kOptionRows[] = {
    {"--offline", "", OptionValue::None, &CommandLine::offline, nullptr, true, "--offline",
     "skip the start-up connection attempt; the control works on its mirror", ""},
    {"--log", "", OptionValue::None, &CommandLine::log, nullptr, true, "--log",
     "print every line sent to the camera (\"> LINE\") and received (\"< LINE\") on stderr", ""},
    {"--events", "", OptionValue::None, &CommandLine::events, nullptr, true, "--events",
     "print every event fired as \"event NAME\" on stderr", ""},
    {"--strict", "", OptionValue::None, &CommandLine::strict, nullptr, true, "--strict",
     "fail (exit status 3) when a verb ran while the camera was offline or a method\n"
     "returned a non-zero result code; later verbs do not run", ""},
    {"--port", "", OptionValue::Required, nullptr, ApplyPort, true, "--port PORT",
     "start up on PORT instead of the remembered port: COM1..COM16, CL:N for port\n"
     "index N of the Camera Link class, or the device path of a COM port (the port\n"
     "the module settings map to it); remembered at exit like StartCommunication",
     "COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8 COM9 COM10 COM11 COM12 COM13 COM14 COM15 COM16 CL:0"},
    {"--attach", "", OptionValue::Trailing, nullptr, ApplyAttach, true, "--attach [PORT]",
     "run the verbs on the control another program publishes on the session bus\n"
     "(zr47xcl-tool, zr47xcl serve): the one holding PORT, or the only one",
     "COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8 COM9 COM10 COM11 COM12 COM13 COM14 COM15 COM16 CL:0"},
    {"--listen", "", OptionValue::Required, nullptr, ApplyText<&CommandLine::listen>, false,
     "--listen ADDRESS:PORT",
     "web: listen there (127.0.0.1:8047 by default; port 0 picks a free one); an\n"
     "address other than loopback needs --tls-cert, --tls-key and --password-file", ""},
    {"--tls-cert", "", OptionValue::Required, nullptr, ApplyText<&CommandLine::tlsCert>, false,
     "--tls-cert FILE", "web: speak HTTPS with this PEM certificate (chain)", ""},
    {"--tls-key", "", OptionValue::Required, nullptr, ApplyText<&CommandLine::tlsKey>, false,
     "--tls-key FILE", "web: the PEM private key of --tls-cert", ""},
    {"--password-file", "", OptionValue::Required, nullptr, ApplyText<&CommandLine::passwordFile>,
     false, "--password-file FILE",
     "web: ask for the password whose hash FILE holds (made with --hash-password);\n"
     "FILE must not be readable by group or others", ""},
    {"--serve", "", OptionValue::None, &CommandLine::serveToo, nullptr, false, "--serve",
     "web: also run a control of its own and publish it, as zr47xcl serve does", ""},
    {"--hash-password", "", OptionValue::Required, nullptr,
     ApplyText<&CommandLine::hashPasswordFile>, false, "--hash-password FILE",
     "web: read a password from standard input, write its hash to FILE (mode 0600)\n"
     "and end", ""},
    {"--help", "-h", OptionValue::None, &CommandLine::help, nullptr, false, "--help",
     "show this text", ""},
    {"--version", "", OptionValue::None, &CommandLine::version, nullptr, false, "--version",
     "show the version", ""},
};
// clang-format on

// The first row of the table that `match` accepts, or nullptr.
template <typename Row, size_t N, typename Match>
const Row* FindRow(const Row (&rows)[N], Match match)
{
    const auto* found = std::find_if(std::begin(rows), std::end(rows), match);
    return found != std::end(rows) ? found : nullptr;
}

// The command line's tokens, read front to back.
class Tokens
{
public:
    explicit Tokens(const std::vector<std::string>& args) : args_(args) {}

    // The next token, or nullptr when there is none.
    const std::string* Next() { return next_ < args_.size() ? &args_[next_++] : nullptr; }
    // The next token without taking it.
    const std::string* Peek() const { return next_ < args_.size() ? &args_[next_] : nullptr; }

private:
    const std::vector<std::string>& args_;
    size_t next_ = 0;
};

// Whether a token ends a verb's arguments: another verb or an option.
bool EndsArguments(const std::string& token)
{
    return FindVerbRow(token) != nullptr || IsOption(token);
}

bool ReadMember(const VerbRow& row, Tokens& tokens, Step& step, std::string& error)
{
    const std::string* name = tokens.Next();
    if (name == nullptr) {
        error = std::string(row.word) + " needs a " + MemberKindName(row.kind) + " name";
        return false;
    }
    step.member = FindOfKind(*name, row.kind, error);
    return step.member != nullptr;
}

bool ReadAssignment(const VerbRow& row, Tokens& tokens, Step& step, std::string& error)
{
    const std::string* assignment = tokens.Next();
    const size_t eq = assignment != nullptr ? assignment->find('=') : std::string::npos;
    if (eq == std::string::npos || eq == 0) {
        error = std::string(row.word) + " needs NAME=VALUE" +
                (assignment != nullptr ? ", got " + Quoted(*assignment) : std::string());
        return false;
    }
    const std::string text = assignment->substr(eq + 1);
    step.member = FindOfKind(assignment->substr(0, eq), row.kind, error);
    if (step.member == nullptr)
        return false;
    std::optional<Variant> value = Variant::Parse(step.member->type, text);
    if (!value) {
        error = Quoted(text) + " is not a valid value for " + std::string(step.member->Name()) +
                " (" + VarTypeName(step.member->type) + ": " + ValueHint(step.member->type) + ")";
        return false;
    }
    step.args.push_back(std::move(*value));
    return true;
}

// The method's name, then a value for each input argument; an out argument takes none.
bool ReadCall(const VerbRow& row, Tokens& tokens, Step& step, std::string& error)
{
    if (!ReadMember(row, tokens, step, error))
        return false;
    const AutomationMember& member = *step.member;
    const std::string takes = std::string(member.Name()) + " takes " +
                              std::to_string(CountInArguments(member)) + ": " +
                              FormatSignature(member);
    for (const AutomationArgument& argument : member.Arguments()) {
        if (argument.type == VarType::PtrI4) {
            step.args.emplace_back(); // filled in by the call
            continue;
        }
        const std::string* text = tokens.Next();
        std::optional<Variant> value;
        if (text != nullptr)
            value = Variant::Parse(argument.type, *text);
        if (!value) {
            // A verb or option where a number belongs: the arguments ran out.
            if (text == nullptr || EndsArguments(*text))
                error = "too few arguments: " + takes;
            else
                error = Quoted(*text) + " is not a valid value for " + argument.name + " of " +
                        std::string(member.Name()) + " (" + VarTypeName(argument.type) + ": " +
                        ValueHint(argument.type) + ")";
            return false;
        }
        step.args.push_back(std::move(*value));
    }
    if (const std::string* extra = tokens.Peek(); extra != nullptr && !EndsArguments(*extra)) {
        error = "too many arguments: " + takes;
        return false;
    }
    return true;
}

bool ReadVerb(const std::string& word, Tokens& tokens, CommandLine& line, std::string& error)
{
    const VerbRow* row = FindVerbRow(word);
    if (row == nullptr) {
        std::string words;
        for (const VerbRow& known : kVerbRows)
            words += (words.empty() ? "" : ", ") + std::string(known.word);
        error = "unknown verb " + Quoted(word) + " (verbs: " + words + ")";
        return false;
    }
    Step step;
    step.verb = row->verb;
    bool read = true;
    switch (row->operands) {
    case Operands::None:
        break;
    case Operands::Member:
        read = ReadMember(*row, tokens, step, error);
        break;
    case Operands::Assignment:
        read = ReadAssignment(*row, tokens, step, error);
        break;
    case Operands::MemberAndArguments:
        read = ReadCall(*row, tokens, step, error);
        break;
    }
    if (read)
        line.steps.push_back(std::move(step));
    return read;
}

// "--name", "-n" or "--name=VALUE"; a value is the next token when the option needs one.
bool ReadOption(const std::string& token, Tokens& tokens, CommandLine& line, std::string& error)
{
    std::string_view name = token;
    std::optional<std::string> inlineValue;
    if (const size_t eq = token.find('='); token.starts_with("--") && eq != std::string::npos) {
        name = name.substr(0, eq);
        inlineValue = token.substr(eq + 1);
    }
    const OptionRow* row = FindOptionRow(name);
    if (row == nullptr || (inlineValue && row->value == OptionValue::None)) {
        error = "unknown option " + Quoted(token);
        return false;
    }
    if (row->flag != nullptr) {
        line.*(row->flag) = true;
        return true;
    }
    const std::string* value = nullptr;
    // A trailing value is the next token unless that starts the next verb or option.
    const bool trailing = row->value == OptionValue::Trailing && tokens.Peek() != nullptr &&
                          !EndsArguments(*tokens.Peek());
    if (inlineValue)
        value = &*inlineValue;
    else if (row->value == OptionValue::Required || trailing)
        value = tokens.Next();
    return row->apply(line, value, error);
}

} // namespace

std::span<const VerbRow> VerbRows()
{
    return kVerbRows;
}

std::span<const OptionRow> OptionRows()
{
    return kOptionRows;
}

const VerbRow* FindVerbRow(std::string_view word)
{
    return FindRow(kVerbRows, [word](const VerbRow& row) { return row.word == word; });
}

const VerbRow* FindVerbRow(Verb verb)
{
    return FindRow(kVerbRows, [verb](const VerbRow& row) { return row.verb == verb; });
}

const OptionRow* FindOptionRow(std::string_view name)
{
    return FindRow(kOptionRows, [name](const OptionRow& row) {
        return row.name == name || (!row.alias.empty() && row.alias == name);
    });
}

bool CommandLine::NeedsControl() const
{
    return std::any_of(steps.begin(), steps.end(), [](const Step& step) {
        const VerbRow* row = FindVerbRow(step.verb);
        return row != nullptr && row->needsControl;
    });
}

bool CommandLine::Serves() const
{
    return std::any_of(steps.begin(), steps.end(), [](const Step& step) {
        const VerbRow* row = FindVerbRow(step.verb);
        return row != nullptr && row->runsAlone;
    });
}

bool CommandLine::Connects() const
{
    return !offline && std::any_of(steps.begin(), steps.end(), [](const Step& step) {
        const VerbRow* row = FindVerbRow(step.verb);
        return row != nullptr && row->connects;
    });
}

bool CommandLine::ServesWeb() const
{
    return std::any_of(steps.begin(), steps.end(),
                       [](const Step& step) { return step.verb == Verb::Web; });
}

namespace
{

// The options of the web face go with the verb web alone, which runs alone.
bool CheckWeb(const CommandLine& line, std::string& error)
{
    const bool webOptions = !line.listen.empty() || !line.tlsCert.empty() || !line.tlsKey.empty() ||
                            !line.passwordFile.empty() || !line.hashPasswordFile.empty() ||
                            line.serveToo;
    if (!line.ServesWeb()) {
        if (webOptions)
            error = "--listen, --tls-cert, --tls-key, --password-file, --serve and "
                    "--hash-password go with the verb web";
        return !webOptions;
    }
    if (line.steps.size() > 1 || line.attach) {
        error = "web runs alone: no other verb and no --attach beside it";
        return false;
    }
    if (!line.serveToo && (line.port || !line.portDevice.empty() || line.offline || line.log)) {
        error = "web takes --port, --offline and --log only with --serve";
        return false;
    }
    return true;
}

} // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error)
{
    Tokens tokens(args);
    while (const std::string* token = tokens.Next()) {
        const bool read = IsOption(*token) ? ReadOption(*token, tokens, line, error)
                                           : ReadVerb(*token, tokens, line, error);
        if (!read)
            return false;
    }
    if (line.steps.empty() && !line.help && !line.version) {
        error = "no verb given (see zr47xcl --help)";
        return false;
    }
    if (line.Serves() && !line.ServesWeb() && (line.steps.size() > 1 || line.attach)) {
        error = "serve runs alone: no other verb and no --attach beside it";
        return false;
    }
    return CheckWeb(line, error);
}

} // namespace zr::cli
