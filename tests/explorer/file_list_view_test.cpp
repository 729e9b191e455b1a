#include "explorer/file_list_view.h"
#include "explorer/dir_tree.h"
#include "explorer/explorer_actions.h"
#include "explorer/file_operations.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <memory>

#include "base/os.h"
#include "explorer/path_utils.h"
#include "explorer/shell_info_cache.h"
#include "support/explorer_host.h"
#include "support/panel_host.h"
#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/form.h"

using testing_support::PanelHost;
using testing_support::Pump;
using testing_support::ScriptedDialogs;
using testing_support::TempFolder;
using namespace velmora::explorer;

namespace {

class FakeTree : public IDirTreeLink {
public:
    std::vector<std::string> opened;
    std::vector<IFileListLink*> fileLists;
    int reloads = 0;
    IFileListLink* destroyedList = nullptr;
    void OpenPath(const std::string& path) override { opened.push_back(path); }
    void ReloadTree() override { ++reloads; }
    void SetFileList(IFileListLink* list) override { fileLists.push_back(list); }
    void FileListDestroyed(IFileListLink* list) override { destroyedList = list; }
};

class FakeOperations : public IFileListOperations {
public:
    std::vector<std::string> calls;
    bool allowEdit = true;
    void CutCopy(TClipboardMode mode) override {
        calls.push_back(mode == TClipboardMode::cmCut ? "Cut" : mode == TClipboardMode::cmCopy ? "Copy" : "?");
    }
    void Paste() override { calls.push_back("Paste"); }
    void DeleteSelected() override { calls.push_back("DeleteSelected"); }
    void RenameSelected() override { calls.push_back("RenameSelected"); }
    void NewFolder() override { calls.push_back("NewFolder"); }
    void ViewFile() override { calls.push_back("ViewFile"); }
    void FindFile() override { calls.push_back("FindFile"); }
    bool CanEdit(int) override { return allowEdit; }
    bool Edit(int, const std::string& caption) override {
        calls.push_back("Edit " + caption);
        return true;
    }
};

// Holds the given keys down (in this thread's keyboard state) for a scope.
class HeldKeys {
public:
    explicit HeldKeys(std::initializer_list<int> keys) {
        GetKeyboardState(saved_);
        BYTE state[256];
        memcpy(state, saved_, sizeof state);
        for (int k : keys)
            state[k] = 0x80;
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(saved_); }

private:
    BYTE saved_[256];
};

void SetWriteTime(const std::string& path, WORD year, WORD month, WORD day, WORD hour, WORD minute,
                  WORD second) {
    SYSTEMTIME local{year, month, 0, day, hour, minute, second, 0};
    FILETIME localTime, utc;
    SystemTimeToFileTime(&local, &localTime);
    LocalFileTimeToFileTime(&localTime, &utc);
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    SetFileTime(h, nullptr, nullptr, &utc);
    CloseHandle(h);
}

// A shortcut at `at` to `target`, with an icon of a library when one is given.
void MakeShortcut(const std::string& target, const std::string& at, const std::string& iconLibrary = {},
                  int iconIndex = 0) {
    IShellLinkA* link = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               reinterpret_cast<void**>(&link)),
              S_OK);
    link->SetPath(target.c_str());
    if (!iconLibrary.empty()) link->SetIconLocation(iconLibrary.c_str(), iconIndex);
    IPersistFile* file = nullptr;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, at.c_str(), -1, wide, MAX_PATH);
    EXPECT_EQ(file->Save(wide, TRUE), S_OK);
    file->Release();
    link->Release();
}

// An icon file of one 16x16 32-bit image in one colour.
std::string TinyIcon(uint8_t red, uint8_t green) {
    std::string ico(6 + 16 + 40 + 16 * 16 * 4 + 16 * 4, '\0');
    auto put16 = [&](size_t at, uint16_t v) { memcpy(&ico[at], &v, 2); };
    auto put32 = [&](size_t at, uint32_t v) { memcpy(&ico[at], &v, 4); };
    put16(2, 1);
    put16(4, 1);
    ico[6] = 16;
    ico[7] = 16;
    put16(10, 1);
    put16(12, 32);
    put32(14, static_cast<uint32_t>(ico.size() - 22));
    put32(18, 22);
    put32(22, 40);
    put32(26, 16);
    put32(30, 32);
    put16(34, 1);
    put16(36, 32);
    for (size_t i = 62; i < 62 + 1024; i += 4) {
        ico[i + 1] = static_cast<char>(green);
        ico[i + 2] = static_cast<char>(red);
        ico[i + 3] = '\xFF';
    }
    return ico;
}

void AddAttributes(const std::string& path, DWORD attributes) {
    DWORD now = GetFileAttributesA(path.c_str());
    ASSERT_NE(now, INVALID_FILE_ATTRIBUTES) << path;
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), (now & ~FILE_ATTRIBUTE_NORMAL) | attributes)) << path;
}

class FileListTest : public PanelHost {
protected:
    static void SetUpTestSuite() { OpenHost({"Test", 700, 500}); }
    static void TearDownTestSuite() { CloseHost(); }
    void SetUp() override {
        TFileListView::Params p;
        p.parent = form;
        p.bounds = RECT{0, 0, 680, 460};
        list = std::make_unique<TFileListView>(p);
        list->OnDeletion = [this](const TFileListRow&) { ++deletions; };
        // The list's keys run the explorer's actions.
        wiring = std::make_unique<testing_support::ExplorerWiring>(form, *list);
        operations = &wiring->operations;
        host = &wiring->host;
        commands = &wiring->commands;
        actions = &wiring->actions;
    }
    void TearDown() override {
        wiring.reset();
        list.reset();
        SetCurrentDirectoryA("C:\\");
    }

