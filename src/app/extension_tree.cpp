#include "app/extension_tree.h"

#include <windowsx.h>

#include <stdexcept>

#include "base/ascii_text.h"
#include "toolkit/menus.h"

namespace velmora::app {

std::string CleanExtension(const std::string& typed) {
    std::string text;
    text.reserve(typed.size());
    for (char c : typed)
        if (c != '\r' && c != '\n' && c != '\t') text += c;
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
    } else {
        text.erase(0, first);
        text.erase(text.find_last_not_of(' ') + 1);
    }
    if (text.find('.') == std::string::npos) text.insert(text.begin(), '.');
    return text;
}

std::string AddedExtension(const std::string& typed) {
    std::string text = CleanExtension(typed);
    return text == "." ? std::string() : text;
}

namespace {

tk::TTreeView::Params ExtParams(const TExtensionTree::Params& params) {
    tk::TTreeView::Params p;
    static_cast<tk::TControlParams&>(p) = params;
    p.showRoot = false;
    p.hideSelection = false;
    p.indent = 35;
    return p;
}

// The groups' pictures, in group order (pictures of the tool bar where it has one).
const char* const kGroupPictures[4] = {"TB_TEXTDOC", "TB_HTML", "OPT_PICTURE", "TB_HEX"};

} // namespace

TExtensionTree::TExtensionTree(const Params& params) : tk::TTreeView(ExtParams(params)) {
    images_.reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 0));
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const char* name : kGroupPictures) {
        tk::BitmapHandle bitmap(
            static_cast<HBITMAP>(LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        // The bottom-left pixel's colour is the transparent one.
        if (bitmap) ImageList_AddMasked(images_.get(), bitmap.get(), RGB(255, 0, 255));
    }
    SetImages(images_.get());
    ResetGroups();
}

TExtensionTree::~TExtensionTree() {
    // While the object is whole: the control's last notifications come here.
    DestroyHandle();
}

void TExtensionTree::ResetGroups() {
    BeginUpdate();
    Clear();
    for (int i = 0; i < 4; ++i)
        AddChild(nullptr, TExtensionTable::kGroups[i], i, i);
    EndUpdate();
    if (OnChanged) OnChanged();
}

void TExtensionTree::LoadTable(const std::string& text) {
    try {
        LoadFromText(text);
    } catch (...) {
        // What was read before the faulty line is kept and must find its viewers.
        Renumber();
        if (OnChanged) OnChanged();
        throw;
    }
    Renumber();
    if (OnChanged) OnChanged();
}

void TExtensionTree::Renumber() {
    tk::TTreeNode node = RootNode();
    if (!node) return;
    SetImageIndex(node, 0, 0);
    int group = 0;
    for (node = NextNode(node); node; node = NextNode(node)) {
        if (NodeLevel(node) == 0) ++group;
        SetImageIndex(node, group, group);
    }
}

std::vector<std::string> TExtensionTree::Extensions() const {
    std::vector<std::string> extensions;
    for (tk::TTreeNode node = RootNode(); node; node = NextNode(node))
        if (NodeLevel(node) > 0) extensions.push_back(NodeText(node));
    return extensions;
}

tk::TTreeNode TExtensionTree::AddExtension(tk::TTreeNode selected, const std::string& text) {
    if (!selected) return nullptr;
    const int image = ImageIndex(selected);
    tk::TTreeNode added = IsExtension(selected) ? AddChild(ParentNode(selected), text, image, image)
                                                : AddChild(selected, text, image, image);
    if (OnChanged) OnChanged();
    return added;
}

void TExtensionTree::RemoveExtension(tk::TTreeNode node) {
    if (!IsExtension(node)) return;
    RemoveNode(node);
    if (OnChanged) OnChanged();
}

bool TExtensionTree::CanEdit(tk::TTreeNode node) {
    if (!IsExtension(node) || !tk::TTreeView::CanEdit(node)) return false;
    // While the label is edited its keys are the editor's: the tree's menu
    // would take Del or Ctrl+A from under it.
    menuWhileEditing_ = PopupMenu();
    SetPopupMenu(nullptr);
    return true;
}

bool TExtensionTree::Edit(tk::TTreeNode node, const char* newText) {
    if (menuWhileEditing_) SetPopupMenu(menuWhileEditing_);
    menuWhileEditing_ = nullptr;
    if (!newText) return false; // cancelled
    const bool edited = tk::TTreeView::Edit(node, CleanExtension(newText).c_str());
    if (edited && OnChanged) OnChanged();
    return edited;
}

LRESULT TExtensionTree::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The right button selects the item under the pointer and opens the menu
    // there when it is released (the control's own handling would first wait
    // to see whether a drag begins).
    if (msg == WM_RBUTTONDOWN && Handle()) {
        SetFocus();
        TVHITTESTINFO hit{};
        hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (TreeView_HitTest(Handle(), &hit) && (hit.flags & TVHT_ONITEM)) Select(hit.hItem);
        return 0;
    }
    if (msg == WM_RBUTTONUP && Handle()) {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(Handle(), &at);
        if (tk::TPopupMenu* menu = PopupMenu()) {
            menu->Owner = Handle();
            menu->Popup(at.x, at.y);
        }
        return 0;
    }
    return tk::TTreeView::WndProc(msg, wParam, lParam);
}

} // namespace velmora::app
