// The directory tree: one root node for the computer, the drives below it and
// their folders, loaded when a node is first expanded. Selecting a node with the
// mouse or Enter points the linked file list at it; the tree also renames,
// creates and deletes folders and reports the size of a folder's sub-tree.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "explorer/links.h"
#include "toolkit/form.h"
#include "toolkit/tree_view.h"

namespace velmora::explorer {

class TDirTreePopup;

// Nodes and the item-drawing event are the tree view's.
using TTreeNode = tk::TTreeNode;
using TTreeItemDraw = tk::TTreeItemDraw;

class TDirTree : public tk::TTreeView, public IDirTreeLink {
public:
    // Empty bounds: 180 by 120 pixels. Without a font: "MS Sans Serif" 8 points.
    struct Params : tk::TControlParams {};
    explicit TDirTree(const Params& params);
    ~TDirTree() override;

    // From the program's entry: a thread of its own asks the shell for its
    // picture list, the computer's name and picture and the drives' names and
    // pictures, which the first tree then takes instead of asking (drives only
    // when the present drives are still the same).
    static void PrepareAhead();

    // After the owner has set the tree up: the root with its drives, expanded one level.
    void Loaded();

    // ---- link with the file list
    IFileListLink* FileList() const { return fileList_; }
    void SetFileList(IFileListLink* list) override;
    void FileListDestroyed(IFileListLink* list) override;

    // ---- properties
    const std::string& SelectedPath() const { return selectedPath_; }
    // Only stores the text (when it differs ignoring case); the selection stays.
    void SetSelectedPath(const std::string& path);
    bool PopUpMenuEnabled() const { return popUpMenuEnabled_; }
    // Whether the tree's own menu (new folder, rename, delete, capacity) is its context menu.
    void SetPopUpMenuEnabled(bool enabled);
    TDirTreePopup* OwnPopupMenu() const { return popup_.get(); }
    // When set, the shell asks before deleting or renaming a folder.
    bool ConfirmFileOps() const { return confirm_; }
    void SetConfirmFileOps(bool confirm) { confirm_ = confirm; }
    void SetFont(const std::string& face, int points);

    // ---- operations
    void ReloadTree() override;
    void OpenPath(const std::string& path) override;
    // The last OpenPath went to `path` and its item is still the selected one.
    bool IsOpenAt(const std::string& path) const;
    std::string GetPathFromNode(TTreeNode node) const;
    // Expands the node and the folders below it, breadth first, at most `limit`
    // folders; never enters a folder below the node that is a reparse point
    // (junction, symbolic link: it may lead back up or off the disk). Under the
    // hourglass, with redrawing off. Returns the folders expanded.
    int ExpandFolders(TTreeNode node, int limit);
    bool AddNewNode(TTreeNode node, const std::string& name);
    bool DeleteNode(TTreeNode node);
    // Shows the capacity report of the selected folder and returns its bytes.
    // Links (junctions, symbolic links) below it are not followed.
    int64_t GetTreeSize();

    // The in-place editing of a node's text (the tree view's EditText) renames
    // the folder when it ends; OnEdited then sees the new name.
    // After such a rename went through: the folder's old and new full paths.
    std::function<void(const std::string& from, const std::string& to)> OnPathMoved;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The tree view's hooks: loading a node's folders on its first expansion,
    // the expand button's probe, the selection step of the left button and
    // Enter, and the rename at the end of an edit.
    bool CanExpand(TTreeNode node) override;
    bool ProbeChildren(TTreeNode node) const override;
    void MouseDown(int x, int y) override;
    void KeyDown(WORD& key, UINT shift) override;
    bool CanEdit(TTreeNode node) override;
    bool Edit(TTreeNode node, const char* newText) override;

private:
    TTreeNode AddRoot();
    // Also gives a root made while answers asked ahead were coming its name and picture.
    void AddDrives();
    void LoadChildren(TTreeNode node);
    // The selection steps shared by the left button and Enter; false when
    // nothing is selected or the drive was not ready.
    bool SelectionStep();
    // After a rename or delete below it: the list shows the folder, fresh.
    void ShowInFileList(const std::string& folder);
    HWND OwnerWindow() const;

    IFileListLink* fileList_ = nullptr;
    std::string selectedPath_;
    bool popUpMenuEnabled_ = true;
    bool confirm_ = false;
    // The root waits for its name and picture (and the tree for its picture
    // list) from the answers asked ahead.
    bool rootPending_ = false;
    bool sizing_ = false;
    std::unique_ptr<TDirTreePopup> popup_;
    tk::FontHandle font_;
};

} // namespace velmora::explorer