    std::vector<std::string> Captions() const {
        std::vector<std::string> out;
        for (int i = 0; i < list->RowCount(); ++i)
            out.push_back(list->Row(i).caption);
        return out;
    }
    int Find(const std::string& caption) const {
        for (int i = 0; i < list->RowCount(); ++i)
            if (list->Row(i).caption == caption) return i;
        return -1;
    }
    // The text the list view itself shows in a cell.
    std::string ShownText(int row, int column) const {
        char buffer[300] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = sizeof buffer;
        SendMessageA(list->Handle(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    std::vector<std::pair<std::string, int>> Columns() const {
        std::vector<std::pair<std::string, int>> out;
        for (int i = 0;; ++i) {
            char buffer[64] = {};
            LVCOLUMNA column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            column.pszText = buffer;
            column.cchTextMax = sizeof buffer;
            if (!SendMessageA(list->Handle(), LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column))) break;
            out.emplace_back(buffer, column.cx);
        }
        return out;
    }
    void Key(WORD key) {
        SendMessageA(list->Handle(), WM_KEYDOWN, key, 1);
        SendMessageA(list->Handle(), WM_KEYUP, key, 0xC0000001);
        Pump(10);
    }
    void ClickRow(int row, bool dbl = false) {
        RECT r{};
        r.left = LVIR_LABEL;
        SendMessageA(list->Handle(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        LPARAM at = MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
        PostMessageA(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(list->Handle(), WM_LBUTTONUP, 0, at);
        if (dbl) {
            PostMessageA(list->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            PostMessageA(list->Handle(), WM_LBUTTONUP, 0, at);
        }
        Pump(30);
    }
    void ClickHeader(int column) {
        HWND header = reinterpret_cast<HWND>(SendMessageA(list->Handle(), LVM_GETHEADER, 0, 0));
        RECT r{};
        SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r));
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(header, WM_LBUTTONUP, 0, at);
        Pump(30);
    }
    // The sort mark a header shows at the right of its caption, -1 when none.
    int HeaderMark(int column) const {
        HWND header = reinterpret_cast<HWND>(SendMessageA(list->Handle(), LVM_GETHEADER, 0, 0));
        HDITEMA item{};
        item.mask = HDI_FORMAT | HDI_IMAGE;
        SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
        bool shown = (item.fmt & HDF_IMAGE) && (item.fmt & HDF_BITMAP_ON_RIGHT);
        return shown ? item.iImage : -1;
    }

    FakeTree tree; // outlives the list, which tells it when it goes
    std::unique_ptr<TFileListView> list;
    std::unique_ptr<testing_support::ExplorerWiring> wiring;
    TFileOperations* operations = nullptr;
    testing_support::FakeExplorerHost* host = nullptr;
    TExplorerCommands* commands = nullptr;
    tk::TActionList* actions = nullptr;
    int deletions = 0;
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(FileListTest, StartsInTheDrivesViewWithoutRowsAndFolderColumns) {
    EXPECT_EQ(list->Directory(), "Drives");
    EXPECT_EQ(list->RowCount(), 0);
    auto columns = Columns();
    ASSERT_EQ(columns.size(), 5u);
    EXPECT_EQ(columns[0], (std::pair<std::string, int>{"Dosya Adı", 165}));
    EXPECT_TRUE(list->ParentImageIndex() >= 0);
    EXPECT_TRUE(list->HtmlFolderImageIndex() >= 0);
    EXPECT_EQ(ImageList_GetImageCount(list->SmallImages()), ImageList_GetImageCount(list->LargeImages()));
}

TEST_F(FileListTest, FolderRowsCellsAndColumns) {
    TempFolder temp;
    temp.File("empty.txt");
    temp.File("one.txt", "x");
    temp.File("k1025.txt", std::string(1025, 'x'));
    temp.File("k2048.txt", std::string(2048, 'x'));
    std::string ro = temp.File("readonly.txt", "r");
    std::string sub = temp.Folder("Alt Klasör");
    temp.File("Alt Klasör\\inner.txt", "i");
    SetWriteTime(ro, 2026, 12, 10, 14, 5, 9);
    AddAttributes(ro, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);

    list->SetDirectory(DelSlash(temp.Path()));
    EXPECT_EQ(list->Directory(), temp.Path());
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(AddSlash(current), temp.Path());

    auto columns = Columns();
    ASSERT_EQ(columns.size(), 5u);
    EXPECT_EQ(columns[0], (std::pair<std::string, int>{"Dosya Adı", 165}));
    EXPECT_EQ(columns[1], (std::pair<std::string, int>{"Boyut(KB)", 75}));
    EXPECT_EQ(columns[2], (std::pair<std::string, int>{"Türü", 95}));
    EXPECT_EQ(columns[3], (std::pair<std::string, int>{"Son Değişiklik", 115}));
    EXPECT_EQ(columns[4], (std::pair<std::string, int>{"Nitelik", 40}));

    // The parent entry first, then folders, then files by name.
    EXPECT_EQ(Captions(),
              (Names{" ..", "Alt Klasör", "empty.txt", "k1025.txt", "k2048.txt", "one.txt", "readonly.txt"}));
    const TFileListRow& parent = list->Row(0);
    EXPECT_EQ(parent.imageIndex, TFileListView::ParentImageIndex());
    EXPECT_EQ(parent.cells[cellKind], "dir");
    EXPECT_EQ(parent.cells[cellPath], temp.Path() + "..");

    struct Expect {
        const char* caption;
        const char* size;
        const char* kind;
    } expected[] = {{"Alt Klasör", "0", "dir"},
                    {"empty.txt", "0", "file"},
                    {"one.txt", "1", "file"},
                    {"k1025.txt", "1", "file"},
                    {"k2048.txt", "2", "file"}};
    for (const Expect& e : expected) {
        int i = Find(e.caption);
        ASSERT_GE(i, 0) << e.caption;
        EXPECT_EQ(list->Row(i).cells[cellSize], e.size) << e.caption;
        EXPECT_EQ(list->Row(i).cells[cellKind], e.kind) << e.caption;
        EXPECT_EQ(list->Row(i).cells[cellPath], temp.Path() + e.caption);
        EXPECT_FALSE(list->Row(i).cells[cellType].empty()) << e.caption;
    }
    int r = Find("readonly.txt");
    EXPECT_EQ(list->Row(r).cells[cellModified], "10.12.2026 14:05:09");
    EXPECT_EQ(list->Row(r).cells[cellAttributes], "AR");
    // What the list view itself shows.
    EXPECT_EQ(ShownText(r, 0), "readonly.txt");
    EXPECT_EQ(ShownText(r, 1), "1");
    EXPECT_EQ(ShownText(r, 3), "10.12.2026 14:05:09");
    EXPECT_EQ(ShownText(r, 4), "AR");
    // No row is selected; the first has the focus.
    EXPECT_EQ(list->SelectedIndex(), -1);
    EXPECT_EQ(list->FocusedIndex(), 0);
}

TEST_F(FileListTest, DateAndTimePictures) {
    TempFolder temp;
    std::string f = temp.File("a.txt", "x");
    SetWriteTime(f, 2026, 3, 4, 7, 8, 9);
    struct Case {
        TDTFormat format;
        const char* time;
        const char* expected;
    } cases[] = {
        {df_ddMMyyyy, "HH:mm:ss", "04.03.2026 07:08:09"},
        {df_MMddyy, "H:m", "03.04.26 7:8"},
        {df_yyyyMMdd, "HH.mm", "2026-03-04 07.08"},
        {df_Customize, "", "04.03.2026 07:08:09"}, // the Turkish locale's own pictures
    };
    std::string folder = temp.Path();
    for (const Case& c : cases) {
        list->SetDateFormat(c.format);
        list->SetTimeFormatStr(c.time);
        list->SetDirectory("Drives");
        list->SetDirectory(folder);
        int i = Find("a.txt");
        ASSERT_GE(i, 0);
        EXPECT_EQ(list->Row(i).cells[cellModified], c.expected) << c.format;
    }
    EXPECT_EQ(list->TimeFormatStr(), "HH:mm:ss");
}

TEST_F(FileListTest, MaskPiecesAreSearchesOfTheirOwn) {
    TempFolder temp;
    temp.Folder("klasor");
    temp.File("b.doc");
    temp.File("a.txt");
    temp.File("c.txt");
    temp.File("d.bin");
    // Without sorting, rows keep the order of the searches.
    list->OnCompare = [](const TFileListRow&, const TFileListRow&) { return 0; };
    list->SetMask("*.txt;*.doc");
    list->SetDirectory(temp.Path());
    std::vector<std::string> names = Captions();
    auto pos = [&](const std::string& n) { return std::find(names.begin(), names.end(), n) - names.begin(); };
    ASSERT_EQ(names.size(), 5u); // " ..", klasor, a.txt, c.txt, b.doc
    EXPECT_LT(pos("klasor"), pos("a.txt"));
    EXPECT_LT(pos("a.txt"), pos("b.doc"));
    EXPECT_LT(pos("c.txt"), pos("b.doc"));

    list->OnCompare = nullptr;
    list->SetMask("*.*;*.txt");
    EXPECT_EQ(Captions(), (Names{" ..", "klasor", "a.txt", "a.txt", "b.doc", "c.txt", "c.txt", "d.bin"}));

    list->SetMask("");
    EXPECT_EQ(Captions(), (Names{" ..", "klasor"}));
    list->SetShowFolders(false);
    EXPECT_EQ(list->RowCount(), 0);
    list->SetMask("*.doc;;");
    EXPECT_EQ(Captions(), (Names{"b.doc"}));
    // Pieces that reach into other folders find nothing: the rows' paths would be wrong.
    temp.File("klasor\\inner.doc");
    list->SetMask("klasor\\*.doc;..\\*.*;C:*.*;klasor/*.*");
    EXPECT_EQ(list->RowCount(), 0);
}

TEST_F(FileListTest, AttributeFilterAppliesToFoldersToo) {
    TempFolder temp;
    AddAttributes(DelSlash(temp.Folder("gizli")), FILE_ATTRIBUTE_HIDDEN);
    temp.Folder("acik");
    AddAttributes(temp.File("gizli.txt"), FILE_ATTRIBUTE_HIDDEN);
    AddAttributes(temp.File("sistem.txt"), FILE_ATTRIBUTE_SYSTEM);
    AddAttributes(temp.File("salt.txt"), FILE_ATTRIBUTE_READONLY);
    temp.File("duz.txt");

    list->SetDirectory(temp.Path());
    EXPECT_EQ(Captions(), (Names{" ..", "acik", "gizli", "duz.txt", "gizli.txt", "salt.txt", "sistem.txt"}));
    list->SetFileType({ftReadOnly, ftSystem, ftNormal});
    EXPECT_EQ(Captions(), (Names{" ..", "acik", "duz.txt", "salt.txt", "sistem.txt"}));
    list->SetFileType({ftNormal});
    EXPECT_EQ(Captions(), (Names{" ..", "acik", "duz.txt"}));
    // Archive and normal make no difference.
    list->SetFileType({});
    EXPECT_EQ(Captions(), (Names{" ..", "acik", "duz.txt"}));
    list->SetFileType({ftArchive});
    EXPECT_EQ(Captions(), (Names{" ..", "acik", "duz.txt"}));
}

TEST_F(FileListTest, HiddenExtensionsAndHtmlFolders) {
    TempFolder temp;
    temp.File("a.b.txt");
    temp.File(".profile");
    temp.File("page.htm");
    temp.Folder("page_files");
    temp.File("other.html");
    temp.Folder("other_files");
    temp.Folder("lonely_files");
    AddAttributes(temp.File("Gizli.HTM"), FILE_ATTRIBUTE_HIDDEN); // any letter case, any attributes
    temp.Folder("gizli_files");
    list->SetHideFileExt(true);
    list->SetDirectory(temp.Path());
    EXPECT_EQ(Captions(), (Names{" ..", "gizli_files", "lonely_files", "other_files", "page_files", "", "a",
                                 "Gizli", "other", "page"}));
    EXPECT_EQ(list->Row(Find("gizli_files")).imageIndex, TFileListView::HtmlFolderImageIndex());
    EXPECT_EQ(list->Row(Find("page_files")).imageIndex, TFileListView::HtmlFolderImageIndex());
    EXPECT_EQ(list->Row(Find("other_files")).imageIndex, TFileListView::HtmlFolderImageIndex());
    EXPECT_NE(list->Row(Find("lonely_files")).imageIndex, TFileListView::HtmlFolderImageIndex());
}

TEST_F(FileListTest, NamesOutsideTheCodePageGoByTheirShortNames) {
    TempFolder temp;
    temp.File("snowA.txt", "a");
    std::wstring folder(MAX_PATH, L'\0');
    folder.resize(MultiByteToWideChar(CP_ACP, 0, temp.Path().c_str(), -1, folder.data(), MAX_PATH) - 1);
    HANDLE h = CreateFileW((folder + L"snow\u2603.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, "snowman", 7, &written, nullptr);
    CloseHandle(h);
    list->SetDirectory(temp.Path());
    int odd = Find("snow?.txt");
    ASSERT_GE(odd, 0);
    const std::string& path = list->Row(odd).cells[cellPath];
    // The path names that file and no other.
    EXPECT_EQ(path.find('?'), std::string::npos) << path;
    WIN32_FILE_ATTRIBUTE_DATA info{};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info)) << path;
    EXPECT_EQ(info.nFileSizeLow, 7u);
}

TEST_F(FileListTest, DirectoryValues) {
    TempFolder temp;
    temp.File("a.txt");
    list->SetDirectory(temp.Path());
    int rows = list->RowCount();
    deletions = 0;
    // The same folder in other letters: nothing happens.
    list->SetDirectory(velmora::os::AnsiLowerCase(temp.Path()));
    list->SetDirectory(velmora::os::AnsiUpperCase(temp.Path()));
    EXPECT_EQ(deletions, 0);
    EXPECT_EQ(list->Directory(), temp.Path());
    // A missing folder is ignored and the rows stay.
    list->SetDirectory(temp.Path() + "yok");
    list->SetDirectory("");
    EXPECT_EQ(list->Directory(), temp.Path());
    EXPECT_EQ(list->RowCount(), rows);
    EXPECT_EQ(deletions, 0);
    // A relative or dotted path stands for the full path of that folder.
    std::string sub = temp.Folder("alt");
    list->SetDirectory("alt");
    EXPECT_EQ(list->Directory(), sub);
    list->SetDirectory(sub + "..\\alt\\..");
    EXPECT_EQ(list->Directory(), temp.Path());
    // Any spelling of "Drives" selects the drives view.
    for (const char* drives : {"drives", "Drives", "DRIVES"}) {
        list->SetDirectory(temp.Path());
        list->SetDirectory(drives);
        EXPECT_EQ(list->Directory(), drives);
        EXPECT_TRUE(list->IsDrivesView());
    }
}

TEST_F(FileListTest, DrivesViewIsUnsortedAndCannotBeSorted) {
    // The list starts in the drives view without rows: the owner lists it.
    list->UpdateFileList();
    auto columns = Columns();
    ASSERT_EQ(columns.size(), 5u);
    EXPECT_EQ(columns[0], (std::pair<std::string, int>{"Disk Adı", 160}));
    EXPECT_EQ(columns[1], (std::pair<std::string, int>{"Türü", 110}));
    EXPECT_EQ(columns[2], (std::pair<std::string, int>{"Boyut", 90}));
    EXPECT_EQ(columns[3], (std::pair<std::string, int>{"Boş Alan", 90}));
    ASSERT_GE(list->RowCount(), 1);
    std::vector<std::string> roots;
    for (int i = 0; i < list->RowCount(); ++i) {
        const TFileListRow& row = list->Row(i);
        roots.push_back(row.cells[cellPath]);
        EXPECT_EQ(row.cells[cellKind], "drv");
        EXPECT_EQ(row.caption.substr(0, 7), std::string(" (") + row.cells[cellPath][0] + ":)  ");
        EXPECT_EQ(row.cells[cellAttributes], "");
    }
    EXPECT_TRUE(std::is_sorted(roots.begin(), roots.end()));
    for (int i = 0; i < list->RowCount(); ++i)
        EXPECT_NE(list->Row(i).imageIndex, TFileListView::ParentImageIndex());
    for (int i = 0; i < list->RowCount(); ++i) {
        if (list->Row(i).cells[cellPath] == "C:\\") {
            EXPECT_EQ(list->Row(i).cells[cellSize], "Sabit Disk");
            EXPECT_NE(list->Row(i).cells[cellType], "0 Mb");
        }
    }
    ClickHeader(0);
    ClickHeader(0);
    std::vector<std::string> after;
    for (int i = 0; i < list->RowCount(); ++i)
        after.push_back(list->Row(i).cells[cellPath]);
    EXPECT_EQ(after, roots);
    EXPECT_EQ(HeaderMark(0), -1);
}

TEST_F(FileListTest, ColumnClicksSortWithFoldersLast) {
    TempFolder temp;
    temp.Folder("klasor");
    temp.File("small.txt", std::string(10, 'x'));
    temp.File("big.txt", std::string(5000, 'x'));
    temp.File("mid.txt", std::string(2500, 'x'));
    list->SetDirectory(temp.Path());
    EXPECT_EQ(list->SortColumn(), 0);
    EXPECT_FALSE(list->SortDescending());
    EXPECT_EQ(HeaderMark(0), TFileListView::kMarkDown);
    EXPECT_EQ(HeaderMark(1), -1);

    list->SetSelected(Find("mid.txt"), true);
    ClickHeader(1); // largest first, folders at the end
    EXPECT_EQ(Captions(), (Names{"big.txt", "mid.txt", "small.txt", " ..", "klasor"}));
    EXPECT_EQ(list->SortColumn(), 1);
    EXPECT_TRUE(list->SortDescending());
    EXPECT_EQ(HeaderMark(0), -1);
    EXPECT_EQ(HeaderMark(1), TFileListView::kMarkUp);
    // The selection follows its row.
    EXPECT_EQ(list->SelectedIndex(), 1);

    ClickHeader(1); // smallest first, folders on top
    EXPECT_EQ(Captions(), (Names{" ..", "klasor", "small.txt", "mid.txt", "big.txt"}));
    EXPECT_FALSE(list->SortDescending());
    EXPECT_EQ(HeaderMark(1), TFileListView::kMarkDown);
    EXPECT_EQ(list->SelectedIndex(), 3);

    ClickHeader(0); // another column: descending
    EXPECT_EQ(Captions(), (Names{"small.txt", "mid.txt", "big.txt", "klasor", " .."}));

    // Everything selected stays selected; the owner hears of it once.
    list->SelectAll();
    int changes = 0;
    list->OnChange = [&] { ++changes; };
    ClickHeader(0);
    EXPECT_EQ(Captions(), (Names{" ..", "klasor", "big.txt", "mid.txt", "small.txt"}));
    for (int i = 0; i < list->RowCount(); ++i)
        EXPECT_TRUE(list->IsSelected(i)) << i;
    EXPECT_EQ(changes, 1);
}

TEST_F(FileListTest, NavigationByKeysAndClicks) {
    TempFolder temp;
    std::string sub = temp.Folder("Alt");
    temp.File("Alt\\x.txt");
    temp.File("doc.txt", "abc");
    list->SetDirTree(&tree);
    list->SetDirectory(temp.Path());
    tree.opened.clear();

    // Enter on a folder goes in and opens it in the tree.
    list->SetSelected(Find("Alt"), true);
    Key(VK_RETURN);
    EXPECT_EQ(list->Directory(), sub);
    EXPECT_EQ(tree.opened, (Names{sub}));
    EXPECT_EQ(Captions(), (Names{" ..", "x.txt"}));

    // Backspace goes one level up.
    Key(VK_BACK);
    EXPECT_EQ(list->Directory(), temp.Path());
    EXPECT_EQ(tree.opened.back(), temp.Path());

    // A double click on " .." goes up as well.
    ClickRow(0, true);
    EXPECT_EQ(AddSlash(list->Directory()),
              AddSlash(temp.Path().substr(0, temp.Path().rfind('\\', temp.Path().size() - 2))));
    list->SetDirectory(temp.Path());

    // Enter on a file asks the shell to open it in its folder.
    ScriptedDialogs dialogs;
    list->SetSelected(Find("doc.txt"), true);
    Key(VK_RETURN);
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].verb, "Open");
    EXPECT_EQ(dialogs.Calls()[0].text, "doc.txt");
    EXPECT_EQ(dialogs.Calls()[0].directory, temp.Path());
    EXPECT_EQ(dialogs.Calls()[0].showCommand, SW_SHOW);
    EXPECT_EQ(list->Directory(), temp.Path());
}

TEST_F(FileListTest, BackspaceAtARootShowsTheDrives) {
    list->SetDirTree(&tree);
    list->SetDirectory("C:\\");
    EXPECT_EQ(Find(" .."), -1); // a drive's root has no parent entry
    Key(VK_BACK);
    EXPECT_TRUE(list->IsDrivesView());
    int rows = list->RowCount();
    deletions = 0;
    Key(VK_BACK); // nothing in the drives view
    EXPECT_TRUE(list->IsDrivesView());
    EXPECT_EQ(deletions, 0);
    EXPECT_EQ(list->RowCount(), rows);
    // Entering a drive row.
    for (int i = 0; i < list->RowCount(); ++i)
        if (list->Row(i).cells[cellPath] == "C:\\") list->SetSelected(i, true);
    Key(VK_RETURN);
    EXPECT_EQ(list->Directory(), "C:\\");
    EXPECT_EQ(tree.opened.back(), "C:\\");
}

TEST_F(FileListTest, ArrowKeysAndClicksSetSelectedFileAndFireOnClick) {
    TempFolder temp;
    temp.File("a.txt");
    temp.File("b.txt");
    list->SetDirectory(temp.Path());
    std::vector<std::string> clicked;
    list->OnClick = [&] { clicked.push_back(list->SelectedFile()); };
    int mouseUps = 0, changes = 0;
    list->OnMouseUp = [&](UINT, int, int) { ++mouseUps; };
    list->OnChange = [&] { ++changes; };
    list->SetFocus();
    ClickRow(1);
    EXPECT_EQ(mouseUps, 1);
    EXPECT_GT(changes, 0);
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], temp.Path() + "a.txt");
    Key(VK_DOWN);
    ASSERT_EQ(clicked.size(), 2u);
    EXPECT_EQ(clicked[1], temp.Path() + "b.txt");
    EXPECT_EQ(list->SelectedIndex(), 2);
    Key(VK_UP);
    ASSERT_EQ(clicked.size(), 3u);
    EXPECT_EQ(clicked[2], temp.Path() + "a.txt");
    // With Shift held the arrows only extend the selection.
    {
        HeldKeys shift({VK_SHIFT});
        Key(VK_DOWN);
    }
    EXPECT_EQ(clicked.size(), 3u);
}

TEST_F(FileListTest, OwnerDrawsRowsThroughCustomDraw) {
    TempFolder temp;
    temp.File("a.txt");
    temp.Folder("sayfa_files");
    list->SetDirectory(temp.Path());
    std::vector<std::string> drawn;
    list->OnCustomDrawItem = [&](int, const TFileListRow& row, NMLVCUSTOMDRAW& draw) -> LRESULT {
        drawn.push_back(row.caption);
        if (row.IsFolder()) draw.clrText = RGB(0xC0, 0xC0, 0xC0);
        return CDRF_DODEFAULT;
    };
    list->Repaint();
    EXPECT_EQ(drawn, (Names{" ..", "sayfa_files", "a.txt"}));
}

TEST_F(FileListTest, RefreshKeyAndDeletionEvents) {
    TempFolder temp;
    temp.File("a.txt");
    list->SetDirectory(temp.Path());
    EXPECT_EQ(list->RowCount(), 2);
    temp.File("b.txt");
    deletions = 0;
    Key(VK_F5);
    EXPECT_EQ(deletions, 2);
    EXPECT_EQ(Captions(), (Names{" ..", "a.txt", "b.txt"}));
}

TEST_F(FileListTest, CtrlKeysAndOperationKeysReachTheOperations) {
    TempFolder temp;
    temp.File("a.txt");
    FakeOperations ops;
    list->SetFileOperations(&ops);
    list->SetDirectory(temp.Path());

    // Nothing selected: only the keys without that condition act.
    {
        HeldKeys ctrl({VK_CONTROL});
        for (WORD k : {'C', 'X', 'V', 'O', 'F'})
            Key(k);
    }
    Key(VK_DELETE);
    Key(VK_F2);
    Key(VK_F3);
    EXPECT_EQ(ops.calls, (Names{"FindFile"}));

    ops.calls.clear();
    list->FileClipboard = {"C:\\x.txt"};
    list->SetSelected(Find("a.txt"), true);
    {
        HeldKeys ctrl({VK_CONTROL});
        for (WORD k : {'C', 'X', 'V', 'F', 'N'})
            Key(k);
    }
    Key(VK_DELETE);
    Key(VK_F2);
    EXPECT_EQ(ops.calls, (Names{"Copy", "Cut", "Paste", "ViewFile", "NewFolder", "DeleteSelected",
                                "RenameSelected"}));
    // Ctrl with Shift is not a Ctrl key.
    ops.calls.clear();
    {
        HeldKeys both({VK_CONTROL, VK_SHIFT});
        Key('C');
    }
    EXPECT_TRUE(ops.calls.empty());

    // Ctrl+O opens the selected row; Ctrl+N does nothing in the drives view.
    ScriptedDialogs dialogs;
    {
        HeldKeys ctrl({VK_CONTROL});
        Key('O');
    }
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].text, "a.txt");
    list->SetDirectory("Drives");
    ops.calls.clear();
    {
        HeldKeys ctrl({VK_CONTROL});
        Key('N');
    }
    EXPECT_TRUE(ops.calls.empty());
}

