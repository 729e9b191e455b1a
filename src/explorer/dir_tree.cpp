#include "explorer/dir_tree.h"

#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "base/os.h"
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

void SetStyleBit(HWND hwnd, DWORD bit, bool on) {
    if (!hwnd) return;
    DWORD style = GetWindowLongA(hwnd, GWL_STYLE);
    DWORD wanted = on ? (style | bit) : (style & ~bit);
    if (wanted == style) return;
    SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(wanted));
    InvalidateRect(hwnd, nullptr, TRUE);
}

UINT ShiftState() {
    UINT shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= tk::scShift;
    if (GetKeyState(VK_CONTROL) < 0) shift |= tk::scCtrl;
    if (GetKeyState(VK_MENU) < 0) shift |= tk::scAlt;
    return shift;
}

// The working folder follows the file list; a folder that is the working folder
// (or holds it) cannot be renamed or deleted on Windows, so step out of it first.
void LeaveFolder(const std::string& folder) {
    char current[MAX_PATH + 1] = {};
    DWORD n = GetCurrentDirectoryA(sizeof current, current);
    if (n == 0 || n > MAX_PATH) return;
    std::string inside = os::AnsiUpperCase(AddSlash(current));
    std::string prefix = os::AnsiUpperCase(AddSlash(folder));
    if (inside.compare(0, prefix.size(), prefix) != 0) return;
    std::string parent = DelSlash(folder);
    parent = parent.substr(0, parent.rfind('\\') + 1);
    if (!parent.empty()) SetCurrentDirectoryA(parent.c_str());
}

} // namespace

// ---- construction

TDirTree::TDirTree(const Params& params) {
    font_ = tk::MakeFont("MS Sans Serif", 8);
    tk::WindowParams wp;
    wp.className = WC_TREEVIEWA;
    wp.style = WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
               TVS_EDITLABELS | TVS_SHOWSELALWAYS | (params.visible ? WS_VISIBLE : 0);
    wp.exStyle = WS_EX_CLIENTEDGE;
    wp.bounds = params.bounds;
    wp.font = font_.get();
    CreateControl(params.parent, wp);
    SetAlign(params.align);
    // The shell's small system image list: shared, never destroyed by us.
    SHFILEINFOA info{};
    auto images = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                       SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (images && Handle()) TreeView_SetImageList(Handle(), images, TVSIL_NORMAL);
    // The drives follow on the first click on the root, its expansion or OpenPath.
    AddRoot();
}

TDirTree::~TDirTree() {
    if (IFileListLink* list = fileList_) {
        fileList_ = nullptr;
        list->TreeDestroyed(this);
    }
    // While the object is whole: the control's last notifications come here.
    DestroyHandle();
}

void TDirTree::Loaded() {
    ReloadTree();
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

void TDirTree::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    SetStyleBit(Handle(), TVS_EDITLABELS, !readOnly);
}

bool TDirTree::ShowRoot() const {
    return Handle() && (GetWindowLongA(Handle(), GWL_STYLE) & TVS_LINESATROOT);
}
void TDirTree::SetShowRoot(bool show) {
    SetStyleBit(Handle(), TVS_LINESATROOT, show);
}

bool TDirTree::HideSelection() const {
    return Handle() && !(GetWindowLongA(Handle(), GWL_STYLE) & TVS_SHOWSELALWAYS);
}
void TDirTree::SetHideSelection(bool hide) {
    SetStyleBit(Handle(), TVS_SHOWSELALWAYS, !hide);
}

int TDirTree::Indent() const {
    return Handle() ? static_cast<int>(TreeView_GetIndent(Handle())) : 0;
}
void TDirTree::SetIndent(int indent) {
    if (Handle()) TreeView_SetIndent(Handle(), indent);
}

void TDirTree::SetFont(const std::string& face, int points) {
    tk::FontHandle font = tk::MakeFont(face, points);
    if (Handle()) SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    font_ = std::move(font);
}

// ---- nodes

TTreeNode TDirTree::RootNode() const {
    return Handle() ? TreeView_GetRoot(Handle()) : nullptr;
}
TTreeNode TDirTree::Selected() const {
    return Handle() ? TreeView_GetSelection(Handle()) : nullptr;
}

void TDirTree::Select(TTreeNode node) {
    if (Handle()) TreeView_SelectItem(Handle(), node);
}

TTreeNode TDirTree::ParentNode(TTreeNode node) const {
    return node && Handle() ? TreeView_GetParent(Handle(), node) : nullptr;
}

