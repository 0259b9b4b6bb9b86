#include <gtest/gtest.h>

#include "sim/lib/FaultPlan.h"

namespace zr::sim
{
namespace
{

TEST(FaultPlanTest, AcceptsTheDocumentedFormsAndRefusesMalformedOnes)
{
    FaultPlan plan;
    std::string error;
    for (const char* fault :
         {"silent", "silent:SH1", "delay=500", "delay=0@3", "noise", "noise=a\\r\\n\\x00\\\\",
          "nocrlf:gar1", "close-after=5", "close-after=1:SH1", "awb-working=3", "awb-result=2:AWR2",
          "ayb-result=4", "shading-working=0:RS1"})
        EXPECT_TRUE(plan.Add(fault, error)) << fault << ": " << error;

    FaultPlan refusing;
    for (const char* fault :
         {"", "silence", "silent=1", "delay", "delay=-1", "delay=abc", "delay=600001",
          "silent:NOPE", "silent@0", "silent@x", "noise=\\q", "noise=\\x4", "close-after=0",
          "close-after=2@1", "awb-result=5", "awb-result=1:RS1", "awb-working=1@2"}) {
        error.clear();
        EXPECT_FALSE(refusing.Add(fault, error)) << fault;
        EXPECT_FALSE(error.empty()) << fault;
    }
    // Nothing of the refused descriptions took effect.
    FaultPlan::Effect effect = refusing.Apply("SH1");
    EXPECT_FALSE(effect.silent);
    EXPECT_EQ(effect.delayMs, 0);
    EXPECT_FALSE(effect.closeAfterAnswer);
}

} // namespace
} // namespace zr::sim
