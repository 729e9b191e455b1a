#include "explorer/dir_tree.h"

#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "base/os.h"
#include "explorer/context_menus.h"
#include "explorer/path_utils.h"
#include "explorer/shell_utils.h"
#include "explorer/tree_size.h"
#include "toolkit/dialogs.h"
#include "toolkit/gdi.h"
#include "toolkit/menus.h"

namespace velmora::explorer {

namespace {

// Characters a folder name typed into the tree may not contain.
const char kInvalidNameChars[] = "\\*?/=\"<>|:,;+^";

bool HasInvalidChar(const std::string& name) {
    return name.find_first_of(kInvalidNameChars) != std::string::npos;
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && os::AnsiUpperCase(a) == os::AnsiUpperCase(b);
}

// True when the folder holds at least one folder; stops at the first.
bool HasSubFolder(const std::string& folder) {
    for (FolderSearch search(AddSlash(folder) + "*.*"); search.Found(); search.Next()) {
        if (search.IsFolder() && !search.IsDots()) return true;
    }
    return false;
}

struct Icons {
    int image = 0;
    int open = 0;
};

Icons ShellIcons(const char* path, DWORD attributes, UINT extraFlags) {
    Icons icons;
    SHFILEINFOA info{};
    UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extraFlags;
    if (SHGetFileInfoA(path, attributes, &info, sizeof info, flags)) icons.image = info.iIcon;
    info = SHFILEINFOA{};
    if (SHGetFileInfoA(path, attributes, &info, sizeof info, flags | SHGFI_OPENICON)) icons.open = info.iIcon;
    return icons;
}

// The shell's small system image list: shared, never destroyed by us.
HIMAGELIST SmallSystemImages() {
    SHFILEINFOA info{};
    return reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                                                       SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX |
                                                           SHGFI_SMALLICON));
}

// The root item: the computer's name and picture.
struct ComputerItem {
    std::string text;
    int icon = 0;
};

ComputerItem AskComputerItem() {
    ComputerItem item;
    LPITEMIDLIST drives = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives)) && drives) {
        SHFILEINFOA info{};
        if (SHGetFileInfoA(reinterpret_cast<LPCSTR>(drives), 0, &info, sizeof info,
                           SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) {
            item.text = info.szDisplayName;
            item.icon = info.iIcon;
        }
        CoTaskMemFree(drives);
    }
    return item;
}

// A drive item: " (C:)  " and the volume's label, and its pictures.
struct DriveItem {
    std::string text;
    Icons icons;
};

std::vector<DriveItem> AskDriveItems(DWORD present) {
    std::vector<DriveItem> items;
    for (int i = 0; i < 26; ++i) {
        if (!(present & (1u << i))) continue;
        char letter = static_cast<char>('A' + i);
        std::string rootPath = std::string(1, letter) + ":\\";
        std::string label;
        SHFILEINFOA info{};
        if (SHGetFileInfoA(rootPath.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME)) {
            std::string name = info.szDisplayName;
            size_t paren = name.find('(');
            if (paren != std::string::npos) label = name.substr(0, paren);
        }
        items.push_back({" (" + std::string(1, letter) + ":)  " + label, ShellIcons(rootPath.c_str(), 0, 0)});
    }
    return items;
}

// What PrepareAhead's thread asked; taken once, by the first tree.
struct ShellStart {
    HIMAGELIST images = nullptr;
    ComputerItem computer;
    DWORD present = 0;
    std::vector<DriveItem> drives;
};

std::mutex preparedLock;
std::shared_future<ShellStart> prepared;
bool preparedTaken = false;

bool PreparedWaiting() {
    std::lock_guard<std::mutex> lock(preparedLock);
    return prepared.valid() && !preparedTaken;
}

// The prepared answers when nobody took them yet (waiting for the thread if need be).
const ShellStart* TakePrepared() {
    std::shared_future<ShellStart> answers;
    {
        std::lock_guard<std::mutex> lock(preparedLock);
        if (!prepared.valid() || preparedTaken) return nullptr;
        preparedTaken = true;
        answers = prepared;
    }
    // The state stays alive in `prepared`.
    return &answers.get();
}

