// The simulator's statement of what the camera accepts against the tool's parameter table. The
// two are written separately, so a wrong range or access in either shows here as a
// disagreement instead of being answered by an equally wrong simulated camera.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "camera/ParameterTable.h"
#include "sim/lib/ValueRules.h"

namespace zr::sim
{
namespace
{

// How the tool's row and the camera's word disagree, one line each; empty when they agree.
std::vector<std::string> Disagreements(const ParameterEntry& row, const CameraCommand& command)
{
    std::vector<std::string> found;
    const auto say = [&](const std::string& what) {
        found.push_back(std::string(command.mnemonic) + ": " + what);
    };
    const auto range = [](int32_t low, int32_t high) {
        return std::to_string(low) + ".." + std::to_string(high);
    };

    if (row.Has(PF_STRING) != command.IsText()) {
        say("text in one table only");
        return found;
    }
    if (command.IsText()) {
        if (row.maximum != command.maximum)
            say("longest text " + std::to_string(row.maximum) + " in the tool, " +
                std::to_string(command.maximum) + " in the camera");
    } else if (row.itemCount > 0) {
        // The tool may send any value of its list; the camera must take exactly those.
        std::set<int32_t> listed;
        for (int32_t i = 0; i < row.itemCount; ++i)
            listed.insert(row.items[i].value);
        std::set<int32_t> accepted;
        for (int32_t v = command.minimum; v <= command.maximum; ++v)
            accepted.insert(v);
        if (listed != accepted)
            say("the tool lists " + std::to_string(listed.size()) + " values from " +
                std::to_string(*listed.begin()) + ", the camera accepts " +
                range(command.minimum, command.maximum));
    } else if (row.minimum != command.minimum || row.maximum != command.maximum) {
        say("range " + range(row.minimum, row.maximum) + " in the tool, " +
            range(command.minimum, command.maximum) + " in the camera");
    }

    // The tool sets a word exactly when it has a time-out for the set, and asks it exactly
    // when it has one for the query; its read and write flags never go beyond that.
    if ((row.setTimeoutMs > 0) != command.CanSet() || (row.Has(PF_WRITE) && !command.CanSet()))
        say(command.CanSet() ? "set by the camera only" : "set by the tool only");
    if ((row.queryTimeoutMs > 0) != command.CanQuery() || (row.Has(PF_READ) && !command.CanQuery()))
        say(command.CanQuery() ? "asked of the camera only" : "asked by the tool only");
    return found;
}

TEST(CameraCommandsTest, SimulatorAndToolAgreeOnWhatTheCameraAccepts)
{
    std::vector<std::string> disagreements;
    std::set<std::string> toolWords;
    for (const ParameterEntry& row : kParameterTable) {
        const std::string mnemonic = row.mnemonic;
        if (mnemonic.empty())
            continue; // the area choice is the tool's own, never sent
        toolWords.insert(mnemonic);
        const CameraCommand* command = FindCameraCommand(mnemonic);
        if (command == nullptr) {
            disagreements.push_back(mnemonic + ": unknown to the camera");
            continue;
        }
        for (const std::string& line : Disagreements(row, *command))
            disagreements.push_back(line);
    }
    for (const CameraCommand& command : CameraCommands()) {
        if (!toolWords.contains(command.mnemonic))
            disagreements.push_back(std::string(command.mnemonic) + ": unknown to the tool");
    }
    EXPECT_EQ(disagreements, std::vector<std::string>{});
    EXPECT_EQ(CameraCommands().size(), toolWords.size());

    // The comparison itself catches a wrong range, list, text length and access.
    const ParameterEntry& sh1 = kParameterTable[P_SH1];
    const ParameterEntry& ga1 = kParameterTable[P_GA1];
    const ParameterEntry& ud = kParameterTable[P_UD];
    const ParameterEntry& vn = kParameterTable[P_VN];
    EXPECT_EQ(
        Disagreements(ga1, {"GA1", CameraCommand::kQueryAndSet, CameraCommand::kNumber, -84, 335}),
        std::vector<std::string>{"GA1: range -84..336 in the tool, -84..335 in the camera"});
    EXPECT_EQ(
        Disagreements(sh1, {"SH1", CameraCommand::kQueryAndSet, CameraCommand::kNumber, 0, 12}),
        std::vector<std::string>{"SH1: the tool lists 12 values from 0, the camera accepts 0..12"});
    EXPECT_EQ(Disagreements(ud, {"UD", CameraCommand::kQueryAndSet, CameraCommand::kText, 0, 10}),
              std::vector<std::string>{"UD: longest text 16 in the tool, 10 in the camera"});
    EXPECT_EQ(
        Disagreements(vn, {"VN", CameraCommand::kQueryAndSet, CameraCommand::kNumber, 0, 999}),
        std::vector<std::string>{"VN: set by the camera only"});
    EXPECT_EQ(Disagreements(sh1, {"SH1", CameraCommand::kSetOnly, CameraCommand::kNumber, 0, 11}),
              std::vector<std::string>{"SH1: asked by the tool only"});
}

} // namespace
} // namespace zr::sim
