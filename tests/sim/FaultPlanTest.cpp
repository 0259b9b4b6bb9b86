#include <gtest/gtest.h>

#include "sim/lib/FaultPlan.h"

namespace zr::sim
{
namespace
{

TEST(FaultPlanTest, AcceptsTheDocumentedForms)
{
    FaultPlan plan;
    std::string error;
    for (const char* spec :
         {"silent", "silent:SH1", "delay=500", "delay=0@3", "noise", "noise=a\\r\\n\\x00\\\\",
          "nocrlf:gar1", "close-after=5", "close-after=1:SH1", "awb-working=3", "awb-result=2:AWR2",
          "ayb-result=4", "shading-working=0:RS1"})
        EXPECT_TRUE(plan.Add(spec, error)) << spec << ": " << error;
}

TEST(FaultPlanTest, RefusesMalformedSpecs)
{
    FaultPlan plan;
    for (const char* spec :
         {"", "silence", "silent=1", "delay", "delay=-1", "delay=abc", "delay=600001",
          "silent:NOPE", "silent@0", "silent@x", "noise=\\q", "noise=\\x4", "close-after=0",
          "close-after=2@1", "awb-result=5", "awb-result=1:RS1", "awb-working=1@2"}) {
        std::string error;
        EXPECT_FALSE(plan.Add(spec, error)) << spec;
        EXPECT_FALSE(error.empty()) << spec;
    }
    // Nothing of the refused specs took effect.
    FaultPlan::Effect effect = plan.Apply("SH1");
    EXPECT_FALSE(effect.silent);
    EXPECT_EQ(effect.delayMs, 0);
    EXPECT_FALSE(effect.closeAfterAnswer);
}

TEST(FaultPlanTest, AppliesPerWordAndCount)
{
    FaultPlan plan;
    std::string error;
    ASSERT_TRUE(plan.Add("delay=100:SH1@2", error));
    ASSERT_TRUE(plan.Add("noise=\\x01", error));
    ASSERT_TRUE(plan.Add("close-after=2:GA1", error));
    EXPECT_EQ(plan.Apply("GA1").delayMs, 0);
    EXPECT_EQ(plan.Apply("SH1").delayMs, 100);
    EXPECT_EQ(plan.Apply("SH1").delayMs, 100);
    EXPECT_EQ(plan.Apply("SH1").delayMs, 0);
    EXPECT_EQ(plan.Apply("SH1").noise, "\x01");
    EXPECT_TRUE(plan.Apply("GA1").closeAfterAnswer);
}

TEST(FaultPlanTest, OutcomesNarrowToOneFunction)
{
    FaultPlan plan;
    std::string error;
    ASSERT_TRUE(plan.Add("awb-result=3", error));
    ASSERT_TRUE(plan.Add("awb-working=5:AW2", error));
    // kOnePushFunctions: AW1, AW2, AYB, RS1, RS2.
    EXPECT_EQ(plan.OutcomeFor(0).result, 3);
    EXPECT_EQ(plan.OutcomeFor(0).workingPolls, 2);
    EXPECT_EQ(plan.OutcomeFor(1).result, 3);
    EXPECT_EQ(plan.OutcomeFor(1).workingPolls, 5);
    EXPECT_EQ(plan.OutcomeFor(2).result, 1);
    EXPECT_EQ(plan.OutcomeFor(4).workingPolls, 2);
}

} // namespace
} // namespace zr::sim
