// The command line's verb and option tables, in-process: every row reaches the parser, the
// usage text and the bash completion alike, and options take their values in both spellings.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "cli/CommandHelp.h"
#include "cli/CommandLine.h"
#include "cli/CommandTable.h"

namespace zr
{
namespace
{

using cli::CommandLine;
using Strings = std::vector<std::string>;

// The words of the first "compgen -W" list after `after`, each between spaces.
std::string CompletedWords(const std::string& script, const std::string& after)
{
    const size_t at = script.find(after);
    if (at == std::string::npos)
        return {};
    const size_t open = script.find("-W \"", at) + 4;
    return " " + script.substr(open, script.find('"', open) - open) + " ";
}

// The flags of the rows decide how a line runs: serve alone, ports alone without the start-up
// connection attempt, list without a control.
TEST(CommandTable, TheRowsFlagsDecideHowALineRuns)
{
    const auto parsed = [](std::vector<std::string> args) {
        CommandLine line;
        std::string error;
        EXPECT_TRUE(cli::ParseCommandLine(args, line, error)) << error;
        return line;
    };
    EXPECT_FALSE(parsed({"list"}).NeedsControl());
    EXPECT_TRUE(parsed({"ports"}).NeedsControl());
    EXPECT_FALSE(parsed({"ports"}).Connects());
    EXPECT_TRUE(parsed({"ports", "get", "CommPort"}).Connects());
    EXPECT_FALSE(parsed({"--offline", "get", "CommPort"}).Connects());
    EXPECT_TRUE(parsed({"serve"}).Serves());
    EXPECT_FALSE(parsed({"dump"}).Serves());
    CommandLine both;
    std::string error;
    EXPECT_FALSE(cli::ParseCommandLine({"serve", "list"}, both, error));
    EXPECT_EQ(error, "serve runs alone: no other verb and no --attach beside it");
}

TEST(CommandTable, EveryRowIsParsedHelpedAndCompleted)
{
    const std::string usage = cli::UsageText();
    const std::string script = cli::CompletionScript();
    const std::string synopsis = usage.substr(0, usage.find('\n'));
    const std::string verbs = CompletedWords(script, "else\n");
    const std::string options = CompletedWords(script, "if [[ $cur == -* ]]");
    std::set<std::string_view> words;

    for (const cli::VerbRow& row : cli::VerbRows()) {
        EXPECT_TRUE(words.insert(row.word).second) << row.word << " is in the table twice";
        EXPECT_FALSE(row.word.starts_with("-")) << row.word << " would read as an option";
        EXPECT_EQ(cli::FindVerbRow(row.verb), &row) << row.word;
        // Whole in its row: what it does, and how it runs beside the others.
        EXPECT_NE(row.run, nullptr) << row.word << " has no runner";
        EXPECT_TRUE(!row.runsAlone || (row.needsControl && !row.connects)) << row.word;
        EXPECT_NE(usage.find("\n  " + std::string(row.usage) + " "), std::string::npos) << row.word;
        EXPECT_NE(verbs.find(" " + std::string(row.word) + " "), std::string::npos) << row.word;
        if (row.operands != cli::Operands::None) {
            // Its operand completes to member names: the verb heads a case arm.
            const std::string arm = std::string(row.word);
            EXPECT_TRUE(script.find("    " + arm + ")") != std::string::npos ||
                        script.find("|" + arm + ")") != std::string::npos ||
                        script.find("    " + arm + "|") != std::string::npos)
                << row.word;
        }
    }
    for (const cli::OptionRow& row : cli::OptionRows()) {
        EXPECT_TRUE(words.insert(row.name).second) << row.name << " is in the table twice";
        EXPECT_TRUE(row.name.starts_with("--")) << row.name;
        EXPECT_EQ(row.flag == nullptr, row.apply != nullptr) << row.name;
        EXPECT_EQ(row.flag == nullptr, row.value != cli::OptionValue::None) << row.name;
        // Its usage starts a line, with the help beside it or, when too long, on the next line.
        const std::string entry = "\n  " + std::string(row.usage);
        EXPECT_TRUE(usage.find(entry + " ") != std::string::npos ||
                    usage.find(entry + "\n") != std::string::npos)
            << row.name;
        EXPECT_EQ(synopsis.find("[" + std::string(row.usage) + "]") != std::string::npos,
                  row.inSynopsis)
            << row.name;
        EXPECT_NE(options.find(" " + std::string(row.name) + " "), std::string::npos) << row.name;
        if (!row.valueWords.empty()) {
            EXPECT_NE(script.find("    " + std::string(row.name) + ")\n"), std::string::npos);
        }
    }

    // The member lists: set offers the writable properties only, each with its equals sign.
    EXPECT_NE(script.find(" IMG1ShutterSpeed "), std::string::npos);
    const size_t line = script.find("_zr47xcl_writable=\"");
    const std::string writableList =
        " " + script.substr(line + 19, script.find('"', line + 19) - line - 19) + " ";
    for (const AutomationMember& m : AutomationMembers()) {
        if (m.kind != MemberKind::Property)
            continue;
        EXPECT_EQ(writableList.find(" " + std::string(m.Name()) + " ") != std::string::npos,
                  !m.readOnly)
            << m.Name();
    }
    EXPECT_NE(script.find("_zr47xcl_match \"$_zr47xcl_writable\" ="), std::string::npos);
}

TEST(CommandTable, OptionsAndOperandsAreReadWhereverTheyStand)
{
    CommandLine line;
    std::string error;
    // Options between verbs, a value as the next token or after '=', the short help.
    ASSERT_TRUE(cli::ParseCommandLine(
        {"list", "--log", "--port", "com3", "-h", "list", "--port=CL:2", "--strict"}, line, error))
        << error;
    EXPECT_TRUE(line.log && line.help && line.strict);
    EXPECT_FALSE(line.offline || line.events);
    ASSERT_TRUE(line.port.has_value());
    EXPECT_EQ(line.port->commClass, 1);
    EXPECT_EQ(line.port->port, 2);
    EXPECT_EQ(line.steps.size(), 2U);
    EXPECT_FALSE(line.NeedsControl()); // list works on the member table alone

    // A negative number is a method's argument, not an option; the next verb ends them.
    line = {};
    ASSERT_TRUE(cli::ParseCommandLine({"call", "AskIMG1GainMasterRange", "-5", "get", "CommPort"},
                                      line, error))
        << error;
    ASSERT_EQ(line.steps.size(), 2U);
    EXPECT_EQ(line.steps[0].args.at(0).ToI4(), -5);
    EXPECT_TRUE(line.NeedsControl());

    const struct {
        Strings args;
        std::string error;
    } bad[] = {
        {{"--help=x"}, "unknown option '--help=x'"},
        {{"--offline=1", "list"}, "unknown option '--offline=1'"},
        {{"-h=1"}, "unknown option '-h=1'"},
        {{"--of", "list"}, "unknown option '--of'"},
        // --port takes the next token whatever it looks like.
        {{"--port", "--log", "list"},
         "--port needs COM1..COM16, CL:N or a device path, got '--log'"},
        {{"list", "--port"}, "--port needs COM1..COM16, CL:N or a device path"},
        {{"--port="}, "--port needs COM1..COM16, CL:N or a device path, got ''"},
        {{"call", "AskIMG1GainMasterRange", "--log"},
         "too few arguments: AskIMG1GainMasterRange takes 1: "},
        {{"call"}, "call needs a method name"},
        {{"describe"}, "describe needs a property name"},
        {{"set", "x"}, "set needs NAME=VALUE, got 'x'"},
        {{"-"},
         "unknown verb '-' (verbs: get, set, call, list, describe, dump, ports, serve, web)"},
        {{"--log"}, "no verb given (see zr47xcl --help)"},
    };
    for (const auto& c : bad) {
        line = {};
        error.clear();
        EXPECT_FALSE(cli::ParseCommandLine(c.args, line, error)) << c.error;
        EXPECT_TRUE(error.starts_with(c.error)) << error;
    }
}

} // namespace
} // namespace zr
