#include "base/os.h"

#include <gtest/gtest.h>

#include <string>

using namespace velmora::os;

TEST(Charset, LiteralsAreCodePage1254Bytes) {
    const std::string text = "ıİşŞğĞçÇöÖüÜ";
    ASSERT_EQ(text.size(), 12u);
    const unsigned char expected[] = {0xFD, 0xDD, 0xFE, 0xDE, 0xF0, 0xD0, 0xE7, 0xC7, 0xF6, 0xD6, 0xFC, 0xDC};
    for (size_t i = 0; i < text.size(); ++i) EXPECT_EQ(static_cast<unsigned char>(text[i]), expected[i]) << i;
}

TEST(Os, CaseMappingOfTurkishLetters) {
    struct Case {
        const char* in;
        const char* upper;
        const char* lower;
    };
    const Case cases[] = {
        {"abc", "ABC", "abc"},
        {"ığüşöç", "IĞÜŞÖÇ", "ığüşöç"},
        {"İIi", "İII", "iii"},
        {"ÿŸšŠ", "ŸŸŠŠ", "ÿÿšš"},
        {"1-_÷×ß", "1-_÷×ß", "1-_÷×ß"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AnsiUpperCase(c.in), c.upper) << c.in;
        EXPECT_EQ(AnsiLowerCase(c.in), c.lower) << c.in;
    }
}

TEST(Os, AnsiOemRoundTrip) {
    const std::string ansi = "Dosya Adı ŞĞÜ";
    std::string oem = ToOem(ansi);
    ASSERT_EQ(oem.size(), ansi.size());
    // In code page 857 'ı' is 0x8D and 'Ş' is 0x9E.
    EXPECT_EQ(static_cast<unsigned char>(oem[8]), 0x8D);
    EXPECT_EQ(static_cast<unsigned char>(oem[10]), 0x9E);
    EXPECT_EQ(FromOem(oem), ansi);
}

TEST(Os, TurkishSeparators) {
    EXPECT_EQ(ThousandSeparator(), '.');
    EXPECT_EQ(DecimalSeparator(), ',');
}

TEST(Os, TempFolderAndTicks) {
    std::string temp = TempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), PathSeparator());
    uint32_t a = TickCount();
    uint32_t b = TickCount();
    EXPECT_LE(b - a, 1000u);
}

TEST(Os, FilesCopyRenameRemove) {
    std::string base = TempFolder() + "velmora_os_test_" + std::to_string(TickCount());
    std::string a = base + ".a", b = base + ".b", c = base + ".c";
    {
        File f;
        ASSERT_TRUE(f.Open(a, File::Mode::Create));
        ASSERT_EQ(f.Write("hello world", 11), 11);
    }
    EXPECT_TRUE(FileExists(a));
    EXPECT_EQ(FileSize(a), 11);
    EXPECT_TRUE(CopyFileTo(a, b, true));
    EXPECT_FALSE(CopyFileTo(a, b, true)) << "an existing target is kept";
    {
        File f;
        ASSERT_TRUE(f.Open(b, File::Mode::ReadWrite));
        ASSERT_TRUE(f.Seek(6));
        char buffer[8] = {};
        EXPECT_EQ(f.Read(buffer, 8), 5);
        EXPECT_EQ(std::string(buffer, 5), "world");
        ASSERT_TRUE(f.Truncate(5));
        EXPECT_EQ(f.Size(), 5);
    }
    EXPECT_TRUE(RenameFile(b, c));
    EXPECT_FALSE(FileExists(b));
    EXPECT_FALSE(RenameFile(a, c)) << "rename never replaces";
    EXPECT_TRUE(RemoveFile(a));
    EXPECT_TRUE(RemoveFile(c));
    EXPECT_FALSE(FileExists(c));
    EXPECT_EQ(FileSize(c), -1);
    File missing;
    EXPECT_FALSE(missing.Open(c, File::Mode::Read));
}

TEST(Os, ClaimingReplacingAndTheTestHooks) {
    std::string base = TempFolder() + "velmora_os_hooks_" + std::to_string(TickCount());
    std::string a = base + ".a", b = base + ".b";
    File f;
    ASSERT_TRUE(f.Open(a, File::Mode::CreateNew));
    File again;
    EXPECT_FALSE(again.Open(a, File::Mode::CreateNew)) << "a name is claimed once";

    // Writes made to fail after N bytes write those N bytes, then report failure.
    const FileCounters before = Counters();
    FileFaults faults;
    faults.writeBytes = 6;
    InjectFileFaults(faults);
    EXPECT_EQ(f.Write("abcd", 4), 4);
    EXPECT_EQ(f.Write("efgh", 4), -1);
    EXPECT_EQ(f.Write("ijkl", 4), -1);
    ClearFileFaults();
    EXPECT_EQ(f.Size(), 6);
    EXPECT_EQ(f.Write("ij", 2), 2);
    const FileCounters after = Counters();
    EXPECT_EQ(after.writes - before.writes, 4);
    EXPECT_EQ(after.bytesWritten - before.bytesWritten, 8);
    faults = FileFaults{};
    faults.readBytes = 3;
    faults.failTruncate = true;
    faults.failFlush = true;
    InjectFileFaults(faults);
    char buffer[8] = {};
    ASSERT_TRUE(f.Seek(0));
    EXPECT_EQ(f.Read(buffer, 8), -1);
    EXPECT_FALSE(f.Truncate(2));
    EXPECT_FALSE(f.Flush());
    ClearFileFaults();
    ASSERT_TRUE(f.Seek(0));
    EXPECT_EQ(f.Read(buffer, 8), 8);
    EXPECT_EQ(std::string(buffer, 8), "abcdefij");
    EXPECT_TRUE(f.Flush());
    f.Close();

    // Moving a file over another replaces it; a missing target is simply made.
    {
        File g;
        ASSERT_TRUE(g.Open(b, File::Mode::Create));
        ASSERT_EQ(g.Write("B", 1), 1);
    }
    EXPECT_FALSE(SameFile(a, b));
    EXPECT_TRUE(SameFile(a, a));
    EXPECT_TRUE(MoveFileOver(b, a));
    EXPECT_FALSE(FileExists(b));
    EXPECT_EQ(FileSize(a), 1);
    EXPECT_TRUE(MoveFileOver(a, b));
    EXPECT_FALSE(FileExists(a));
    EXPECT_FALSE(SameFile(a, b)) << "a missing file is no file";
    EXPECT_TRUE(RemoveFile(b));
    EXPECT_TRUE(FolderExists(TempFolder()));
    EXPECT_FALSE(FolderExists(b));
}
