#include "base/turkish_text.h"

#include <gtest/gtest.h>

#include <string>

using velmora::FindIgnoringCase;
using velmora::TurkishLowerCase;

TEST(TurkishText, DottedAndDotlessIPairAsInTurkish) {
    EXPECT_EQ(TurkishLowerCase("GİRİŞ"), "giriş");
    EXPECT_EQ(TurkishLowerCase("IŞIK"), "ışık");
    EXPECT_EQ(TurkishLowerCase("ĞÜÖÇŞ ÂÎÛ"), "ğüöçş âîû");
    EXPECT_EQ(TurkishLowerCase("ıi <2> ½"), "ıi <2> ½");
}

TEST(TurkishText, FindIgnoringCase) {
    struct Case {
        const char* text;
        const char* what;
        size_t from;
        size_t expected;
    };
    const size_t none = std::string::npos;
    const Case cases[] = {
        {"<giriş>\r<Giriş>", "<Giriş>", 0, 0}, // the earlier one, case ignored
        {"<giriş>\r<Giriş>", "<Giriş>", 1, 8}, // from a later place
        {"xx<GİRİŞ>", "<giriş>", 0, 2},        // İ with i
        {"<IŞIK>", "<ışık>", 0, 0},            // I with ı
        {"<ışık>", "<IŞIK>", 0, 0},
        {"<Irmak>", "<irmak>", 0, none}, // I is not the capital of i
        {"<İnce>", "<ınce>", 0, none},   // nor İ the capital of ı
        {"ÜÖÇĞ", "üöçğ", 0, 0},
        {"abc", "", 0, none}, // nothing to find
        {"", "a", 0, none},
        {"ab", "abc", 0, none}, // longer than the text
        {"abc", "c", 3, none},  // from the end
        {"abc", "c", 99, none}, // from past the end
        {"aaaaaaaaab", "aab", 0, 7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindIgnoringCase(c.text, c.what, c.from), c.expected)
            << c.text << " / " << c.what << " / " << c.from;
}

TEST(TurkishText, LongNearMissesFindTheMatchAtTheEnd) {
    // A long run of almost-matches, as a document of repeated lines gives.
    std::string what(2000, 'a');
    what += 'b';
    std::string text(400000, 'A');
    text += what;
    EXPECT_EQ(FindIgnoringCase(text, what), 400000u);
    EXPECT_EQ(FindIgnoringCase(text.substr(0, text.size() - 1), what), std::string::npos);
}
