// The main window: tool bar, the explorer half (tree, splitter, file list), the
// viewer panels, the status bar, the menus and the program-wide state.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "toolkit/form.h"
#include "toolkit/menus.h"
#include "toolkit/std_controls.h"

namespace velmora::app {

class TForm1 : public tk::TForm {
public:
    TForm1();
    ~TForm1() override;

    static constexpr const char* kCaption = "velmora Version 3.10";

    // Program-wide state.
    std::string AppDir;
    std::string CurrentFile;
    int ViewerKind = 0;
    std::vector<std::string> PathHistory;
    std::string ArchiveFolder;
    bool PasteAllowed = false;
    bool SyncingToolbar = false;

    // Layout (owned; declared in creation order).
    std::unique_ptr<tk::TToolBar> ToolBar1;
    std::unique_ptr<tk::TComboBox> cbPath;
    std::vector<std::unique_ptr<tk::TSpeedButton>> SpeedButtons;
    std::unique_ptr<tk::TStatusBar> StatusBar1;
    std::unique_ptr<tk::TPanel> Panel3;
    std::unique_ptr<tk::TControl> DirTree1;       // DirTree
    std::unique_ptr<tk::TControl> ClickSplitter1; // ClickSplitter
    std::unique_ptr<tk::TControl> FileListView1;  // FileListView
    std::unique_ptr<tk::TControl> ClickSplitter2; // ClickSplitter
    std::unique_ptr<tk::TPanel> TextPanel;
    std::unique_ptr<tk::TPanel> HtmlPanel;
    std::unique_ptr<tk::TPanel> HexPanel;

    tk::TMainMenu MainMenu1;
    tk::TPopupMenu PopupMenu1;
    tk::TActionList MainActionList;

    tk::TSpeedButton* Button(const std::string& name) const;

    // Records the tree's selected path in PathHistory and refills the path box.
    void AloneString();
    // The path box's text changed by the user.
    void cbPathChange();
    // Shows one viewer panel (0 text, 1 HTML, 3 hex), hides the others and puts its button down.
    void ShowViewerPanel(int kind);

    // The tree's selected path (set by the tree once it is linked).
    std::string TreeSelectedPath() const;

private:
    void CreateToolBar();
    void CreateMenus();
    void CreatePanels();
    void WireCommands();
    void FormCreate();
    void FormShow();

    std::vector<HBITMAP> glyphs_;
};

} // namespace velmora::app
