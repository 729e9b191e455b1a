#include "explorer/context_menus.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "explorer/dir_tree.h"
#include "explorer/file_list_view.h"
#include "explorer/file_operations.h"
#include "explorer/file_operations_core.h"
#include "explorer/path_utils.h"

namespace velmora::explorer {

bool GetSpecialFolderPath(HWND owner, int folderId, std::string& path) {
    LPITEMIDLIST location = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, folderId, &location)) || !location) return false;
    char buffer[MAX_PATH + 1] = {};
    bool found = SHGetPathFromIDListA(location, buffer) != FALSE;
    CoTaskMemFree(location);
    if (found) path = buffer;
    return found && !path.empty();
}

// ---- the tree's menu

namespace {

const std::vector<tk::MenuRow> kDirTreeMenu = {
    {0, "AddNode", "&Yeni Klasör", 0, nullptr, "NewFolder"},
    {0, "EditNode", "&Adını Değiştir", 0, nullptr, "EditFolder"},
    {0, "DelNode", "Klasörü &Sil", 0, nullptr, "DelFolder"},
    {0, "N1", "-"},
    {0, "GetTreeSize", "&Kapasite", 0, nullptr, "TreeSize"},
};

const std::vector<tk::MenuRow> kFileListMenu = {
    {0, "ItemOpen", "&Aç", 0, nullptr, "Open"},
    {0, "ItemView", "&Görüntüle", 0, nullptr, "View"},
    {0, "N1", "-"},
    {0, "SubMenuSend", "Gön&der", 0, nullptr, "SendTo"},
    {1, "Send_To0", "İstenen Klasö&re ...", 0, nullptr, "AnyFolder"},
    {1, "Send_To1", "İçer&ik olarak", 0, nullptr, "ClipBoard"},
    {1, "Send_To2", "Dosya Adı &olarak", 0, nullptr, "ClipBoard"},
    {1, "Send_To3", "-"},
    {0, "N2", "-"},
    {0, "ItemOpCut", "K&es", 0, nullptr, "Cut"},
    {0, "ItemOpCopy", "&Kopyala", 0, nullptr, "Copy"},
    {0, "ItemOpPaste", "&Yapıştır", 0, nullptr, "Paste"},
    {0, "N3", "-"},
    {0, "ItemRename", "Adını Değiş&tir", 0, nullptr, "ReName"},
    {0, "ItemDelete", "&Sil", 0, nullptr, "Delete"},
    {0, "N4", "-"},
    {0, "ItemFileAttr", "&Nitelik ...", 0, nullptr, "Attributes"},
    {0, "N5", "-"},
    {0, "ItemFolder", "&Yeni K&lasör ...", 0, nullptr, "NewFolder"},
    {0, "ItemDoc", "&Yeni Döküman", 0, nullptr, "NewDoc"},
};

// Every command item runs the menu's one handler with its name.
template <class Menu> void WireItems(Menu& menu, tk::TMenuItem& parent) {
    for (const auto& item : parent.Items()) {
        if (item->IsSeparator()) continue;
        if (!item->Items().empty()) {
            WireItems(menu, *item);
            continue;
        }
        const std::string name = item->Name;
        item->OnClick = [&menu, name] { menu.Dispatch(name); };
    }
}

void Enable(tk::TMenu& menu, const char* name, bool enabled) {
    if (tk::TMenuItem* item = menu.Find(name)) item->SetEnabled(enabled);
}

} // namespace

TDirTreePopup::TDirTreePopup(TDirTree& tree) : tree_(tree) {
    Load(kDirTreeMenu);
    WireItems(*this, Root());
}

void TDirTreePopup::UpdateItems() {
    TTreeNode node = tree_.Selected();
    DirTreeMenuEnabling e = DirTreeMenuState(node ? tree_.NodeLevel(node) : -1);
    Enable(*this, "AddNode", e.addNode);
    Enable(*this, "EditNode", e.editNode);
    Enable(*this, "DelNode", e.delNode);
    Enable(*this, "GetTreeSize", e.treeSize);
}

void TDirTreePopup::Popup(int x, int y) {
    UpdateItems();
    tk::TPopupMenu::Popup(x + 10, y + 10);
}

void TDirTreePopup::Dispatch(const std::string& name) {
    TTreeNode node = tree_.Selected();
    if (name == "AddNode") {
        if (node) tree_.AddNewNode(node, "");
    } else if (name == "EditNode") {
        if (node) tree_.EditText(node);
    } else if (name == "DelNode") {
        if (node) tree_.DeleteNode(node);
    } else if (name == "GetTreeSize") {
        tree_.GetTreeSize();
    }
}

// ---- the file list's menu

TFileListPopup::TFileListPopup(TFileListView& list, TFileOperations& operations,
                               const std::string& sendToFolder)
    : list_(list), operations_(operations) {
    Load(kFileListMenu);
    WireItems(*this, Root());
    std::string folder = sendToFolder;
    if (folder.empty() && !GetSpecialFolderPath(nullptr, CSIDL_SENDTO, folder)) folder.clear();
    BuildSendToTargets(folder);
    list_.OnContextPopup = [this](POINT at) {
        Owner = list_.Handle();
        Popup(at.x, at.y);
    };
}

