// The main window: tool bar, the explorer half (tree, splitter, file list), the
// viewer panels, the status bar, the menus and the program-wide state.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/hex_panel.h"
#include "app/html_panel.h"
#include "app/options_form.h"
#include "app/session.h"
#include "app/text_panel.h"
#include "app/viewer_dispatch.h"
#include "app/viewer_panel.h"
#include "base/version.h"
#include "explorer/context_menus.h"
#include "explorer/dir_tree.h"
#include "explorer/explorer_actions.h"
#include "explorer/file_operations.h"
#include "explorer/file_list_view.h"
#include "toolkit/actions.h"
#include "toolkit/form.h"
#include "toolkit/menus.h"
#include "toolkit/std_controls.h"
#include "widgets/click_splitter.h"

namespace velmora::app {

// A panel made at its first use: a start makes only the panels it shows.
// Reaching through it makes the panel; IfMade() asks without making it.
template <class T>
class TMadeOnUse {
public:
    explicit TMadeOnUse(std::function<std::unique_ptr<T>()> make) : make_(std::move(make)) {}
    T& operator*() { return Get(); }
    T* operator->() { return &Get(); }
    T* get() { return &Get(); }
    T* IfMade() const { return made_.get(); }

private:
    T& Get() {
        if (!made_) made_ = make_();
        return *made_;
    }
    std::function<std::unique_ptr<T>()> make_;
    std::unique_ptr<T> made_;
};

class TForm1 : public tk::TForm, public explorer::IExplorerHost, public IViewerHost, public IOptionsHost {
public:
    TForm1();
    ~TForm1() override;

    static constexpr const char* kCaption = "velmora Version " VELMORA_VERSION_TEXT;

    // Program-wide state.
    std::string AppDir;
    // The file shown, its viewer, the archive folder and the extension table.
    TSession Session;
    std::vector<std::string> PathHistory;
    // A look at the viewers' files is posted after the list removed entries.
    bool ViewerCheckPending = false;

    // Layout (owned; declared in creation order).
    std::unique_ptr<tk::TToolBar> ToolBar1;
    std::unique_ptr<tk::TComboBox> cbPath;
    std::vector<std::unique_ptr<tk::TSpeedButton>> SpeedButtons;
    std::unique_ptr<tk::TStatusBar> StatusBar1;
    std::unique_ptr<tk::TPanel> Panel3;
    std::unique_ptr<explorer::TDirTree> DirTree1;
    std::unique_ptr<widgets::TClickSplitter> ClickSplitter1; // ClickSplitter
    std::unique_ptr<explorer::TFileListView> FileListView1;
    std::unique_ptr<widgets::TClickSplitter> ClickSplitter2; // ClickSplitter
    std::unique_ptr<TTextPanel> TextPanel;
    // Hidden at start: made when first shown or reached.
    TMadeOnUse<THtmlPanel> HtmlPanel{[this] { return MakeHtmlPanel(); }};
    TMadeOnUse<THexPanel> HexPanel{[this] { return MakeHexPanel(); }};
    // The file list's operations and its own context menu (declared after the
    // list, so they go before it).
    std::unique_ptr<explorer::TFileOperations> FileOperations1;
    std::unique_ptr<explorer::TFileListPopup> FileListPopup1;
    // The explorer's commands, the status line, the archive folder and the
    // special drawing of tree and list items.
    explorer::TExplorerCommands Explorer{*this};

    // Every command of the window is an action of this list; the tool bar and
    // the menus show them. Declared before the menus, so it outlives them.
    tk::TActionList MainActionList;
    tk::TMainMenu MainMenu1;
    tk::TPopupMenu PopupMenu1;

    tk::TSpeedButton* Button(const std::string& name) const;

    // explorer::IExplorerHost
    explorer::TDirTree& Tree() override { return *DirTree1; }
    explorer::TFileListView& List() override { return *FileListView1; }
    explorer::TFileOperations& Operations() override { return *FileOperations1; }
    // Also IOptionsHost's.
    std::string AppFolder() const override { return AppDir; }
    std::string ArchiveFolder() const override { return Session.ArchiveFolder; }
    void SetArchiveFolder(const std::string& folder) override { Session.ArchiveFolder = folder; }
    void SetStatusText(int panel, const std::string& text) override { StatusBar1->SetPanelText(panel, text); }
    void ShowTree(bool show) override;
    // Records the tree's selected path in PathHistory and refills the path box.
    void AloneString() override;

    // IViewerHost and IOptionsHost
    TSession& Model() override { return Session; }
    void PressPanelButton(TViewerKind kind) override;
    std::string SelectedFile() const override { return FileListView1->SelectedFile(); }
    void SetBtnMenuState() override { Explorer.SetBtnMenuState(); }
    void ShowInList(const std::string& folder, const std::string& name) override;
    widgets::TClickSplitter& TreeSplitter() override { return *ClickSplitter1; }
    // The path box's text changed by the user.
    void cbPathChange();
    // Shows one viewer panel (pictures share the HTML panel), hides the others and checks its action (its
    // button goes down).
    void ShowViewerPanel(TViewerKind kind) override;
    // The kind of the panel now visible (vkHtml for the HTML panel).
    TViewerKind ShownPanel() const override;
    // The panel that shows files of the kind (pictures share the HTML panel); nullptr for vkNone.
    IViewerPanel* Viewer(TViewerKind kind) const override;
    IViewerPanel* MakeViewer(TViewerKind kind) override;

    // The refresh command: the tree reloads and reopens its selected path, the list follows.
    void Refresh() { Explorer.Refresh(); }
    // Opens a file given by its full path as if it had been clicked in the list.
    void OpenFileByName(const std::string& path);
    // The file list's click: the viewer dispatch (loads the file into its panel).
    std::function<void()> FileListClick;
    // The session's "İşlemlerde uyar" goes to the file operations and the tree.
    void ApplyConfirmFileOps() override;
    // Files dropped on the window: the first is opened.
    void DropFiles(const std::vector<std::string>& names);

private:
    void BindWindowCommands();
    void CreateToolBar();
    void CreateMenus();
    void CreatePanels();
    std::unique_ptr<THexPanel> MakeHexPanel();
    std::unique_ptr<THtmlPanel> MakeHtmlPanel();
    void WireEvents();
    void FormCreate();
    void FormShow();
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The list removes entries: once the removals are over, the viewers look at their files.
    void ListEntryRemoved();
    // The show step runs when the window is first shown, not on every showing.
    bool shown_ = false;
    // What a panel not made yet answers.
    mutable TEmptyViewer notMade_;
};

} // namespace velmora::app
