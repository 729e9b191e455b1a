// The extension table: a tree whose top-level items are the four viewers and
// whose children are the file-name extensions opened by them. Every item's
// picture is the position of its group, so an extension's picture is its
// viewer. Kept in "ini\sec.ini" as indented text, one line per item.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "app/session.h"
#include "app/viewer_panel.h"
#include "toolkit/gdi.h"
#include "toolkit/tree_view.h"

namespace velmora::app {

// An extension as the user typed it, ready for the table: white space and
// control characters around it dropped (a leading TAB or space would change
// the item's level in sec.ini), line breaks and TABs inside it removed, a "."
// put in front of a text without one.
std::string CleanExtension(const std::string& typed);
// What "Uzantı Ekle" keeps: the cleaned text, and "." alone becomes "" (files
// without an extension).
std::string AddedExtension(const std::string& typed);
class TExtensionTree : public tk::TTreeView {
public:
    // sec.ini is read up to this size; a larger file is not a table of ours.
    static constexpr int64_t kMaxTableBytes = 1 << 20;

    struct Params : tk::TControlParams {};
    explicit TExtensionTree(const Params& params);
    ~TExtensionTree() override;

    // The four groups without extensions.
    void ResetGroups();
    // Replaces every item with those of sec.ini's text and numbers them. A line
    // indented two or more levels deeper than the item before stops the reading
    // with std::runtime_error "Invalid level (N) for item "text""; the items read
    // before it stay, numbered.
    void LoadTable(const std::string& text);
    // sec.ini's text: each item on a line of its own, its level in TABs, CR LF.
    std::string TableText() const { return SaveToText(); }
    // The first item gets picture 0; each following top-level item starts the
    // next number, and every item takes the number of the group it is in.
    void Renumber();

    // The extensions in table order.
    std::vector<std::string> Extensions() const;
    bool IsExtension(tk::TTreeNode node) const { return node && NodeLevel(node) > 0; }
    // Adds an extension item beside `selected` (an extension) or as the last child
    // of `selected` (a group), with its picture; returns the new item.
    tk::TTreeNode AddExtension(tk::TTreeNode selected, const std::string& text);
    // Removes an extension item (groups stay).
    void RemoveExtension(tk::TTreeNode node);

    // After every change of the table through this tree: loaded, reset, an
    // extension added, renamed or removed.
    std::function<void()> OnChanged;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Groups are not edited; an edited extension gets a "." in front when it has none.
    bool CanEdit(tk::TTreeNode node) override;
    bool Edit(tk::TTreeNode node, const char* newText) override;

private:
    tk::ImageListHandle images_;
    tk::TPopupMenu* menuWhileEditing_ = nullptr;
};

} // namespace velmora::app