TEST_F(FileListTest, SelectionStatistics) {
    TempFolder temp;
    temp.File("a.bin", std::string(1536, 'a'));
    temp.File("b.bin", std::string(512, 'b'));
    temp.File("c.bin", std::string(100, 'c'));
    temp.Folder("klasor");
    list->SetDirectory(temp.Path());
    EXPECT_EQ(list->RowCount(), 5);
    EXPECT_EQ(list->SelectedNumber(), 5);
    EXPECT_EQ(list->SelectedSize(), 0);
    list->SetSelected(Find("a.bin"), true);
    list->SetSelected(Find("b.bin"), true);
    list->SetSelected(Find("klasor"), true);
    EXPECT_EQ(list->SelectedNumber(), 3);
    EXPECT_EQ(list->SelectedSize(), 2048);
    EXPECT_GT(list->DriveFreeSpace(), 0);
    list->SelectAll();
    EXPECT_EQ(list->SelectedNumber(), 5);
    EXPECT_EQ(list->SelectedSize(), 2148);
}

TEST_F(FileListTest, DoubleClickWithoutOpening) {
    TempFolder temp;
    temp.File("a.txt");
    list->SetDblClickToOpen(false);
    list->SetDirectory(temp.Path());
    int fired = 0;
    list->OnDblClick = [&] { ++fired; };
    ClickRow(1, true);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(list->Directory(), temp.Path());
    ClickRow(0, true); // " .." still goes up
    EXPECT_EQ(fired, 1);
    EXPECT_NE(list->Directory(), temp.Path());
}

