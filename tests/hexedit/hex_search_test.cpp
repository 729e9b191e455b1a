#include "hexedit/hex_search.h"

#include <gtest/gtest.h>

using namespace velmora::hex;

TEST(HexSearch, PatternsAndPositions) {
    using Bytes = std::vector<uint8_t>;
    EXPECT_EQ(SearchPattern("$4D 5A"), (Bytes{0x4D, 0x5A}));
    EXPECT_EQ(SearchPattern("$4d5a"), (Bytes{0x4D, 0x5A}));
    EXPECT_EQ(SearchPattern("$ 4D-5A"), (Bytes{0x4D, 0x5A}));
    EXPECT_EQ(SearchPattern("$abc"), (Bytes{0x0A, 0xBC}));
    EXPECT_EQ(SearchPattern("$xyz"), Bytes{});
    EXPECT_EQ(SearchPattern("Tab"), (Bytes{'T', 'a', 'b'}));
    EXPECT_EQ(ParsePosition("0x10"), 16);
    EXPECT_EQ(ParsePosition("0X10"), 16);
    EXPECT_EQ(ParsePosition("$10"), 16);
    EXPECT_EQ(ParsePosition("16"), 16);
    EXPECT_EQ(ParsePosition("-1"), -1);
    EXPECT_EQ(ParsePosition("abc"), -1);
    EXPECT_EQ(ParsePosition(""), -1);
    EXPECT_EQ(ParsePosition("12x"), -1);
    EXPECT_EQ(ParsePosition("99999999999"), -1);
    EXPECT_EQ(ParsePosition("2147483647"), 2147483647);
    EXPECT_EQ(ParsePosition("-$10"), -16);
    EXPECT_TRUE(IsTextSearch("mz"));
    EXPECT_FALSE(IsTextSearch("$4d"));
    EXPECT_FALSE(IsTextSearch(""));
}
