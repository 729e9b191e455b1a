#include "explorer/file_operations_core.h"

#include <gtest/gtest.h>

#include <set>

using namespace velmora::explorer;

namespace {
auto TakenFrom(std::set<std::string> names) {
    return [names](const std::string& name) { return names.count(name) > 0; };
}
} // namespace

TEST(FreeNames, FirstFreeNameCountsFromTwo) {
    EXPECT_EQ(FreeFolderName(TakenFrom({})), "Yeni Klasör");
    EXPECT_EQ(FreeFolderName(TakenFrom({"Yeni Klasör", "Yeni Klasör(2)"})), "Yeni Klasör(3)");
    // A gap is filled.
    EXPECT_EQ(FreeFolderName(TakenFrom({"Yeni Klasör", "Yeni Klasör(3)"})), "Yeni Klasör(2)");
    EXPECT_EQ(FreeDocumentName(TakenFrom({})), "velmora.rtf");
    EXPECT_EQ(FreeDocumentName(TakenFrom({"velmora.rtf"})), "velmora(2).rtf");
    // Everything taken: no name rather than endless counting.
    EXPECT_EQ(FreeNumberedName(
                  "a", "a(", ")", [](const std::string&) { return true; }, 50),
              "");
}

TEST(NewDocument, TemplateIsThreeLinesOfOneHundredElevenBytes) {
    const std::string text = kNewDocumentText;
    EXPECT_EQ(text.size(), 111u);
    EXPECT_EQ(text.substr(0, 75),
              "{\\rtf1\\ansi\\ansicpg1254\\deff0\\deflang1055{\\fonttbl{\\f0\\fnil\\fcharset0 ;}}\r\n");
    EXPECT_EQ(text.substr(75), "\\viewkind4\\uc1\\pard\\f0\\fs20\\par\r\n}\r\n");
}

