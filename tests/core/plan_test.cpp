#include "plan.h"

#include <gtest/gtest.h>

using vellacor::choosePlan;

namespace {
int prefixFor(double count)
{
    return choosePlan(count)->prefixLength;
}
} // namespace

TEST(ChoosePlan, BoundsAreStrictBelowAndInclusiveAbove)
{
    const std::pair<double, int> cases[] = {
        {127, 24}, {126, 25}, {63, 25}, {62, 26}, {31, 26}, {30, 27},  {15, 27},   {14, 28},
        {7, 28},   {6, 29},   {3, 29},  {2, 30},  {1, 30},  {254, 24}, {1000, 24},
    };
    for (const auto &[count, prefix] : cases)
        EXPECT_EQ(prefixFor(count), prefix) << count;
}

TEST(ChoosePlan, FractionsCompareAsTheyAre)
{
    EXPECT_EQ(prefixFor(126.5), 24);
    EXPECT_EQ(prefixFor(2.5), 29);
    EXPECT_EQ(prefixFor(0.5), 30);
    EXPECT_EQ(prefixFor(1e-9), 30);
}

TEST(ChoosePlan, NoPlanForZeroOrLess)
{
    EXPECT_FALSE(choosePlan(0));
    EXPECT_FALSE(choosePlan(-0.5));
    EXPECT_FALSE(choosePlan(-5));
}

TEST(ChoosePlan, EveryTierCutsTheWholeNetwork)
{
    for (double count : {254, 126, 62, 30, 14, 6, 2}) {
        const auto plan = *choosePlan(count);
        EXPECT_EQ((plan.hostsPerSubnet + 2) * plan.subnetCount, 256) << count;
        EXPECT_EQ(plan.maskOctet, 256 - (plan.hostsPerSubnet + 2)) << count;
        EXPECT_EQ(plan.hostsText, std::to_string(plan.hostsPerSubnet)) << count;
        EXPECT_EQ(plan.subnetCount, 1 << (plan.prefixLength - 24)) << count;
    }
}
