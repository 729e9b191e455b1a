#include "base/ascii_text.h"

#include <gtest/gtest.h>

using namespace velmora;

// Only A to Z and a to z change: the code page's own letters (Turkish İ, ı, Ş,
// ğ) and every other byte stay, so that an extension or an HTML name compares
// the same on every machine.
TEST(AsciiText, OnlyAsciiLettersChangeCase) {
    struct Case {
        const char* text;
        const char* lower;
        const char* upper;
    };
    const Case cases[] = {
        {"", "", ""},
        {"Content-Type", "content-type", "CONTENT-TYPE"},
        {".TxT", ".txt", ".TXT"},
        {"@[`{ 09", "@[`{ 09", "@[`{ 09"},
        {"İıŞğÇö", "İıŞğÇö", "İıŞğÇö"},
        {"ıİ.Iİ", "ıİ.iİ", "ıİ.Iİ"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LowerAscii(c.text), c.lower) << c.text;
        EXPECT_EQ(UpperAscii(c.text), c.upper) << c.text;
    }
    EXPECT_EQ(LowerAsciiChar('\xDD'), '\xDD'); // cp1254 'İ'
    EXPECT_EQ(UpperAsciiChar('\xFD'), '\xFD'); // cp1254 'ı'
}