TEST(RenamedName, HiddenExtensionIsKept) {
    struct Case {
        const char* oldName;
        const char* caption;
        bool hide;
        const char* expected;
    } cases[] = {
        {"a.txt", "b", false, "b"},
        {"a.txt", "b", true, "b.txt"},
        {"a.tar.gz", "b", true, "b.tar.gz"}, // the list hides from the first dot
        {"README", "readme2", true, "readme2"},
        {".profile", "x", true, "x.profile"},
        {"a.txt", "b.doc", false, "b.doc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RenamedName(c.oldName, c.caption, c.hide), c.expected) << c.oldName << " " << c.caption;
}

TEST(PathRules, NamesAndPathsTheShellMayBeGiven) {
    for (const char* good : {"a.txt", "Yeni Klasör", "x(2).rtf", "ÇŞĞÜÖİ", ".profile"})
        EXPECT_TRUE(IsValidEntryName(good)) << good;
    for (const char* bad : {"", ".", "..", "a\\b", "..\\x", "a/b", "c:x", "a*", "a?", "a\"b", "a<b", "a>b",
                            "a|b", "tab\there", "trailing ", "trailing."})
        EXPECT_FALSE(IsValidEntryName(bad)) << bad;
    for (const char* good : {"C:\\a\\b.txt", "C:\\Yeni Klasör(2)", "\\\\server\\share\\x"})
        EXPECT_TRUE(IsShellSafePath(good)) << good;
    for (const char* bad : {"", "C:\\*.*", "C:\\a?b", "C:\\a\"b", "C:\\a|b", "C:\\a\nb"})
        EXPECT_FALSE(IsShellSafePath(bad)) << bad;
}

TEST(PathRules, PartsOfAPath) {
    EXPECT_EQ(NamePart("C:\\a\\b.txt"), "b.txt");
    EXPECT_EQ(FolderPart("C:\\a\\b.txt"), "C:\\a\\");
    EXPECT_EQ(NamePart("b.txt"), "b.txt");
    EXPECT_EQ(FolderPart("b.txt"), "");
    EXPECT_EQ(UpperExtension("C:\\a.dir\\readme.TxT"), ".TXT");
    EXPECT_EQ(UpperExtension("C:\\a.dir\\readme"), "");
    EXPECT_EQ(UpperExtension("C:\\x\\.."), ".");
}

TEST(Viewers, FourteenExtensionsAndTheirPrograms) {
    struct Case {
        const char* extension;
        const char* program;
    } cases[] = {
        {".C", "NotePad.exe"},
        {".CPP", "NotePad.exe"},
        {".DPK", "NotePad.exe"},
        {".DPR", "NotePad.exe"},
        {".H", "NotePad.exe"},
        {".INF", "NotePad.exe"},
        {".INI", "NotePad.exe"},
        {".PAS", "NotePad.exe"},
        {".PRG", "NotePad.exe"},
        {".TXT", "NotePad.exe"},
        {".DOC", "Write.exe"},
        {".RTF", "Write.exe"},
        {".WRI", "Write.exe"},
        {".BMP", "PBrush.exe"},
        {".PDF", ""},
        {".GIF", ""},
        {".txt", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ViewerProgramFor(c.extension), c.program) << c.extension;
    EXPECT_TRUE(CanSendAsContent(".WMF"));
    EXPECT_TRUE(CanSendAsContent(".BMP"));
    EXPECT_TRUE(CanSendAsContent(".RTF"));
    EXPECT_FALSE(CanSendAsContent(".EXE"));
}

TEST(SendToNumber, TwoDigitsAfterThePrefix) {
    struct Case {
        const char* name;
        int number;
    } cases[] = {{"Send_To0", 0},  {"Send_To2", 2},   {"Send_To4", 4},  {"Send_To99", 99}, {"Send_To", -1},
                 {"Send_Tox", -1}, {"Send_To1x", -1}, {"ItemOpen", -1}, {"send_to4", -1}};
    for (const Case& c : cases)
        EXPECT_EQ(SendToNumber(c.name), c.number) << c.name;
}

TEST(MenuEnabling, FileListMenuFollowsTheSelection) {
    // No selection, folder view, empty clipboard.
    FileListMenuEnabling none = FileListMenuState({0, "", false, false});
    EXPECT_FALSE(none.open || none.view || none.send || none.cut || none.copy || none.paste || none.rename ||
                 none.remove || none.attributes || none.sendAsContent || none.sendAsNames ||
                 none.firstTarget);
    EXPECT_TRUE(none.newFolder && none.newDocument && none.sendToFolder && none.otherTargets);
    EXPECT_TRUE(FileListMenuState({0, "", false, true}).paste);

    FileListMenuEnabling two = FileListMenuState({2, ".TXT", false, false});
    EXPECT_TRUE(two.open && two.cut && two.copy && two.remove && two.attributes && two.sendAsNames &&
                two.view);
    EXPECT_FALSE(two.rename);
    EXPECT_FALSE(two.sendAsContent); // content of one file only

    FileListMenuEnabling text = FileListMenuState({1, ".TXT", false, false});
    EXPECT_TRUE(text.view && text.rename && text.sendAsContent && text.firstTarget);
    FileListMenuEnabling picture = FileListMenuState({1, ".GIF", false, false});
    EXPECT_FALSE(picture.view || picture.sendAsContent);
    EXPECT_TRUE(FileListMenuState({1, ".WMF", false, false}).sendAsContent);

    FileListMenuEnabling drives = FileListMenuState({0, "", true, false});
    EXPECT_FALSE(drives.newFolder);
    EXPECT_TRUE(drives.newDocument);
}

TEST(MenuEnabling, TreeMenuByNodeLevel) {
    struct Case {
        int level;
        bool add, edit, del, size;
    } cases[] = {{-1, false, false, false, false},
                 {0, false, false, false, false},
                 {1, true, false, false, true},
                 {2, true, true, true, true},
                 {5, true, true, true, true}};
    for (const Case& c : cases) {
        DirTreeMenuEnabling e = DirTreeMenuState(c.level);
        EXPECT_EQ(e.addNode, c.add) << c.level;
        EXPECT_EQ(e.editNode, c.edit) << c.level;
        EXPECT_EQ(e.delNode, c.del) << c.level;
        EXPECT_EQ(e.treeSize, c.size) << c.level;
    }
}