// The shell's per-path call is slow (about 10 ms under Wine); a plain folder
// looks like every other plain folder, so it is asked once. Read-only and system
// folders may carry their own picture (desktop.ini), so they are asked by path.
Icons FolderIcons(const std::string& path, DWORD attributes) {
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM)) return ShellIcons(path.c_str(), 0, 0);
    static const Icons plain = ShellIcons("folder", FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES);
    return plain;
}

// Sorts by the locale's string order (the order of lstrcmp). The names' sort
// keys are made once, so the sort itself compares bytes: thousands of calls of
// the locale's comparison would cost more than listing the folder. Items need a
// sortKey string member.
template <typename Item, typename NameOf> void SortByLocale(std::vector<Item>& items, NameOf nameOf) {
    const LCID locale = GetThreadLocale();
    bool keysMade = true;
    for (Item& item : items) {
        const std::string& name = nameOf(item);
        int size = LCMapStringA(locale, LCMAP_SORTKEY, name.c_str(), -1, nullptr, 0);
        if (size <= 0) {
            keysMade = false;
            break;
        }
        item.sortKey.resize(size);
        LCMapStringA(locale, LCMAP_SORTKEY, name.c_str(), -1, item.sortKey.data(), size);
    }
    if (keysMade) {
        std::stable_sort(items.begin(), items.end(),
                         [](const Item& a, const Item& b) { return a.sortKey < b.sortKey; });
    } else {
        std::stable_sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
            return lstrcmpA(nameOf(a).c_str(), nameOf(b).c_str()) < 0;
        });
    }
}

// The working folder follows the file list; a folder that is the working folder
// (or holds it) cannot be renamed or deleted on Windows, so step out of it
// first. Returns the folder left ("" when the working folder stayed); the
// caller goes back there when the shell did nothing.
std::string LeaveFolder(const std::string& folder) {
    char current[MAX_PATH + 1] = {};
    DWORD n = GetCurrentDirectoryA(sizeof current, current);
    if (n == 0 || n > MAX_PATH) return {};
    std::string inside = os::AnsiUpperCase(AddSlash(current));
    std::string prefix = os::AnsiUpperCase(AddSlash(folder));
    if (inside.compare(0, prefix.size(), prefix) != 0) return {};
    std::string parent = DelSlash(folder);
    parent = parent.substr(0, parent.rfind('\\') + 1);
    if (parent.empty() || !SetCurrentDirectoryA(parent.c_str())) return {};
    return current;
}

// Back into the folder LeaveFolder left, when it still exists.
void ReturnToFolder(const std::string& left) {
    if (!left.empty()) SetCurrentDirectoryA(left.c_str());
}

} // namespace

// ---- construction

namespace {
tk::TTreeView::Params TreeParams(const TDirTree::Params& params) {
    tk::TTreeView::Params p;
    static_cast<tk::TControlParams&>(p) = params;
    if (p.bounds.right <= p.bounds.left && p.bounds.bottom <= p.bounds.top)
        p.bounds = RECT{p.bounds.left, p.bounds.top, p.bounds.left + 180, p.bounds.top + 120};
    p.hideSelection = false;
    return p;
}
} // namespace

TDirTree::TDirTree(const Params& params) : tk::TTreeView(TreeParams(params)) {
    if (!params.font) {
        font_ = tk::MakeFont("MS Sans Serif", 8);
        tk::TControl::SetFont(font_.get());
    }
    // With answers asked ahead still coming, the pictures come with them.
    if (!PreparedWaiting())
        if (HIMAGELIST images = SmallSystemImages()) SetImages(images);
    // The drives follow on the first click on the root, its expansion or OpenPath.
    AddRoot();
    popup_ = std::make_unique<TDirTreePopup>(*this);
    SetPopUpMenuEnabled(popUpMenuEnabled_);
}

