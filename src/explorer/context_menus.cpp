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

const std::vector<tk::ActionRow> kDirTreeActions = {
    {"AddNode", "&Yeni Klasör"},
    {"EditNode", "&Adını Değiştir"},
    {"DelNode", "Klasörü &Sil"},
    {"GetTreeSize", "&Kapasite"},
};

const std::vector<tk::MenuRow> kDirTreeMenu = {
    {0, "AddNode", nullptr, 0, "AddNode", "NewFolder"},
    {0, "EditNode", nullptr, 0, "EditNode", "EditFolder"},
    {0, "DelNode", nullptr, 0, "DelNode", "DelFolder"},
    {0, "N1", "-"},
    {0, "GetTreeSize", nullptr, 0, "GetTreeSize", "TreeSize"},
};

// The items name the explorer's actions (explorer_actions.cpp).
const std::vector<tk::MenuRow> kFileListMenu = {
    {0, "ItemOpen", nullptr, 0, "ItemOpen", "Open"},
    {0, "ItemView", nullptr, 0, "ItemView", "View"},
    {0, "N1", "-"},
    {0, "SubMenuSend", nullptr, 0, "SubMenuSend", "SendTo"},
    {1, "Send_To0", nullptr, 0, "Send_To0", "AnyFolder"},
    {1, "Send_To1", nullptr, 0, "Send_To1", "ClipBoard"},
    {1, "Send_To2", nullptr, 0, "Send_To2", "ClipBoard"},
    {1, "Send_To3", "-"},
    {0, "N2", "-"},
    {0, "ItemOpCut", nullptr, 0, "ItemOpCut", "Cut"},
    {0, "ItemOpCopy", nullptr, 0, "ItemOpCopy", "Copy"},
    {0, "ItemOpPaste", nullptr, 0, "ItemOpPaste", "Paste"},
    {0, "N3", "-"},
    {0, "ItemRename", nullptr, 0, "ItemRename", "ReName"},
    {0, "ItemDelete", nullptr, 0, "ItemDelete", "Delete"},
    {0, "N4", "-"},
    {0, "ItemFileAttr", nullptr, 0, "ItemFileAttr", "Attributes"},
    {0, "N5", "-"},
    {0, "ItemFolder", nullptr, 0, "ItemFolder", "NewFolder"},
    {0, "ItemDoc", nullptr, 0, "ItemDoc", "NewDoc"},
};

// Brings every item's action up to date (the menu is about to open).
void UpdateItemActions(tk::TMenuItem& parent) {
    for (const auto& item : parent.Items()) {
        if (tk::TAction* action = item->Action()) action->Update();
        UpdateItemActions(*item);
    }
}

} // namespace

TDirTreePopup::TDirTreePopup(TDirTree& tree) : tree_(tree) {
    actions_.Load(kDirTreeActions);
    auto level = [this] {
        TTreeNode node = tree_.Selected();
        return DirTreeMenuState(node ? tree_.NodeLevel(node) : -1);
    };
    auto enable = [this, level](const char* name, bool DirTreeMenuEnabling::*enabled) {
        actions_.Get(name).OnUpdate = [level, enabled](tk::TAction& a) { a.SetEnabled(level().*enabled); };
    };
    enable("AddNode", &DirTreeMenuEnabling::addNode);
    enable("EditNode", &DirTreeMenuEnabling::editNode);
    enable("DelNode", &DirTreeMenuEnabling::delNode);
    enable("GetTreeSize", &DirTreeMenuEnabling::treeSize);
    actions_.Get("AddNode").OnExecute = [this] {
        if (TTreeNode node = tree_.Selected()) tree_.AddNewNode(node, "");
    };
    actions_.Get("EditNode").OnExecute = [this] {
        if (TTreeNode node = tree_.Selected()) tree_.EditText(node);
    };
    actions_.Get("DelNode").OnExecute = [this] {
        if (TTreeNode node = tree_.Selected()) tree_.DeleteNode(node);
    };
    actions_.Get("GetTreeSize").OnExecute = [this] { tree_.GetTreeSize(); };
    Load(kDirTreeMenu, &actions_);
}

void TDirTreePopup::Popup(int x, int y) {
    UpdateItemActions(Root());
    tk::TPopupMenu::Popup(x + 10, y + 10);
}

// ---- the file list's menu

TFileListPopup::TFileListPopup(TFileListView& list, TFileOperations& operations, tk::TActionList& actions,
                               const std::string& sendToFolder)
    : list_(list), operations_(operations), actions_(actions) {
    Load(kFileListMenu, &actions_);
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
            // The first target takes a selection; the others are enabled always.
            tk::TAction* action = actions_.Find(item->Name);
            if (!action)
                action = actions_.Add(tk::TAction::Params{.name = item->Name, .caption = item->Caption()});
            TFileListView& list = list_;
            TFileOperations& operations = operations_;
            const bool first = targets_.empty();
            action->OnUpdate = [&list, first](tk::TAction& a) {
                a.SetEnabled(!first || list.SelectedIndex() >= 0);
            };
            action->OnExecute = [&operations, path] { operations.SendToTarget(path); };
            item->SetAction(action);
            send->Add(std::move(item));
            targets_.push_back(path);
        }
    }
    Rebuild();
}

void TFileListPopup::Popup(int x, int y) {
    UpdateItemActions(Root());
    tk::TPopupMenu::Popup(x + 10, y + 10);
}

} // namespace velmora::explorer
