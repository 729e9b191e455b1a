// The extension table the dispatch goes by, read from sec.ini's text.
#include <gtest/gtest.h>

#include "app/session.h"

using velmora::app::TExtensionTable;
using velmora::app::TViewerKind;

TEST(ExtensionTable, FindsTheViewerOfEachExtension) {
    TExtensionTable table;
    EXPECT_EQ(
        table.Load(
            "Metin\r\n\t.txt\r\n\t.RTF\r\nHtml\r\n\t.htm\r\nResim\r\n\t.gif\r\n\t\r\nHex\r\n\t.bin\r\n"),
        "");
    const struct {
        const char* extension;
        int group;
    } cases[] = {
        {".txt", 0},
        {".TXT", 0},
        {".rtf", 0},
        {".htm", 1},
        {".Gif", 2},
        {"", 2},
        {".bin", 3},
        // Groups are no extensions; an unknown one has no viewer.
        {"Metin", -1},
        {"Hex", -1},
        {".jpeg", -1},
        // Only ASCII letters change case: the code page's own letters match as they are.
        {".TXT\xDD", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(table.Find(c.extension), c.group) << c.extension;
    EXPECT_EQ(table.KindOf(".HTM"), TViewerKind::vkHtml);
    EXPECT_EQ(table.KindOf(".pas"), TViewerKind::vkNone);
    EXPECT_EQ(table.Extensions(), (std::vector<std::string>{".txt", ".RTF", ".htm", ".gif", "", ".bin"}));
}

TEST(ExtensionTable, TextComesBackAsItWasWrittenAndAFaultyLineKeepsWhatCameBefore) {
    TExtensionTable table;
    const std::string text = "Metin\r\n\t.txt\r\nHtml\r\n\t.htm\r\n";
    table.Load(text);
    EXPECT_EQ(table.Text(), text);

    // A line two levels deeper stops the reading; what was read finds its viewers.
    EXPECT_EQ(table.Load("Metin\n\t.txt\nHtml\n\t\t\t.htm\n\t.html\n"),
              "Invalid level (3) for item \".htm\"");
    EXPECT_EQ(table.Find(".txt"), 0);
    EXPECT_EQ(table.Find(".htm"), -1);
    EXPECT_EQ(table.Find(".html"), -1);

    // Deeper items belong to their group; a fifth group is beyond the viewers.
    table.Load("A\n\tx\n\t\ty\nB\nC\nD\nE\n\t.e\n");
    EXPECT_EQ(table.Find("y"), 0);
    EXPECT_EQ(table.Find(".e"), 4);
    EXPECT_EQ(table.KindOf(".e"), TViewerKind::vkNone);

    table.Load("");
    EXPECT_EQ(table.Find(""), -1);
    EXPECT_TRUE(table.Extensions().empty());
}