void TDirTree::PrepareAhead() {
    auto promise = std::make_shared<std::promise<ShellStart>>();
    {
        std::lock_guard<std::mutex> lock(preparedLock);
        if (prepared.valid()) return;
        prepared = promise->get_future().share();
    }
    std::thread([promise] {
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ShellStart start;
        start.images = SmallSystemImages();
        start.computer = AskComputerItem();
        start.present = GetLogicalDrives();
        start.drives = AskDriveItems(start.present);
        if (SUCCEEDED(com)) CoUninitialize();
        promise->set_value(std::move(start));
    }).detach();
}

TDirTree::~TDirTree() {
    if (IFileListLink* list = fileList_) {
        fileList_ = nullptr;
        list->TreeDestroyed(this);
    }
    // While the object is whole: the control's last notifications come here.
    SetPopupMenu(nullptr);
    DestroyHandle();
}

void TDirTree::Loaded() {
    // The constructor made the root; the drives join it (no reload of what
    // was just built).
    AddDrives();
    Expand(RootNode());
}

// ---- link with the file list

void TDirTree::SetFileList(IFileListLink* list) {
    fileList_ = list;
    if (fileList_ && !selectedPath_.empty()) fileList_->SetDirectory(selectedPath_);
}

void TDirTree::FileListDestroyed(IFileListLink* list) {
    if (fileList_ == list) fileList_ = nullptr;
}

// ---- properties

void TDirTree::SetSelectedPath(const std::string& path) {
    if (!SameText(path, selectedPath_)) selectedPath_ = path;
}

void TDirTree::SetFont(const std::string& face, int points) {
    tk::FontHandle font = tk::MakeFont(face, points);
    if (Handle()) SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    font_ = std::move(font);
}

bool TDirTree::ProbeChildren(TTreeNode node) const {
    return HasSubFolder(GetPathFromNode(node));
}

bool TDirTree::CanExpand(TTreeNode node) {
    if (!FirstChild(node)) LoadChildren(node);
    return tk::TTreeView::CanExpand(node);
}

// ---- building the nodes

TTreeNode TDirTree::AddRoot() {
    if (!Handle()) return nullptr;
    // Answers asked ahead are still coming: the root takes its name and
    // picture with the drives, which the owner adds before the first paint.
    if (PreparedWaiting()) {
        rootPending_ = true;
        return AddChild(nullptr, std::string(), 0, 0, 1);
    }
    const ComputerItem computer = AskComputerItem();
    return AddChild(nullptr, computer.text, computer.icon, computer.icon, 1);
}

void TDirTree::AddDrives() {
    TTreeNode root = RootNode();
    if (!root) root = AddRoot();
    if (!root) return;
    const ShellStart* start = nullptr;
    if (rootPending_) {
        rootPending_ = false;
        start = TakePrepared();
        if (HIMAGELIST images = start && start->images ? start->images : SmallSystemImages()) SetImages(images);
        const ComputerItem computer = start ? start->computer : AskComputerItem();
        SetNodeText(root, computer.text);
        SetImageIndex(root, computer.icon, computer.icon);
    }
    if (FirstChild(root)) return;
    SetShowButtons(true);
    const DWORD present = GetLogicalDrives();
    const std::vector<DriveItem> drives =
        start && start->present == present ? start->drives : AskDriveItems(present);
    for (const DriveItem& drive : drives)
        AddChild(root, drive.text, drive.icons.image, drive.icons.open, 1);
    SetHasChildren(root, FirstChild(root) != nullptr);
}

