#include "normalise.h"

#include <gtest/gtest.h>

using vellacor::normaliseHostCount;
using vellacor::normaliseOctets;
using vellacor::Replacement;

TEST(NormaliseHostCount, CapsAndReplacesZero)
{
    for (const char *text : {"255", "300", "254.5", "0", "00", "000", "0.0", "", "99999"}) {
        const auto result = normaliseHostCount(text);
        EXPECT_EQ(result.text, "254") << text;
        EXPECT_TRUE(result.replaced) << text;
    }
}

TEST(NormaliseHostCount, LeavesEverythingElseAsTyped)
{
    for (const char *text : {"254", "1", "007", "-5", "2.5", " 50", "abc", " "}) {
        const auto result = normaliseHostCount(text);
        EXPECT_EQ(result.text, text);
        EXPECT_FALSE(result.replaced) << text;
    }
}

struct OctetCase {
    const char *name;
    std::array<const char *, 3> in;
    std::array<const char *, 3> out;
    std::vector<Replacement> replacements;
};

TEST(NormaliseOctets, RulesRunInOrder)
{
    const OctetCase cases[] = {
        {"first capped, second defaulted",
         {"224", "0", "0"},
         {"223", "168", "0"},
         {{0, "223"}, {1, "168"}}},
        {"default network", {"0", "0", "0"}, {"192", "168", "0"}, {{0, "192"}, {1, "168"}}},
        {"zero test compares characters", {"00", "0", "0"}, {"00", "168", "0"}, {{1, "168"}}},
        {"third capped", {"10", "1", "256"}, {"10", "1", "255"}, {{2, "255"}}},
        {"all capped",
         {"999", "999", "999"},
         {"223", "255", "255"},
         {{0, "223"}, {1, "255"}, {2, "255"}}},
        {"255 itself rewritten",
         {"1", "0255", "255"},
         {"1", "255", "255"},
         {{1, "255"}, {2, "255"}}},
        {"fraction over 254", {"1", "254.5", "1"}, {"1", "255", "1"}, {{1, "255"}}},
        {"caps before defaults", {"0", "300", "0"}, {"192", "255", "0"}, {{1, "255"}, {0, "192"}}},
        {"highest values stay", {"223", "254", "254"}, {"223", "254", "254"}, {}},
        {"no lower bound", {"-5", "1.5", "10"}, {"-5", "1.5", "10"}, {}},
        {"text that is no number", {"abc", "", " "}, {"abc", "", " "}, {}},
    };
    for (const OctetCase &c : cases) {
        const auto result = normaliseOctets(c.in[0], c.in[1], c.in[2]);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(result.texts[i], c.out[i]) << c.name << ", octet " << i;
        EXPECT_EQ(result.replacements, c.replacements) << c.name;
    }
}
