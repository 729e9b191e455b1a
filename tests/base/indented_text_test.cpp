#include <gtest/gtest.h>

#include "base/indented_text.h"

using velmora::IndentedTree;
using velmora::ReadIndentedText;

namespace {

// The nodes as "level:text<parent" lines.
std::string Shape(const IndentedTree& tree) {
    std::string out;
    for (const auto& node : tree.nodes)
        out += std::to_string(node.level) + ":" + node.text + "<" + std::to_string(node.parent) + "\n";
    return out;
}

} // namespace

TEST(IndentedText, LevelsLineEndsAndParents) {
    struct Case {
        const char* text;
        const char* shape;
    };
    const Case cases[] = {
        {"", ""},
        {"A", "0:A<-1\n"},
        {"A\r\n\tx\r\n\ty\r\nB\r\n", "0:A<-1\n1:x<0\n1:y<0\n0:B<-1\n"},
        // CR, LF and CR LF end lines; TABs and spaces count one level each.
        {"A\r x\n\ty\r\n \tz", "0:A<-1\n1:x<0\n1:y<0\n2:z<2\n"},
        // An empty line is a node without a text; so is a line of white space at level 0.
        {"A\r\n\r\nB", "0:A<-1\n0:<-1\n0:B<-1\n"},
        {"A\n\n\tx", "0:A<-1\n0:<-1\n1:x<1\n"},
        // The first line is at the top whatever its indentation.
        {"\t\tA\n\tb\n", "0:A<-1\n1:b<0\n"},
        // Shallower: a sibling of the nearest ancestor at that level or above.
        {"A\n\tx\n\t\ty\n\t\t\tw\n\tv\nB", "0:A<-1\n1:x<0\n2:y<1\n3:w<2\n1:v<0\n0:B<-1\n"},
        {"A\n\tx\n\t\ty\nB", "0:A<-1\n1:x<0\n2:y<1\n0:B<-1\n"},
    };
    for (const Case& c : cases) {
        IndentedTree tree = ReadIndentedText(c.text);
        EXPECT_EQ(Shape(tree), c.shape) << c.text;
        EXPECT_FALSE(tree.stopped) << c.text;
        EXPECT_EQ(tree.StopMessage(), "");
    }
}

TEST(IndentedText, TwoLevelsDeeperStopsKeepingWhatWasRead) {
    IndentedTree tree =
        ReadIndentedText("Metin Editörü\r\n\t.txt\r\nHtml Editörü\r\n\t\t.htm\r\n\t.html\r\n");
    EXPECT_TRUE(tree.stopped);
    EXPECT_EQ(tree.StopMessage(), "Invalid level (2) for item \".htm\"");
    EXPECT_EQ(Shape(tree), "0:Metin Editörü<-1\n1:.txt<0\n0:Html Editörü<-1\n");
    // Measured against the node before, not the line before: a deep first line counts as level 0.
    EXPECT_EQ(ReadIndentedText("\t\tA\n\t\tb").StopMessage(), "Invalid level (2) for item \"b\"");
}

TEST(IndentedText, WrittenTextReadsBackTheSame) {
    const std::string text = "Metin Editörü\r\n\t.txt\r\n\t\tderin\r\n\r\nHex Editörü\r\n\t\r\n";
    IndentedTree tree = ReadIndentedText(text);
    EXPECT_EQ(velmora::WriteIndentedText(tree.nodes), text);
    EXPECT_EQ(Shape(ReadIndentedText(velmora::WriteIndentedText(tree.nodes))), Shape(tree));
}