TFileListPopup::~TFileListPopup() {
    list_.OnContextPopup = nullptr;
}

void TFileListPopup::BuildSendToTargets(const std::string& folder) {
    targets_.clear();
    tk::TMenuItem* send = Find("SubMenuSend");
    if (folder.empty() || !send) return;
    {
        tk::ScreenDC screen;
        for (FolderSearch search(JoinPath(folder, "*.LNK")); search.Found(); search.Next()) {
            if (search.IsDots()) continue;
            if (static_cast<int>(targets_.size()) >= kMaxSendToTargets) break;
            std::string name = search.Entry().cFileName;
            if (name.find('?') != std::string::npos) {
                // Unspellable in the code page: only the short name names this link.
                if (!search.Entry().cAlternateFileName[0]) continue;
                name = search.Entry().cAlternateFileName;
            }
            const std::string path = AddSlash(folder) + name;
            SHFILEINFOA info{};
            auto images = reinterpret_cast<HIMAGELIST>(
                SHGetFileInfoA(path.c_str(), 0, &info, sizeof info,
                               SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
            auto item = std::make_unique<tk::TMenuItem>();
            item->Name = "Send_To" + std::to_string(4 + targets_.size());
            item->SetCaption(info.szDisplayName[0] ? std::string(info.szDisplayName) : name);
            if (images) {
                // The small icon drawn on the menu's colour.
                tk::BitmapHandle picture(CreateCompatibleBitmap(screen, 16, 16));
                {
                    tk::MemoryDC dc(screen);
                    dc.Select(picture.get());
                    RECT all{0, 0, 16, 16};
                    FillRect(dc, &all, GetSysColorBrush(COLOR_MENU));
                    ImageList_Draw(images, info.iIcon, dc, 0, 0, ILD_TRANSPARENT);
                }
                item->SetBitmap(picture.get());
                targetPictures_.push_back(std::move(picture));
            }
            const std::string itemName = item->Name;
            item->OnClick = [this, itemName] { Dispatch(itemName); };
            send->Add(std::move(item));
            targets_.push_back(path);
        }
    }
    Rebuild();
}

void TFileListPopup::UpdateItems() {
    FileListMenuContext context;
    for (int i = list_.SelectedIndex(); i >= 0 && i < list_.RowCount(); ++i)
        if (list_.IsSelected(i)) ++context.selectedCount;
    const int first = list_.SelectedIndex();
    if (first >= 0 && first < list_.RowCount())
        context.extension = UpperExtension(list_.Row(first).cells[cellPath]);
    context.drivesView = list_.IsDrivesView();
    context.clipboardFilled = !list_.FileClipboard.empty();
    FileListMenuEnabling e = FileListMenuState(context);
    Enable(*this, "ItemOpen", e.open);
    Enable(*this, "ItemView", e.view);
    Enable(*this, "SubMenuSend", e.send);
    Enable(*this, "ItemOpCut", e.cut);
    Enable(*this, "ItemOpCopy", e.copy);
    Enable(*this, "ItemOpPaste", e.paste);
    Enable(*this, "ItemRename", e.rename);
    Enable(*this, "ItemDelete", e.remove);
    Enable(*this, "ItemFileAttr", e.attributes);
    Enable(*this, "ItemFolder", e.newFolder);
    Enable(*this, "ItemDoc", e.newDocument);
    Enable(*this, "Send_To0", e.sendToFolder);
    Enable(*this, "Send_To1", e.sendAsContent);
    Enable(*this, "Send_To2", e.sendAsNames);
    for (size_t k = 0; k < targets_.size(); ++k)
        Enable(*this, ("Send_To" + std::to_string(4 + k)).c_str(), k == 0 ? e.firstTarget : e.otherTargets);
}

void TFileListPopup::Popup(int x, int y) {
    UpdateItems();
    tk::TPopupMenu::Popup(x + 10, y + 10);
}

void TFileListPopup::Dispatch(const std::string& name) {
    if (name == "ItemOpen") {
        list_.OpenItem();
    } else if (name == "ItemView") {
        operations_.ViewFile();
    } else if (name == "ItemOpCut") {
        operations_.CutCopy(2);
    } else if (name == "ItemOpCopy") {
        operations_.CutCopy(0);
    } else if (name == "ItemOpPaste") {
        operations_.Paste();
    } else if (name == "ItemRename") {
        operations_.RenameSelected();
    } else if (name == "ItemDelete") {
        operations_.DeleteSelected();
    } else if (name == "ItemFileAttr") {
        operations_.ShowFileAttr();
    } else if (name == "ItemFolder") {
        operations_.NewFolder();
    } else if (name == "ItemDoc") {
        operations_.NewDocument();
    } else {
        int number = SendToNumber(name);
        if (number >= 0 && number <= 2) {
            operations_.SendTo(number);
        } else if (number > 3 && static_cast<size_t>(number - 4) < targets_.size()) {
            operations_.SendToTarget(targets_[number - 4]);
        }
    }
}

} // namespace velmora::explorer
