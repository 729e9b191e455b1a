// A tree view over the platform's control: nodes with a text, pictures from an
// image list, an expand button before the children are loaded, in-place
// editing of a node's text, custom drawing, and loading and saving the nodes as
// indented text. Controls such as the directory tree derive from it and take
// part through its hooks (CanExpand, CanEdit, Edit, MouseDown, KeyDown).
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/controls.h"

namespace tk {

// A node (the platform control's item handle); null means none.
using TTreeNode = HTREEITEM;

// What the item-drawing event sees and may change before an item is drawn.
struct TTreeItemDraw {
    TTreeNode node = nullptr;
    HDC dc = nullptr;
    bool selected = false;
    HFONT font = nullptr;             // set to draw the item in another font (not owned)
    COLORREF textColor = CLR_DEFAULT; // set to draw the text in another colour
    COLORREF backColor = CLR_DEFAULT; // set to draw the item on another colour
};

// hasChildren of a new node: the expand button is decided when the control
// first needs it, by the ProbeChildren hook.
constexpr int kChildrenUnknown = I_CHILDRENCALLBACK;

class TTreeView;

// The tree's window hidden for the scope, its place in the layout kept, then
// shown again with the focus it had. Under Wine each expansion or collapse of
// a shown tree costs tens of milliseconds (scroll bars and layout on the
// screen, even with redrawing off), a hidden one next to nothing: bulk changes
// of many nodes run inside one of these.
class TreeOffScreen {
public:
    explicit TreeOffScreen(TTreeView& tree);
    ~TreeOffScreen();
    TreeOffScreen(const TreeOffScreen&) = delete;
    TreeOffScreen& operator=(const TreeOffScreen&) = delete;

private:
    HWND window_;
    bool wasVisible_;
    bool hadFocus_;
};

class TTreeView : public TWinControl {
public:
    struct Params : TControlParams {
        bool showLines = true;
        bool showButtons = true;
        bool showRoot = true; // lines and buttons at the top level
        bool readOnly = false;
        bool hideSelection = true;
        int indent = 0;              // 0: the control's own
        HIMAGELIST images = nullptr; // not owned
        TBorderStyle border = TBorderStyle::bsSunken;
    };
    explicit TTreeView(const Params& params);

    // ---- properties
    bool ShowLines() const;
    void SetShowLines(bool show);
    bool ShowButtons() const;
    void SetShowButtons(bool show);
    bool ShowRoot() const;
    void SetShowRoot(bool show);
    bool HideSelection() const;
    void SetHideSelection(bool hide);
    bool ReadOnly() const { return readOnly_; }
    virtual void SetReadOnly(bool readOnly);
    int Indent() const;
    void SetIndent(int indent);
    HIMAGELIST Images() const;
    void SetImages(HIMAGELIST images); // not owned

    // ---- nodes
    // A new last child (parent null: a top-level node). image -1: none.
    TTreeNode AddChild(TTreeNode parent, const std::string& text, int image = -1, int selectedImage = -1,
                       int hasChildren = 0);
    // A new node right after sibling, under the same parent.
    TTreeNode InsertAfter(TTreeNode sibling, const std::string& text, int image = -1, int selectedImage = -1);
    // Removes the node and everything below it (only from the tree).
    void RemoveNode(TTreeNode node);
    void Clear();
    int Count() const;

