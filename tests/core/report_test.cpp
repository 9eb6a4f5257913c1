#include "report.h"

#include <gtest/gtest.h>

#include <regex>

using vellacor::buildDetailReport;
using vellacor::checkInputs;
using vellacor::DetailReport;
using vellacor::InputError;

namespace {
DetailReport build(const char *hosts, const char *a = "192", const char *b = "168",
                   const char *c = "0")
{
    const auto result = buildDetailReport(hosts, a, b, c);
    EXPECT_TRUE(result.check) << hosts;
    return result.report;
}
} // namespace

TEST(BuildDetailReport, WorkedExample)
{
    const DetailReport expected{"192.168.0.0",
                                "255.255.255.192",
                                "192.168.0.63",
                                "192.168.0.1 - 192.168.0.62",
                                "62",
                                "/26",
                                "4",
                                {"[192.168.0.1 - 192.168.0.62]", "[192.168.0.65 - 192.168.0.126]",
                                 "[192.168.0.129 - 192.168.0.190]",
                                 "[192.168.0.193 - 192.168.0.254]"}};
    EXPECT_EQ(build("50"), expected);
}

TEST(BuildDetailReport, WholeNetworkPlan)
{
    for (const char *hosts : {"127", "254", "300"}) {
        const DetailReport report = build(hosts);
        EXPECT_EQ(report.Val_IP_Add, vellacor::RangeLines{"[192.168.0.1 - 192.168.0.254]"});
        EXPECT_EQ(report.BCAddress, "192.168.0.255");
        EXPECT_EQ(report.netMask, "255.255.255.0");
        EXPECT_EQ(report.max_client, "254");
        EXPECT_EQ(report.nSubnet, "1");
        EXPECT_EQ(report.prefix, "/24");
    }
}

TEST(BuildDetailReport, SmallestSubnets)
{
    const DetailReport report = build("1");
    ASSERT_EQ(report.Val_IP_Add.size(), 64u);
    EXPECT_EQ(report.Val_IP_Add[0], "[192.168.0.1 - 192.168.0.2]");
    EXPECT_EQ(report.Val_IP_Add[1], "[192.168.0.5 - 192.168.0.6]");
    EXPECT_EQ(report.Val_IP_Add[63], "[192.168.0.253 - 192.168.0.254]");
    EXPECT_EQ(report.BCAddress, "192.168.0.3");
    EXPECT_EQ(report.RangeIP, "192.168.0.1 - 192.168.0.2");
    EXPECT_EQ(report.max_client, "2");
    EXPECT_EQ(report.prefix, "/30");
    EXPECT_EQ(report.nSubnet, "64");
    EXPECT_EQ(report.netMask, "255.255.255.252");
}

TEST(BuildDetailReport, OctetTextsCopiedAsTyped)
{
    const DetailReport report = build("50", "10", "010", "5");
    EXPECT_EQ(report.netID, "10.010.5.0");
    EXPECT_EQ(report.Val_IP_Add[3], "[10.010.5.193 - 10.010.5.254]");
    EXPECT_EQ(build("2.5", "00", "0", "007").netID, "00.0.007.0");
}

// Every plan's lines cover the /24 with nothing missing: first host 1, last host 254, and
// each subnet starts three past the end of the one before (broadcast, then network).
TEST(BuildDetailReport, LinesTileTheNetworkForEveryTier)
{
    const std::regex shape(R"(\[172\.16\.9\.(\d+) - 172\.16\.9\.(\d+)\])");
    for (const char *hosts : {"254", "126", "62", "30", "14", "6", "2"}) {
        const DetailReport report = build(hosts, "172", "16", "9");
        const int width = std::stoi(report.max_client);
        ASSERT_EQ(report.Val_IP_Add.size(), std::stoul(report.nSubnet)) << hosts;
        EXPECT_EQ("[" + report.RangeIP + "]", report.Val_IP_Add.front()) << hosts;
        int expectedFirst = 1;
        for (std::string_view view : report.Val_IP_Add) {
            const std::string line(view);
            std::smatch match;
            ASSERT_TRUE(std::regex_match(line, match, shape)) << line;
            const int first = std::stoi(match[1]), last = std::stoi(match[2]);
            EXPECT_EQ(first, expectedFirst) << line;
            EXPECT_EQ(last - first + 1, width) << line;
            expectedFirst = last + 3;
        }
        EXPECT_EQ(expectedFirst - 3, 254) << hosts;
    }
}

struct Refusal {
    const char *name;
    std::array<const char *, 4> in; // host count, octets 1 to 3
    InputError error;
    int field;
};

TEST(CheckInputs, RefusesWhatCannotMakeAPlan)
{
    const Refusal cases[] = {
        {"empty host count", {"", "192", "168", "0"}, InputError::HostCountEmpty, 0},
        {"blank host count", {" ", "192", "168", "0"}, InputError::HostCountNotNumber, 0},
        {"letters in host count", {"5O", "192", "168", "0"}, InputError::HostCountNotNumber, 0},
        {"exponent host count", {"1e2", "192", "168", "0"}, InputError::HostCountNotNumber, 0},
        {"negative host count", {"-5", "192", "168", "0"}, InputError::HostCountNotPositive, 0},
        {"negative fraction", {"-0.5", "192", "168", "0"}, InputError::HostCountNotPositive, 0},
        {"host count checked first", {"x", "", "", ""}, InputError::HostCountNotNumber, 0},
        {"negative octet", {"50", "-5", "168", "0"}, InputError::OctetNotWhole, 1},
        {"fraction octet", {"50", "1.5", "168", "0"}, InputError::OctetNotWhole, 1},
        {"blank octet", {"50", "192", " ", "0"}, InputError::OctetNotWhole, 2},
        {"empty octet", {"50", "192", "168", ""}, InputError::OctetNotWhole, 3},
        {"letters octet", {"50", "192", "abc", "x"}, InputError::OctetNotWhole, 2},
    };
    for (const Refusal &c : cases) {
        const auto checked = checkInputs(c.in[0], c.in[1], c.in[2], c.in[3]);
        EXPECT_EQ(checked.error, c.error) << c.name;
        if (c.error == InputError::OctetNotWhole) {
            EXPECT_EQ(checked.field, c.field) << c.name;
        }
        const auto built = buildDetailReport(c.in[0], c.in[1], c.in[2], c.in[3]);
        EXPECT_EQ(built.check.error, c.error) << c.name;
        EXPECT_EQ(built.report, DetailReport{}) << c.name << ": no half-built report";
    }
}

TEST(CheckInputs, AcceptsWhatNormalisationMends)
{
    const std::array<const char *, 4> accepted[] = {
        {"0", "0", "0", "0"},    {"300", "999", "999", "999"}, {"1", "010", "00", "000"},
        {"2.5", "10", "1", "5"}, {"254.5", "1", "254.5", "1"},
    };
    for (const auto &in : accepted)
        EXPECT_TRUE(checkInputs(in[0], in[1], in[2], in[3])) << in[0] << ' ' << in[1];
}
