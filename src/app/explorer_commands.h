// The main window's explorer commands: their actions (tool bar, menus and the
// tree's menu show them), the enabling of the file commands, the status line,
// the archive folder with "ini\aktif.ini", the jump to a typed folder, the
// desktop shortcut and the special drawing of tree and list items.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "explorer/dir_tree.h"
#include "explorer/file_list_view.h"
#include "toolkit/actions.h"

namespace velmora::app {

class TForm1;

// Creates the explorer's actions in `actions`: what each runs and when it is
// enabled (the file commands while the list has a selected entry, paste while
// PasteAllowed) or checked (the view style, the tree hidden).
void BindExplorerCommands(TForm1& form, tk::TActionList& actions);

// After a change of the list or PasteAllowed: the status line now; the file
// commands' enabling follows from their actions at idle.
void SetBtnMenuState(TForm1& form);
// Writes the object count and the sizes into the status bar's first two panels.
void GetStatistics(TForm1& form);
// The two status texts, from plain numbers (the locale's separators passed in).
std::string StatisticsCountText(int entries, bool anySelected, int selectedNumber);
std::string StatisticsSizeText(bool anySelected, int64_t selectedBytes, int64_t freeKB, char thousands,
                               char decimal);

// The archive folder step: reads or creates AppDir + "ini\aktif.ini" and moves
// tree and list there. False when the file could not be created (after the I/O
// error box); callers then skip the rest of what they were doing.
bool AktifKlasor(TForm1& form);
// The folder the archive file names, when it exists; "" otherwise.
std::string ArchivedFolder(TForm1& form);
// "Arşiv klasörü ol": the tree's selected folder becomes the archive folder.
void MakeArchiveFolder(TForm1& form);
// "Arşiv klasörüne git".
void GoToArchiveFolder(TForm1& form);
// "Hedef Klasör" / "Git": asks for a folder and goes there.
void GoToTypedFolder(TForm1& form);
// "Masaüstüne kısayol": a shell link to the tree's selected folder on the desktop.
// Returns the link's file name ("" when the desktop could not be found).
std::string MakeDesktopShortcut(TForm1& form);

// Item drawing: the archive folder's tree item in bold Tahoma (yellow when
// selected, green otherwise); a folder with a companion .htm/.html in silver Tahoma.
void DrawTreeItem(TForm1& form, explorer::TTreeItemDraw& draw);
LRESULT DrawListItem(TForm1& form, const explorer::TFileListRow& row, NMLVCUSTOMDRAW& draw);

} // namespace velmora::app
