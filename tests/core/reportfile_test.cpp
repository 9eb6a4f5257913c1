#include "reportfile.h"

#include <gtest/gtest.h>

using vellacor::reportFileText;
using vellacor::ReportFileValues;

namespace {

const std::string kHead = "Vellacor\r\n"
                          "Version : 1.1\r\n"
                          "Author  : Tamsel\r\n"
                          "E-Mail  : tamsel@example.com\r\n"
                          "URL     : https://vellacor.example.org\r\n"
                          "\r\n"
                          "===============================================\r\n"
                          "Sub Network Information\r\n"
                          "===============================================\r\n";
const std::string kRangeTitle = "-----------------------------------------------\r\n"
                                "\r\n"
                                "===============================================\r\n"
                                "Valid Range IP Address\r\n"
                                "===============================================\r\n";
const std::string kTail = "-----------------------------------------------\r\n"
                          "\r\n"
                          "Generated         : 3/2/2009 8:17:48 AM\r\n"
                          "\r\n"
                          "Copyright \xc2\xa9 Tamsel\r\n";

std::size_t lineCount(const std::string &text)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; (pos = text.find("\r\n", pos)) != std::string::npos; pos += 2)
        ++count;
    return count;
}

} // namespace

TEST(ReportFileText, EmptyListGivesTwentyThreeLines)
{
    const std::string text = reportFileText({"", "", "", "", {}, "3/2/2009 8:17:48 AM"});
    EXPECT_EQ(text, kHead +
                        "Subnet Mask              : \r\n"
                        "Total Subnet Per NetMask : \r\n"
                        "Max Client Per Subnet    : \r\n"
                        "Prefix Length            : \r\n" +
                        kRangeTitle + kTail);
    EXPECT_EQ(lineCount(text), 23u);
}

TEST(ReportFileText, FourSubnets)
{
    const ReportFileValues values{"255.255.255.192",
                                  "4",
                                  "62",
                                  "/26",
                                  {"[192.168.0.1 - 192.168.0.62]", "[192.168.0.65 - 192.168.0.126]",
                                   "[192.168.0.129 - 192.168.0.190]",
                                   "[192.168.0.193 - 192.168.0.254]"},
                                  "3/2/2009 8:17:48 AM"};
    const std::string text = reportFileText(values);
    EXPECT_EQ(text, kHead +
                        "Subnet Mask              : 255.255.255.192\r\n"
                        "Total Subnet Per NetMask : 4\r\n"
                        "Max Client Per Subnet    : 62\r\n"
                        "Prefix Length            : /26\r\n" +
                        kRangeTitle +
                        "[192.168.0.1 - 192.168.0.62]\r\n"
                        "[192.168.0.65 - 192.168.0.126]\r\n"
                        "[192.168.0.129 - 192.168.0.190]\r\n"
                        "[192.168.0.193 - 192.168.0.254]\r\n" +
                        kTail);
    EXPECT_EQ(lineCount(text), 27u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find('\t'), std::string::npos);
}

TEST(ReportFileText, SixtyFourSubnetsInListOrder)
{
    ReportFileValues values{"255.255.255.252", "64", "2", "/30", {}, "3/2/2009 8:17:48 AM"};
    std::string lines;
    for (int first = 1; first < 255; first += 4) {
        const std::string line =
            "[10.0.0." + std::to_string(first) + " - 10.0.0." + std::to_string(first + 1) + "]";
        values.lines.push_back(line);
        lines += line + "\r\n";
    }
    const std::string text = reportFileText(values);
    EXPECT_EQ(text, kHead +
                        "Subnet Mask              : 255.255.255.252\r\n"
                        "Total Subnet Per NetMask : 64\r\n"
                        "Max Client Per Subnet    : 2\r\n"
                        "Prefix Length            : /30\r\n" +
                        kRangeTitle + lines + kTail);
    EXPECT_EQ(lineCount(text), 87u);
}

TEST(GeneratedFormats, FourDigitYear)
{
    EXPECT_EQ(vellacor::withFullYear("M/d/yy"), "M/d/yyyy");
    EXPECT_EQ(vellacor::withFullYear("dd.MM.yy"), "dd.MM.yyyy");
    EXPECT_EQ(vellacor::withFullYear("yyyy-MM-dd"), "yyyy-MM-dd");
    EXPECT_EQ(vellacor::withFullYear("d 'yy' yy"), "d 'yy' yyyy");
    EXPECT_EQ(vellacor::withFullYear("yy'''y'"), "yyyy'''y'");
}

TEST(GeneratedFormats, NoTimeZone)
{
    EXPECT_EQ(vellacor::withoutTimeZone("h:mm:ss AP t"), "h:mm:ss AP");
    EXPECT_EQ(vellacor::withoutTimeZone("HH:mm:ss t"), "HH:mm:ss");
    EXPECT_EQ(vellacor::withoutTimeZone("t HH:mm:ss"), "HH:mm:ss");
    EXPECT_EQ(vellacor::withoutTimeZone("HH:mm:ss"), "HH:mm:ss");
    EXPECT_EQ(vellacor::withoutTimeZone("H 'ta' mm"), "H 'ta' mm");
}
