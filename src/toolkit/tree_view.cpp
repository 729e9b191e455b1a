#include "toolkit/tree_view.h"

#include "toolkit/messages.h"

#include <windowsx.h>

#include <stdexcept>

#include "base/indented_text.h"
#include "base/os.h"

namespace tk {

namespace {

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && velmora::os::AnsiUpperCase(a) == velmora::os::AnsiUpperCase(b);
}

} // namespace

TTreeView::TTreeView(const Params& params) {
    Create(params, 0);
}

TTreeView::TTreeView(const Params& params, DWORD extraStyle) {
    Create(params, extraStyle);
}

void TTreeView::Create(const Params& p, DWORD extraStyle) {
    readOnly_ = p.readOnly;
    WindowParams wp;
    wp.className = WC_TREEVIEWA;
    wp.style = WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | extraStyle | (p.showLines ? TVS_HASLINES : 0) |
               (p.showButtons ? TVS_HASBUTTONS : 0) | (p.showRoot ? TVS_LINESATROOT : 0) |
               (p.readOnly ? 0 : TVS_EDITLABELS) | (p.hideSelection ? 0 : TVS_SHOWSELALWAYS) |
               (p.border == TBorderStyle::bsSingle ? WS_BORDER : 0);
    wp.exStyle = p.border == TBorderStyle::bsSunken ? WS_EX_CLIENTEDGE : 0;
    CreateControl(p, wp);
    if (p.indent > 0) SetIndent(p.indent);
    if (p.images) SetImages(p.images);
}

// ---- properties

void TTreeView::SetStyleBit(DWORD bit, bool on) {
    if (!Handle()) return;
    DWORD style = GetWindowLongA(Handle(), GWL_STYLE);
    DWORD wanted = on ? (style | bit) : (style & ~bit);
    if (wanted == style) return;
    SetWindowLongA(Handle(), GWL_STYLE, static_cast<LONG>(wanted));
    InvalidateRect(Handle(), nullptr, TRUE);
}

bool TTreeView::ShowLines() const {
    return Handle() && (GetWindowLongA(Handle(), GWL_STYLE) & TVS_HASLINES);
}
void TTreeView::SetShowLines(bool show) {
    SetStyleBit(TVS_HASLINES, show);
}
bool TTreeView::ShowButtons() const {
    return Handle() && (GetWindowLongA(Handle(), GWL_STYLE) & TVS_HASBUTTONS);
}
void TTreeView::SetShowButtons(bool show) {
    SetStyleBit(TVS_HASBUTTONS, show);
}
bool TTreeView::ShowRoot() const {
    return Handle() && (GetWindowLongA(Handle(), GWL_STYLE) & TVS_LINESATROOT);
}
void TTreeView::SetShowRoot(bool show) {
    SetStyleBit(TVS_LINESATROOT, show);
}

bool TTreeView::HideSelection() const {
    return Handle() && !(GetWindowLongA(Handle(), GWL_STYLE) & TVS_SHOWSELALWAYS);
}
void TTreeView::SetHideSelection(bool hide) {
    SetStyleBit(TVS_SHOWSELALWAYS, !hide);
}

void TTreeView::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    SetStyleBit(TVS_EDITLABELS, !readOnly);
}

int TTreeView::Indent() const {
    return Handle() ? static_cast<int>(TreeView_GetIndent(Handle())) : 0;
}
void TTreeView::SetIndent(int indent) {
    if (Handle()) TreeView_SetIndent(Handle(), indent);
}

HIMAGELIST TTreeView::Images() const {
    return Handle() ? TreeView_GetImageList(Handle(), TVSIL_NORMAL) : nullptr;
}
void TTreeView::SetImages(HIMAGELIST images) {
    if (Handle()) TreeView_SetImageList(Handle(), images, TVSIL_NORMAL);
}

// ---- nodes

