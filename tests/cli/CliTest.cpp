// zr47xcl end to end: the real program against a simulated camera on a pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "CliHarness.h"
#include "automation/AutomationMembers.h"

namespace zr::test
{
namespace
{

sim::SimOptions Camera(const std::string& model = "ZR-470", Strings faults = {})
{
    sim::SimOptions options;
    options.model = model;
    options.faults = std::move(faults);
    return options;
}

bool IsRowEvent(const std::string& line)
{
    if (!line.starts_with("event "))
        return false;
    const AutomationMember* m = FindMember(line.substr(6));
    return m != nullptr && m->behaviour == MemberBehaviour::RowEvent;
}

const std::string kPortUnusable =
    "Unable to use communication port.\nMake sure that no other programs are connected to this "
    "port.";

// One verb of a command line and the line it prints (none for a "set").
struct Step {
    Strings args;
    const char* prints;
};

TEST(Cli, RangeIndexAndTextMembersAgainstTheCamera)
{
    // ZR-470: imager 1 colour, imager 2 monochrome, so the PIV trigger items are not enabled.
    const Step steps[] = {
        {{"call", "AskIMG1TriggerModeRange", "0"}, "0"},
        {{"call", "AskIMG1TriggerModeRange", "1"}, "6"},
        {{"call", "AskIMG2TriggerModeRange", "1"}, "3"},
        {{"call", "AskIMG1GainMasterRange", "0"}, "-84"},
        {{"call", "askimg1gainmasterrange", "-5"}, "336"},
        {{"call", "AskIMG1TriggerModeIndex", "1"}, "3"},
        {{"call", "AskIMG1TriggerModeString", "4"}, ""},
        {{"call", "AskIMG1ProcessBypassString", "1"}, "TestPattern1"},
        {{"call", "AskIMG1ProcessBypassRange", "1"}, "3"},
        {{"call", "AskEEPROMAreaRange", "1"}, "3"},
        {{"call", "AskEEPROMAreaString", "3"}, ""},
        {{"call", "AskAYBAreaRange", "1"}, "3"},
        {{"call", "AskAYBAreaString", "9"}, "Lower Right"},
        {{"call", "IsColorImager", "0"}, "true"},
        {{"call", "IsColorImager", "1"}, "false"},
        {{"set", "IMG1TriggerModeIndex=3"}, nullptr},
        {{"get", "IMG1TriggerMode"}, "3"},
        {{"get", "IMG1TriggerModeString"}, "RCT"},
        {{"get", "IMG1TriggerModeIndex"}, "3"},
        {{"set", "IMG1TriggerModeIndex=9"}, nullptr},
        {{"get", "IMG1TriggerMode"}, "0"},
        {{"set", "IMG1WhiteBalanceString=continuous awb"}, nullptr},
        {{"get", "IMG1WhiteBalance"}, "1"},
        {{"get", "ModelName"}, "ZR-470"},
        {{"get", "ShowAboutWindow"}, "true"},
    };
    Strings args;
    size_t printed = 0;
    for (const Step& step : steps) {
        args.insert(args.end(), step.args.begin(), step.args.end());
        printed += step.prints != nullptr ? 1 : 0;
    }
    CliSession session(Camera());
    RunResult r = session.Run(args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    const Strings lines = SplitLines(r.out);
    ASSERT_EQ(lines.size(), printed) << r.out;
    for (size_t i = 0, line = 0; i < std::size(steps); ++i) {
        if (steps[i].prints != nullptr) {
            EXPECT_EQ(lines[line++], steps[i].prints) << steps[i].args[1];
        }
    }

    // Offline on a first run both imager types are 0: alike, so the PIV items are enabled. A
    // whole-camera method returns 100 silently.
    CliSession offline;
    r = offline.Run({"--offline", "call", "AskIMG1TriggerModeIndex", "1", "call",
                     "AskIMG1TriggerModeString", "4", "call", "ReadAllFromCamera", "call",
                     "CheckOnline"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "6\nPIV1\n100\nfalse\n");
}

TEST(Cli, ChosenAreaFiresNothingAndLoadSettingsFiresTheCurrentAreaLast)
{
    CliSession session(Camera());
    RunResult r = session.Run({"--events", "--log", "set", "EEPROMArea=1", "call", "LoadSettings"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "0\n");

    // The load begins with its command line: every row event before it would belong to the
    // start-up or to the write of EEPROMArea, which fire none.
    Strings lines = SplitLines(r.err);
    auto load = std::find(lines.begin(), lines.end(), "> LD=1");
    ASSERT_NE(load, lines.end()) << r.err;
    EXPECT_EQ(std::count_if(lines.begin(), load, IsRowEvent), 0) << r.err;
    EXPECT_NE(std::find(load, lines.end(), "< COMPLETE"), lines.end());
    Strings rowEvents;
    std::copy_if(load, lines.end(), std::back_inserter(rowEvents), IsRowEvent);
    ASSERT_GT(rowEvents.size(), 10u);
    EXPECT_EQ(rowEvents.back(), "event EEPROMAreaChanged");
    EXPECT_EQ(std::count(rowEvents.begin(), rowEvents.end(), "event EEPROMAreaChanged"), 1);
    // The log shows lines without CR LF.
    EXPECT_EQ(r.err.find('\r'), std::string::npos);
}

TEST(Cli, ScriptErrorsEndTheRunWithTheirErrorLine)
{
    CliSession session(Camera("ZR-470", {"noise=Bad Parameters!!\\r\\n:GA1", "silent:SH1"}));

    // A port that does not exist: the link's text with its line break; later verbs do not run.
    RunResult r = session.Run({"call", "StartCommunication", "0", "5", "get", "CommPort"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "error 0x800A0039: " + kPortUnusable + "\n");
    // The port tried was remembered, and kept in the module settings.
    r = session.Run({"--offline", "get", "CommPort", "get", "CommClass"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "5\n0\n");

    r = session.Run({"--offline", "get", "CommPort", "set", "CommPort=3", "get", "CommPort"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "5\n");
    EXPECT_EQ(r.err, "error 0x800A017F: Property is read-only.\n");

    // Back to the camera on COM1: a refused value names the row; a time-out has two lines.
    r = session.Run({"--offline", "call", "StartCommunication", "0", "0", "set",
                     "IMG1GainMaster=100", "get", "IMG1GainMaster"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "0\n");
    EXPECT_EQ(r.err, "error 0x800A017C: \"GA1\" : Bad Parameter !!\n");
    r = session.Run({"set", "IMG1ShutterSpeed=3"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "error 0x800A0039: Operation time out.\nPlease check the camera power and its "
                     "cable.\n");
}

TEST(Cli, FailedStartupIsReportedAndTheControlGoesOnOffline)
{
    CliSession session; // COM1 leads nowhere
    RunResult r = session.Run({"get", "CommPort", "call", "CheckOnline", "set", "UserID=bench 4"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "0\nfalse\n");
    // The start-up message as before, then the port that failed and the verb that needed the
    // camera.
    EXPECT_EQ(r.err, kPortUnusable +
                         "\n\nUnable to find a camera model.\nStart with the default model.\n"
                         "zr47xcl: COM1 is " +
                         session.dir.File("no-such-tty1") +
                         ": No such file or directory\n"
                         "zr47xcl: camera offline: UserID kept in the mirror only\n");
}

TEST(Cli, OutArgumentsAndTheCommunicationLog)
{
    CliSession session(Camera("ZR-472"));
    RunResult r = session.Run({"--log", "call", "AutoSelectCommunication", "0", "call",
                               "DoIMG2OnePushAWB", "0", "get", "ModelName"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "1\npnClass=0\npnPort=0\n0\npnResult=1\nZR-472\n");
    Strings log = SplitLines(r.err);
    EXPECT_TRUE(HasLine(log, "> MD?")) << r.err;
    EXPECT_TRUE(HasLine(log, "< MD=ZR-472")) << r.err;
    EXPECT_TRUE(HasLine(log, "> AW2=0")) << r.err;
    for (const std::string& line : log)
        EXPECT_TRUE(line.starts_with("> ") || line.starts_with("< ")) << line;
}

TEST(Cli, ListPrintsEveryMember)
{
    CliSession session;
    RunResult r = session.Run({"list"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, ""); // the member table alone: no control, no start-up
    Strings lines = SplitLines(r.out);
    int counts[3] = {0, 0, 0};
    for (const std::string& line : lines) {
        std::string kind = line.substr(line.find('\t') + 1);
        kind = kind.substr(0, kind.find('\t'));
        counts[0] += kind == "property";
        counts[1] += kind == "method";
        counts[2] += kind == "event";
    }
    EXPECT_EQ(counts[0], 129);
    EXPECT_EQ(counts[1], 155);
    EXPECT_EQ(counts[2], 83);
    EXPECT_EQ(lines.size(), 129u + 155u + 83u);
    auto has = [&](const std::string& line) { return HasLine(lines, line); };
    EXPECT_TRUE(has("26\tproperty\tIMG1ShutterSpeed\tI4 IMG1ShutterSpeed"));
    EXPECT_TRUE(has("7\tproperty\tCommPort\tI4 CommPort (read-only)"));
    EXPECT_TRUE(has("-552\tmethod\tAboutBox\tVOID AboutBox()"));
    EXPECT_TRUE(has("287\tmethod\tAutoSelectCommunication\tI4 AutoSelectCommunication(PTR(I4) "
                    "pnClass, PTR(I4) pnPort, I4 nShowProgressBar)"));
    EXPECT_TRUE(has("13\tevent\tEEPROMAreaChanged\tVOID EEPROMAreaChanged()"));
}

// The module settings at the end of a run: a save that fails turns a successful run into status 4
// with a line on stderr; a file that could not be read is reported and left as it is.
TEST(Cli, SettingsThatCannotBeSavedAreReported)
{
    const Strings set = {"--offline", "set", "IMG1ShutterSpeed=7"};
    const struct {
        bool folder; // the settings file is a folder, else a read-only file
        Strings args;
        int exitCode;
        std::string err; // after the file's name
    } cases[] = {
        {false, set, 4, "could not be saved (Permission denied); this run's changes are not in it"},
        {false, {"--offline", "get", "IMG1ShutterSpeed"}, 0, ""},
        {true, {"--offline", "call", "CheckOnline"}, 0, "could not be read; it is left as it is"},
    };
    for (const auto& c : cases) {
        CliSession session;
        const std::string file = session.SettingsFile();
        const std::string before = test::TempDir::ReadFile(file);
        if (c.folder) {
            std::filesystem::remove(file);
            std::filesystem::create_directory(file);
        } else {
            ::chmod(file.c_str(), 0444);
        }
        RunResult r = session.Run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.err, c.err.empty() ? ""
                                       : "zr47xcl: the module settings file \"" + file + "\" " +
                                             c.err + "\n");
        EXPECT_EQ(test::TempDir::ReadFile(file), c.folder ? "" : before);
    }
}

} // namespace
} // namespace zr::test
