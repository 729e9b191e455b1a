#include "explorer/file_list_view.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <iterator>
#include <numeric>
#include <string_view>
#include <thread>
#include <unordered_set>

#include "base/ascii_text.h"
#include "base/os.h"
#include "base/resource_ids.h"
#include "explorer/path_utils.h"
#include "explorer/shell_utils.h"
#include "toolkit/application.h"
#include "toolkit/gdi.h"
#include "toolkit/messages.h"

namespace velmora::explorer {

namespace {

constexpr const char* kDrives = "DRIVES";

std::string LocaleText(LCTYPE item, const char* fallback) {
    char buffer[128] = {};
    if (GetLocaleInfoA(GetThreadLocale(), item, buffer, sizeof buffer) <= 0 || !buffer[0]) return fallback;
    return buffer;
}

bool KeyHeld(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

// The modifiers held now: exactly Ctrl, none, or something else.
enum class Modifiers { None, CtrlOnly, Other };
Modifiers HeldModifiers() {
    bool ctrl = KeyHeld(VK_CONTROL), shift = KeyHeld(VK_SHIFT), alt = KeyHeld(VK_MENU);
    if (!ctrl && !shift && !alt) return Modifiers::None;
    if (ctrl && !shift && !alt) return Modifiers::CtrlOnly;
    return Modifiers::Other;
}

// The parent-folder and HTML-folder pictures in the shell's system image
// lists, added once per process (the lists are the whole process's). The shell
// keeps several lists whose indices must stay in step, so the pictures go in
// through the shell's own icon cache, from the icon resources of this program;
// only where that call is missing are the bitmaps appended by hand.
struct OwnPictures {
    int parent = -1;
    int htmlFolder = -1;
};

constexpr int kParentIconId = VR_EXPLORER_PARENT_ICON;
constexpr int kHtmlIconId = VR_EXPLORER_HTML_ICON;

int AppendPicture(HIMAGELIST list, const char* resource) {
    if (!list) return -1;
    tk::BitmapHandle bitmap(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) return -1;
    return ImageList_AddMasked(list, bitmap.get(), RGB(255, 0, 255));
}

HIMAGELIST SystemImageList(UINT sizeFlag) {
    SHFILEINFOA info{};
    return reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                       SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | sizeFlag));
}

// Shell_GetCachedImageIndex (exported by ordinal): the index of an icon of a
// file in the system image lists, added there when new. NT takes a wide path.
int CachedShellIcon(int resourceId) {
    using Function = int(WINAPI*)(const void* path, int index, UINT flags);
    HMODULE shell = GetModuleHandleA("shell32.dll");
    FARPROC address = shell ? GetProcAddress(shell, MAKEINTRESOURCEA(72)) : nullptr;
    auto function = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
    if (!function) return -1;
    if (GetWinVersion() == "NT") {
        wchar_t path[MAX_PATH] = {};
        if (!GetModuleFileNameW(nullptr, path, MAX_PATH)) return -1;
        return function(path, -resourceId, 0);
    }
    char path[MAX_PATH] = {};
    if (!GetModuleFileNameA(nullptr, path, MAX_PATH)) return -1;
    return function(path, -resourceId, 0);
}

const OwnPictures& Pictures() {
    static const OwnPictures pictures = [] {
        OwnPictures p;
        HIMAGELIST small = SystemImageList(SHGFI_SMALLICON);
        HIMAGELIST large = SystemImageList(SHGFI_LARGEICON);
        if (FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kParentIconId), RT_GROUP_ICON)) {
            p.parent = CachedShellIcon(kParentIconId);
            p.htmlFolder = CachedShellIcon(kHtmlIconId);
            if (p.parent >= 0 && p.htmlFolder >= 0) return p;
        }
        AppendPicture(small, "Parent_S");
        AppendPicture(small, "HTML_S");
        // The large list's indices are used in every view; both lists hold the
        // same number of images, so they are the small list's too.
        p.parent = AppendPicture(large, "Parent_L");
        p.htmlFolder = AppendPicture(large, "HTML_L");
        return p;
    }();
    return pictures;
}

// Local modification times in whole seconds, as the rows keep them.
struct LocalTimes {
    int64_t bias = 0; // local minus universal time, in 100 ns
    bool haveBias = false;

    int64_t Seconds(const FILETIME& written) {
        ULARGE_INTEGER utc;
        utc.LowPart = written.dwLowDateTime;
        utc.HighPart = written.dwHighDateTime;
        if (!haveBias) {
            // The conversion applies today's bias to every time; ask once.
            FILETIME local;
            FileTimeToLocalFileTime(&written, &local);
            ULARGE_INTEGER l;
            l.LowPart = local.dwLowDateTime;
            l.HighPart = local.dwHighDateTime;
            bias = static_cast<int64_t>(l.QuadPart) - static_cast<int64_t>(utc.QuadPart);
            haveBias = true;
        }
        return static_cast<int64_t>((utc.QuadPart + static_cast<uint64_t>(bias)) / 10000000);
    }
};

