#include "sim/lib/FaultPlan.h"

#include <cctype>
#include <charconv>

#include "camera/ParameterTable.h"

namespace zr::sim
{

const std::array<OnePushFunction, 5> kOnePushFunctions = {{
    {"awb", P_AW1, P_AWR1},
    {"awb", P_AW2, P_AWR2},
    {"ayb", P_AYB, P_AYR},
    {"shading", P_RS1, P_RSS1},
    {"shading", P_RS2, P_RSS2},
}};

namespace
{

// Noise text used when "noise" comes without its own.
constexpr const char* kDefaultNoise = "#~?";
constexpr int32_t kMaxDelayMs = 600000;
constexpr int32_t kMaxCount = 1000000;

bool ParseNumber(std::string_view text, int32_t minimum, int32_t maximum, int32_t& value)
{
    int32_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || v < minimum ||
        v > maximum)
        return false;
    value = v;
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Decodes \r \n \t \\ and \xHH; false on an unknown or cut-off escape.
bool Unescape(std::string_view text, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size())
            return false;
        switch (text[i]) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        case 'x': {
            int high = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
            int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
            if (high < 0 || low < 0)
                return false;
            out += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

bool IsWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

std::string Upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// Reads the limits at the end of a fault: "@COUNT" (the first COUNT matching lines; -1 when
// absent) and ":MNEMONIC" (one command word; empty when absent). `rest` becomes what stands
// before them.
bool ReadLimits(std::string_view text, std::string_view& rest, int32_t& count,
                std::string& mnemonic, std::string& error)
{
    rest = text;
    count = -1;
    if (size_t at = rest.rfind('@'); at != std::string_view::npos) {
        if (!ParseNumber(rest.substr(at + 1), 1, kMaxCount, count)) {
            error = "bad count after '@' in fault \"" + std::string(text) + "\"";
            return false;
        }
        rest = rest.substr(0, at);
    }

    // MNEMONIC: 2 to 4 letters and digits.
    if (size_t colon = rest.rfind(':'); colon != std::string_view::npos) {
        std::string_view word = rest.substr(colon + 1);
        bool isWord = word.size() >= 2 && word.size() <= 4;
        for (char c : word)
            isWord = isWord && IsWordChar(c);
        if (isWord) {
            mnemonic = Upper(word);
            if (FindParameterByMnemonic(mnemonic.c_str()) < 0) {
                error = "unknown command word \"" + mnemonic + "\" in fault \"" +
                        std::string(text) + "\"";
                return false;
            }
            rest = rest.substr(0, colon);
        }
    }
    return true;
}

} // namespace

bool FaultPlan::Add(std::string_view text, std::string& error)
{
    std::string_view rest;
    int32_t count = -1;
    std::string mnemonic;
    if (!ReadLimits(text, rest, count, mnemonic, error))
        return false;

    size_t eq = rest.find('=');
    std::string_view kind = rest.substr(0, eq);
    bool hasArg = eq != std::string_view::npos;
    std::string_view arg = hasArg ? rest.substr(eq + 1) : std::string_view();

    auto fail = [&](const std::string& why) {
        error = why + " in fault \"" + std::string(text) + "\"";
        return false;
    };

    // One-push outcomes: "<key>-working=N" and "<key>-result=R".
    for (const char* key : {"awb", "ayb", "shading"}) {
        std::string working = std::string(key) + "-working";
        std::string result = std::string(key) + "-result";
        if (kind != working && kind != result)
            continue;
        bool isResult = kind == result;
        int32_t value = 0;
        if (!hasArg || !ParseNumber(arg, 0, isResult ? 4 : kMaxCount, value))
            return fail(isResult ? "result must be 0..4" : "bad poll count");
        if (count >= 0)
            return fail("'@' does not apply");
        int32_t resultRow = -1;
        if (!mnemonic.empty()) {
            int32_t row = FindParameterByMnemonic(mnemonic.c_str());
            for (const OnePushFunction& f : kOnePushFunctions)
                if (kind.starts_with(f.key) && (row == f.commandRow || row == f.resultRow))
                    resultRow = f.resultRow;
            if (resultRow < 0)
                return fail("\"" + mnemonic + "\" is not a command or result of this function");
        }
        outcomes_.push_back({key, isResult, value, resultRow});
        return true;
    }

    Fault fault{Kind::Silent, 0, {}, mnemonic, count};
    if (kind == "silent" && !hasArg) {
        fault.kind = Kind::Silent;
    } else if (kind == "nocrlf" && !hasArg) {
        fault.kind = Kind::NoCrLf;
    } else if (kind == "delay") {
        fault.kind = Kind::Delay;
        if (!hasArg || !ParseNumber(arg, 0, kMaxDelayMs, fault.number))
            return fail("delay must be 0.." + std::to_string(kMaxDelayMs) + " ms");
    } else if (kind == "noise") {
        fault.kind = Kind::Noise;
        if (!hasArg)
            fault.text = kDefaultNoise;
        else if (!Unescape(arg, fault.text) || fault.text.empty())
            return fail("bad noise text");
    } else if (kind == "close-after") {
        fault.kind = Kind::CloseAfter;
        if (!hasArg || !ParseNumber(arg, 1, kMaxCount, fault.number))
            return fail("close-after needs a command count of at least 1");
        if (count >= 0)
            return fail("'@' does not apply");
    } else {
        return fail("unknown kind \"" + std::string(kind) + "\"");
    }
    faults_.push_back(std::move(fault));
    return true;
}

FaultPlan::Effect FaultPlan::Apply(std::string_view mnemonic)
{
    Effect effect;
    for (Fault& fault : faults_) {
        if (!fault.mnemonic.empty() && fault.mnemonic != mnemonic)
            continue;
        if (fault.kind == Kind::CloseAfter) {
            if (++fault.seen == fault.number)
                effect.closeAfterAnswer = true;
            continue;
        }
        if (fault.remaining == 0)
            continue;
        if (fault.remaining > 0)
            --fault.remaining;
        switch (fault.kind) {
        case Kind::Silent:
            effect.silent = true;
            break;
        case Kind::Delay:
            effect.delayMs += fault.number;
            break;
        case Kind::Noise:
            effect.noise += fault.text;
            break;
        case Kind::NoCrLf:
            effect.noCrLf = true;
            break;
        case Kind::CloseAfter:
            break;
        }
    }
    return effect;
}

FaultPlan::Outcome FaultPlan::OutcomeFor(size_t function) const
{
    Outcome outcome;
    const OnePushFunction& f = kOnePushFunctions.at(function);
    for (const OutcomeRule& rule : outcomes_) {
        if (rule.key != f.key || (rule.resultRow >= 0 && rule.resultRow != f.resultRow))
            continue;
        (rule.isResult ? outcome.result : outcome.workingPolls) = rule.value;
    }
    return outcome;
}

const char* FaultPlan::Syntax()
{
    return R"(Faults and outcomes (--fault FAULT, repeatable): KIND[=ARG][:MNEMONIC][@COUNT]
  :MNEMONIC   only command lines with this command word (e.g. :SH1); without it, every line
  @COUNT      only the first COUNT matching lines (not for close-after and outcomes)
  silent          never answer (the command is ignored; no echo either)
  delay=MS        answer MS milliseconds late (0..600000); later answers queue behind it
  noise[=TEXT]    send TEXT before the answer (default "#~?"); escapes \r \n \t \\ \xHH
                  (write a ':' or '@' near the end of TEXT as \x3a or \x40)
  nocrlf          send the answer without its CR LF
  close-after=N   answer N (matching) command lines, then close the line for good (the
                  program keeps running until it is signalled)
One-push outcomes (optionally :MNEMONIC with a command or result word, e.g. :AW2 or :RSS1):
  awb-working=N       AWR1/AWR2 answer 0 (working) for N polls after AW1=0/AW2=0 (default 2)
  awb-result=R        then R, 0..4 (default 1, succeeded; gains GAR/GAB change on success)
  ayb-working=N, ayb-result=R           the same for AYB=0 and AYR (GA1/GA2 change)
  shading-working=N, shading-result=R   the same for RS1=0|1 / RS2=0|1 and RSS1/RSS2
Examples: --fault silent:SH1   --fault delay=500@3   --fault "noise=\x15\x15"   --fault nocrlf
          --fault close-after=5   --fault awb-working=3 --fault awb-result=2:AW1
)";
}

} // namespace zr::sim