TEST_F(FileListTest, LinkWithTheTree) {
    FakeTree& first = tree;
    FakeTree second;
    list->SetDirTree(&first);
    ASSERT_EQ(first.fileLists.size(), 1u);
    EXPECT_EQ(first.fileLists[0], list.get());
    list->SetDirTree(&first); // the same tree: nothing
    EXPECT_EQ(first.fileLists.size(), 1u);
    list->SetDirTree(&second);
    EXPECT_EQ(first.fileLists.back(), nullptr);
    EXPECT_EQ(second.fileLists.back(), list.get());
    // The tree going away clears the link without a call back.
    static_cast<IFileListLink*>(list.get())->TreeDestroyed(&second);
    EXPECT_EQ(list->DirTree(), nullptr);
    list->SetDirTree(&first);
    IFileListLink* self = list.get();
    list.reset();
    EXPECT_EQ(first.destroyedList, self);
}

// The link with the real tree: the list's navigation opens the same folder in
// the tree, the tree's selection sets the list's folder, and either side may
// go first.
TEST_F(FileListTest, StaysInStepWithTheRealTree) {
    TempFolder temp;
    std::string sub = temp.Folder("Alt");
    temp.File("Alt\\x.txt");
    auto tree = std::make_unique<TDirTree>(TDirTree::Params{form, RECT{0, 0, 180, 300}});
    tree->Loaded();
    tree->OpenPath(temp.Path());
    list->SetDirTree(tree.get());
    EXPECT_EQ(tree->FileList(), list.get());
    // Linking points the list at the tree's folder.
    EXPECT_EQ(velmora::os::AnsiUpperCase(list->Directory()), velmora::os::AnsiUpperCase(temp.Path()));

    list->SetSelected(Find("Alt"), true);
    Key(VK_RETURN);
    EXPECT_EQ(list->Directory(), sub);
    EXPECT_EQ(velmora::os::AnsiUpperCase(AddSlash(tree->SelectedPath())), velmora::os::AnsiUpperCase(sub));
    EXPECT_EQ(tree->NodeText(tree->Selected()), "Alt");

    Key(VK_BACK);
    EXPECT_EQ(velmora::os::AnsiUpperCase(AddSlash(tree->SelectedPath())),
              velmora::os::AnsiUpperCase(temp.Path()));

    // The tree going first clears the list's link; the list going first clears the tree's.
    tree.reset();
    EXPECT_EQ(list->DirTree(), nullptr);
    tree = std::make_unique<TDirTree>(TDirTree::Params{form, RECT{0, 0, 180, 300}});
    list->SetDirTree(tree.get());
    list.reset();
    EXPECT_EQ(tree->FileList(), nullptr);
}