// Holds back the owner's change event while the list changes many rows.
class QuietChanges {
public:
    explicit QuietChanges(int& counter) : counter_(counter) { ++counter_; }
    ~QuietChanges() { --counter_; }
    QuietChanges(const QuietChanges&) = delete;
    QuietChanges& operator=(const QuietChanges&) = delete;

private:
    int& counter_;
};

bool IsDriveRoot(const std::string& folder) {
    return folder.size() == 3 && folder[1] == ':' && folder[2] == '\\';
}

// A name of more than four characters ending in ".htm" or ".html", any letter case.
bool IsWebPageName(const char* name, size_t length) {
    if (length <= 4) return false;
    auto endsWith = [&](const char* tail, size_t n) {
        if (length < n) return false;
        for (size_t i = 0; i < n; ++i)
            if (os::UpperAnsi(name[length - n + i]) != tail[i]) return false;
        return true;
    };
    return endsWith(".HTM", 4) || endsWith(".HTML", 5);
}

// True for "desktop.ini" in any letter case: a folder's customisation.
bool IsDesktopIni(const char* name, size_t length) {
    static const char kName[] = "DESKTOP.INI";
    if (length != sizeof kName - 1) return false;
    for (size_t i = 0; i < length; ++i)
        if (UpperAsciiChar(name[i]) != kName[i]) return false;
    return true;
}

// A small folder whose items the shell names as it names the items of
// `folder`, which holds no desktop.ini: its drive's root, when neither can be
// a junction (a class id in a folder name, a desktop.ini in the root). Empty
// when there is none to gain.
std::string MadeUpNamesFolder(const std::string& folder) {
    if (folder.size() <= 3 || folder[1] != ':' || folder[2] != '\\') return {};
    if (folder.find('{') != std::string::npos) return {};
    std::string root = folder.substr(0, 3);
    if (GetFileAttributesA((root + "desktop.ini").c_str()) != INVALID_FILE_ATTRIBUTES) return {};
    return root;
}

} // namespace

struct ColumnSpec {
    const char* caption;
    int width;
    int format;
};

namespace {
// Widths of the folder view's columns.
const ColumnSpec kFolderColumns[] = {
    {"Dosya Adı", 165, LVCFMT_LEFT},      {"Boyut(KB)", 75, LVCFMT_RIGHT}, {"Türü", 95, LVCFMT_LEFT},
    {"Son Değişiklik", 115, LVCFMT_LEFT}, {"Nitelik", 40, LVCFMT_LEFT},
};
const ColumnSpec kDriveColumns[] = {
    {"Disk Adı", 160, LVCFMT_LEFT}, {"Türü", 110, LVCFMT_LEFT},   {"Boyut", 90, LVCFMT_RIGHT},
    {"Boş Alan", 90, LVCFMT_RIGHT}, {"Nitelik", 40, LVCFMT_LEFT},
};
} // namespace

// ---- Construction

TFileListView::TFileListView(const Params& params) {
    tk::WindowParams wp;
    wp.className = WC_LISTVIEWA;
    wp.style = WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | (params.visible ? WS_VISIBLE : 0) | LVS_REPORT |
               LVS_OWNERDATA | LVS_SHAREIMAGELISTS | LVS_EDITLABELS | LVS_SHOWSELALWAYS;
    wp.exStyle = WS_EX_CLIENTEDGE;
    wp.bounds = params.bounds;
    CreateControl(params.parent, wp);
    SetAlign(params.align);

    font_ = tk::MakeFont("MS Sans Serif", 8);
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    smallImages_ = SystemImageList(SHGFI_SMALLICON);
    largeImages_ = SystemImageList(SHGFI_LARGEICON);
    Pictures();
    SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages_));
    SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(largeImages_));

    // The sort marks go into the header's own image list with their grey
    // background as the mask, so they sit on any header colour.
    sortMarks_.reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 0));
    for (const char* name : {"Bmp_Up", "Bmp_Down"}) {
        tk::BitmapHandle bitmap(static_cast<HBITMAP>(
            LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        if (bitmap) ImageList_AddMasked(sortMarks_.get(), bitmap.get(), RGB(192, 192, 192));
    }
    if (HWND header = reinterpret_cast<HWND>(SendMessageA(Handle(), LVM_GETHEADER, 0, 0)))
        SendMessageA(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(sortMarks_.get()));

    BuildFolderColumns();
}

TFileListView::~TFileListView() {
    if (tree_) {
        IDirTreeLink* tree = tree_;
        tree_ = nullptr;
        tree->FileListDestroyed(this);
    }
    icons_.reset();
    // The window goes before the font and pictures it uses.
    DestroyHandle();
}

int TFileListView::ParentImageIndex() {
    return Pictures().parent;
}
int TFileListView::HtmlFolderImageIndex() {
    return Pictures().htmlFolder;
}

void TFileListView::PrepareImagesAhead() {
    std::thread([] {
        SystemImageList(SHGFI_SMALLICON);
        SystemImageList(SHGFI_LARGEICON);
        Pictures();
    }).detach();
}

// ---- Properties

void TFileListView::SetDateFormat(TDTFormat format) {
    dateFormat_ = format;
    dateFormatText_ = DateFormatString(format, LocaleText(LOCALE_SSHORTDATE, "dd.MM.yyyy"));
}

void TFileListView::SetTimeFormatStr(const std::string& format) {
    timeFormat_ = format.empty() ? LocaleText(LOCALE_STIMEFORMAT, "HH:mm:ss") : format;
}

void TFileListView::SetDirectory(const std::string& value) {
    if (os::AnsiUpperCase(value) == os::AnsiUpperCase(directory_)) return;
    if (os::AnsiUpperCase(value) == kDrives) {
        directory_ = value;
        UpdateFileList();
        return;
    }
    std::string folder = AddSlash(value);
    if (folder.empty() || !FolderExists(folder)) return;
    // A relative or dotted path becomes the full path it stands for.
    char full[MAX_PATH * 2] = {};
    DWORD n = GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);
    if (n > 0 && n < sizeof full) folder = AddSlash(full);
    SetCurrentDirectoryA(folder.c_str());
    directory_ = folder;
    UpdateFileList();
}

