// zr47xcl describe and dump: what a setting holds and takes, read from the real program.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "CliHarness.h"
#include "automation/AutomationMembers.h"

namespace zr::test
{
namespace
{

TEST(CliDiscovery, DescribeListRangeAndTextRows)
{
    // ZR-470: imagers of two kinds, so the PIV trigger items of imager 1 are not enabled.
    CliSession session(sim::SimOptions{});
    RunResult r = session.Run({"set", "IMG1ShutterSpeed=6", "describe", "IMG1ShutterSpeed",
                               "describe", "img1triggermode", "describe", "IMG1GainMaster",
                               "describe", "UserID", "describe", "ShowAboutWindow"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const Strings lines = SplitLines(r.out);

    struct Expected {
        const char* line;
        bool present;
    };
    const Expected expected[] = {
        // A list row: every choice with its value, those enabled now marked.
        {"IMG1ShutterSpeed: I4 property, row 11 (SH1)", true},
        {"value: 6 (1/1000)", true},
        {"  * 0\t1/30(Off)", true},
        {"  * 11\t1/50000", true},
        {"setup file: [IMG1 Shutter] Shutter Speed", true},
        {"text row: no", true},
        // Choices that are not enabled now are listed without the mark.
        {"  * 3\tRCT", true},
        {"    4\tPIV1", true},
        {"  * 4\tPIV1", false},
        // A range row.
        {"IMG1GainMaster: I4 property, row 20 (GA1)", true},
        {"range: -84 .. 336", true},
        {"setup file: [IMG1 Gain] Green Gain", true},
        // A text row.
        {"UserID: BSTR property, row 7 (UD)", true},
        {"text of at most 16 characters", true},
        {"setup file: not stored", true},
        {"text row: yes", true},
        // A property bound to no row.
        {"ShowAboutWindow: BOOL property, not bound to a camera setting", true},
    };
    for (const Expected& e : expected)
        EXPECT_EQ(HasLine(lines, e.line), e.present) << e.line << "\n" << r.out;
}

// Every dump line against the properties read in the same run, after the dump's read-all.
TEST(CliDiscovery, DumpEqualsThePropertyValues)
{
    CliSession session(sim::SimOptions{});
    Strings args{"dump"};
    Strings names;
    for (const AutomationMember& m : AutomationMembers()) {
        if (m.kind == MemberKind::Property && m.row >= 0) {
            names.emplace_back(m.Name());
            args.insert(args.end(), {"get", std::string(m.Name())});
        }
    }
    RunResult r = session.Run(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, ""); // no progress line where stderr is no terminal
    const Strings lines = SplitLines(r.out);
    ASSERT_GT(lines.size(), names.size());
    const size_t dumped = lines.size() - names.size();
    std::map<std::string, std::string> property;
    for (size_t i = 0; i < names.size(); ++i)
        property[names[i]] = lines[dumped + i];

    ASSERT_GT(dumped, 70u);
    for (size_t i = 0; i < dumped; ++i) {
        const std::string& line = lines[i];
        const size_t eq = line.find('=');
        ASSERT_NE(eq, std::string::npos) << line;
        const std::string name = line.substr(0, eq);
        ASSERT_TRUE(property.count(name)) << line;
        std::string expected = name + "=" + property[name];
        if (property.count(name + "String"))
            expected += " (" + property[name + "String"] + ")";
        EXPECT_EQ(line, expected);
    }
    // Read from the camera, not left at the mirror's start: the firmware version is known.
    EXPECT_EQ(lines[0], "FirmwareVersion=105");

    // Offline the dump shows the mirror as it is, and says nothing of a camera.
    r = session.Run({"--offline", "dump"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(SplitLines(r.out).size(), dumped);
}

} // namespace
} // namespace zr::test
