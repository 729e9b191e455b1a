#include "explorer/file_list_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>

using namespace velmora::explorer;

TEST(FileType, AttributeMaskOfMembers) {
    EXPECT_EQ(TFileType{}.AttributeMask(), 0u);
    EXPECT_EQ((TFileType{ftReadOnly, ftHidden, ftSystem, ftArchive}.AttributeMask()), 0x27u);
    EXPECT_EQ((TFileType{ftReadOnly, ftSystem, ftNormal}.AttributeMask()), 0x85u);
    TFileType t{ftHidden};
    t.Include(ftNormal).Exclude(ftHidden);
    EXPECT_EQ(t, TFileType{ftNormal});
}

TEST(FileType, EntryFilter) {
    struct Case {
        uint32_t attributes, mask;
        bool passes;
    } cases[] = {
        {0x20, 0x00, true},                       // archive does not filter
        {0x80, 0x00, true},                       // nor does normal
        {0x10, 0x00, false},                      // a folder in a file search
        {0x20, 0x10, false},                      // a file in a folder search
        {0x10, 0x10, true},  {0x12, 0x10, false}, // hidden folder without ftHidden
        {0x12, 0x12, true},  {0x01, 0x85, true},  // read-only with ftReadOnly
        {0x03, 0x85, false},                      // read-only and hidden without ftHidden
        {0x04, 0x01, false},                      // system without ftSystem
        {0x16, 0x16, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EntryPasses(c.attributes, c.mask), c.passes) << std::hex << c.attributes << " " << c.mask;
    }
}

TEST(FileListText, MaskPieces) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitMask(""), V{});
    EXPECT_EQ(SplitMask("*.*"), V{"*.*"});
    EXPECT_EQ(SplitMask("*.txt;*.doc"), (V{"*.txt", "*.doc"}));
    EXPECT_EQ(SplitMask("*.txt; *.doc;"), (V{"*.txt", " *.doc", ""}));
    EXPECT_EQ(SplitMask(";"), (V{"", ""}));
}