    TTreeNode RootNode() const; // the first top-level node
    TTreeNode Selected() const;
    void Select(TTreeNode node);
    TTreeNode ParentNode(TTreeNode node) const;
    TTreeNode FirstChild(TTreeNode node) const;
    TTreeNode NextSibling(TTreeNode node) const;
    TTreeNode PrevSibling(TTreeNode node) const;
    // Depth first: the first child, else the next sibling of the node or of its nearest ancestor.
    TTreeNode NextNode(TTreeNode node) const;
    std::vector<TTreeNode> Children(TTreeNode node) const;
    // The child whose text equals name ignoring case (the ANSI code page's rules), or null.
    TTreeNode FindChild(TTreeNode node, const std::string& name) const;
    std::string NodeText(TTreeNode node) const;
    void SetNodeText(TTreeNode node, const std::string& text);
    int NodeLevel(TTreeNode node) const; // 0 for a top-level node, -1 for none
    int ImageIndex(TTreeNode node) const;
    int SelectedImageIndex(TTreeNode node) const;
    void SetImageIndex(TTreeNode node, int image, int selectedImage);
    LPARAM NodeData(TTreeNode node) const;
    void SetNodeData(TTreeNode node, LPARAM data);
    // The expand button's flag (asking ProbeChildren when it is not known yet) or loaded children.
    bool HasChildren(TTreeNode node) const;
    void SetHasChildren(TTreeNode node, bool hasChildren);
    bool Expanded(TTreeNode node) const;
    // Expanding asks CanExpand first, as a click on the button does.
    void Expand(TTreeNode node, bool recursive = false);
    void Collapse(TTreeNode node, bool recursive = false);
    void FullExpand();
    // Collapses every top-level node with everything below it.
    void FullCollapse();
    // Sorts a node's children by text (the locale's order); null: the top level.
    void SortChildren(TTreeNode node, bool recursive = false);
    // Starts the in-place editing of a node's text; returns the editor, or null when refused.
    HWND EditText(TTreeNode node);
    bool IsEditing() const { return editing_; }
    // Ends the editing: cancel keeps the old text.
    void EndEditing(bool cancel);

    // Redrawing waits until the last EndUpdate.
    void BeginUpdate();
    void EndUpdate();

    // ---- the nodes as indented text: one line per node in tree order, its level
    // given by that many leading TAB characters, lines ended by CR LF.
    std::string SaveToText() const;
    // Replaces every node. A line's level is its count of leading TABs and
    // spaces; lines split at CR LF, CR or LF. A line two or more levels deeper
    // than the node before it stops the reading (the nodes read so far stay)
    // with std::runtime_error "Invalid level (N) for item "text"".
    void LoadFromText(const std::string& text);

    // ---- events
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    // The selection moved (by mouse, keyboard or code).
    std::function<void(TTreeNode)> OnChange;
    std::function<void(TTreeNode, bool& allow)> OnExpanding;
    std::function<void(TTreeNode, bool& allow)> OnCollapsing;
    std::function<void(TTreeNode, bool& allow)> OnEditing;
    // The edit ended with text; the handler may change the text that is kept.
    std::function<void(TTreeNode, std::string& text)> OnEdited;
    std::function<void(TTreeItemDraw&)> OnCustomDrawItem;
    // The hint, set once the message being handled is done. For the drawing of
    // an item: a tooltip tool added while the tree paints makes that paint
    // tens of milliseconds slower under Wine.
    void SetHintLater(const std::string& hint);

protected:
    // For derived controls that need a style of their own.
    TTreeView(const Params& params, DWORD extraStyle);
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Hooks. Expanding: runs OnExpanding; false keeps the node closed.
    virtual bool CanExpand(TTreeNode node);
    virtual bool CanCollapse(TTreeNode node);
    // Whether a node whose expand button is not known yet has children.
    virtual bool ProbeChildren(TTreeNode node) const;
    // Editing may start: not read-only, then OnEditing.
    virtual bool CanEdit(TTreeNode node);
    // The edit ended (newText null: cancelled). The default runs OnEdited and
    // keeps its text. Returns whether the control takes newText as it is.
    virtual bool Edit(TTreeNode node, const char* newText);
    // After the control handled a left button press (and selected the node).
    virtual void MouseDown(int x, int y);

    TTreeNode InsertNode(TTreeNode parent, TTreeNode after, const std::string& text, int image,
                         int selectedImage, int hasChildren);

private:
    void Create(const Params& params, DWORD extraStyle);
    void SetStyleBit(DWORD bit, bool on);
    void CollapseBelow(TTreeNode node);
    // TVM_EXPAND reports the first expansion of a node; one asked in code has been allowed already.
    void ExpandQuietly(TTreeNode node, UINT action);

    bool readOnly_ = false;
    int updateCount_ = 0;
    bool inMouseDown_ = false;
    bool clickPending_ = false;
    bool dblClickPending_ = false;
    bool editing_ = false;
    bool expandingInCode_ = false;
    std::string laterHint_;
    bool hintPosted_ = false;
};

} // namespace tk
