// Several reasons to stop one operation: each source is asked on every check, any one stops it,
// and a source that goes (or is replaced) no longer counts.
#include <gtest/gtest.h>

#include "base/StopSources.h"

namespace zr
{
namespace
{

TEST(StopSources, AnySourceStopsEveryOneIsAskedAndRemovedOnesNoLongerCount)
{
    StopSources stops;
    EXPECT_FALSE(stops.Requested());
    EXPECT_EQ(stops.Add(nullptr), 0u);

    bool program = false;
    bool caller = false;
    int callerAsked = 0;
    const StopSources::Id programId = stops.Add([&] { return program; });
    const StopSources::Id callerId = stops.Add([&] {
        ++callerAsked;
        return caller;
    });
    EXPECT_NE(programId, callerId);
    EXPECT_FALSE(stops.Requested());
    caller = true;
    EXPECT_TRUE(stops.Requested());
    caller = false;
    program = true;
    // The first source already says stop; the second is still asked (it may serve its bus).
    callerAsked = 0;
    EXPECT_TRUE(stops.Requested());
    EXPECT_EQ(callerAsked, 1);

    stops.Remove(programId);
    EXPECT_FALSE(stops.Requested());
    // A source may remove itself while it is asked.
    StopSources::Id selfId = 0;
    selfId = stops.Add([&] {
        stops.Remove(selfId);
        return true;
    });
    EXPECT_TRUE(stops.Requested());
    EXPECT_FALSE(stops.Requested());
    stops.Remove(callerId);
    caller = true;
    EXPECT_FALSE(stops.Requested());
}

} // namespace
} // namespace zr
