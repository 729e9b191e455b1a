// The viewer dispatch: a click on a file loads it into the panel of its kind
// (by the extension table), after the save step for the documents being left;
// the three panel buttons, the idle update of the viewers' commands, the
// file-name bars and what the viewers do when a shown file leaves the list.
#pragma once
#include <string>

#include "app/session.h"
#include "app/viewer_panel.h"

namespace velmora::widgets {
class TFileNameBar;
}
namespace tk {
class TActionList;
}

namespace velmora::app {

// What the dispatch needs of the window: the session, the panels keyed by
// viewer kind, and the few things it asks of the rest of the window.
class IViewerHost {
public:
    virtual ~IViewerHost() = default;
    // The session model: the file shown, its viewer, the extension table and the options.
    virtual TSession& Model() = 0;
    // The panel that shows files of the kind (pictures share the HTML panel);
    // nullptr for vkNone. A panel not made yet answers as an empty one:
    // asking about it does not make it.
    virtual IViewerPanel* Viewer(TViewerKind kind) const = 0;
    // As Viewer, but the panel is made now if it was not: for loading into it.
    virtual IViewerPanel* MakeViewer(TViewerKind kind) = 0;
    // Shows one viewer panel, hides the others and puts its button down.
    virtual void ShowViewerPanel(TViewerKind kind) = 0;
    // The kind of the panel now visible (vkHtml for the HTML panel).
    virtual TViewerKind ShownPanel() const = 0;
    // Puts the panel's button down (the others of its group go up).
    virtual void PressPanelButton(TViewerKind kind) = 0;
    // The file the list last gave as clicked.
    virtual std::string SelectedFile() const = 0;
    // The status line and the file commands after a dispatch.
    virtual void SetBtnMenuState() = 0;
    // The list shows the folder with the named entry selected.
    virtual void ShowInList(const std::string& folder, const std::string& name) = 0;
};

// The file list's click: loads its SelectedFile into the panel its extension
// names. Stops before loading when a save of the document being left failed.
void FileListClick(IViewerHost& host);

// The save step. Each panel writes only to the file it holds: the text
// document, then the hex document (which is closed afterwards, saved or not).
// With "Kayıt için uyar" on the user is asked first. A document whose file is
// gone is always asked about (write it there again, drop the edits, or keep
// it open). After a failed save (its error is shown) the user may drop the
// edits and go on. False when the edits stay: the caller must not go on.
bool RichSave(IViewerHost& host);
// The questions of the save step, for a document whose file is gone and
// after a failed save.
std::string VanishedFileQuestion(const std::string& file);
std::string FailedSaveQuestion(const std::string& file);

// "Metin Editörü", "Html ve Resim Editörü", "Hex Editörü": the save step, then
// the panel as it was left (nothing is loaded).
void PanelButtonClick(IViewerHost& host, TViewerKind kind);
// Binds the three panel commands (the window's actions MetinEditoru,
// HtmlveResimEditoru and HexEditoru) to PanelButtonClick.
void BindViewerCommands(tk::TActionList& actions, IViewerHost& host);

// At idle: the panel button of the focused viewer goes down, the panels'
// commands follow the kind last dispatched.
void UpdateActions(IViewerHost& host);

// A click on a panel's file-name bar: the list shows the bar's folder with the
// named file selected.
void FileNameBarClick(IViewerHost& host, const widgets::TFileNameBar& bar);

// After the list removed entries (once the removals are over): a viewer whose
// file no longer exists is emptied, unless it holds edits (they wait for the
// user's word).
void CheckShownFiles(IViewerHost& host);

// The program renamed or moved a file or folder (from -> to): a document held
// at that path or below it goes with it (the panel's file name, its name bar
// and CurrentFile), edits and all.
void PathMoved(IViewerHost& host, const std::string& from, const std::string& to);

} // namespace velmora::app