TEST_F(FileListTest, InPlaceEditingGoesThroughTheOperations) {
    TempFolder temp;
    temp.File("a.txt");
    list->SetDirectory(temp.Path());
    int row = Find("a.txt");
    // Without the operations module nothing can be edited.
    list->SetFileOperations(nullptr);
    EXPECT_EQ(SendMessageA(list->Handle(), LVM_EDITLABELA, row, 0), 0);
    FakeOperations ops;
    list->SetFileOperations(&ops);
    std::string edited;
    list->OnEdited = [&](int, const std::string& caption) { edited = caption; };
    HWND edit = reinterpret_cast<HWND>(SendMessageA(list->Handle(), LVM_EDITLABELA, row, 0));
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(list->Editing());
    SetWindowTextA(edit, "b.txt");
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    Pump(20);
    EXPECT_FALSE(list->Editing());
    EXPECT_EQ(ops.calls, (Names{"Edit b.txt"}));
    EXPECT_EQ(edited, "b.txt");
    EXPECT_EQ(list->Row(row).caption, "b.txt");
}

// The shell is asked once per extension where that gives the same answer; the
// rows must show exactly what a call per path shows.
// The shell calls a listing makes for an extension: one for the icon and a
// class's type name, and one more for the name the shell makes up for a type
// without a class. None opens a path (under Wine that walks the whole folder).
int CallsFor(const char* extension) {
    return ShellInfoCache::TypeHasClassName(extension) ? 1 : 2;
}

