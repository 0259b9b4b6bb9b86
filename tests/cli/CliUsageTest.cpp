// zr47xcl command lines that are wrong: exit status 2 with one line naming the fault, checked
// before anything runs.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

#include "CliHarness.h"

namespace zr::test
{
namespace
{

struct BadLine {
    std::vector<std::string> args;
    std::string mentions; // what the message must name
};

TEST(CliUsage, BadCommandLinesExitWithOneLine)
{
    CliSession session;
    struct stat before {
    };
    ASSERT_EQ(::stat(session.SettingsFile().c_str(), &before), 0);

    const BadLine lines[] = {
        {{}, "no verb"},
        {{"frobnicate"}, "'frobnicate'"},
        {{"--verbose", "list"}, "'--verbose'"},
        {{"get"}, "property name"},
        {{"get", "NoSuchMember"}, "'NoSuchMember'"},
        {{"get", "AskIMG1GainMasterRange"}, "AskIMG1GainMasterRange is a method"},
        {{"get", "imG1shutterspeedchanged"}, "IMG1ShutterSpeedChanged is an event"},
        {{"call", "IMG1ShutterSpeed"}, "IMG1ShutterSpeed is a property"},
        {{"set", "IMG1ShutterSpeed"}, "NAME=VALUE"},
        {{"set", "=5"}, "NAME=VALUE"},
        {{"set"}, "NAME=VALUE"},
        {{"set", "NoSuchMember=1"}, "'NoSuchMember'"},
        {{"set", "IMG1ShutterSpeed=fast"}, "'fast'"},
        {{"set", "IMG1ShutterSpeed=4294967296"}, "I4"},
        {{"set", "IMG1ShutterSpeed="}, "I4"},
        {{"set", "ShowAboutWindow=maybe"}, "BOOL"},
        {{"call", "AskIMG1GainMasterRange"}, "too few"},
        {{"call", "AskIMG1GainMasterRange", "get", "CommPort"}, "too few"},
        {{"call", "StartCommunication", "0"}, "too few"},
        {{"call", "AskIMG1GainMasterRange", "1", "2"}, "too many"},
        {{"call", "CheckOnline", "1"}, "too many"},
        {{"call", "AskIMG1GainMasterRange", "one"}, "nMinMax"},
        // Line breaks in what the message quotes are escaped: it stays one line.
        {{"get", "Bad\nName"}, "'Bad\\nName'"},
        {{"set", "IMG1ShutterSpeed=1\r\n2"}, "'1\\r\\n2'"},
        {{"bad\x01verb"}, "'bad\\x01verb'"},
        // A slip of the keyboard: the nearest names of the wanted kind.
        {{"get", "IMG1ShuterSpeed"}, "'IMG1ShuterSpeed' (did you mean IMG1ShutterSpeed,"},
        {{"call", "askimg1gainmastrrange", "0"}, "(did you mean AskIMG1GainMasterRange"},
        {{"describe", "EEPROMAre"}, "(did you mean EEPROMArea?)"},
        {{"describe"}, "property name"},
        {{"describe", "CheckOnline"}, "CheckOnline is a method"},
        {{"--port", "COM17", "list"}, "COM1..COM16, CL:N or a device path, got 'COM17'"},
        {{"--port=CL:x", "list"}, "'CL:x'"},
        {{"--port"}, "--port needs"},
        // A later fault stops the whole line before the first verb runs.
        {{"set", "ShowAboutWindow=false", "get", "Bogus"}, "'Bogus'"},
    };
    for (const BadLine& line : lines) {
        std::string shown;
        for (const std::string& a : line.args)
            shown += a + " ";
        RunResult r = session.Run(line.args);
        EXPECT_EQ(r.exitCode, 2) << shown;
        EXPECT_EQ(r.out, "") << shown;
        EXPECT_TRUE(r.err.starts_with("zr47xcl: ")) << shown << "-> " << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << shown << "-> " << r.err;
        EXPECT_NE(r.err.find(line.mentions), std::string::npos) << shown << "-> " << r.err;
    }

    // No control was made: the module settings were not even rewritten.
    struct stat after {
    };
    ASSERT_EQ(::stat(session.SettingsFile().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

TEST(CliUsage, HelpExplainsTheVerbs)
{
    CliSession session;
    RunResult r = session.Run({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    for (const char* text :
         {"Usage: zr47xcl", "get NAME", "set NAME=VALUE", "call NAME", "list", "describe NAME",
          "dump", "--offline", "--log", "--events", "--strict", "--port PORT",
          "Examples:", "Exit status", "3 with --strict", "130 when interrupted"})
        EXPECT_NE(r.out.find(text), std::string::npos) << text;
}

} // namespace
} // namespace zr::test
