#include "app/viewer_dispatch.h"

#include <windows.h>

#include <functional>

#include "app/messages.h"
#include "toolkit/actions.h"
#include "widgets/file_name_bar.h"
#include "base/os.h"
#include "explorer/path_utils.h"
#include "toolkit/dialogs.h"
#include "toolkit/messages.h"

namespace velmora::app {

namespace {

bool IsFile(const std::string& path) {
    if (path.empty()) return false;
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path) {
    return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SamePath(const std::string& a, const std::string& b) {
    return !a.empty() && a.size() == b.size() && os::AnsiUpperCase(a) == os::AnsiUpperCase(b);
}

// Asks whether a modified document is to be written (only with the save warning on).
bool ShouldWrite(bool ask, const std::string& file) {
    return !ask || Mesaj_(file + " dosya kaydedilsin mi?") == IDYES;
}

// The program's question box ("Dikkat!") with other buttons than Mesaj_'s.
int Ask(const std::string& text, UINT flags) {
    return tk::ShowMessageBox(GetActiveWindow(), text, "Dikkat!", flags, MAKELANGID(0x1F, SUBLANG_NEUTRAL));
}

// A save failed (its error was shown): the user may drop the edits so that
// the operation goes on, or keep them. Keeping is the default button.
bool DropAfterFailedSave(const std::string& file) {
    return Ask(FailedSaveQuestion(file), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// Writes one panel's edits; after a failure the user decides. True when the
// caller may go on (written, or dropped through `drop`).
bool WriteOrDrop(IViewerPanel& panel, const std::function<void()>& drop) {
    const std::string file = panel.FileName();
    if (panel.Save()) return true;
    if (!DropAfterFailedSave(file)) return false;
    drop();
    return true;
}

// The document's file is gone (deleted, or moved outside the program): whatever
// the save warning says, the user decides between writing it there again,
// dropping the edits and keeping the document open.
bool SaveVanished(IViewerPanel& panel, const std::function<void()>& drop) {
    const int answer = Ask(VanishedFileQuestion(panel.FileName()), MB_YESNOCANCEL | MB_ICONWARNING);
    if (answer == IDNO) {
        drop();
        return true;
    }
    if (answer != IDYES) return false;
    return WriteOrDrop(panel, drop);
}

// The new path of `path` when the entry at `from` went to `to` (`path` is
// that entry or lies in that folder); "" when it is not concerned.
std::string MovedPath(const std::string& path, const std::string& from, const std::string& to) {
    if (path.empty() || from.empty() || to.empty()) return {};
    if (SamePath(path, from)) return to;
    const std::string folder = explorer::AddSlash(from);
    if (path.size() > folder.size() && SamePath(path.substr(0, folder.size()), folder))
        return explorer::AddSlash(to) + path.substr(folder.size());
    return {};
}

} // namespace

std::string VanishedFileQuestion(const std::string& file) {
    return file + " dosyası silinmiş ya da taşınmış; değişiklikler kaydedilmedi.\r\n\r\n"
                  "Değişiklikler bu adla yeniden kaydedilsin mi?\r\n"
                  "(Hayır: değişiklikler atılır.  İptal: belge değişiklikleriyle açık kalır.)";
}

std::string FailedSaveQuestion(const std::string& file) {
    return file + " dosyası kaydedilemedi.\r\n\r\n"
                  "Değişiklikler atılsın mı?\r\n"
                  "(Hayır: belge değişiklikleriyle açık kalır.)";
}

bool RichSave(IViewerHost& host) {
    TSession& session = host.Model();
    const bool ask = session.Options.SaveWarning;
    IViewerPanel& text = *host.Viewer(TViewerKind::vkText);
    if (text.Modified()) {
        const std::string file = text.FileName();
        // Dropped edits leave the file as it is on disk in the editor, or
        // nothing when it is gone.
        auto drop = [&session, &text, file] {
            if (IsFile(file) && text.LoadFile(file)) return;
            text.Clear();
            if (SamePath(session.CurrentFile, file)) session.CurrentFile.clear();
        };
        if (!IsFile(file)) {
            if (!SaveVanished(text, drop)) return false;
        } else if (ShouldWrite(ask, file) && !text.ReadOnly()) {
            if (!WriteOrDrop(text, drop)) return false;
        }
        // Declined: the text stays in the editor, no longer marked modified.
        if (text.Modified()) text.SetModified(false);
    }
    IViewerPanel& hex = *host.Viewer(TViewerKind::vkHex);
    if (hex.Modified()) {
        const std::string file = hex.FileName();
        auto drop = [] {}; // the document is closed below in any case
        if (!IsFile(file)) {
            if (!SaveVanished(hex, drop)) return false;
        } else if (ShouldWrite(ask, file)) {
            // A failed save keeps the document open with its edits, unless the user drops them.
            if (!WriteOrDrop(hex, drop)) return false;
        }
        hex.Clear();
        session.CurrentFile.clear();
    }
    return true;
}

void FileListClick(IViewerHost& host) {
    if (!RichSave(host)) return;
    TSession& session = host.Model();
    const std::string path = host.SelectedFile();
    if (!IsFile(path)) {
        host.SetBtnMenuState();
        return;
    }
    const int group = session.Extensions.Find(ExtensionOf(path));
    const TViewerKind kind = ViewerKindFromIndex(group);
    session.ViewerKind = kind;
    // No association: the panels, CurrentFile and the status line stay.
    if (group < 0) return;
    IViewerPanel* panel = host.MakeViewer(kind);
    if (panel && panel->ShownBeforeLoading()) {
        // A big text loads in slices, with its progress in the panel.
        host.ShowViewerPanel(kind);
        panel->Open(path, kind);
        session.CurrentFile = path;
    } else if (panel) {
        // A page the viewer cannot read: its message was shown, nothing changes.
        if (!panel->Open(path, kind)) return;
        session.CurrentFile = path;
        host.ShowViewerPanel(kind);
    }
    host.SetBtnMenuState();
}

void PanelButtonClick(IViewerHost& host, TViewerKind kind) {
    if (!RichSave(host)) {
        // The button stays as it was: the panel did not change.
        host.ShowViewerPanel(host.ShownPanel());
        return;
    }
    host.ShowViewerPanel(kind);
}

void BindViewerCommands(tk::TActionList& actions, IViewerHost& host) {
    const std::pair<const char*, TViewerKind> panels[] = {
        {"MetinEditoru", TViewerKind::vkText},
        {"HtmlveResimEditoru", TViewerKind::vkHtml},
        {"HexEditoru", TViewerKind::vkHex},
    };
    for (const auto& [name, kind] : panels)
        actions.Get(name).OnExecute = [&host, kind = kind] { PanelButtonClick(host, kind); };
}

void UpdateActions(IViewerHost& host) {
    // The button of the viewer holding the focus goes down.
    for (TViewerKind kind : {TViewerKind::vkHtml, TViewerKind::vkText})
        if (host.Viewer(kind)->HasFocus()) host.PressPanelButton(kind);
    for (TViewerKind kind : {TViewerKind::vkText, TViewerKind::vkHtml, TViewerKind::vkHex})
        host.Viewer(kind)->UpdateCommands(host.Model().ViewerKind);
}

void FileNameBarClick(IViewerHost& host, const widgets::TFileNameBar& bar) {
    const std::string folder = bar.Hint();
    if (folder.empty()) return;
    host.ShowInList(folder, bar.Caption());
}

void CheckShownFiles(IViewerHost& host) {
    TSession& session = host.Model();
    // Each viewer asks about its own file: another panel's file may still be
    // there while this one's has gone (and the other way round). A document
    // with edits stays whatever became of its file: the next save step asks.
    IViewerPanel& text = *host.Viewer(TViewerKind::vkText);
    IViewerPanel& html = *host.Viewer(TViewerKind::vkHtml);
    IViewerPanel& hex = *host.Viewer(TViewerKind::vkHex);
    if (!Exists(text.FileName()) && !text.Modified()) text.Clear();
    if (!Exists(html.FileName())) html.Clear();
    const bool held = (text.Modified() && SamePath(text.FileName(), session.CurrentFile)) ||
                      (hex.Modified() && SamePath(hex.FileName(), session.CurrentFile));
    if (!Exists(session.CurrentFile) && !held) {
        session.CurrentFile.clear();
        session.ViewerKind = TViewerKind::vkNone;
    }
}

void PathMoved(IViewerHost& host, const std::string& from, const std::string& to) {
    TSession& session = host.Model();
    // Only a document whose file is really at its new place now goes there.
    auto carried = [&](const std::string& file) {
        std::string moved = MovedPath(file, from, to);
        return !moved.empty() && IsFile(moved) && !IsFile(file) ? moved : std::string();
    };
    IViewerPanel& text = *host.Viewer(TViewerKind::vkText);
    IViewerPanel& hex = *host.Viewer(TViewerKind::vkHex);
    const std::string current = carried(session.CurrentFile);
    if (!current.empty() &&
        (SamePath(session.CurrentFile, text.FileName()) || SamePath(session.CurrentFile, hex.FileName())))
        session.CurrentFile = current;
    const std::string textFile = carried(text.FileName());
    if (!textFile.empty()) text.SetFileName(textFile);
    const std::string hexFile = carried(hex.FileName());
    if (!hexFile.empty()) hex.SetFileName(hexFile);
}

} // namespace velmora::app
