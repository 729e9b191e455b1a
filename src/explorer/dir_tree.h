// The directory tree: one root node for the computer, the drives below it and
// their folders, loaded when a node is first expanded. Selecting a node with the
// mouse or Enter points the linked file list at it; the tree also renames,
// creates and deletes folders and reports the size of a folder's sub-tree.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "explorer/links.h"
#include "toolkit/control.h"
#include "toolkit/form.h"

namespace velmora::explorer {

// A node of the tree (the platform tree view's item handle); null means none.
using TTreeNode = HTREEITEM;

// What the item-drawing event sees and may change before an item is drawn.
struct TTreeItemDraw {
    TTreeNode node = nullptr;
    HDC dc = nullptr;
    bool selected = false;
    HFONT font = nullptr;             // set to draw the item in another font (not owned)
    COLORREF textColor = CLR_DEFAULT; // set to draw the text in another colour
};

class TDirTree : public tk::TControl, public IDirTreeLink {
public:
    struct Params {
        tk::TControl* parent = nullptr;
        RECT bounds{0, 0, 180, 120};
        tk::TAlign align = tk::TAlign::alNone;
        bool visible = true;
    };
    explicit TDirTree(const Params& params);
    ~TDirTree() override;

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
    // The tree's own context menu is not built yet; the flag is only stored.
    void SetPopUpMenuEnabled(bool enabled) { popUpMenuEnabled_ = enabled; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool ShowRoot() const;
    void SetShowRoot(bool show);
    bool HideSelection() const;
    void SetHideSelection(bool hide);
    int Indent() const;
    void SetIndent(int indent);
    void SetFont(const std::string& face, int points);
    HFONT Font() const { return font_.get(); }

    // ---- operations
    void ReloadTree() override;
    void OpenPath(const std::string& path) override;
    std::string GetPathFromNode(TTreeNode node) const;
    bool AddNewNode(TTreeNode node, const std::string& name);
    bool DeleteNode(TTreeNode node);
    // Shows the capacity report of the selected folder and returns its bytes.
    int64_t GetTreeSize();

    // ---- nodes
    TTreeNode RootNode() const;
    TTreeNode Selected() const;
    void Select(TTreeNode node);
    TTreeNode ParentNode(TTreeNode node) const;
    TTreeNode FirstChild(TTreeNode node) const;
    TTreeNode NextSibling(TTreeNode node) const;
    std::vector<TTreeNode> Children(TTreeNode node) const;
    // The child whose text equals name ignoring case, or null.
    TTreeNode FindChild(TTreeNode node, const std::string& name) const;
    std::string NodeText(TTreeNode node) const;
    int NodeLevel(TTreeNode node) const;
    // The expand button's flag (before loading) or whether children are loaded.
    bool HasChildren(TTreeNode node) const;
    bool Expanded(TTreeNode node) const;
    int ImageIndex(TTreeNode node) const;
    int SelectedImageIndex(TTreeNode node) const;
    void Expand(TTreeNode node, bool recursive = false);
    void Collapse(TTreeNode node, bool recursive = false);
    // Collapses every top-level node with everything below it.
    void FullCollapse();
    // Starts the in-place editing of a node's text; the rename follows when it ends.
    HWND EditText(TTreeNode node); // the editor window, or null when refused

    // ---- events
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    // shift: tk::scShift | tk::scCtrl | tk::scAlt; setting key to 0 keeps it from the control.
    std::function<void(WORD& key, UINT shift)> OnKeyDown;
    std::function<void(TTreeItemDraw&)> OnCustomDrawItem;
    std::function<void(TTreeNode, const std::string& newText)> OnEdited;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    TTreeNode AddRoot();
    void AddDrives();
    void LoadChildren(TTreeNode node);
    TTreeNode InsertChild(TTreeNode parent, const std::string& text, int image, int selectedImage,
                          int hasChildren); // 0, 1 or I_CHILDRENCALLBACK
    void SetHasChildren(TTreeNode node, bool hasChildren);
    // True when the node's folder holds a folder (one search, stops at the first).
    bool ProbeChildren(TTreeNode node) const;
    void CollapseBelow(TTreeNode node);
    // The selection steps shared by the left button and Enter; false when
    // nothing is selected or the drive was not ready.
    bool SelectionStep();
    void MouseDownHook(int x, int y);
    bool CanEdit(TTreeNode node) const;
    bool EditHook(TTreeNode node, const char* newText);
    void BeginUpdate();
    void EndUpdate();
    // After a rename or delete below it: the list shows the folder, fresh.
    void ShowInFileList(const std::string& folder);
    HWND OwnerWindow() const;

    IFileListLink* fileList_ = nullptr;
    std::string selectedPath_;
    bool popUpMenuEnabled_ = true;
    bool readOnly_ = false;
    tk::FontHandle font_;
    int updateCount_ = 0;
    bool inMouseDown_ = false;
    bool clickPending_ = false;
    bool dblClickPending_ = false;
    bool editing_ = false;
};

} // namespace velmora::explorer