TEST_F(FileListTest, RowsMatchPerPathShellAnswers) {
    TempFolder temp;
    temp.File("plain.txt", "t");
    temp.File("UPPER.TXT", "t");
    temp.File("noextension", "n");
    temp.File("odd.zzqq", "z");
    temp.File("page.htm", "<p>");
    temp.File("picture.bmp", "BM");
    AddAttributes(temp.File("hidden.txt"), FILE_ATTRIBUTE_HIDDEN);
    AddAttributes(temp.File("readonly.doc"), FILE_ATTRIBUTE_READONLY);
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    CopyFileA(self, (temp.Path() + "program.exe").c_str(), FALSE);
    temp.File("icon.ico", TinyIcon(0xFF, 0));
    // A shortcut to the text file.
    MakeShortcut(temp.Path() + "plain.txt", temp.Path() + "kısayol.lnk");
    temp.Folder("plain folder");
    AddAttributes(DelSlash(temp.Folder("system folder")), FILE_ATTRIBUTE_SYSTEM);
    AddAttributes(DelSlash(temp.Folder("readonly folder")), FILE_ATTRIBUTE_READONLY);
    AddAttributes(DelSlash(temp.Folder("hidden folder")), FILE_ATTRIBUTE_HIDDEN);

    list->SetDirectory(temp.Path());
    ASSERT_EQ(list->RowCount(), 16);
    // Icons of their own come in the background once rows are drawn.
    ASSERT_TRUE(testing_support::PumpUntil([&] { return !list->IconsPending(); }, 20000));
    for (int i = 0; i < list->RowCount(); ++i) {
        const TFileListRow& row = list->Row(i);
        ShellEntryInfo expected = ShellInfoCache::ForPath(row.cells[cellPath]);
        EXPECT_EQ(row.cells[cellType], expected.typeName) << row.caption;
        if (row.caption != " ..") {
            EXPECT_EQ(row.imageIndex, expected.iconIndex) << row.caption;
            // Icons the shell adds after the list's own pictures get places of their own.
            EXPECT_NE(row.imageIndex, TFileListView::ParentImageIndex()) << row.caption;
            EXPECT_NE(row.imageIndex, TFileListView::HtmlFolderImageIndex()) << row.caption;
        }
    }
}