void TFileListView::SetDirTree(IDirTreeLink* tree) {
    if (tree == tree_) return;
    if (tree_) tree_->SetFileList(nullptr);
    tree_ = tree;
    if (tree_) tree_->SetFileList(this);
}

void TFileListView::TreeDestroyed(IDirTreeLink* tree) {
    if (tree == tree_) tree_ = nullptr;
}

void TFileListView::SetFileType(TFileType type) {
    if (type == fileType_) return;
    fileType_ = type;
    // Before the first listing there is nothing to rebuild: that listing
    // takes the new value (a window setting up its list lists nothing yet).
    if (listed_) UpdateFileList();
}

void TFileListView::SetMask(const std::string& mask) {
    if (mask == mask_) return;
    mask_ = mask;
    if (listed_) UpdateFileList();
}

void TFileListView::SetShowFolders(bool show) {
    if (show == showFolders_) return;
    showFolders_ = show;
    if (listed_) UpdateFileList();
}

void TFileListView::SetViewStyle(TViewStyle style) {
    viewStyle_ = style;
    static const DWORD kStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    LONG_PTR s = GetWindowLongPtrA(Handle(), GWL_STYLE);
    s = (s & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | kStyles[static_cast<int>(style)];
    SetWindowLongPtrA(Handle(), GWL_STYLE, s);
}

bool TFileListView::IsDrivesView() const {
    return os::AnsiUpperCase(directory_) == kDrives;
}

int64_t TFileListView::DriveFreeSpace() const {
    if (IsDrivesView() || directory_.empty()) return 0;
    return DiskFreeKB(std::string(1, directory_[0]) + ":\\");
}

int TFileListView::SelectedNumber() const {
    int selected = static_cast<int>(Query(LVM_GETSELECTEDCOUNT, 0, 0));
    return selected > 0 ? selected : RowCount();
}

int64_t TFileListView::SelectedSize() const {
    int64_t sum = 0;
    auto add = [&](const TFileListRow& row) {
        if (row.cells[cellKind] == "file") sum += row.size;
    };
    // Every row selected (select all): no need to ask the control row by row.
    if (RowCount() > 0 && Query(LVM_GETSELECTEDCOUNT, 0, 0) == RowCount()) {
        for (const TFileListRow& row : rows_)
            add(row);
        return sum;
    }
    for (int i = SelectedIndex(); i >= 0; i = static_cast<int>(Query(LVM_GETNEXTITEM, i, LVNI_SELECTED))) {
        if (i < RowCount()) add(rows_[i]);
    }
    return sum;
}

// ---- Rows and selection

LRESULT TFileListView::Query(UINT msg, WPARAM wParam, LPARAM lParam) const {
    // Straight to the list view's own procedure: read-only questions need not
    // pass our window procedure, whose object lookup is a server call under
    // Wine (it made walking thousands of selected rows take seconds).
    auto listProc = reinterpret_cast<WNDPROC>(GetClassLongPtrA(Handle(), GCLP_WNDPROC));
    if (!listProc) return SendMessageA(Handle(), msg, wParam, lParam);
    return CallWindowProcA(listProc, Handle(), msg, wParam, lParam);
}

bool TFileListView::IsSelected(int index) const {
    return (Query(LVM_GETITEMSTATE, index, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void TFileListView::SetSelected(int index, bool selected) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageA(Handle(), LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

int TFileListView::SelectedIndex() const {
    return static_cast<int>(Query(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int TFileListView::FocusedIndex() const {
    return static_cast<int>(Query(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void TFileListView::SetFocusedIndex(int index) {
    LVITEMA item{};
    item.stateMask = LVIS_FOCUSED;
    item.state = LVIS_FOCUSED;
    SendMessageA(Handle(), LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

bool TFileListView::SelectRowNamed(const std::string& name, const std::string& path) {
    for (int i = 0; i < RowCount(); ++i) {
        if (lstrcmpiA(Row(i).caption.c_str(), name.c_str()) == 0) {
            SetSelectedFile(path);
            SetSelected(i, true);
            SetFocusedIndex(i);
            return true;
        }
    }
    return false;
}

void TFileListView::SelectAll() {
    if (rows_.empty()) return;
    SetSelected(-1, true);
}

void TFileListView::ClearSelection() {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    SendMessageA(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

void TFileListView::SyncItemCount() {
    SendMessageA(Handle(), LVM_SETITEMCOUNT, rows_.size(), 0);
}

// ---- Columns

void TFileListView::SetColumns(const ColumnSpec* specs, int count) {
    while (SendMessageA(Handle(), LVM_DELETECOLUMN, 0, 0)) {
    }
    for (int i = 0; i < count; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = specs[i].format;
        column.cx = specs[i].width;
        column.pszText = const_cast<char*>(specs[i].caption);
        column.iSubItem = i;
        SendMessageA(Handle(), LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

void TFileListView::BuildFolderColumns() {
    SetColumns(kFolderColumns, 5);
}
void TFileListView::BuildDriveColumns() {
    SetColumns(kDriveColumns, 5);
}

void TFileListView::UpdateHeaderMarks() {
    HWND header = reinterpret_cast<HWND>(SendMessageA(Handle(), LVM_GETHEADER, 0, 0));
    if (!header) return;
    int count = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        item.mask = HDI_FORMAT | HDI_IMAGE;
        if (i == sortColumn_ && ImageList_GetImageCount(sortMarks_.get()) == 2) {
            item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT | HDF_STRING;
            item.iImage = sortDescending_ ? kMarkUp : kMarkDown;
        } else {
            item.fmt &= ~(HDF_IMAGE | HDF_BITMAP | HDF_BITMAP_ON_RIGHT);
            item.iImage = I_IMAGENONE;
        }
        SendMessageA(header, HDM_SETITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
}

// ---- Listing

void TFileListView::UpdateFileList() {
    listed_ = true;
    ForgetIconRequests();
    {
        tk::RedrawGuard noRedraw(Handle());
        QuietChanges quiet(quietChanges_);
        if (editing_) SendMessageA(Handle(), LVM_CANCELEDITLABEL, 0, 0);
        ClearSelection();
        std::vector<TFileListRow> old;
        old.swap(rows_);
        SyncItemCount();
        if (OnDeletion) {
            for (const TFileListRow& row : old)
                OnDeletion(row);
        }
        old.clear();

        tk::Hourglass hourglass;
        if (IsDrivesView()) {
            BuildDriveColumns();
            ListDrives();
        } else {
            BuildFolderColumns();
            uint32_t mask = fileType_.AttributeMask();
            std::string folder = AddSlash(directory_);
            ShellInfoCache shell;
            std::vector<std::string> pieces = SplitMask(mask_);
            size_t next = 0;
            if (showFolders_ && !pieces.empty() && pieces[0] == "*.*") {
                // The folder search and the first file search are the same
                // search: one pass gives both, folders first.
                AddFolderEntries(folder + "*.*", mask, true, true, shell);
                next = 1;
            } else if (showFolders_) {
                AddFolderEntries(folder + "*.*", mask, true, false, shell);
            }
            for (; next < pieces.size(); ++next) {
                // A piece that names another folder ("..\*.*") would give rows
                // whose paths point into this one: it finds nothing instead.
                const std::string& piece = pieces[next];
                if (piece.empty() || piece.find_first_of("\\/:") != std::string::npos) continue;
                AddFolderEntries(folder + piece, mask, false, true, shell);
            }
            lastShellCalls_ = shell.ShellCalls();
            sortColumn_ = 0;
            sortDescending_ = false;
            SortRows(false);
            UpdateHeaderMarks();
        }
        SyncItemCount();
        if (!rows_.empty() && SelectedIndex() < 0) SetFocusedIndex(0);
    }
    if (OnChange) OnChange();
    tk::Application().ProcessMessages();
}

bool TFileListView::AddFolderEntries(const std::string& pattern, uint32_t mask, bool folders, bool files,
                                     ShellInfoCache& shell) {
    sortingEnabled_ = true;
    FolderSearch search(pattern);
    if (!search.Found()) return false;

    const std::string folder = AddSlash(directory_);
    const bool atRoot = IsDriveRoot(folder);
    // A search of every name tells whether the folder is customised.
    const bool everyName = pattern.size() == folder.size() + 3 &&
                           pattern.compare(0, folder.size(), folder) == 0 &&
                           pattern.compare(folder.size(), 3, "*.*") == 0;
    bool desktopIni = false;
    // Rows whose type name the shell makes up, asked after the search.
    std::vector<std::pair<size_t, const ShellEntryInfo*>> madeUpTypes;
    listedDates_ = {dateFormatText_, timeFormat_, LocaleText(LOCALE_SDATE, "."),
                    LocaleText(LOCALE_STIME, ":")};
    LocalTimes times;
    // Web pages seen by the folder search, for the HTML-folder picture. Asking
    // the file system instead costs a scan of the whole folder per missing
    // name under Wine. Listed ones are found again through their rows, and
    // only wanted where a folder might be a page's.
    std::vector<size_t> pageRows;
    std::vector<std::string> otherPages; // upper-cased
    std::vector<size_t> pageFolders;
    // Rows gather where growing never moves them; the rows are sorted (folders
    // first) after the search.
    std::deque<TFileListRow> added;
    do {
        const WIN32_FIND_DATAA& found = search.Entry();
        const uint32_t attributes = found.dwFileAttributes;
        const bool isFolder = (attributes & kAttrDirectory) != 0;
        const size_t length = strlen(found.cFileName);
        const bool webPage = folders && !isFolder && IsWebPageName(found.cFileName, length);
        if (everyName && IsDesktopIni(found.cFileName, length)) desktopIni = true;
        if (isFolder ? !(folders && EntryPasses(attributes, mask | kAttrDirectory))
                     : !(files && EntryPasses(attributes, mask))) {
            if (webPage) otherPages.push_back(os::AnsiUpperCase(found.cFileName));
            continue;
        }
        const std::string_view name(found.cFileName, length);
        if (name == ".") continue;
        const bool isParent = name == "..";
        if (isParent && atRoot) continue; // a drive's root has no parent entry

        // A name the code page cannot spell comes with "?" in it, a wildcard
        // that would reach other files: such an entry goes by its short name.
        std::string_view pathName = name;
        if (name.find('?') != std::string_view::npos) {
            if (webPage) otherPages.push_back(os::AnsiUpperCase(found.cFileName));
            if (!found.cAlternateFileName[0]) continue;
            pathName = found.cAlternateFileName;
        } else if (webPage) {
            pageRows.push_back(added.size());
        }

        TFileListRow& row = added.emplace_back();
        std::string& path = row.cells[cellPath];
        path.reserve(folder.size() + pathName.size());
        path.append(folder).append(pathName);
        row.cells[cellKind] = isFolder ? "dir" : "file";
        const ShellEntryInfo& info = shell.Lookup(path, attributes, folder.size());
        if (info.typeNamePending)
            madeUpTypes.emplace_back(added.size() - 1, &info);
        else
            row.cells[cellType] = info.typeName;
        row.size = isFolder ? 0
                            : static_cast<int64_t>((static_cast<uint64_t>(found.nFileSizeHigh) << 32) |
                                                   found.nFileSizeLow);
        row.modified = times.Seconds(found.ftLastWriteTime);
        row.cells[cellAttributes] = AttributeLetters(attributes);
        row.caption = EntryCaption(name, hideFileExt_);
        if (isParent && ParentImageIndex() >= 0) {
            row.imageIndex = ParentImageIndex();
        } else {
            row.imageIndex = info.iconIndex;
            row.iconPending = info.iconPerPath;
            if (!isParent && isFolder && name.size() > 6) pageFolders.push_back(added.size() - 1);
        }
        row.textsPending = true;
        row.MakeKeys();
    } while (search.Next());

    if (everyName && !desktopIni && !madeUpTypes.empty() && shell.MadeUpNamesFolder().empty())
        shell.AskMadeUpNamesIn(MadeUpNamesFolder(folder));
    shell.ResolveTypeNames();
    for (const auto& [index, info] : madeUpTypes)
        added[index].cells[cellType] = info->typeName;

    // A folder such as "page_files" saved beside "page.htm" or "page.html".
    if (!pageFolders.empty() && (!pageRows.empty() || !otherPages.empty())) {
        std::unordered_set<std::string> pages(otherPages.begin(), otherPages.end());
        for (size_t index : pageRows)
            pages.insert(os::AnsiUpperCase(added[index].cells[cellPath].substr(folder.size())));
        for (size_t index : pageFolders) {
            TFileListRow& row = added[index];
            std::string base = os::AnsiUpperCase(row.cells[cellPath].substr(folder.size()));
            base.resize(base.size() - 6);
            if (pages.count(base + ".HTM") || pages.count(base + ".HTML")) {
                row.pageFolder = true;
                if (HtmlFolderImageIndex() >= 0) {
                    row.imageIndex = HtmlFolderImageIndex();
                    row.iconPending = false;
                }
            }
        }
    }
    rows_.reserve(rows_.size() + added.size());
    std::move(added.begin(), added.end(), std::back_inserter(rows_));
    return !added.empty();
}

const TFileListRow& TFileListView::Row(int index) const {
    return WithTexts(static_cast<size_t>(index));
}

TFileListRow& TFileListView::WithTexts(size_t index) const {
    // The texts are a cache of the row's numbers: writing them changes nothing
    // the list shows, so a const list may fill them.
    auto& row = const_cast<TFileListRow&>(rows_.at(index));
    if (!row.textsPending) return row;
    row.textsPending = false;
    row.cells[cellSize] = row.IsFolder() ? "0" : SizeText(row.size);
    FILETIME local;
    const uint64_t ticks = static_cast<uint64_t>(row.modified) * 10000000;
    local.dwLowDateTime = static_cast<DWORD>(ticks);
    local.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    SYSTEMTIME st{};
    FileTimeToSystemTime(&local, &st);
    const DateTimeParts parts{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    const TListedDates& d = listedDates_;
    row.cells[cellModified] = FormatDateTime(d.datePicture, parts, d.dateSeparator, d.timeSeparator) + " " +
                              FormatDateTime(d.timePicture, parts, d.dateSeparator, d.timeSeparator);
    return row;
}

void TFileListView::ListDrives() {
    sortingEnabled_ = false;
    DWORD drives = GetLogicalDrives();
    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        const char letter = static_cast<char>('A' + i);
        const std::string root = std::string(1, letter) + ":\\";
        try {
            TFileListRow row;
            SHFILEINFOA info{};
            SHGetFileInfoA(root.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME);
            row.caption = DriveCaption(letter, DriveLabel(info.szDisplayName));
            row.imageIndex = info.iIcon;
            int type = static_cast<int>(GetDriveTypeA(root.c_str()));
            int64_t total = 0, free = 0;
            if (type != DRIVE_REMOVABLE && type != DRIVE_CDROM) {
                total = DiskSizeKB(root);
                free = DiskFreeKB(root);
            }
            char separator = os::ThousandSeparator();
            row.cells = {DriveTypeText(type),
                         DriveSizeText(total, separator),
                         DriveSizeText(free, separator),
                         "",
                         root,
                         "drv"};
            row.MakeKeys();
            rows_.push_back(std::move(row));
        } catch (const std::exception&) {
            // A drive that cannot be described is left out.
        }
    }
    SetErrorMode(previousMode);
}

// ---- Per-path icons

void TFileListView::ForgetIconRequests() {
    ++iconTicket_;
    iconsAsked_.clear();
    if (icons_) icons_->Clear();
}

void TFileListView::AskIcon(int row) {
    if (!iconsAsked_.insert(row).second) return;
    if (!icons_) icons_ = std::make_unique<ShellIconResolver>(Handle(), tk::pmFileListIcons);
    icons_->Ask(iconTicket_, row, rows_[row].cells[cellPath]);
    // Rows are asked for while they are drawn: the shell's calls start once
    // the paint is over.
    if (!wakePosted_) wakePosted_ = PostMessageA(Handle(), tk::pmFileListIcons, kWakeIcons, 0) != FALSE;
}

void TFileListView::TakeIcons() {
    if (!icons_) return;
    for (ShellIconResolver::Answer& answer : icons_->TakeAnswers()) {
        if (answer.ticket != iconTicket_ || answer.row < 0 || answer.row >= RowCount()) continue;
        iconsAsked_.erase(answer.row);
        TFileListRow& row = rows_[answer.row];
        if (!row.iconPending) continue;
        row.iconPending = false;
        row.imageIndex = answer.info.iconIndex;
        // A marked folder may be customised: its type name comes with its icon.
        if (row.IsFolder() && !answer.info.typeName.empty()) row.cells[cellType] = answer.info.typeName;
        SendMessageA(Handle(), LVM_REDRAWITEMS, answer.row, answer.row);
    }
    // Rows scrolled away meanwhile are asked again when they come back.
    std::vector<int> dropped;
    icons_->Retain([this](int row) { return RowOnScreen(row); }, dropped);
    for (int row : dropped)
        iconsAsked_.erase(row);
}

bool TFileListView::RowOnScreen(int row) const {
    RECT item{};
    item.left = LVIR_BOUNDS;
    if (!Query(LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item))) return false;
    RECT client{}, common{};
    GetClientRect(Handle(), &client);
    return IntersectRect(&common, &item, &client) != FALSE;
}

bool TFileListView::IconsPending() const {
    if (!Handle() || !IsWindowVisible(Handle())) return false;
    int first = 0, last = RowCount() - 1;
    if (viewStyle_ == TViewStyle::vsReport) {
        // The rows on screen are a run from the top one (and a part row below).
        first = std::max(0, static_cast<int>(Query(LVM_GETTOPINDEX, 0, 0)));
        last = std::min(last, first + static_cast<int>(Query(LVM_GETCOUNTPERPAGE, 0, 0)));
    }
    for (int i = first; i <= last; ++i)
        if (rows_[i].iconPending && RowOnScreen(i)) return true;
    return false;
}

// ---- Sorting

void TFileListView::SortRows(bool keepSelection) {
    const int n = RowCount();
    std::vector<int> order;
    if (OnCompare) {
        order.resize(n);
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return OnCompare(rows_[a], rows_[b]) < 0; });
    } else {
        order = SortedOrder(rows_, sortColumn_, sortDescending_);
    }

    std::vector<bool> selected;
    int focused = -1;
    // With no row or every row selected the selection stays as it is; only
    // the focus moves.
    const int selectedCount = static_cast<int>(Query(LVM_GETSELECTEDCOUNT, 0, 0));
    const bool moveSelection = keepSelection && selectedCount > 0 && selectedCount < n;
    if (keepSelection) {
        focused = FocusedIndex();
    }
    if (moveSelection) {
        selected.assign(n, false);
        for (int i = SelectedIndex(); i >= 0 && i < n;
             i = static_cast<int>(Query(LVM_GETNEXTITEM, i, LVNI_SELECTED)))
            selected[i] = true;
    }
    // The rows move into their places along the cycles of the order, each
    // once: no second copy of a big folder's rows.
    std::vector<bool> placed(n, false);
    for (int start = 0; start < n; ++start) {
        if (placed[start] || order[start] == start) continue;
        TFileListRow held = std::move(rows_[start]);
        int at = start;
        while (order[at] != start) {
            rows_[at] = std::move(rows_[order[at]]);
            placed[at] = true;
            at = order[at];
        }
        rows_[at] = std::move(held);
        placed[at] = true;
    }
    ForgetIconRequests();
    if (keepSelection) {
        // The selection moves with its rows: one change for the owner, not
        // one per row (an owner may sum up the selection on every change).
        {
            QuietChanges quiet(quietChanges_);
            if (moveSelection) ClearSelection();
            for (int k = 0; k < n; ++k) {
                if (moveSelection && selected[order[k]]) SetSelected(k, true);
                if (order[k] == focused) SetFocusedIndex(k);
            }
        }
        InvalidateRect(Handle(), nullptr, TRUE);
        if (OnChange) OnChange();
    }
}

void TFileListView::ColumnClick(int column) {
    if (OnColumnClick) {
        OnColumnClick(column);
        return;
    }
    if (!sortingEnabled_) return;
    if (column == sortColumn_) {
        sortDescending_ = !sortDescending_;
    } else {
        sortColumn_ = column;
        sortDescending_ = true;
    }
    SortRows(true);
    UpdateHeaderMarks();
}

// ---- Navigation

void TFileListView::OpenItem() {
    int index = SelectedIndex();
    if (index < 0 || index >= RowCount()) return;
    tk::Hourglass hourglass;
    const TFileListRow row = rows_[index]; // the rows change below
    if (row.caption == " ..") {
        OneLevelUp();
        return;
    }
    const std::string& kind = row.cells[cellKind];
    const std::string& path = row.cells[cellPath];
    if (kind == "dir" || kind == "drv") {
        std::string target = AddSlash(path);
        if (kind == "drv" && GetDriveTypeA(target.c_str()) == DRIVE_REMOVABLE && !DriveReady(path[0], true))
            return;
        SetDirectory(target);
        if (tree_) tree_->OpenPath(target);
    } else if (kind == "file") {
        size_t slash = path.find_last_of('\\');
        std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
        std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        ExecuteFile("Open", name, "", folder, SW_SHOW);
    }
}

void TFileListView::OneLevelUp() {
    if (IsDrivesView()) return;
    directory_ = AddSlash(directory_);
    if (directory_.size() >= 2 && directory_[directory_.size() - 2] == ':') {
        SetDirectory("Drives");
        return;
    }
    std::string current = DelSlash(directory_);
    size_t slash = current.find_last_of('\\');
    if (slash == std::string::npos) return;
    std::string parent = current.substr(0, slash + 1);
    SetDirectory(parent);
    if (tree_) tree_->OpenPath(parent);
}

// ---- File operations (their own module does the work)

void TFileListView::CutCopy(TClipboardMode mode) {
    if (operations_) operations_->CutCopy(mode);
}
void TFileListView::Paste() {
    if (operations_) operations_->Paste();
}
void TFileListView::DeleteSelected() {
    if (operations_) operations_->DeleteSelected();
}
void TFileListView::RenameSelected() {
    if (operations_) operations_->RenameSelected();
}
void TFileListView::NewFolder() {
    if (operations_) operations_->NewFolder();
}
void TFileListView::ViewFile() {
    if (operations_) operations_->ViewFile();
}
void TFileListView::FindFile() {
    if (operations_) operations_->FindFile();
}

// ---- Framework hooks

void TFileListView::Click() {
    int index = SelectedIndex();
    if (index >= 0 && index < RowCount()) selectedFile_ = rows_[index].cells[cellPath];
    if (OnClick) OnClick();
}

void TFileListView::DblClick() {
    if (dblClickToOpen_) {
        OpenItem();
        return;
    }
    int index = SelectedIndex();
    if (index >= 0 && index < RowCount() && rows_[index].caption == " ..") {
        OneLevelUp();
        return;
    }
    if (OnDblClick) OnDblClick();
}

namespace {

// The list's keys and the explorer actions they run; an action's own enabling
// is the key's condition.
struct ListKey {
    WORD key;
    bool ctrl;
    const char* action;
};
constexpr ListKey kListKeys[] = {
    {'C', true, "ItemOpCopy"},     {'X', true, "ItemOpCut"},
    {'V', true, "ItemOpPaste"},    {'O', true, "Ac"},
    {'F', true, "Goruntule"},      {'N', true, "ItemFolder"},
    {VK_BACK, false, "UstKlasor"}, {VK_RETURN, false, "Ac"},
    {VK_DELETE, false, "Sil"},     {VK_F2, false, "AdiniDegistir"},
    {VK_F3, false, "Bul"},         {VK_F5, false, "ListeyiGuncelle"},
};

} // namespace

void TFileListView::KeyDown(WORD key) {
    Modifiers held = HeldModifiers();
    const bool ctrl = held == Modifiers::CtrlOnly;
    // Plain keys act only while no caption is being edited.
    if (keyActions_ && (ctrl || (held == Modifiers::None && !editing_))) {
        for (const ListKey& k : kListKeys) {
            if (k.key != key || k.ctrl != ctrl) continue;
            if (tk::TAction* action = keyActions_->Find(k.action)) action->Execute();
            break;
        }
    }
    if (OnKeyDown) OnKeyDown(key);
}

void TFileListView::KeyUp(WORD key) {
    if ((key == VK_UP || key == VK_DOWN) && HeldModifiers() == Modifiers::None && !editing_) Click();
    if (OnKeyUp) OnKeyUp(key);
}

// ---- Messages

LRESULT TFileListView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case tk::pmFileListIcons:
        if (wParam == kWakeIcons) {
            wakePosted_ = false;
            if (icons_) icons_->Wake();
        } else {
            TakeIcons();
        }
        return 0;
    case WM_KEYDOWN:
        KeyDown(static_cast<WORD>(wParam));
        if (!Handle()) return 0;
        return TControl::WndProc(msg, wParam, lParam);
    case WM_KEYUP: {
        LRESULT result = TControl::WndProc(msg, wParam, lParam);
        KeyUp(static_cast<WORD>(wParam));
        return result;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        // The list view may track the button itself and swallow the release.
        mouseUpSeen_ = false;
        LRESULT result = TControl::WndProc(msg, wParam, lParam);
        int button = msg == WM_LBUTTONDOWN ? VK_LBUTTON : VK_RBUTTON;
        UINT up = msg == WM_LBUTTONDOWN ? WM_LBUTTONUP : WM_RBUTTONUP;
        MSG pending;
        bool upPending = Handle() && PeekMessageA(&pending, Handle(), up, up, PM_NOREMOVE);
        if (!mouseUpSeen_ && !upPending && !(GetKeyState(button) & 0x8000) && OnMouseUp && Handle()) {
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(Handle(), &p);
            OnMouseUp(msg == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, p.x, p.y);
        }
        return result;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
        mouseUpSeen_ = true;
        LRESULT result = TControl::WndProc(msg, wParam, lParam);
        if (OnMouseUp)
            OnMouseUp(msg == WM_LBUTTONUP ? MK_LBUTTON : MK_RBUTTON, static_cast<short>(LOWORD(lParam)),
                      static_cast<short>(HIWORD(lParam)));
        return result;
    }
    case WM_CONTEXTMENU:
        if (popUpMenuEnabled_ && OnContextPopup) {
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (p.x == -1 && p.y == -1) {
                GetCursorPos(&p);
            }
            OnContextPopup(p);
            return 0;
        }
        break;
    }
    return TControl::WndProc(msg, wParam, lParam);
}

bool TFileListView::HandleReflected(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    if (msg != WM_NOTIFY) return false;
    return NotifyFromList(reinterpret_cast<NMHDR*>(lParam), result);
}

bool TFileListView::NotifyFromList(NMHDR* header, LRESULT& result) {
    switch (header->code) {
    case LVN_GETDISPINFOA: {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
        if (item.iItem < 0 || item.iItem >= RowCount()) return true;
        const TFileListRow& row = WithTexts(static_cast<size_t>(item.iItem));
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
            const std::string* text = nullptr;
            if (item.iSubItem == 0)
                text = &row.caption;
            else if (item.iSubItem >= 1 && item.iSubItem <= 6)
                text = &row.cells[item.iSubItem - 1];
            lstrcpynA(item.pszText, text ? text->c_str() : "", item.cchTextMax);
        }
        if (item.mask & LVIF_IMAGE) {
            if (row.iconPending) AskIcon(item.iItem);
            item.iImage = row.imageIndex;
        }
        result = 0;
        return true;
    }
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
        if (OnChange && quietChanges_ == 0) OnChange();
        result = 0;
        return true;
    case LVN_COLUMNCLICK:
        ColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        result = 0;
        return true;
    case NM_CLICK:
    case NM_RCLICK:
        if (header->code == NM_CLICK) Click();
        result = 0;
        return true;
    case NM_DBLCLK:
        DblClick();
        result = 0;
        return true;
    case LVN_BEGINLABELEDITA: {
        int index = reinterpret_cast<NMLVDISPINFOA*>(header)->item.iItem;
        bool allow = operations_ && index >= 0 && index < RowCount() && operations_->CanEdit(index);
        editing_ = allow;
        result = allow ? FALSE : TRUE;
        return true;
    }
    case LVN_ENDLABELEDITA: {
        editing_ = false;
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
        bool accept = false;
        if (item.pszText && operations_ && item.iItem >= 0 && item.iItem < RowCount()) {
            std::string caption = item.pszText;
            accept = operations_->Edit(item.iItem, caption);
            if (accept && item.iItem < RowCount()) {
                rows_[item.iItem].caption = caption;
                rows_[item.iItem].MakeKeys();
                if (OnEdited) OnEdited(item.iItem, caption);
            }
        }
        result = accept ? TRUE : FALSE;
        return true;
    }
    case NM_CUSTOMDRAW: {
        auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
        if (!OnCustomDrawItem) {
            result = CDRF_DODEFAULT;
            return true;
        }
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
            result = CDRF_NOTIFYITEMDRAW;
            return true;
        }
        if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            int index = static_cast<int>(draw->nmcd.dwItemSpec);
            result = index >= 0 && index < RowCount()
                         ? OnCustomDrawItem(index, WithTexts(static_cast<size_t>(index)), *draw)
                         : CDRF_DODEFAULT;
            return true;
        }
        result = CDRF_DODEFAULT;
        return true;
    }
    }
    return false;
}

} // namespace velmora::explorer
