#include "toolkit/clipboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/application.h"

namespace {

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override { tk::Application().Initialize(); }
};

TEST_F(ClipboardTest, TextRoundTripKeepsTurkishLetters) {
    const std::string text = "Dosya adı: şğüöçİı\r\nikinci satır";
    ASSERT_TRUE(tk::SetClipboardText(text));
    EXPECT_EQ(tk::ClipboardText(), text);
    // A program that reads Unicode sees the same letters.
    tk::TClipboard clipboard;
    ASSERT_TRUE(clipboard.IsOpen());
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    ASSERT_TRUE(data);
    std::wstring wide(static_cast<const wchar_t*>(GlobalLock(data)));
    GlobalUnlock(data);
    EXPECT_EQ(wide.substr(0, 18), L"Dosya ad\u0131: \u015f\u011f\u00fc\u00f6\u00e7\u0130\u0131");
}

TEST_F(ClipboardTest, FormatsWrittenTogetherStayTogether) {
    const std::string rtf = "{\\rtf1\\ansi {\\b kal\\'fdn}}";
    {
        tk::TClipboard clipboard;
        ASSERT_TRUE(clipboard.SetRtf(rtf));
        ASSERT_TRUE(clipboard.SetText("kalın"));
    }
    {
        tk::TClipboard clipboard;
        EXPECT_TRUE(clipboard.HasFormat(tk::RtfClipboardFormat()));
        EXPECT_EQ(clipboard.Rtf(), rtf);
        EXPECT_EQ(clipboard.Text(), "kalın");
    }
    // A later writer replaces them all.
    ASSERT_TRUE(tk::SetClipboardText("düz"));
    tk::TClipboard clipboard;
    EXPECT_FALSE(clipboard.HasFormat(tk::RtfClipboardFormat()));
    EXPECT_EQ(clipboard.Rtf(), "");
}

TEST_F(ClipboardTest, BitmapIsCopiedBothWays) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 6);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 8, 6};
    HBRUSH green = CreateSolidBrush(RGB(0, 128, 0));
    FillRect(dc, &all, green);
    DeleteObject(green);
    SetPixel(dc, 2, 3, RGB(255, 0, 0));
    SelectObject(dc, old);
    {
        tk::TClipboard clipboard;
        ASSERT_TRUE(clipboard.SetBitmap(bitmap));
    }
    // Ours still: the clipboard took a copy.
    BITMAP info{};
    ASSERT_TRUE(GetObjectA(bitmap, sizeof info, &info));
    DeleteObject(bitmap);

    HBITMAP copy = nullptr;
    {
        tk::TClipboard clipboard;
        EXPECT_TRUE(clipboard.HasFormat(CF_BITMAP));
        copy = clipboard.Bitmap();
    }
    ASSERT_TRUE(copy);
    ASSERT_TRUE(GetObjectA(copy, sizeof info, &info));
    EXPECT_EQ(info.bmWidth, 8);
    EXPECT_EQ(info.bmHeight, 6);
    old = SelectObject(dc, copy);
    EXPECT_EQ(GetPixel(dc, 2, 3), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 128, 0));
    SelectObject(dc, old);
    DeleteObject(copy);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

TEST_F(ClipboardTest, MetafileIsCopiedBothWays) {
    HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(recorder);
    Rectangle(recorder, 10, 10, 100, 60);
    HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
    ENHMETAHEADER header{};
    GetEnhMetaFileHeader(metafile, sizeof header, &header);
    {
        tk::TClipboard clipboard;
        ASSERT_TRUE(clipboard.SetMetafile(metafile));
    }
    DeleteEnhMetaFile(metafile);
    tk::TClipboard clipboard;
    HENHMETAFILE copy = clipboard.Metafile();
    ASSERT_TRUE(copy);
    ENHMETAHEADER copied{};
    GetEnhMetaFileHeader(copy, sizeof copied, &copied);
    EXPECT_EQ(copied.nBytes, header.nBytes);
    EXPECT_EQ(copied.nRecords, header.nRecords);
    DeleteEnhMetaFile(copy);
}

TEST_F(ClipboardTest, FileNamesRoundTrip) {
    const std::vector<std::string> names = {"C:\\Belgeler\\rapor.rtf", "C:\\Yeni Klasör\\şiir.txt", "D:\\"};
    {
        tk::TClipboard clipboard;
        ASSERT_TRUE(clipboard.SetFileNames(names));
    }
    tk::TClipboard clipboard;
    EXPECT_TRUE(clipboard.HasFormat(CF_HDROP));
    EXPECT_EQ(clipboard.FileNames(), names);
    EXPECT_EQ(clipboard.Text(), ""); // nothing else came along
}

TEST_F(ClipboardTest, EmptyListAndClearedClipboard) {
    ASSERT_TRUE(tk::SetClipboardText("önceki"));
    {
        // No list of no names: what was there stays.
        tk::TClipboard clipboard;
        EXPECT_FALSE(clipboard.SetFileNames({}));
    }
    {
        tk::TClipboard clipboard;
        EXPECT_TRUE(clipboard.FileNames().empty());
        EXPECT_EQ(clipboard.Text(), "önceki");
        clipboard.Clear();
    }
    tk::TClipboard clipboard;
    EXPECT_FALSE(clipboard.HasFormat(CF_HDROP));
    EXPECT_EQ(clipboard.Bitmap(), nullptr);
    EXPECT_EQ(clipboard.Metafile(), nullptr);
}

} // namespace
