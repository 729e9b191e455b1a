// The explorer controls' own context menus: the directory tree's (new folder,
// rename, delete, capacity) and the file list's (open, view, send, cut, copy,
// paste, rename, delete, attributes, new folder, new document). Their items
// show actions, which run the commands and are enabled for the selection when
// the menu opens. The file list's menu names the explorer's actions and also
// offers the shell's SendTo targets.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/actions.h"
#include "toolkit/gdi.h"
#include "toolkit/menus.h"

namespace velmora::explorer {

class TDirTree;
class TFileListView;
class TFileOperations;

// The file system path of a shell special folder (CSIDL_…); false when the
// shell has none.
bool GetSpecialFolderPath(HWND owner, int folderId, std::string& path);

class TDirTreePopup : public tk::TPopupMenu {
public:
    explicit TDirTreePopup(TDirTree& tree);
    // Enables the items for the tree's selected node and shows the menu 10
    // pixels right of and below the point.
    void Popup(int x, int y) override;

private:
    TDirTree& tree_;
    // The tree's own commands: the tree makes this menu before any window's
    // actions exist.
    tk::TActionList actions_;
};

// At most this many SendTo targets: their items are "Send_To4" to "Send_To99".
constexpr int kMaxSendToTargets = 96;

class TFileListPopup : public tk::TPopupMenu {
public:
    // The items show the explorer's actions in `actions` (see
    // TExplorerCommands::Bind); each SendTo target gets an action there too.
    // The targets are the links in sendToFolder, or in the shell's SendTo
    // folder when it is empty. The menu becomes the list's context menu.
    TFileListPopup(TFileListView& list, TFileOperations& operations, tk::TActionList& actions,
                   const std::string& sendToFolder = {});
    ~TFileListPopup() override;

    // Enables the items for the selection and shows the menu 10 pixels right of and below the point.
    void Popup(int x, int y) override;
    const std::vector<std::string>& Targets() const { return targets_; }

private:
    void BuildSendToTargets(const std::string& folder);

    TFileListView& list_;
    TFileOperations& operations_;
    tk::TActionList& actions_;
    std::vector<std::string> targets_;
    std::vector<tk::BitmapHandle> targetPictures_;
};

} // namespace velmora::explorer