void TDirTree::LoadChildren(TTreeNode node) {
    if (!node) return;
    // The root's children are the drives, never the folders of some search.
    if (NodeLevel(node) == 0) {
        AddDrives();
        return;
    }
    std::string path = GetPathFromNode(node);
    SetHasChildren(node, false);
    if (path.empty()) return;
    std::string folder = AddSlash(path);
    struct Entry {
        std::string name;
        DWORD attributes;
        std::string sortKey;
    };
    std::vector<Entry> entries;
    for (FolderSearch search(folder + "*.*"); search.Found(); search.Next()) {
        if (!search.IsFolder() || search.IsDots()) continue;
        // A name the code page cannot spell holds "?": the node's path would
        // be a pattern, so the folder goes by its short name, or not at all.
        const WIN32_FIND_DATAA& found = search.Entry();
        std::string name = found.cFileName;
        if (name.find('?') != std::string::npos) {
            if (!found.cAlternateFileName[0]) continue;
            name = found.cAlternateFileName;
        }
        entries.push_back({name, found.dwFileAttributes, {}});
    }
    SortByLocale(entries, [](const Entry& entry) -> const std::string& { return entry.name; });
    BeginUpdate();
    for (const Entry& entry : entries) {
        std::string full = folder + entry.name;
        Icons icons = FolderIcons(full, entry.attributes);
        // The expand button is decided by a probe of the folder, run when the
        // control first needs it (drawing, expanding) rather than for all now.
        AddChild(node, entry.name, icons.image, icons.open, tk::kChildrenUnknown);
    }
    SetHasChildren(node, !entries.empty());
    EndUpdate();
}

std::string TDirTree::GetPathFromNode(TTreeNode node) const {
    if (!node) return {};
    std::vector<TTreeNode> chain; // the node first, the top-level node last
    for (TTreeNode n = node; n; n = ParentNode(n))
        chain.push_back(n);
    std::string path;
    for (size_t i = chain.size(); i-- > 0;) {
        size_t level = chain.size() - 1 - i;
        if (level == 0) continue;
        std::string text = NodeText(chain[i]);
        if (level == 1) {
            // " (C:)  label": the letter and the colon.
            path = (text.size() >= 4 ? text.substr(2, 2) : std::string()) + "\\";
        } else {
            path += text;
            if (i > 0) path += "\\";
        }
    }
    return path;
}