// Programs are asked about their icons only when their rows are on screen,
// and never while the folder is listed: a damaged one costs the shell long.
TEST_F(FileListTest, ProgramIconsAreAskedOnlyForRowsOnScreen) {
    TempFolder temp;
    // Damaged programs and shortcuts with icons of their own in turn: an
    // answer on a wrong row shows.
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string library = AddSlash(system) + "shell32.dll";
    const int files = 80;
    for (int i = 0; i < files; ++i) {
        char name[32];
        if (i % 2) {
            snprintf(name, sizeof name, "item%02d.lnk", i);
            MakeShortcut(temp.Path() + "plain.txt", temp.Path() + name, library, i / 2 % 30 + 1);
        } else {
            snprintf(name, sizeof name, "item%02d.exe", i);
            temp.File(name, "MZ" + std::string(300 + i, static_cast<char>('a' + i % 26)));
        }
    }
    temp.File("plain.txt", "t");
    list->SetDirectory(temp.Path());
    ASSERT_EQ(list->RowCount(), files + 2);
    // The folders' answer, then the text file's, the programs' and the
    // shortcuts' type names with their stand-in icons.
    EXPECT_EQ(list->LastListingShellCalls(), 1 + CallsFor(".txt") + CallsFor(".exe") + CallsFor(".lnk"));
    auto matchesShell = [&](int row) -> testing::AssertionResult {
        const TFileListRow& shown = list->Row(row);
        ShellEntryInfo expected = ShellInfoCache::ForPath(shown.cells[cellPath]);
        if (!shown.iconPending && shown.imageIndex == expected.iconIndex &&
            shown.cells[cellType] == expected.typeName)
            return testing::AssertionSuccess();
        return testing::AssertionFailure()
               << shown.caption << (shown.iconPending ? " pending" : "") << " icon " << shown.imageIndex
               << " type " << shown.cells[cellType] << ", shell: " << expected.iconIndex << " "
               << expected.typeName;
    };
    // Sorting while answers are on their way moves the rows under them: each
    // answer must still land on its own row.
    auto resolved = [&] {
        int count = 0;
        for (int i = 0; i < list->RowCount(); ++i)
            count += !list->Row(i).iconPending;
        return count;
    };
    ASSERT_TRUE(testing_support::PumpUntil([&] { return resolved() > 2; }, 20000));
    ClickHeader(0);
    ASSERT_TRUE(testing_support::PumpUntil([&] { return !list->IconsPending(); }, 20000));
    for (int i = 0; i < list->RowCount(); ++i) {
        if (!list->Row(i).iconPending && list->Row(i).caption != " ..") {
            EXPECT_TRUE(matchesShell(i));
        }
    }
    // Rows come on screen: their answers follow; a row never shown is never asked.
    const int middle = list->RowCount() / 2;
    for (int row : {0, list->RowCount() - 2, middle}) {
        if (row == middle) {
            EXPECT_TRUE(list->Row(middle).iconPending) << "a row off screen was asked";
        }
        SendMessageA(list->Handle(), LVM_ENSUREVISIBLE, row, FALSE);
        ASSERT_TRUE(testing_support::PumpUntil([&] { return !list->IconsPending(); }, 20000));
        EXPECT_TRUE(matchesShell(row));
    }
}

