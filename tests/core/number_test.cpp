#include "number.h"

#include <gtest/gtest.h>

#include <cmath>

using vellacor::isOctetText;
using vellacor::readNumber;

TEST(ReadNumber, ReadsPlainAndSignedDecimals)
{
    const std::pair<const char *, double> cases[] = {
        {"0", 0},      {"254", 254}, {"007", 7},       {"000", 0},  {"-5", -5},
        {"+12", 12},   {"2.5", 2.5}, {"254.5", 254.5}, {".5", 0.5}, {"5.", 5},
        {"  50 ", 50}, {"\t3\t", 3}, {"-0", 0},
    };
    for (const auto &[text, value] : cases) {
        const auto read = readNumber(text);
        ASSERT_TRUE(read) << text;
        EXPECT_EQ(*read, value) << text;
    }
}

TEST(ReadNumber, HugeDigitRunsStayOrdered)
{
    const std::string many(400, '9');
    EXPECT_GT(*readNumber(many), 254);
    EXPECT_LT(*readNumber("-" + many), 0);
    EXPECT_EQ(*readNumber("0." + std::string(400, '0') + "1"), 0);
}

TEST(ReadNumber, RejectsWhatIsNoPlainDecimal)
{
    for (const char *text :
         {"",    " ", "   ", "abc", "12a",   "1e3", "1E3", "1,000", "1 000", "inf",
          "nan", "-", "+",   ".",   "1.2.3", "--1", "+-1", "0x10",  "½",     "٣"}) {
        EXPECT_FALSE(readNumber(text)) << '"' << text << '"';
    }
}

TEST(OctetText, OneToThreeDigitsOnly)
{
    for (const char *text : {"0", "00", "010", "192", "999"})
        EXPECT_TRUE(isOctetText(text)) << text;
    for (const char *text : {"", " ", "1 ", "-5", "1.5", "1234", "a", "+1"})
        EXPECT_FALSE(isOctetText(text)) << '"' << text << '"';
}
