#include "app/viewer_dispatch.h"

#include <windows.h>

#include <functional>

#include "app/extension_tree.h"
#include "app/form1.h"
#include "app/messages.h"
#include "app/options_form.h"
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

bool RichSave(TForm1& form) {
    const bool ask = form.Session.Options.SaveWarning;
    TTextPanel& text = *form.TextPanel;
    if (text.Modified()) {
        const std::string file = text.FileName();
        // Dropped edits leave the file as it is on disk in the editor, or
        // nothing when it is gone.
        auto drop = [&form, &text, file] {
            if (IsFile(file) && text.LoadFile(file)) return;
            text.Clear();
            if (SamePath(form.Session.CurrentFile, file)) form.Session.CurrentFile.clear();
        };
        if (!IsFile(file)) {
            if (!SaveVanished(text, drop)) return false;
        } else if (ShouldWrite(ask, file) && !text.RichEdit1->ReadOnly()) {
            if (!WriteOrDrop(text, drop)) return false;
        }
        // Declined: the text stays in the editor, no longer marked modified.
        if (text.Modified()) text.RichEdit1->SetModified(false);
    }
    THexPanel& hex = *form.HexPanel;
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
        form.Session.CurrentFile.clear();
    }
    return true;
}

void FileListClick(TForm1& form) {
    if (!RichSave(form)) return;
    const std::string path = form.FileListView1->SelectedFile();
    if (!IsFile(path)) {
        form.Explorer.SetBtnMenuState();
        return;
    }
    const int group = form.Session.Extensions.Find(ExtensionOf(path));
    const TViewerKind kind = ViewerKindFromIndex(group);
    form.Session.ViewerKind = kind;
    // No association: the panels, CurrentFile and the status line stay.
    if (group < 0) return;
    IViewerPanel* panel = form.Viewer(kind);
    if (panel && panel->ShownBeforeLoading()) {
        // A big text loads in slices, with its progress in the panel.
        form.ShowViewerPanel(kind);
        panel->Open(path, kind);
        form.Session.CurrentFile = path;
    } else if (panel) {
        // A page the viewer cannot read: its message was shown, nothing changes.
        if (!panel->Open(path, kind)) return;
        form.Session.CurrentFile = path;
        form.ShowViewerPanel(kind);
    }
    form.Explorer.SetBtnMenuState();
}

void PanelButtonClick(TForm1& form, TViewerKind kind) {
    if (!RichSave(form)) {
        // The button stays as it was: the panel did not change.
        form.ShowViewerPanel(form.ShownPanel());
        return;
    }
    form.ShowViewerPanel(kind);
}

void BindViewerCommands(tk::TActionList& actions, TForm1& form) {
    const std::pair<const char*, TViewerKind> panels[] = {
        {"MetinEditoru", TViewerKind::vkText},
        {"HtmlveResimEditoru", TViewerKind::vkHtml},
        {"HexEditoru", TViewerKind::vkHex},
    };
    for (const auto& [name, kind] : panels)
        actions.Get(name).OnExecute = [&form, kind = kind] { PanelButtonClick(form, kind); };
}

void UpdateActions(TForm1& form) {
    HWND focus = GetFocus();
    auto within = [focus](const tk::TControl* control) {
        return focus && control && control->Handle() &&
               (focus == control->Handle() || IsChild(control->Handle(), focus));
    };
    if (within(form.HtmlPanel->htmlView.get()))
        form.MainActionList.Get("HtmlveResimEditoru").SetChecked(true);
    if (within(form.TextPanel->RichEdit1.get())) form.MainActionList.Get("MetinEditoru").SetChecked(true);
    form.HtmlPanel->UpdateCommands(form.Session.ViewerKind == TViewerKind::vkHtml);
}

void FileNameBarClick(TForm1& form, const widgets::TFileNameBar& bar) {
    const std::string folder = bar.Hint();
    const std::string name = bar.Caption();
    if (folder.empty()) return;
    form.DirTree1->OpenPath(folder);
    form.Refresh();
    form.FileListView1->SelectRowNamed(name, folder + name);
}

void ListEntryRemoved(TForm1& form) {
    if (form.ViewerCheckPending) return;
    form.ViewerCheckPending = true;
    PostMessageA(form.Handle(), tk::pmViewerFilesCheck, 0, 0);
}

void CheckShownFiles(TForm1& form) {
    form.ViewerCheckPending = false;
    // Each viewer asks about its own file: another panel's file may still be
    // there while this one's has gone (and the other way round). A document
    // with edits stays whatever became of its file: the next save step asks.
    TTextPanel& text = *form.TextPanel;
    if (!Exists(text.FileName()) && !text.Modified()) text.Clear();
    if (!Exists(form.HtmlPanel->FileName())) form.HtmlPanel->Clear();
    const bool held =
        (text.Modified() && SamePath(text.FileName(), form.Session.CurrentFile)) ||
        (form.HexPanel->Modified() && SamePath(form.HexPanel->FileName(), form.Session.CurrentFile));
    if (!Exists(form.Session.CurrentFile) && !held) {
        form.Session.CurrentFile.clear();
        form.Session.ViewerKind = TViewerKind::vkNone;
    }
}

void PathMoved(TForm1& form, const std::string& from, const std::string& to) {
    // Only a document whose file is really at its new place now goes there.
    auto carried = [&](const std::string& file) {
        std::string moved = MovedPath(file, from, to);
        return !moved.empty() && IsFile(moved) && !IsFile(file) ? moved : std::string();
    };
    TTextPanel& text = *form.TextPanel;
    THexPanel& hex = *form.HexPanel;
    const std::string current = carried(form.Session.CurrentFile);
    if (!current.empty() && (SamePath(form.Session.CurrentFile, text.FileName()) ||
                             SamePath(form.Session.CurrentFile, hex.FileName())))
        form.Session.CurrentFile = current;
    const std::string textFile = carried(text.FileName());
    if (!textFile.empty()) text.SetFileName(textFile);
    const std::string hexFile = carried(hex.FileName());
    if (!hexFile.empty()) hex.SetFileName(hexFile);
}

} // namespace velmora::app
