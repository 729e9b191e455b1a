// The viewer dispatch: a click on a file loads it into the panel of its kind
// (by the extension table), after the save step for the documents being left;
// the three panel buttons, the idle update of the viewers' commands, the
// file-name bars and what the viewers do when a shown file leaves the list.
#pragma once
#include <string>

#include "app/viewer_panel.h"

namespace velmora::widgets {
class TFileNameBar;
}
namespace tk {
class TActionList;
}

namespace velmora::app {

class TForm1;

// The file list's click: loads its SelectedFile into the panel its extension
// names. Stops before loading when a save of the document being left failed.
void FileListClick(TForm1& form);

// The save step. Each panel writes only to the file it holds: the text
// document, then the hex document (which is closed afterwards, saved or not).
// With "Kayıt için uyar" checked the user is asked first. A document whose
// file is gone is always asked about (write it there again, drop the edits,
// or keep it open). After a failed save (its error is shown) the user may drop
// the edits and go on. False when the edits stay: the caller must not go on.
bool RichSave(TForm1& form);
// The questions of the save step, for a document whose file is gone and
// after a failed save.
std::string VanishedFileQuestion(const std::string& file);
std::string FailedSaveQuestion(const std::string& file);

// "Metin Editörü", "Html ve Resim Editörü", "Hex Editörü": the save step, then
// the panel as it was left (nothing is loaded).
void PanelButtonClick(TForm1& form, TViewerKind kind);
// Binds the three panel commands (the window's actions MetinEditoru,
// HtmlveResimEditoru and HexEditoru) to PanelButtonClick.
void BindViewerCommands(tk::TActionList& actions, TForm1& form);

// At idle: the panel button of the focused viewer goes down, the HTML panel's
// commands follow its history and the kind last dispatched.
void UpdateActions(TForm1& form);

// A click on a panel's file-name bar: the list shows the bar's folder with the
// named file selected.
void FileNameBarClick(TForm1& form, const widgets::TFileNameBar& bar);

// The list removes entries (one by one, or all before listing again): once
// the removals are over, a viewer whose file no longer exists is emptied,
// unless it holds edits (they wait for the user's word).
void ListEntryRemoved(TForm1& form);
void CheckShownFiles(TForm1& form);

// The program renamed or moved a file or folder (from -> to): a document held
// at that path or below it goes with it (the panel's file name, its name bar
// and CurrentFile), edits and all.
void PathMoved(TForm1& form, const std::string& from, const std::string& to);

} // namespace velmora::app