TEST(FileListText, SizesAttributesAndCaptions) {
    EXPECT_EQ(SizeText(0), "0");
    EXPECT_EQ(SizeText(1), "1");
    EXPECT_EQ(SizeText(1023), "1");
    EXPECT_EQ(SizeText(1024), "1");
    EXPECT_EQ(SizeText(1025), "1");
    EXPECT_EQ(SizeText(2048), "2");
    EXPECT_EQ(SizeText(5'000'000'000LL), "4882812");

    EXPECT_EQ(AttributeLetters(0), "");
    EXPECT_EQ(AttributeLetters(0x80), "");
    EXPECT_EQ(AttributeLetters(0x21), "AR");
    EXPECT_EQ(AttributeLetters(0x27), "ARHS");
    EXPECT_EQ(AttributeLetters(0x16), "HS");

    EXPECT_EQ(EntryCaption("..", false), " ..");
    EXPECT_EQ(EntryCaption("..", true), " ..");
    EXPECT_EQ(EntryCaption("a.b.txt", false), "a.b.txt");
    EXPECT_EQ(EntryCaption("a.b.txt", true), "a");
    EXPECT_EQ(EntryCaption(".profile", true), "");
    EXPECT_EQ(EntryCaption("README", true), "README");
}

TEST(FileListText, DriveTexts) {
    EXPECT_EQ(DriveSizeText(0, '.'), "0 Mb");
    EXPECT_EQ(DriveSizeText(999, '.'), " Mb");
    EXPECT_EQ(DriveSizeText(1000, '.'), "1 Mb");
    EXPECT_EQ(DriveSizeText(123'456'789, '.'), "123.456 Mb");
    EXPECT_EQ(DriveSizeText(999'999'999'999LL, ','), "999,999,999 Mb");
    EXPECT_EQ(DriveSizeText(1'234'567'890'123LL, '.'), "1.234.567.890 Mb");
    EXPECT_EQ(DriveTypeText(3), "Sabit Disk");
    EXPECT_EQ(DriveTypeText(2), "Çıkarılan Disk");
    EXPECT_EQ(DriveTypeText(0), "Tanınmadı");
    EXPECT_EQ(DriveTypeText(99), "Tanınmadı");
    EXPECT_EQ(DriveLabel("Yerel Disk (C:)"), "Yerel Disk ");
    EXPECT_EQ(DriveLabel("C:"), "");
    EXPECT_EQ(DriveCaption('C', "Yerel Disk "), " (C:)  Yerel Disk ");
}

TEST(FileListText, DatePictures) {
    DateTimeParts t{2026, 12, 10, 14, 5, 9};
    struct Case {
        TDTFormat format;
        const char* expected;
    } cases[] = {
        {df_MMddyyyy, "12.10.2026"}, {df_MMddyy, "12.10.26"},    {df_ddMMyyyy, "10.12.2026"},
        {df_ddMMyy_GB, "10.12.26"},  {df_ddMMyy_DE, "10.12.26"}, {df_ddMMyy_IT, "10-12-26"},
        {df_yyyyMMdd, "2026-12-10"}, {df_yyMMdd, "26-12-10"},    {df_Customize, "10.12.2026"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatDateTime(DateFormatString(c.format, "dd.MM.yyyy"), t, ".", ":"), c.expected)
            << c.format;
    }
    EXPECT_EQ(FormatDateTime("HH:mm:ss", t, ".", ":"), "14:05:09");
    EXPECT_EQ(FormatDateTime("H:m:s", t, ".", "."), "14.5.9");
    EXPECT_EQ(FormatDateTime("d/M/yy", DateTimeParts{2003, 2, 1, 0, 0, 0}, "/", ":"), "1/2/03");
    // "m" right after an hour field is the minute, elsewhere the month.
    EXPECT_EQ(FormatDateTime("hh mm, dd mm", t, ".", ":"), "14 05, 10 12");
    // Quoted text and other characters print as they are.
    EXPECT_EQ(FormatDateTime("'saat' HH", t, ".", ":"), "saat 14");
    EXPECT_EQ(FormatDateTime("", t, ".", ":"), "");
}

namespace {
TFileListRow Row(const std::string& caption, const std::string& kind, int64_t bytes, const std::string& type,
                 int64_t modified, const std::string& attributes) {
    TFileListRow r;
    r.caption = caption;
    r.cells = {kind == "dir" ? "0" : SizeText(bytes), type, "", attributes, "C:\\" + caption, kind};
    r.size = bytes;
    r.modified = modified;
    r.MakeKeys();
    return r;
}

// The list sorts by name after every listing; a column click sorts that order again.
std::vector<std::string> Order(std::vector<TFileListRow> rows, int column, bool descending) {
    std::stable_sort(rows.begin(), rows.end(), [](const TFileListRow& a, const TFileListRow& b) {
        return CompareRows(a, b, 0, false) < 0;
    });
    std::stable_sort(rows.begin(), rows.end(), [&](const TFileListRow& a, const TFileListRow& b) {
        return CompareRows(a, b, column, descending) < 0;
    });
    std::vector<std::string> names;
    for (const auto& r : rows)
        names.push_back(r.caption);
    return names;
}
} // namespace

TEST(FileListOrder, FoldersFirstAscendingAndLastDescending) {
    std::vector<TFileListRow> rows = {
        Row("b.txt", "file", 3000, "Metin", 30, "A"),    Row("Zeta", "dir", 0, "Klasör", 10, ""),
        Row(" ..", "dir", 0, "Klasör", 5, ""),           Row("a.doc", "file", 100, "belge", 20, "AR"),
        Row("çiçek.txt", "file", 5000, "Metin", 40, ""), Row("alfa", "dir", 0, "Klasör", 50, "H"),
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(Order(rows, 0, false), (V{" ..", "alfa", "Zeta", "a.doc", "b.txt", "çiçek.txt"}));
    EXPECT_EQ(Order(rows, 0, true), (V{"çiçek.txt", "b.txt", "a.doc", "Zeta", "alfa", " .."}));
    // A first click on the size column: largest first, folders at the end.
    EXPECT_EQ(Order(rows, 1, true), (V{"çiçek.txt", "b.txt", "a.doc", " ..", "alfa", "Zeta"}));
    EXPECT_EQ(Order(rows, 1, false), (V{" ..", "alfa", "Zeta", "a.doc", "b.txt", "çiçek.txt"}));
    // Type ignores the case of A to Z.
    EXPECT_EQ(Order(rows, 2, false), (V{" ..", "alfa", "Zeta", "a.doc", "b.txt", "çiçek.txt"}));
    EXPECT_EQ(Order(rows, 3, false), (V{" ..", "Zeta", "alfa", "a.doc", "b.txt", "çiçek.txt"}));
    EXPECT_EQ(Order(rows, 3, true), (V{"çiçek.txt", "b.txt", "a.doc", "alfa", "Zeta", " .."}));
    EXPECT_EQ(Order(rows, 4, false), (V{" ..", "Zeta", "alfa", "çiçek.txt", "b.txt", "a.doc"}));
}

TEST(FileListOrder, NamesCompareAsUnsignedBytesOfTheirKeys) {
    // The order memcmp gives on the upper-case keys, for every pair of bytes
    // after a shared start, and for a name against its own longer form.
    auto expected = [](const TFileListRow& a, const TFileListRow& b) {
        size_t n = std::min(a.nameKey.size(), b.nameKey.size());
        int c = std::memcmp(a.nameKey.data(), b.nameKey.data(), n);
        if (c == 0) c = a.nameKey.size() < b.nameKey.size() ? -1 : a.nameKey.size() > b.nameKey.size();
        return c < 0 ? -1 : c > 0;
    };
    for (int x = 1; x < 256; ++x) {
        TFileListRow a = Row(std::string("dosya ") + static_cast<char>(x), "file", 0, "", 0, "");
        for (int y = 1; y < 256; ++y) {
            TFileListRow b =
                Row(std::string("dosya ") + static_cast<char>(y) + (y % 2 ? "" : "z"), "file", 0, "", 0, "");
            ASSERT_EQ(CompareRows(a, b, 0, false), expected(a, b)) << x << " " << y;
            ASSERT_EQ(CompareRows(a, b, 0, true), -expected(a, b)) << x << " " << y;
        }
    }
}

TEST(FileListOrder, SortedOrderIsTheStableSortByCompareRows) {
    // Names that share their first 16 bytes, are cut there, differ only in
    // letter case or past byte 0x7F, repeat, and folders among them.
    const std::string stems[] = {"dosya 000001.txt",
                                 "dosya 000001.txt2",
                                 "DOSYA 000001.TXT",
                                 "dosya 00000",
                                 "şeker",
                                 "Şeker",
                                 "ıişİ",
                                 "a",
                                 "",
                                 "zz",
                                 "dosya 000001.txt_uzun_ad"};
    std::vector<TFileListRow> rows;
    unsigned seed = 7;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
    for (int i = 0; i < 400; ++i) {
        std::string name = stems[next() % std::size(stems)];
        if (next() % 3 == 0) name += static_cast<char>(0x80 + next() % 128);
        const bool folder = next() % 5 == 0;
        rows.push_back(Row(name, folder ? "dir" : "file", next() % 5000, next() % 2 ? "Metin" : "metin b",
                           next() % 50, next() % 2 ? "A" : "AR"));
    }
    for (int column = 0; column <= 4; ++column) {
        for (bool descending : {false, true}) {
            std::vector<int> expected(rows.size());
            for (size_t i = 0; i < expected.size(); ++i)
                expected[i] = static_cast<int>(i);
            std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
                return CompareRows(rows[a], rows[b], column, descending) < 0;
            });
            EXPECT_EQ(SortedOrder(rows, column, descending), expected) << column << " " << descending;
        }
    }
    EXPECT_TRUE(SortedOrder({}, 0, false).empty());
}

TEST(FileListOrder, OnlyTheFolderKindIsAFolder) {
    struct Case {
        const char* kind;
        bool folder;
    };
    for (const Case& c : {Case{"dir", true}, Case{"file", false}, Case{"drv", false}, Case{"Dir", false},
                          Case{"dirs", false}, Case{"di", false}, Case{"", false}}) {
        TFileListRow row;
        row.cells[cellKind] = c.kind;
        EXPECT_EQ(row.IsFolder(), c.folder) << c.kind;
    }
}

TEST(FileListOrder, SizeComparesTheShownKilobytes) {
    TFileListRow a = Row("a", "file", 100, "", 0, ""), b = Row("b", "file", 900, "", 0, "");
    EXPECT_EQ(CompareRows(a, b, 1, false), 0);
    TFileListRow c = Row("c", "file", 2048, "", 0, "");
    EXPECT_EQ(CompareRows(c, a, 1, false), 1);
    EXPECT_EQ(CompareRows(c, a, 1, true), -1);
}

TEST(FileListOrder, RowsWhoseTextsAreNotWrittenYetSortAsTheShownOnes) {
    // A row listed but never shown has no size text; its key must be the one
    // the text will give, also after a rename rebuilds the keys.
    for (int64_t bytes : {int64_t(0), int64_t(1), int64_t(1023), int64_t(1025), int64_t(5'000'000'000LL)}) {
        TFileListRow shown = Row("a", "file", bytes, "", 0, "");
        TFileListRow pending;
        pending.caption = "a";
        pending.cells[cellKind] = "file";
        pending.size = bytes;
        pending.textsPending = true;
        pending.MakeKeys();
        EXPECT_EQ(pending.sizeKey, shown.sizeKey) << bytes;
        EXPECT_EQ(pending.nameKey, shown.nameKey);
    }
    TFileListRow folder;
    folder.cells[cellKind] = "dir";
    folder.size = 4096;
    folder.textsPending = true;
    folder.MakeKeys();
    EXPECT_EQ(folder.sizeKey, 0);
}

TEST(FileListOrder, SecondsOfDates) {
    EXPECT_EQ(SecondsOf({1970, 1, 1, 0, 0, 0}), 719468LL * 86400);
    EXPECT_EQ(SecondsOf({2026, 12, 10, 14, 5, 9}) - SecondsOf({2026, 12, 10, 14, 5, 8}), 1);
    EXPECT_EQ(SecondsOf({2024, 3, 1, 0, 0, 0}) - SecondsOf({2024, 2, 28, 0, 0, 0}), 2 * 86400);
}
