#include "base/number_format.h"

#include <gtest/gtest.h>

using velmora::FormatGrouped;
using velmora::FormatGroupedOptional;

TEST(NumberFormat, TwoDecimalsGrouped) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0,00"},       {2, "2,00"},          {0.5, "0,50"},           {1234.5, "1.234,50"},
        {999999.999, "1.000.000,00"}, {2.675, "2,68"}, {0.004, "0,00"},    {0.005, "0,01"},
        {-1234.5, "-1.234,50"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatGrouped(c.value, 2, '.', ','), c.expected) << c.value;
    EXPECT_EQ(FormatGrouped(1234567.25, 2, ',', '.'), "1,234,567.25");
}

TEST(NumberFormat, WholeNumberWithoutMandatoryDigit) {
    EXPECT_EQ(FormatGroupedOptional(2000, '.'), "2.000");
    EXPECT_EQ(FormatGroupedOptional(1999.5, '.'), "2.000");
    EXPECT_EQ(FormatGroupedOptional(999.4, '.'), "999");
    EXPECT_EQ(FormatGroupedOptional(0.4, '.'), "");
    EXPECT_EQ(FormatGroupedOptional(0, '.'), "");
    EXPECT_EQ(FormatGroupedOptional(1234567, '.'), "1.234.567");
}