TTreeNode TTreeView::InsertNode(TTreeNode parent, TTreeNode after, const std::string& text, int image,
                                int selectedImage, int hasChildren) {
    if (!Handle()) return nullptr;
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.cChildren = hasChildren;
    return reinterpret_cast<TTreeNode>(
        SendMessageA(Handle(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

TTreeNode TTreeView::AddChild(TTreeNode parent, const std::string& text, int image, int selectedImage,
                              int hasChildren) {
    return InsertNode(parent, TVI_LAST, text, image, selectedImage, hasChildren);
}

TTreeNode TTreeView::InsertAfter(TTreeNode sibling, const std::string& text, int image, int selectedImage) {
    if (!sibling) return AddChild(nullptr, text, image, selectedImage);
    return InsertNode(ParentNode(sibling), sibling, text, image, selectedImage, 0);
}

void TTreeView::RemoveNode(TTreeNode node) {
    if (node && Handle()) TreeView_DeleteItem(Handle(), node);
}

void TTreeView::Clear() {
    if (Handle()) TreeView_DeleteAllItems(Handle());
}

int TTreeView::Count() const {
    return Handle() ? static_cast<int>(TreeView_GetCount(Handle())) : 0;
}

TTreeNode TTreeView::RootNode() const {
    return Handle() ? TreeView_GetRoot(Handle()) : nullptr;
}
TTreeNode TTreeView::Selected() const {
    return Handle() ? TreeView_GetSelection(Handle()) : nullptr;
}

void TTreeView::Select(TTreeNode node) {
    if (Handle()) TreeView_SelectItem(Handle(), node);
}

TTreeNode TTreeView::ParentNode(TTreeNode node) const {
    return node && Handle() ? TreeView_GetParent(Handle(), node) : nullptr;
}

TTreeNode TTreeView::FirstChild(TTreeNode node) const {
    return node && Handle() ? TreeView_GetChild(Handle(), node) : nullptr;
}

TTreeNode TTreeView::NextSibling(TTreeNode node) const {
    return node && Handle() ? TreeView_GetNextSibling(Handle(), node) : nullptr;
}

TTreeNode TTreeView::PrevSibling(TTreeNode node) const {
    return node && Handle() ? TreeView_GetPrevSibling(Handle(), node) : nullptr;
}

TTreeNode TTreeView::NextNode(TTreeNode node) const {
    if (TTreeNode child = FirstChild(node)) return child;
    for (TTreeNode n = node; n; n = ParentNode(n))
        if (TTreeNode sibling = NextSibling(n)) return sibling;
    return nullptr;
}

std::vector<TTreeNode> TTreeView::Children(TTreeNode node) const {
    std::vector<TTreeNode> children;
    for (TTreeNode child = node ? FirstChild(node) : RootNode(); child; child = NextSibling(child))
        children.push_back(child);
    return children;
}

TTreeNode TTreeView::FindChild(TTreeNode node, const std::string& name) const {
    for (TTreeNode child = node ? FirstChild(node) : RootNode(); child; child = NextSibling(child))
        if (SameText(NodeText(child), name)) return child;
    return nullptr;
}

std::string TTreeView::NodeText(TTreeNode node) const {
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

void TTreeView::SetNodeText(TTreeNode node, const std::string& text) {
    if (!node || !Handle()) return;
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int TTreeView::NodeLevel(TTreeNode node) const {
    if (!node) return -1;
    int level = 0;
    for (TTreeNode n = ParentNode(node); n; n = ParentNode(n))
        ++level;
    return level;
}

int TTreeView::ImageIndex(TTreeNode node) const {
    TVITEMA item{};
    item.mask = TVIF_IMAGE;
    item.hItem = node;
    if (!node || !Handle() || !SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return -1;
    return item.iImage;
}

int TTreeView::SelectedImageIndex(TTreeNode node) const {
    TVITEMA item{};
    item.mask = TVIF_SELECTEDIMAGE;
    item.hItem = node;
    if (!node || !Handle() || !SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return -1;
    return item.iSelectedImage;
}

void TTreeView::SetImageIndex(TTreeNode node, int image, int selectedImage) {
    if (!node || !Handle()) return;
    TVITEMA item{};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = node;
    item.iImage = image;
    item.iSelectedImage = selectedImage;
    SendMessageA(Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

LPARAM TTreeView::NodeData(TTreeNode node) const {
    TVITEMA item{};
    item.mask = TVIF_PARAM;
    item.hItem = node;
    if (!node || !Handle() || !SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return 0;
    return item.lParam;
}

void TTreeView::SetNodeData(TTreeNode node, LPARAM data) {
    if (!node || !Handle()) return;
    TVITEMA item{};
    item.mask = TVIF_PARAM;
    item.hItem = node;
    item.lParam = data;
    SendMessageA(Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

bool TTreeView::HasChildren(TTreeNode node) const {
    if (!node || !Handle()) return false;
    if (FirstChild(node)) return true;
    TVITEMA item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = node;
    SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (item.cChildren == I_CHILDRENCALLBACK) return ProbeChildren(node);
    return item.cChildren != 0;
}

void TTreeView::SetHasChildren(TTreeNode node, bool hasChildren) {
    if (!node || !Handle()) return;
    TVITEMA item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = node;
    item.cChildren = hasChildren ? 1 : 0;
    SendMessageA(Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

bool TTreeView::Expanded(TTreeNode node) const {
    return node && Handle() && (TreeView_GetItemState(Handle(), node, TVIS_EXPANDED) & TVIS_EXPANDED);
}

void TTreeView::ExpandQuietly(TTreeNode node, UINT action) {
    expandingInCode_ = true;
    try {
        TreeView_Expand(Handle(), node, action);
    } catch (...) {
        expandingInCode_ = false;
        throw;
    }
    expandingInCode_ = false;
}

void TTreeView::Expand(TTreeNode node, bool recursive) {
    if (!node || !Handle()) return;
    if (!Expanded(node)) {
        if (!CanExpand(node)) return;
        ExpandQuietly(node, TVE_EXPAND);
    }
    if (recursive)
        for (TTreeNode child = FirstChild(node); child; child = NextSibling(child))
            Expand(child, true);
}

void TTreeView::Collapse(TTreeNode node, bool recursive) {
    if (!node || !Handle()) return;
    if (recursive)
        CollapseBelow(node);
    else if (Expanded(node) && CanCollapse(node))
        ExpandQuietly(node, TVE_COLLAPSE);
}

void TTreeView::CollapseBelow(TTreeNode node) {
    for (TTreeNode child = FirstChild(node); child; child = NextSibling(child))
        if (FirstChild(child)) CollapseBelow(child);
    if (Expanded(node) && CanCollapse(node)) ExpandQuietly(node, TVE_COLLAPSE);
}

TreeOffScreen::TreeOffScreen(TTreeView& tree)
    : window_(tree.Handle()), wasVisible_(window_ && IsWindowVisible(window_)), hadFocus_(false) {
    if (!wasVisible_) return;
    HWND focus = GetFocus();
    hadFocus_ = focus && (focus == window_ || IsChild(window_, focus));
    ShowWindow(window_, SW_HIDE);
}

TreeOffScreen::~TreeOffScreen() {
    if (!wasVisible_ || !IsWindow(window_)) return;
    ShowWindow(window_, SW_SHOWNA);
    if (hadFocus_) ::SetFocus(window_);
}

void TTreeView::FullExpand() {
    TreeOffScreen offScreen(*this);
    BeginUpdate();
    for (TTreeNode node = RootNode(); node; node = NextSibling(node))
        Expand(node, true);
    EndUpdate();
}

void TTreeView::FullCollapse() {
    TreeOffScreen offScreen(*this);
    BeginUpdate();
    for (TTreeNode node = RootNode(); node; node = NextSibling(node))
        CollapseBelow(node);
    EndUpdate();
}

void TTreeView::SortChildren(TTreeNode node, bool recursive) {
    if (Handle()) TreeView_SortChildren(Handle(), node ? node : TVI_ROOT, recursive);
}

HWND TTreeView::EditText(TTreeNode node) {
    if (!node || !Handle()) return nullptr;
    ::SetFocus(Handle());
    return reinterpret_cast<HWND>(SendMessageA(Handle(), TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(node)));
}

void TTreeView::EndEditing(bool cancel) {
    if (Handle()) TreeView_EndEditLabelNow(Handle(), cancel);
}

void TTreeView::BeginUpdate() {
    if (updateCount_++ == 0 && Handle()) SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TTreeView::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0 && Handle()) {
        SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(Handle(), nullptr, TRUE);
    }
}

// ---- indented text

std::string TTreeView::SaveToText() const {
    std::string text;
    for (TTreeNode node = RootNode(); node; node = NextNode(node)) {
        text.append(static_cast<size_t>(NodeLevel(node)), '\t');
        text += NodeText(node);
        text += "\r\n";
    }
    return text;
}

void TTreeView::LoadFromText(const std::string& text) {
    const velmora::IndentedTree read = velmora::ReadIndentedText(text);
    BeginUpdate();
    Clear();
    std::vector<TTreeNode> nodes;
    nodes.reserve(read.nodes.size());
    for (const velmora::IndentedNode& node : read.nodes)
        nodes.push_back(AddChild(node.parent < 0 ? nullptr : nodes[node.parent], node.text));
    EndUpdate();
    if (read.stopped) throw std::runtime_error(read.StopMessage());
}

// ---- hooks

bool TTreeView::CanExpand(TTreeNode node) {
    bool allow = true;
    if (OnExpanding) OnExpanding(node, allow);
    return allow;
}

bool TTreeView::CanCollapse(TTreeNode node) {
    bool allow = true;
    if (OnCollapsing) OnCollapsing(node, allow);
    return allow;
}

bool TTreeView::ProbeChildren(TTreeNode) const {
    return false;
}

bool TTreeView::CanEdit(TTreeNode node) {
    if (!node || readOnly_) return false;
    bool allow = true;
    if (OnEditing) OnEditing(node, allow);
    return allow;
}

bool TTreeView::Edit(TTreeNode node, const char* newText) {
    if (!newText) return false; // cancelled
    std::string text = newText;
    if (OnEdited) OnEdited(node, text);
    SetNodeText(node, text);
    return false; // the text is set already (perhaps changed by the handler)
}

void TTreeView::MouseDown(int, int) {}

// ---- messages

void TTreeView::SetHintLater(const std::string& hint) {
    laterHint_ = hint;
    if (hintPosted_ || !Handle()) return;
    hintPosted_ = PostMessageA(Handle(), pmTreeHint, 0, 0) != FALSE;
    if (!hintPosted_ && Hint() != hint) SetHint(hint);
}

LRESULT TTreeView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == pmTreeHint) {
        hintPosted_ = false;
        if (Hint() != laterHint_) SetHint(laterHint_);
        return 0;
    }
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
        // The control runs its own loop here: it reports NM_CLICK before it
        // selects the clicked node. The click events wait until it has.
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
        MouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        bool click = clickPending_, dblClick = dblClickPending_;
        clickPending_ = dblClickPending_ = false;
        if (click && OnClick) OnClick();
        if (dblClick && OnDblClick) OnDblClick();
        return result;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

bool TTreeView::HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg != WM_NOTIFY) return TWinControl::HandleReflected(msg, wParam, lParam, result);
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    switch (header->code) {
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: {
        auto* info = reinterpret_cast<NMTREEVIEWA*>(lParam);
        bool allow = true;
        if (!expandingInCode_) {
            UINT action = info->action & 0x0003 /* the action, without the flags */;
            if (action == TVE_EXPAND)
                allow = CanExpand(info->itemNew.hItem);
            else if (action == TVE_COLLAPSE)
                allow = CanCollapse(info->itemNew.hItem);
        }
        result = allow ? FALSE : TRUE;
        return true;
    }
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        if (OnChange) OnChange(reinterpret_cast<NMTREEVIEWA*>(lParam)->itemNew.hItem);
        result = 0;
        return true;
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
        // editor goes away (it loses the focus to a message box, or is destroyed).
        auto* info = reinterpret_cast<NMTVDISPINFOA*>(lParam);
        bool editing = editing_;
        editing_ = false;
        result = editing && Edit(info->item.hItem, info->item.pszText) ? TRUE : FALSE;
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
            if (item.backColor != CLR_DEFAULT) {
                draw->clrTextBk = item.backColor;
                result = CDRF_NEWFONT;
            }
            return true;
        }
        return false;
    }
    }
    return false;
}

} // namespace tk
