// The explorer's commands as one list of actions: the main window's tool bar
// and menus, the tree's menu, the file list's context menu and the list's own
// keys all name these. Each action's OnUpdate is its only enabling rule. The
// commands reach the window through the narrow IExplorerHost; the status
// line, the archive folder with "ini\aktif.ini", the jump to a typed folder,
// the desktop shortcut and the special drawing of tree and list items live
// here too.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>

#include "explorer/dir_tree.h"
#include "explorer/file_list_view.h"
#include "explorer/file_operations.h"
#include "toolkit/actions.h"
#include "toolkit/gdi.h"

namespace velmora::explorer {

// What the explorer's commands need of the window that holds them.
class IExplorerHost {
public:
    virtual ~IExplorerHost() = default;
    virtual TDirTree& Tree() = 0;
    virtual TFileListView& List() = 0;
    virtual TFileOperations& Operations() = 0;
    // The program's folder (with its trailing "\"); the settings live in its "ini\".
    virtual std::string AppFolder() const = 0;
    virtual std::string ArchiveFolder() const = 0;
    virtual void SetArchiveFolder(const std::string& folder) = 0;
    // Panels 0 and 1 of the status bar.
    virtual void SetStatusText(int panel, const std::string& text) = 0;
    // Records the tree's selected path in the path history (and the path box).
    virtual void AloneString() = 0;
    // Shows or hides the tree together with its splitter.
    virtual void ShowTree(bool show) = 0;
};

// The two status texts, from plain numbers (the locale's separators passed in).
std::string StatisticsCountText(int entries, bool anySelected, int selectedNumber);
std::string StatisticsSizeText(bool anySelected, int64_t selectedBytes, int64_t freeKB, char thousands,
                               char decimal);

class TExplorerCommands {
public:
    explicit TExplorerCommands(IExplorerHost& host);
    TExplorerCommands(const TExplorerCommands&) = delete;
    TExplorerCommands& operator=(const TExplorerCommands&) = delete;

    // Creates the explorer's actions in `actions` and gives the list its keys
    // (the list must exist by the first key; the actions ask the host when run).
    void Bind(tk::TActionList& actions);

    // A cut or copy made by the window's own commands and not yet pasted.
    bool PasteAllowed = false;
    // Until the window's show step ends: the tree and the list were just
    // loaded, so a refresh only follows a new folder.
    bool StartingUp = true;

    // The refresh command: the tree reloads and reopens its selected path, the list follows.
    void Refresh();
    // After a change of the list: the status line now; the commands' enabling
    // follows from their actions at idle.
    void SetBtnMenuState();
    // Writes the object count and the sizes into the status bar's first two panels.
    void GetStatistics();

    // The archive folder step: reads or creates "ini\aktif.ini" and moves tree
    // and list there. False when the file could not be created (after the I/O
    // error box); callers then skip the rest of what they were doing.
    bool AktifKlasor();
    // The folder the archive file names, when it exists; "" otherwise.
    std::string ArchivedFolder() const;
    // "Arşiv klasörü ol": the tree's selected folder becomes the archive folder.
    void MakeArchiveFolder();
    // "Arşiv klasörüne git".
    void GoToArchiveFolder();
    // "Hedef Klasör" / "Git": asks for a folder and goes there.
    void GoToTypedFolder();
    // "Masaüstüne kısayol": a shell link to the tree's selected folder on the
    // desktop. Returns the link's file name ("" when the desktop could not be found).
    std::string MakeDesktopShortcut();

    // Item drawing: the archive folder's tree item in bold Tahoma (yellow when
    // selected, green otherwise); a folder with a companion .htm/.html in silver Tahoma.
    void DrawTreeItem(TTreeItemDraw& draw);
    LRESULT DrawListItem(const TFileListRow& row, NMLVCUSTOMDRAW& draw);
    HFONT ArchiveItemFont() const { return archiveItemFont_.get(); }

private:
    std::string ArchiveFile() const;
    void ExpandArchiveFolder();
    void SetTreeHint(const std::string& hint);

    IExplorerHost& host_;
    // Fonts of the special item drawing, made on first use.
    tk::FontHandle archiveItemFont_;
    tk::FontHandle htmlFolderFont_;
};

} // namespace velmora::explorer