int TDirTree::ExpandFolders(TTreeNode node, int limit) {
    if (!node || !Handle() || limit <= 0) return 0;
    tk::Hourglass wait;
    tk::TreeOffScreen offScreen(*this);
    BeginUpdate();
    int listed = 0;
    try {
        std::deque<TTreeNode> waiting{node};
        while (!waiting.empty() && listed < limit) {
            TTreeNode next = waiting.front();
            waiting.pop_front();
            // Drives and the root are no links; a folder below the start is checked.
            if (next != node && NodeLevel(next) >= 2) {
                DWORD attributes = GetFileAttributesA(GetPathFromNode(next).c_str());
                if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                    continue;
            }
            ++listed;
            Expand(next);
            if (!Expanded(next)) continue;
            for (TTreeNode child = FirstChild(next); child; child = NextSibling(child))
                waiting.push_back(child);
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    // The opened folder at the top, its subtree below it.
    TreeView_Select(Handle(), node, TVGN_FIRSTVISIBLE);
    return listed;
}

void TDirTree::ShowInFileList(const std::string& folder) {
    if (!fileList_) return;
    // The list ignores the folder it already shows, which would keep the old
    // entry on screen: list it again instead.
    if (SameText(AddSlash(fileList_->Directory()), AddSlash(folder)))
        fileList_->UpdateFileList();
    else
        fileList_->SetDirectory(folder);
}

HWND TDirTree::OwnerWindow() const {
    return Handle() ? GetAncestor(Handle(), GA_ROOT) : nullptr;
}

// ---- operations

void TDirTree::ReloadTree() {
    if (!Handle()) return;
    BeginUpdate();
    Clear();
    AddRoot();
    AddDrives();
    EndUpdate();
}

bool TDirTree::IsOpenAt(const std::string& path) const {
    const TTreeNode selected = Selected();
    const std::string wanted = AddSlash(path);
    return selected && SameText(AddSlash(selectedPath_), wanted) &&
           SameText(AddSlash(GetPathFromNode(selected)), wanted);
}

void TDirTree::OpenPath(const std::string& path) {
    if (!Handle() || path.size() < 2 || !FolderExists(path)) return;
    std::string rest = AddSlash(path);
    const std::string target = rest;
    BeginUpdate();
    TTreeNode root = RootNode();
    if (!root) root = AddRoot();
    if (!FirstChild(root)) AddDrives();
    if (Expanded(root)) Collapse(root, true);

    TTreeNode current = root;
    int childLevel = 1;
    for (size_t slash; (slash = rest.find('\\')) != std::string::npos; ++childLevel) {
        std::string component = rest.substr(0, slash + 1);
        rest.erase(0, slash + 1);
        TTreeNode match = nullptr;
        for (TTreeNode child = FirstChild(current); child && !match; child = NextSibling(child)) {
            std::string text = NodeText(child);
            std::string key =
                childLevel == 1 ? (text.size() >= 4 ? text.substr(2, 2) : std::string()) + "\\" : text + "\\";
            if (SameText(key, component)) match = child;
        }
        if (!match) {
            EndUpdate();
            return;
        }
        Select(match);
        Expand(match);
        current = match;
    }
    EndUpdate();
    if (!SameText(selectedPath_, target)) selectedPath_ = target;
}

bool TDirTree::AddNewNode(TTreeNode node, const std::string& name) {
    if (!node) node = Selected();
    if (node && NodeLevel(node) == 0) {
        tk::ShowError("HATA - Sürücüler eklenemiyor");
        return false;
    }
    std::string folderName = name.empty() ? std::string("Yeni Klasör") : name;
    std::string path = GetPathFromNode(node);
    if (path.empty()) return false;
    if (HasInvalidChar(folderName)) {
        MessageBeep(MB_ICONHAND);
        tk::ShowError("HATA - Klasör adı geçersiz karakter(ler) içeriyor");
        return false;
    }
    if (!CreateDirectoryA((AddSlash(path) + folderName).c_str(), nullptr)) return false;
    ReloadTree();
    if (fileList_) fileList_->UpdateFileList();
    OpenPath(path);
    return true;
}

bool TDirTree::DeleteNode(TTreeNode node) {
    if (!node || NodeLevel(node) <= 1) return false;
    tk::Hourglass wait;
    // The node's own folder: the one the caller named is the one that goes.
    std::string path = GetPathFromNode(node);
    if (!FolderExists(path)) {
        MessageBeep(MB_ICONHAND);
        tk::ShowError("HATA - " + path + "\r" + std::string(16, ' ') + "bulunamadı");
        return false;
    }
    const std::string left = LeaveFolder(path);
    if (!ShellFileOperation(OwnerWindow(), FO_DELETE, DelSlash(path), std::string(), confirm_)) {
        if (FolderExists(path)) ReturnToFolder(left);
        return false;
    }
    TTreeNode parent = ParentNode(node);
    Select(parent);
    RemoveNode(node);
    if (!FirstChild(parent)) SetHasChildren(parent, false);
    // The selection moved to the parent; what the tree reports follows it.
    selectedPath_ = GetPathFromNode(Selected());
    ShowInFileList(selectedPath_);
    return true;
}

int64_t TDirTree::GetTreeSize() {
    TTreeNode start = Selected();
    // The root would mean every drive; there is nothing sensible to report.
    if (!start || NodeLevel(start) == 0) {
        MessageBeep(MB_ICONHAND);
        return 0;
    }
    if (sizing_) return 0; // a second request while the first one walks
    tk::Hourglass wait;
    const std::string path = GetPathFromNode(start);
    std::string title;
    if (NodeLevel(start) == 1) {
        title = "Drive " + path;
    } else {
        std::string folder = DelSlash(path);
        title = "Folder \"" + folder.substr(folder.rfind('\\') + 1) + "\"";
    }
    int64_t total = 0;
    sizing_ = true;
    try {
        total = FolderTreeBytes(path, [] { KeepWindowsPainted(); });
    } catch (...) {
        sizing_ = false;
        throw;
    }
    sizing_ = false;
    if (!Handle()) return total;
    BeginUpdate();
    OpenPath(path);
    EndUpdate();
    tk::ShowInformation(CapacityReportText(title, total));
    return total;
}

// ---- own context menu

void TDirTree::SetPopUpMenuEnabled(bool enabled) {
    popUpMenuEnabled_ = enabled;
    if (enabled)
        SetPopupMenu(popup_.get());
    else if (PopupMenu() == popup_.get())
        SetPopupMenu(nullptr);
}

// ---- mouse, keyboard and the control's notifications

bool TDirTree::SelectionStep() {
    TTreeNode node = Selected();
    if (!node) return false;
    int level = NodeLevel(node);
    std::string path;
    if (level != 0 || FirstChild(node))
        path = GetPathFromNode(node);
    else
        AddDrives();
    selectedPath_ = level == 0 ? std::string("Drives") : path;
    if (level == 1) {
        UINT type = GetDriveTypeA(selectedPath_.c_str());
        if ((type == DRIVE_REMOVABLE || type == DRIVE_CDROM) && !DriveReady(selectedPath_[0], true))
            return false;
    }
    if (fileList_ && !selectedPath_.empty()) fileList_->SetDirectory(selectedPath_);
    return true;
}

void TDirTree::MouseDown(int x, int y) {
    TVHITTESTINFO hit{};
    hit.pt = POINT{x, y};
    TreeView_HitTest(Handle(), &hit);
    if (hit.hItem && (hit.flags & (TVHT_ONITEMLABEL | TVHT_ONITEMICON))) SelectionStep();
}

bool TDirTree::CanEdit(TTreeNode node) {
    return NodeLevel(node) >= 2 && tk::TTreeView::CanEdit(node);
}

bool TDirTree::Edit(TTreeNode node, const char* newText) {
    if (!node || NodeLevel(node) <= 1) return false;
    std::string name = newText ? newText : "";
    if (name.empty() || HasInvalidChar(name)) {
        MessageBeep(MB_ICONHAND);
        if (!name.empty()) tk::ShowError("HATA - Geçersiz klasör adı\r" + name);
        return false;
    }
    if (name == NodeText(node)) return false; // unchanged: nothing to ask the shell
    tk::Hourglass wait;
    std::string oldPath = DelSlash(GetPathFromNode(node));
    std::string newPath = oldPath.substr(0, oldPath.rfind('\\') + 1) + name;
    const std::string left = LeaveFolder(oldPath);
    if (!ShellFileOperation(OwnerWindow(), FO_RENAME, oldPath, newPath, confirm_)) {
        if (FolderExists(oldPath)) ReturnToFolder(left);
        return false;
    }
    if (OnPathMoved) OnPathMoved(oldPath, newPath);
    SetNodeText(node, name);
    if (OnEdited) OnEdited(node, name);
    TTreeNode parent = ParentNode(node);
    Select(parent);
    // The selection moved to the parent; what the tree reports follows it.
    selectedPath_ = GetPathFromNode(parent);
    ShowInFileList(selectedPath_);
    return true;
}

void TDirTree::KeyDown(WORD& key, UINT shift) {
    if (key == VK_RETURN) {
        if (Selected() && SelectionStep() && OnKeyDown) OnKeyDown(key, shift);
    } else if (OnKeyDown) {
        OnKeyDown(key, shift);
    }
}

LRESULT TDirTree::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_RBUTTONDOWN) {
        TVHITTESTINFO hit{};
        hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        TreeView_HitTest(Handle(), &hit);
        if (hit.hItem) {
            Select(hit.hItem);
            selectedPath_ = GetPathFromNode(hit.hItem);
        }
    }
    return tk::TTreeView::WndProc(msg, wParam, lParam);
}

} // namespace velmora::explorer
