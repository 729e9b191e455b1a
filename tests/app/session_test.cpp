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

TEST(Options, StartValuesAndTheListMask) {
    const velmora::app::TOptions start;
    // What the options window shows at every start (nothing is stored).
    EXPECT_TRUE(start.ShowLines && start.ShowButtons && !start.ShowRoot && start.TreeBesideList);
    EXPECT_TRUE(start.ReadOnlyFiles && !start.HiddenFiles && start.Folders && !start.ArchiveFiles &&
                start.NormalFiles);
    EXPECT_FALSE(start.MaskByTable || start.ConfirmFileOps || start.SaveWarning);

    TExtensionTable table;
    table.Load("Metin\r\n\t.txt\r\n\t.rtf\r\nHtml\r\n\t.htm\r\nResim\r\n\t.gif\r\nHex\r\n\t\r\n");
    velmora::app::TOptions masking;
    EXPECT_EQ(masking.ListMask(table), "*.*");
    masking.MaskByTable = true;
    EXPECT_EQ(masking.ListMask(table), "*.txt;*.rtf;*.htm;*.gif;*.;");
    // No extensions: nothing is listed but folders.
    table.Load("Metin\r\nHtml\r\nResim\r\nHex\r\n");
    EXPECT_EQ(masking.ListMask(table), "");
}

TEST(ExtensionTable, ASessionStartsWithTheFourGroupsAndNoExtension) {
    const velmora::app::TSession session;
    EXPECT_EQ(session.Extensions.Text(), "Metin Editörü\r\nHtml Editörü\r\nResim Editörü\r\nHex Editörü\r\n");
    EXPECT_TRUE(session.Extensions.Extensions().empty());
    EXPECT_EQ(session.Extensions.Find(""), -1);
    EXPECT_FALSE(session.ExtensionFileIncomplete);
}
