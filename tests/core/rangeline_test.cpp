#include "rangeline.h"
#include "report.h"

#include <gtest/gtest.h>

using vellacor::selectRangeLine;
using vellacor::SubnetSelection;

TEST(SelectRangeLine, GivesTheSubnetOfTheLine)
{
    const std::pair<const char *, SubnetSelection> cases[] = {
        {"[192.168.0.1 - 192.168.0.254]",
         {"192.168.0.1 - 192.168.0.254", "192.168.0.0", "192.168.0.255"}},
        {"[192.168.0.1 - 192.168.0.126]",
         {"192.168.0.1 - 192.168.0.126", "192.168.0.0", "192.168.0.127"}},
        {"[192.168.0.129 - 192.168.0.254]",
         {"192.168.0.129 - 192.168.0.254", "192.168.0.128", "192.168.0.255"}},
        {"[192.168.0.65 - 192.168.0.126]",
         {"192.168.0.65 - 192.168.0.126", "192.168.0.64", "192.168.0.127"}},
        {"[192.168.0.1 - 192.168.0.2]",
         {"192.168.0.1 - 192.168.0.2", "192.168.0.0", "192.168.0.3"}},
        {"[192.168.0.249 - 192.168.0.250]",
         {"192.168.0.249 - 192.168.0.250", "192.168.0.248", "192.168.0.251"}},
        {"[192.168.0.253 - 192.168.0.254]",
         {"192.168.0.253 - 192.168.0.254", "192.168.0.252", "192.168.0.255"}},
        {"[10.0.0.13 - 10.0.0.14]", {"10.0.0.13 - 10.0.0.14", "10.0.0.12", "10.0.0.15"}},
        {"[192.168.0.5 - 192.168.0.6]",
         {"192.168.0.5 - 192.168.0.6", "192.168.0.4", "192.168.0.7"}},
        {"[10.010.5.193 - 10.010.5.254]",
         {"10.010.5.193 - 10.010.5.254", "10.010.5.192", "10.010.5.255"}},
    };
    for (const auto &[line, expected] : cases) {
        const auto selection = selectRangeLine(line);
        ASSERT_TRUE(selection) << line;
        EXPECT_EQ(*selection, expected) << line;
    }
}

TEST(SelectRangeLine, EveryGeneratedLineGivesItsNeighbours)
{
    for (const char *hosts : {"254", "126", "62", "30", "14", "6", "2"}) {
        const auto report = vellacor::buildDetailReport(hosts, "1", "22", "033").report;
        int network = 0;
        for (std::string_view line : report.Val_IP_Add) {
            const auto selection = selectRangeLine(line);
            ASSERT_TRUE(selection) << line;
            EXPECT_EQ(selection->netID, "1.22.033." + std::to_string(network)) << line;
            network += std::stoi(report.max_client) + 2;
            EXPECT_EQ(selection->BCAddress, "1.22.033." + std::to_string(network - 1)) << line;
        }
        // The first line, selected right after a calculation, repeats what it gave.
        const auto first = selectRangeLine(report.Val_IP_Add.front());
        EXPECT_EQ(*first, (SubnetSelection{report.RangeIP, report.netID, report.BCAddress}));
    }
}

TEST(SelectRangeLine, LinesOfAnyOtherShapeGiveNothing)
{
    for (const char *line : {"",
                             "[",
                             "]",
                             "[]",
                             "[ - ]",
                             "x",
                             "192.168.0.1 - 192.168.0.2",
                             "[192.168.0.1 - 192.168.0.2",
                             "192.168.0.1 - 192.168.0.2]",
                             "[-5.1.2.1 - -5.1.2.2]",
                             "[1.2.3.1 - -1.2.3.2]",
                             "[-]",
                             "[--]",
                             "[1.2.3.1-1.2.3.2]",
                             "[1.2.3.1 -1.2.3.2]",
                             "[1.2.3.0 - 1.2.3.2]",
                             "[1.2.3.a - 1.2.3.2]",
                             "[1.2.3.1 - 1.2.3.999]",
                             "[1.2.3.1 - 1.2.3.255]",
                             "[1.2.3.255 - 1.2.3.2]",
                             "[1.2.3.1 - 1.2.3.0]",
                             "[1.2.3.1 - 1.2.3.]",
                             "[1.2.3.1 - 1.2.3.1000]",
                             "[1 - 2]",
                             "[. - .]",
                             "[.1 - .2]x"}) {
        EXPECT_FALSE(selectRangeLine(line)) << '"' << line << '"';
    }
}