TEST_F(FileListTest, PlainFilesCostOneShellCallPerExtension) {
    TempFolder temp;
    for (int i = 0; i < 40; ++i)
        temp.File("file" + std::to_string(i) + (i % 2 ? ".txt" : ".dat"));
    for (int i = 0; i < 5; ++i)
        temp.Folder("folder" + std::to_string(i));
    list->SetDirectory(temp.Path());
    ASSERT_EQ(list->RowCount(), 46);
    // One for the folders (" .." included), then each extension's.
    EXPECT_EQ(list->LastListingShellCalls(), 1 + CallsFor(".txt") + CallsFor(".dat"));
}

// A type its class names takes one call (no made-up name to ask for); every
// row still shows what the shell says for its path.
TEST_F(FileListTest, TypesNamedByAClassTakeOneCall) {
    struct ClassesRemoved {
        ~ClassesRemoved() {
            RegDeleteKeyA(HKEY_CLASSES_ROOT, ".vlmtype");
            RegDeleteKeyA(HKEY_CLASSES_ROOT, "velmora.testtype");
        }
    } removed;
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CLASSES_ROOT, ".vlmtype", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("velmora.testtype"), 17);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "velmora.testtype", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("Velmora Deneme"), 15);
    RegCloseKey(key);
    TempFolder temp;
    for (int i = 0; i < 5; ++i)
        temp.File("named" + std::to_string(i) + ".vlmtype");
    list->SetDirectory(temp.Path());
    EXPECT_TRUE(ShellInfoCache::TypeHasClassName(".vlmtype"));
    EXPECT_EQ(list->LastListingShellCalls(), 2);
    for (int i = 0; i < list->RowCount(); ++i) {
        const TFileListRow& row = list->Row(i);
        ShellEntryInfo expected = ShellInfoCache::ForPath(row.cells[cellPath]);
        EXPECT_EQ(row.cells[cellType], expected.typeName) << row.caption;
        if (row.caption != " ..") {
            EXPECT_EQ(row.imageIndex, expected.iconIndex) << row.caption;
        }
    }
    EXPECT_EQ(list->Row(1).cells[cellType], "Velmora Deneme");
}

// The names the shell makes up for types without a class are asked in a
// small stand-in folder unless the listed folder may be customised (or the
// search did not see every name); in each case the rows show what the shell
// says for their own paths.
TEST_F(FileListTest, MadeUpTypeNamesMatchTheShellsInAnyFolder) {
    struct Case {
        const char* customisation;
        const char* mask;
        bool showFolders;
    };
    const Case cases[] = {
        {nullptr, "*.*", true},         {"desktop.ini", "*.*", true},     {"Desktop.INI", "*.*", false},
        {nullptr, "*.zzqq;*.*", false}, {nullptr, "*.zzqq;noext*", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.customisation ? c.customisation : "plain") + " " + c.mask);
        TempFolder temp;
        temp.File("odd.zzqq", "z");
        temp.File("noextension", "n");
        temp.File("two.qqzz", "q");
        if (c.customisation) temp.File(c.customisation, "[.ShellClassInfo]\r\n");
        list->SetMask(c.mask);
        list->SetShowFolders(c.showFolders);
        list->SetDirectory(temp.Path());
        ASSERT_GE(list->RowCount(), 2);
        for (int i = 0; i < list->RowCount(); ++i) {
            const TFileListRow& row = list->Row(i);
            if (row.IsFolder()) continue;
            EXPECT_FALSE(row.cells[cellType].empty()) << row.caption;
            EXPECT_EQ(row.cells[cellType], ShellInfoCache::ForPath(row.cells[cellPath]).typeName)
                << row.caption;
        }
    }
    // A folder of the file's name in the stand-in folder lends it nothing.
    TempFolder temp;
    const std::string name = "velmora ikiz " + std::to_string(GetCurrentProcessId()) + ".zzqq";
    const std::string twin = temp.Path().substr(0, 3) + name;
    ASSERT_TRUE(CreateDirectoryA(twin.c_str(), nullptr));
    temp.File(name, "z");
    list->SetMask("*.*");
    list->SetDirectory(temp.Path());
    RemoveDirectoryA(twin.c_str());
    ASSERT_EQ(list->RowCount(), 2);
    EXPECT_EQ(list->Row(1).cells[cellType], ShellInfoCache::ForPath(list->Row(1).cells[cellPath]).typeName);
}

// The listing finds extensions itself (the shell's walk costs a call per
// character); it must find what the shell finds.
TEST(ShellInfoCacheTest, ExtensionsAreFoundAsTheShellFindsThem) {
    const char* const names[] = {"a.txt",        "a.b.TXT", "noextension", ".profile", "a. txt",
                                 "dir.x\\file",  "a.",      "Ş.çğü",       "a.txt ",   "C:\\d.d\\x.y z",
                                 "C:\\f\\g.htm", "",        "..",          "a b.c d.e"};
    for (const char* name : names) {
        EXPECT_EQ(std::string(ShellInfoCache::ExtensionOf(name)), std::string(PathFindExtensionA(name)))
            << name;
    }
}
