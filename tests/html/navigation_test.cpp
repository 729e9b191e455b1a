// Link resolution, link clicks, history, visited list, positions and META refresh.
#include "html/builder.h"
#include "html/navigation.h"
#include "html/paint.h"

#include <gtest/gtest.h>

using namespace velmora::html;

namespace {

TLinkContext Context(std::string current, std::string base = {}, std::string root = {}) {
    TLinkContext c;
    c.CurrentFile = std::move(current);
    c.BaseUrl = std::move(base);
    c.ServerRoot = std::move(root);
    // The current drive is D: here, so a root-relative name shows it was expanded.
    c.FullPath = [](const std::string& name) {
        return CollapsePath(
            name.size() > 0 && name[0] == '\\' && (name.size() < 2 || name[1] != '\\') ? "D:" + name : name);
    };
    return c;
}

TEST(LinkResolution, TableOfReferences) {
    struct Case {
        const char* reference;
        const char* current;
        const char* base;
        const char* root;
        const char* expected;
    } cases[] = {
        {"sub/page%20two.htm", "C:\\site\\index.htm", "", "", "C:\\site\\sub\\page two.htm"},
        {"  pic.gif\t", "C:\\site\\index.htm", "", "", "C:\\site\\pic.gif"},
        {"../up.htm", "C:\\site\\sub\\a.htm", "", "", "C:\\site\\up.htm"},
        {"./same.htm", "C:\\site\\a.htm", "", "", "C:\\site\\same.htm"},
        {"/images/a.gif", "C:\\site\\index.htm", "", "C:\\www", "C:\\www\\images\\a.gif"},
        {"/images/a.gif", "C:\\site\\index.htm", "", "", "D:\\images\\a.gif"},
        {"file:///C|/docs/x.htm", "C:\\site\\index.htm", "", "", "C:\\docs\\x.htm"},
        {"FILE://C:/docs/x.htm", "C:\\site\\index.htm", "", "", "C:\\docs\\x.htm"},
        {"E:\\other\\y.htm", "C:\\site\\index.htm", "", "", "E:\\other\\y.htm"},
        {"\\\\server\\share\\z.htm", "C:\\site\\index.htm", "", "", "\\\\server\\share\\z.htm"},
        {"rel.htm", "C:\\site\\index.htm", "DosPath", "", "rel.htm"},
        {"rel.htm", "C:\\site\\index.htm", "dospath", "", "rel.htm"},
        {"rel.htm", "C:\\site\\index.htm", "file:///C:/base/", "", "C:\\base\\rel.htm"},
        // A base naming a page stands for its folder.
        {"rel.htm", "C:\\site\\index.htm", "C:\\base\\start.htm", "", "C:\\base\\rel.htm"},
        // Escapes: one at the start is not decoded, nor a short or non-hex one,
        // nor what a decoded "%" makes.
        {"%41b.htm", "C:\\s\\i.htm", "", "", "C:\\s\\%41b.htm"},
        {"a%2541.htm", "C:\\s\\i.htm", "", "", "C:\\s\\a%41.htm"},
        {"a%zz%20.htm", "C:\\s\\i.htm", "", "", "C:\\s\\a%zz%20.htm"},
        {"a%2", "C:\\s\\i.htm", "", "", "C:\\s\\a%2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandLinkName(c.reference, Context(c.current, c.base, c.root)), c.expected) << c.reference;
}

TEST(LinkResolution, ClicksByExtension) {
    const TLinkContext c = Context("C:\\site\\index.htm");
    struct Case {
        const char* href;
        TLinkAction::Kind action;
        const char* file;
        const char* anchor;
    } cases[] = {
        {"#top", TLinkAction::laAnchor, "", "#top"},
        {"chap2.htm#fig3", TLinkAction::laHtml, "C:\\site\\chap2.htm", "#fig3"},
        {"page.HTML", TLinkAction::laHtml, "C:\\site\\page.HTML", ""},
        {"page.htmls", TLinkAction::laHtml, "C:\\site\\page.htmls", ""},
        {"pic.JPG#x", TLinkAction::laPicture, "C:\\site\\pic.JPG", ""},
        {"a.jpeg", TLinkAction::laPicture, "C:\\site\\a.jpeg", ""},
        {"a.png", TLinkAction::laPicture, "C:\\site\\a.png", ""},
        {"doc.txt", TLinkAction::laNothing, "C:\\site\\doc.txt", ""},
        {"mailto:someone", TLinkAction::laNothing, "C:\\site\\mailto:someone", ""},
        {"noextension", TLinkAction::laNothing, "C:\\site\\noextension", ""},
        {"docs.html/readme", TLinkAction::laNothing, "C:\\site\\docs.html\\readme", ""},
    };
    for (const Case& k : cases) {
        const TLinkAction a = ResolveLinkClick(k.href, c);
        EXPECT_EQ(a.Action, k.action) << k.href;
        if (k.action != TLinkAction::laAnchor) {
            EXPECT_EQ(a.File, k.file) << k.href;
        }
        EXPECT_EQ(a.Anchor, k.anchor) << k.href;
    }
}

THistoryEntry E(const std::string& file, int32_t section = 0, TDocumentKind kind = TDocumentKind::dkHtml) {
    return THistoryEntry{file, kind, TPositionCode{section, 0}};
}

std::vector<std::string> Files(const THistory& h) {
    std::vector<std::string> out;
    for (int i = 0; i < h.Count(); ++i)
        out.push_back(h[i]);
    return out;
}

TEST(LinkResolution, OnlyWebAndMailAddressesGoToTheShellAndOnlyAsOneUrl) {
    struct Case {
        const char* href;
        const char* shell; // what the shell gets; "" when the link is not the shell's
    };
    const Case cases[] = {
        {"http://x", "http://x"},
        {"  HTTP://Example.com/a?b=c#d \r\n", "HTTP://Example.com/a?b=c#d"},
        {"https://a/", "https://a/"},
        {"MailTo:ali@example.com", "MailTo:ali@example.com"},
        {"mAiLtO:x", "mAiLtO:x"},
        // Merely mentioning a scheme is not enough: a page is not trusted.
        {"notepad.exe http:", ""},
        {"file:///C:/windows/notepad.exe#http:", ""},
        {"sayfa.htm?geri=http://a", ""},
        {"cmd /c start mailto:x", ""},
        {"\"http://x\"", ""},
        {"http:x", ""},
        {"http//a", ""},
        {"http://", ""},
        {"mailto:", ""},
        {"ftp://a/", ""},
        {"sayfa2.htm", ""},
        {"", ""},
        // Nothing in the address can end it or start another argument.
        {"http://x/a b\"c\\d", "http://x/a%20b%22c%5Cd"},
        {"http://x/\t<tag>|^`{}", "http://x/%09%3Ctag%3E%7C%5E%60%7B%7D"},
        {"mailto:çağrı@örnek.com", "mailto:%C3%A7a%C4%9Fr%C4%B1@%C3%B6rnek.com"},
        {"http://x/\x80", "http://x/%E2%82%AC"},
        {"http://x/%41", "http://x/%41"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShellLinkUrl(c.href), c.shell) << c.href;
}

TEST(History, BackThenANewLinkDropsWhatWasAhead) {
    THistory h;
    h.SetMaxCount(6);
    EXPECT_TRUE(h.Record(E(""), E("A")));
    EXPECT_TRUE(h.Record(E("A", 3), E("B")));
    EXPECT_TRUE(h.Record(E("B", 5), E("C")));
    EXPECT_EQ(Files(h), (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_EQ(h.Entry(1).Position.Section, 5); // where B was left
    h.SetIndex(2);                             // Back twice shows A
    EXPECT_TRUE(h.Record(E("A", 7), E("D")));
    EXPECT_EQ(Files(h), (std::vector<std::string>{"D", "A"}));
    EXPECT_EQ(h.Entry(1).Position.Section, 7);
    EXPECT_EQ(h.Index(), 0);
}

TEST(History, LimitsAndWhatIsNotRecorded) {
    THistory h;
    EXPECT_FALSE(h.Record(E(""), E("A"))); // 0 disables it
    h.SetMaxCount(6);
    for (const char* f : {"1", "2", "3", "4", "5", "6", "7"})
        h.Record(E(h.Count() ? h[0] : ""), E(f));
    EXPECT_EQ(Files(h), (std::vector<std::string>{"7", "6", "5", "4", "3", "2"}));
    EXPECT_FALSE(h.Record(E("7"), E("7"))); // nothing moved
    EXPECT_FALSE(h.Record(E("7"), E("")));  // nothing shown
    EXPECT_FALSE(h.SetMaxCount(-1));
    EXPECT_FALSE(h.SetMaxCount(8)); // larger keeps the entries
    EXPECT_EQ(h.Count(), 6);
    EXPECT_TRUE(h.SetMaxCount(3)); // smaller empties it
    EXPECT_EQ(h.Count(), 0);
    EXPECT_EQ(h.MaxCount(), 3);
    // The owner emptied it: the next move starts again at one entry.
    h.Record(E(""), E("X"));
    h.Clear();
    EXPECT_TRUE(h.Record(E("X"), E("Y")));
    EXPECT_EQ(Files(h), (std::vector<std::string>{"Y"}));
}

TEST(Visited, MostRecentFirstIgnoringCaseAndLimited) {
    TVisitedList v;
    EXPECT_EQ(v.Add("C:\\a.htm"), TVisitedList::arInserted);
    EXPECT_EQ(v.Add("C:\\A.HTM"), TVisitedList::arNothing); // already first
    EXPECT_EQ(v.Add("C:\\b.htm#x"), TVisitedList::arInserted);
    EXPECT_EQ(v.Add("c:\\a.htm"), TVisitedList::arMoved);
    EXPECT_EQ(v[0], "c:\\a.htm");
    EXPECT_EQ(v.Count(), 2);
    EXPECT_TRUE(v.Contains("C:\\B.HTM#X"));
    EXPECT_TRUE(v.SetMaxCount(1));
    EXPECT_EQ(v.Count(), 1);
    EXPECT_TRUE(v.SetMaxCount(-4));
    EXPECT_EQ(v.Count(), 0);
    EXPECT_EQ(v.Add("x"), TVisitedList::arNothing); // 0 disables it
}

TEST(MetaRefresh, DelayAndUrl) {
    struct Case {
        const char* content;
        bool used;
        int32_t delay;
        const char* url;
    } cases[] = {
        {"5; URL=Next.htm", true, 5, "Next.htm"},
        {"0", true, 1, ""},
        {" 10 ;url=a.htm;b", true, 10, "a.htm;b"},
        {"-3; url=x", false, 0, ""},
        {"soon; url=x", false, 0, ""},
        {"", false, 0, ""},
        {"99999999999999", false, 0, ""},
    };
    for (const Case& c : cases) {
        int32_t delay = 0;
        std::string url;
        EXPECT_EQ(ParseMetaRefresh(c.content, delay, url), c.used) << c.content;
        if (c.used) {
            EXPECT_EQ(delay, c.delay) << c.content;
            EXPECT_EQ(url, c.url) << c.content;
        }
    }
}

TEST(Positions, CodesSurviveARelayoutAtAnotherWidth) {
    FixedFontMetrics metrics;
    TSectionList doc(metrics);
    TAnchorList anchors;
    std::string html;
    for (int i = 0; i < 40; ++i)
        html += "<p>paragraph " + std::to_string(i) + " with some words to wrap around";
    ParseHtmlText(doc, anchors, html);
    doc.LayOut(400, 5);
    const TSectionBase& target = *doc.Sections[20];
    const TPositionCode code = PositionCodeAt(doc, target.YValue + 3);
    EXPECT_EQ(code, (TPositionCode{20, 3}));
    doc.LayOut(120, 5); // narrower: everything moves down
    EXPECT_EQ(PositionFromCode(doc, code), doc.Sections[20]->YValue + 3);
    EXPECT_EQ(PositionCodeAt(doc, 1 << 30).Section, -1);
    EXPECT_EQ(PositionFromCode(doc, {}), 0);
    EXPECT_EQ(PositionFromCode(doc, {9999, 4}), 0);
}

TEST(Words, DoubleClickWordsStopAtPunctuation) {
    FixedFontMetrics metrics;
    TSectionList doc(metrics);
    TAnchorList anchors;
    ParseHtmlText(doc, anchors, "Gidin: İstanbul, çok güzel");
    doc.LayOut(400, 5);
    const int32_t at = doc.SearchText("stanbul", true, 0);
    int32_t b = 0, e = 0;
    ASSERT_TRUE(WordAt(doc, at + 2, b, e));
    std::string word;
    doc.CopySelectedText(b, e, word);
    EXPECT_EQ(word, "İstanbul");
    EXPECT_FALSE(WordAt(doc, doc.SearchText(",", true, 0), b, e));
}

TEST(CopyText, ListLevelsAreIndentedAndLinesEnded) {
    FixedFontMetrics metrics;
    TSectionList doc(metrics);
    TAnchorList anchors;
    ParseHtmlText(doc, anchors, "<ul><li>one<ul><li>two</ul></ul><p>end");
    doc.LayOut(400, 5);
    std::string copied;
    doc.CopySelectedText(0, doc.SearchText("end", true, 0) + 3, copied);
    EXPECT_EQ(copied, "   one\r\n      two\r\n\r\nend");
}

} // namespace

namespace {

TEST(DummyCaret, DrawnAtTheCaretOnlyWithoutASelection) {
    FixedFontMetrics metrics;
    TSectionList doc(metrics);
    TAnchorList anchors;
    ParseHtmlText(doc, anchors, "<p>caret here");
    doc.LayOut(400, 5);
    const int32_t pos = doc.SearchText("here", true, 0);
    int32_t x = 0, y = 0;
    ASSERT_TRUE(doc.CaretPosToXY(pos, x, y));
    auto carets = [&](bool show, int32_t selE) {
        doc.ShowDummyCaret = show;
        TViewState view;
        view.CaretPos = pos;
        view.SelB = pos;
        view.SelE = selE;
        TPaintContext pc(doc, view, {0, 0, 400, 300}, 10);
        PaintDocument(pc);
        std::vector<TDrawOp> found;
        for (const TDrawOp& op : pc.Ops)
            if (op.Kind == TDrawKind::Fill && op.W == 1) found.push_back(op);
        return found;
    };
    const auto shown = carets(true, pos);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].X, x + 10);
    EXPECT_EQ(shown[0].Y, y);
    EXPECT_GT(shown[0].H, 10);
    EXPECT_TRUE(carets(false, pos).empty());
    EXPECT_TRUE(carets(true, pos + 2).empty()); // a selection hides it
}

} // namespace
