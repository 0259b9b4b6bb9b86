// zr47xcl: drives one ZR-47xCL control object through its automation interface.

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "component/ComponentInterface.h"
#include "control/Identities.h"

namespace
{

using namespace zr;
using zr::cli::CommandLine;
using zr::cli::Step;
using zr::cli::Verb;

constexpr int kExitOk = 0;
constexpr int kExitScriptError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitSettingsNotSaved = 4;

void WriteLine(FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// Events and communication log lines on stderr, as the options ask.
class StderrReporter final : public IXKorvelCamEvents
{
public:
    StderrReporter(bool events, bool log) : events_(events), log_(log) {}

    void OnEvent(int32_t, const char* name) override
    {
        if (events_)
            WriteLine(stderr, std::string("event ") + name);
    }
    void OnCommLog(const char* line, bool sent) override
    {
        if (log_)
            WriteLine(stderr, (sent ? "> " : "< ") + std::string(line));
    }

private:
    bool events_;
    bool log_;
};

void ListMembers()
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
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

// "error 0xXXXXXXXX: DESCRIPTION"; a description of several lines keeps its line breaks, as
// plain line feeds.
void PrintError(int32_t status, const std::string& description)
{
    char code[16];
    std::snprintf(code, sizeof code, "%08" PRIX32, static_cast<uint32_t>(status));
    std::string text = description;
    std::erase(text, '\r');
    WriteLine(stderr, "error 0x" + std::string(code) + ": " + text);
}

// Runs one verb; false after a failure has been reported. `object` is null when no verb needs
// the control.
bool RunStep(IXKorvelCamObject* object, Step& step)
{
    if (step.verb == Verb::List) {
        ListMembers();
        return true;
    }
    const AutomationMember& member = *step.member;
    InvokeKind kind = step.verb == Verb::Get   ? InvokeKind::PropertyGet
                      : step.verb == Verb::Set ? InvokeKind::PropertyPut
                                               : InvokeKind::Method;
    Variant result;
    int32_t status = object->Invoke(member.dispid, kind, step.args.data(),
                                    static_cast<uint32_t>(step.args.size()), &result);
    if (status != hresult::kOk) {
        PrintError(status, object->ErrorDescription());
        return false;
    }
    if (step.verb == Verb::Set)
        return true;
    if (step.verb == Verb::Get || member.type != VarType::Void)
        WriteLine(stdout, result.ToText());
    if (step.verb == Verb::Call) {
        auto arguments = member.Arguments();
        for (size_t i = 0; i < arguments.size(); ++i) {
            if (arguments[i].type == VarType::PtrI4)
                WriteLine(stdout, std::string(arguments[i].name) + "=" + step.args[i].ToText());
        }
    }
    return true;
}

using ObjectPtr = std::unique_ptr<IXKorvelCamObject, ReleaseObject>;

// The control object, made through the component's class factory as a host makes it.
ObjectPtr CreateControl()
{
    void* raw = nullptr;
    if (DllGetClassObject(identity::kControlClassId, kClassFactoryInterface, &raw) != hresult::kOk)
        return nullptr;
    std::unique_ptr<IXKorvelCamClassFactory, ReleaseObject> factory(
        static_cast<IXKorvelCamClassFactory*>(raw));
    IXKorvelCamObject* object = nullptr;
    if (factory->CreateInstance(&object) != hresult::kOk)
        return nullptr;
    return ObjectPtr(object);
}

} // namespace

int main(int argc, char** argv)
{
    CommandLine line;
    std::string error;
    if (!cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), line, error)) {
        WriteLine(stderr, "zr47xcl: " + error);
        return kExitUsage;
    }
    if (line.help) {
        std::fputs(cli::UsageText(), stdout);
        return kExitOk;
    }

    ObjectPtr object;
    StderrReporter reporter(line.events, line.log);
    if (line.NeedsControl()) {
        object = CreateControl();
        if (!object) {
            WriteLine(stderr, "zr47xcl: the control object could not be created");
            return kExitScriptError;
        }
        object->Advise(&reporter);
        object->Start(!line.offline);
    }

    int exitCode = kExitOk;
    for (Step& step : line.steps) {
        if (!RunStep(object.get(), step)) {
            exitCode = kExitScriptError;
            break;
        }
    }
    if (object) {
        object->Unadvise(&reporter);
        // The control is destroyed here and writes the module settings; a file that could not be
        // read or saved is reported, and a lost save fails an otherwise successful run.
        const int32_t closed = object->Close();
        if (closed != hresult::kOk)
            WriteLine(stderr, "zr47xcl: " + std::string(object->ErrorDescription()));
        if (closed != hresult::kOk && closed != hresult::kFalse && exitCode == kExitOk)
            exitCode = kExitSettingsNotSaved;
    }
    return exitCode;
}