TTreeNode TDirTree::FirstChild(TTreeNode node) const {
    return node && Handle() ? TreeView_GetChild(Handle(), node) : nullptr;
}

TTreeNode TDirTree::NextSibling(TTreeNode node) const {
    return node && Handle() ? TreeView_GetNextSibling(Handle(), node) : nullptr;
}

std::vector<TTreeNode> TDirTree::Children(TTreeNode node) const {
    std::vector<TTreeNode> children;
    for (TTreeNode child = FirstChild(node); child; child = NextSibling(child))
        children.push_back(child);
    return children;
}

TTreeNode TDirTree::FindChild(TTreeNode node, const std::string& name) const {
    for (TTreeNode child = FirstChild(node); child; child = NextSibling(child))
        if (SameText(NodeText(child), name)) return child;
    return nullptr;
}

std::string TDirTree::NodeText(TTreeNode node) const {
    if (!node || !Handle()) return {};
    char buffer[1024] = {};
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    if (!SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return {};
    return item.pszText ? std::string(item.pszText) : std::string();
}

int TDirTree::NodeLevel(TTreeNode node) const {
    if (!node) return -1;
    int level = 0;
    for (TTreeNode n = ParentNode(node); n; n = ParentNode(n))
        ++level;
    return level;
}

bool TDirTree::HasChildren(TTreeNode node) const {
    if (!node || !Handle()) return false;
    if (FirstChild(node)) return true;
    TVITEMA item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = node;
    SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (item.cChildren == I_CHILDRENCALLBACK) return ProbeChildren(node);
    return item.cChildren != 0;
}

bool TDirTree::ProbeChildren(TTreeNode node) const {
    return HasSubFolder(GetPathFromNode(node));
}

bool TDirTree::Expanded(TTreeNode node) const {
    return node && Handle() && (TreeView_GetItemState(Handle(), node, TVIS_EXPANDED) & TVIS_EXPANDED);
}

int TDirTree::ImageIndex(TTreeNode node) const {
    TVITEMA item{};
    item.mask = TVIF_IMAGE;
    item.hItem = node;
    if (!node || !SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    return item.iImage;
}

int TDirTree::SelectedImageIndex(TTreeNode node) const {
    TVITEMA item{};
    item.mask = TVIF_SELECTEDIMAGE;
    item.hItem = node;
    if (!node || !SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    return item.iSelectedImage;
}

void TDirTree::Expand(TTreeNode node, bool recursive) {
    if (!node || !Handle()) return;
    if (!FirstChild(node)) LoadChildren(node);
    TreeView_Expand(Handle(), node, TVE_EXPAND);
    if (recursive)
        for (TTreeNode child = FirstChild(node); child; child = NextSibling(child))
            Expand(child, true);
}

void TDirTree::Collapse(TTreeNode node, bool recursive) {
    if (!node || !Handle()) return;
    if (recursive)
        CollapseBelow(node);
    else
        TreeView_Expand(Handle(), node, TVE_COLLAPSE);
}

void TDirTree::FullCollapse() {
    BeginUpdate();
    for (TTreeNode node = RootNode(); node; node = NextSibling(node))
        CollapseBelow(node);
    EndUpdate();
}

void TDirTree::CollapseBelow(TTreeNode node) {
    for (TTreeNode child = FirstChild(node); child; child = NextSibling(child))
        if (FirstChild(child)) CollapseBelow(child);
    if (Expanded(node)) TreeView_Expand(Handle(), node, TVE_COLLAPSE);
}

HWND TDirTree::EditText(TTreeNode node) {
    if (!node || !Handle()) return nullptr;
    ::SetFocus(Handle());
    return reinterpret_cast<HWND>(SendMessageA(Handle(), TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(node)));
}

// ---- building the nodes

TTreeNode TDirTree::InsertChild(TTreeNode parent, const std::string& text, int image, int selectedImage,
                                int hasChildren) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.cChildren = hasChildren;
    return reinterpret_cast<TTreeNode>(
        SendMessageA(Handle(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void TDirTree::SetHasChildren(TTreeNode node, bool hasChildren) {
    TVITEMA item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = node;
    item.cChildren = hasChildren ? 1 : 0;
    SendMessageA(Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

TTreeNode TDirTree::AddRoot() {
    if (!Handle()) return nullptr;
    std::string text;
    int icon = 0;
    LPITEMIDLIST drives = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives)) && drives) {
        SHFILEINFOA info{};
        if (SHGetFileInfoA(reinterpret_cast<LPCSTR>(drives), 0, &info, sizeof info,
                           SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) {
            text = info.szDisplayName;
            icon = info.iIcon;
        }
        CoTaskMemFree(drives);
    }
    return InsertChild(TVI_ROOT, text, icon, icon, 1);
}

void TDirTree::AddDrives() {
    TTreeNode root = RootNode();
    if (!root) root = AddRoot();
    if (!root || FirstChild(root)) return;
    SetStyleBit(Handle(), TVS_HASBUTTONS, true);
    DWORD present = GetLogicalDrives();
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
        Icons icons = ShellIcons(rootPath.c_str(), 0, 0);
        InsertChild(root, " (" + std::string(1, letter) + ":)  " + label, icons.image, icons.open, 1);
    }
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
        if (search.IsFolder() && !search.IsDots())
            entries.push_back({search.Entry().cFileName, search.Entry().dwFileAttributes, {}});
    }
    SortByLocale(entries, [](const Entry& entry) -> const std::string& { return entry.name; });
    BeginUpdate();
    for (const Entry& entry : entries) {
        std::string full = folder + entry.name;
        Icons icons = FolderIcons(full, entry.attributes);
        // The expand button is decided by a probe of the folder, run when the
        // control first needs it (drawing, expanding) rather than for all now.
        InsertChild(node, entry.name, icons.image, icons.open, I_CHILDRENCALLBACK);
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

void TDirTree::BeginUpdate() {
    if (updateCount_++ == 0 && Handle()) SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TDirTree::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0 && Handle()) {
        SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(Handle(), nullptr, TRUE);
    }
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
    TreeView_DeleteAllItems(Handle());
    AddRoot();
    AddDrives();
    EndUpdate();
}

void TDirTree::OpenPath(const std::string& path) {
    if (!Handle() || path.size() < 2 || !FolderExists(path)) return;
    std::string rest = AddSlash(path);
    const std::string target = rest;
    BeginUpdate();
    TTreeNode root = RootNode();
    if (!root) root = AddRoot();
    if (!FirstChild(root)) AddDrives();
    if (Expanded(root)) CollapseBelow(root);

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
    LeaveFolder(path);
    if (!ShellFileOperation(OwnerWindow(), FO_DELETE, DelSlash(path), std::string())) return false;
    TTreeNode parent = ParentNode(node);
    Select(parent);
    TreeView_DeleteItem(Handle(), node);
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
    tk::Hourglass wait;
    BeginUpdate();
    const std::string path = GetPathFromNode(start);
    const std::string prefix = os::AnsiUpperCase(AddSlash(path));
    int64_t total = FilesSizeIn(path);
    std::string title;
    if (NodeLevel(start) == 1) {
        title = "Drive " + path;
    } else {
        std::string folder = DelSlash(path);
        title = "Folder \"" + folder.substr(folder.rfind('\\') + 1) + "\"";
    }
    // Pre-order walk of the loaded sub-tree, loading each node as it comes.
    auto next = [this](TTreeNode node) -> TTreeNode {
        if (TTreeNode child = FirstChild(node)) return child;
        for (TTreeNode n = node; n; n = ParentNode(n))
            if (TTreeNode sibling = NextSibling(n)) return sibling;
        return nullptr;
    };
    try {
        if (!FirstChild(start)) LoadChildren(start);
        for (TTreeNode node = next(start); node; node = next(node)) {
            std::string nodePath = GetPathFromNode(node);
            if (os::AnsiUpperCase(nodePath).compare(0, prefix.size(), prefix) != 0) break;
            if (!FirstChild(node)) LoadChildren(node);
            total += FilesSizeIn(nodePath);
        }
    } catch (...) {
        OpenPath(path);
        EndUpdate();
        throw;
    }
    OpenPath(path);
    EndUpdate();
    tk::ShowInformation(CapacityReportText(title, total));
    return total;
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

void TDirTree::MouseDownHook(int x, int y) {
    TVHITTESTINFO hit{};
    hit.pt = POINT{x, y};
    TreeView_HitTest(Handle(), &hit);
    if (hit.hItem && (hit.flags & (TVHT_ONITEMLABEL | TVHT_ONITEMICON))) SelectionStep();
}

bool TDirTree::CanEdit(TTreeNode node) const {
    return node && !readOnly_ && NodeLevel(node) >= 2;
}

bool TDirTree::EditHook(TTreeNode node, const char* newText) {
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
    LeaveFolder(oldPath);
    if (!ShellFileOperation(OwnerWindow(), FO_RENAME, oldPath, newPath)) return false;
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = const_cast<char*>(name.c_str());
    SendMessageA(Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (OnEdited) OnEdited(node, name);
    TTreeNode parent = ParentNode(node);
    Select(parent);
    // The selection moved to the parent; what the tree reports follows it.
    selectedPath_ = GetPathFromNode(parent);
    ShowInFileList(selectedPath_);
    return true;
}

LRESULT TDirTree::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // The control selects the clicked node (and reports NM_CLICK before it
        // does); the selection step and the click event come after that.
        inMouseDown_ = true;
        clickPending_ = false;
        dblClickPending_ = false;
        LRESULT result = 0;
        try {
            result = DefaultProc(msg, wParam, lParam);
        } catch (...) {
            inMouseDown_ = false;
            throw;
        }
        inMouseDown_ = false;
        if (!Handle()) return result;
        MouseDownHook(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (clickPending_ && OnClick) OnClick();
        if (dblClickPending_ && OnDblClick) OnDblClick();
        clickPending_ = dblClickPending_ = false;
        return result;
    }
    case WM_RBUTTONDOWN: {
        TVHITTESTINFO hit{};
        hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        TreeView_HitTest(Handle(), &hit);
        if (hit.hItem) {
            Select(hit.hItem);
            selectedPath_ = GetPathFromNode(hit.hItem);
        }
        break;
    }
    case WM_KEYDOWN: {
        WORD key = static_cast<WORD>(wParam);
        if (key == VK_RETURN) {
            if (Selected() && SelectionStep() && OnKeyDown) OnKeyDown(key, ShiftState());
        } else if (OnKeyDown) {
            OnKeyDown(key, ShiftState());
        }
        if (key == 0) return 0;
        break;
    }
    }
    return TControl::WndProc(msg, wParam, lParam);
}

bool TDirTree::HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg != WM_NOTIFY) return TControl::HandleReflected(msg, wParam, lParam, result);
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    switch (header->code) {
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: {
        auto* info = reinterpret_cast<NMTREEVIEWA*>(lParam);
        if ((info->action & 0x0003) == TVE_EXPAND && !FirstChild(info->itemNew.hItem))
            LoadChildren(info->itemNew.hItem);
        result = FALSE; // always allowed
        return true;
    }
    case TVN_GETDISPINFOA:
    case TVN_GETDISPINFOW: {
        // Only the expand button is asked for (texts and pictures are stored).
        auto* info = reinterpret_cast<NMTVDISPINFOA*>(lParam);
        if (info->item.mask & TVIF_CHILDREN) {
            info->item.cChildren = ProbeChildren(info->item.hItem) ? 1 : 0;
            info->item.mask |= TVIF_DI_SETITEM;
        }
        result = 0;
        return true;
    }
    case NM_CLICK:
        if (inMouseDown_)
            clickPending_ = true;
        else if (OnClick)
            OnClick();
        result = 0;
        return true;
    case NM_DBLCLK:
        if (inMouseDown_)
            dblClickPending_ = true;
        else if (OnDblClick)
            OnDblClick();
        result = 0;
        return true;
    case TVN_BEGINLABELEDITA: {
        auto* info = reinterpret_cast<NMTVDISPINFOA*>(lParam);
        editing_ = CanEdit(info->item.hItem);
        result = editing_ ? FALSE : TRUE;
        return true;
    }
    case TVN_ENDLABELEDITA: {
        // One end per edit: the control may report the end again while its
        // editor goes away (it loses the focus to our message box, or is destroyed).
        auto* info = reinterpret_cast<NMTVDISPINFOA*>(lParam);
        bool editing = editing_;
        editing_ = false;
        result = editing && EditHook(info->item.hItem, info->item.pszText) ? TRUE : FALSE;
        return true;
    }
    case NM_CUSTOMDRAW: {
        if (!OnCustomDrawItem) return false;
        auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(lParam);
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
            result = CDRF_NOTIFYITEMDRAW;
            return true;
        }
        if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            TTreeItemDraw item;
            item.node = reinterpret_cast<TTreeNode>(draw->nmcd.dwItemSpec);
            item.dc = draw->nmcd.hdc;
            item.selected = (draw->nmcd.uItemState & CDIS_SELECTED) != 0;
            OnCustomDrawItem(item);
            result = CDRF_DODEFAULT;
            if (item.font) {
                SelectObject(draw->nmcd.hdc, item.font);
                result = CDRF_NEWFONT;
            }
            if (item.textColor != CLR_DEFAULT) {
                draw->clrText = item.textColor;
                result = CDRF_NEWFONT;
            }
            return true;
        }
        return false;
    }
    }
    return false;
}

} // namespace velmora::explorer
