#include "app/viewer_dispatch.h"

#include <windows.h>

#include "app/explorer_commands.h"
#include "app/extension_tree.h"
#include "app/form1.h"
#include "app/messages.h"
#include "app/options_form.h"
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

// Asks whether a modified document is to be written (only with the save warning on).
bool ShouldWrite(bool ask, const std::string& file) {
    return !ask || Mesaj_(file + " dosya kaydedilsin mi?") == IDYES;
}

} // namespace

bool RichSave(TForm1& form) {
    const bool ask = form.Form2 && form.Form2->SaveWarning();
    TTextPanel& text = *form.TextPanel;
    if (text.Modified()) {
        if (ShouldWrite(ask, text.FileName()) && !text.RichEdit1->ReadOnly()) {
            if (!text.Save()) return false;
        }
        // Declined: the text stays in the editor, no longer marked modified.
        text.RichEdit1->SetModified(false);
    }
    THexPanel& hex = *form.HexPanel;
    if (hex.Modified()) {
        if (ShouldWrite(ask, hex.FileName())) {
            // A failed save keeps the document open with its edits.
            if (!hex.Save()) return false;
        }
        hex.Clear();
        form.CurrentFile.clear();
    }
    return true;
}

void FileListClick(TForm1& form) {
    if (!RichSave(form)) return;
    const std::string path = form.FileListView1->SelectedFile();
    if (!IsFile(path)) {
        SetBtnMenuState(form);
        return;
    }
    const int index = form.Form2 ? form.Form2->ExtFind(ExtensionOf(path)) : -1;
    const TViewerKind kind = ViewerKindFromIndex(index);
    form.ViewerKind = kind;
    // No association: the panels, CurrentFile and the status line stay.
    if (index < 0) return;
    switch (kind) {
    case TViewerKind::vkText:
        form.TextPanel->LoadFile(path);
        form.CurrentFile = path;
        form.ShowViewerPanel(kind);
        break;
    case TViewerKind::vkHtml:
    case TViewerKind::vkPicture:
        // A page the viewer cannot read: its message was shown, nothing changes.
        if (!(kind == TViewerKind::vkHtml ? form.HtmlPanel->LoadFile(path)
                                          : form.HtmlPanel->LoadPicture(path)))
            return;
        form.CurrentFile = path;
        form.ShowViewerPanel(kind);
        break;
    case TViewerKind::vkHex:
        form.ShowViewerPanel(kind);
        form.HexPanel->LoadFile(path);
        form.CurrentFile = path;
        break;
    case TViewerKind::vkNone:
        break; // a group beyond the four viewers
    }
    SetBtnMenuState(form);
}

void PanelButtonClick(TForm1& form, TViewerKind kind) {
    if (!RichSave(form)) {
        // The button stays as it was: the panel did not change.
        form.ShowViewerPanel(form.ShownPanel());
        return;
    }
    form.ShowViewerPanel(kind);
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
    form.HtmlPanel->UpdateCommands(form.ViewerKind == TViewerKind::vkHtml);
}

void FileNameBarClick(TForm1& form, const widgets::TFileNameBar& bar) {
    const std::string folder = bar.Hint();
    const std::string name = bar.Caption();
    if (folder.empty()) return;
    form.DirTree1->OpenPath(folder);
    form.Refresh();
    explorer::TFileListView& list = *form.FileListView1;
    for (int i = 0; i < list.RowCount(); ++i) {
        if (lstrcmpiA(list.Row(i).caption.c_str(), name.c_str()) == 0) {
            list.SetSelectedFile(folder + name);
            list.SetSelected(i, true);
            list.SetFocusedIndex(i);
            break;
        }
    }
}

void ListEntryRemoved(TForm1& form) {
    if (form.ViewerCheckPending) return;
    form.ViewerCheckPending = true;
    PostMessageA(form.Handle(), tk::pmViewerFilesCheck, 0, 0);
}

void CheckShownFiles(TForm1& form) {
    form.ViewerCheckPending = false;
    // Each viewer asks about its own file: another panel's file may still be
    // there while this one's has gone (and the other way round).
    TTextPanel& text = *form.TextPanel;
    if (!Exists(text.FileName())) text.Clear();
    if (!Exists(form.HtmlPanel->FileName())) form.HtmlPanel->Clear();
    if (!Exists(form.CurrentFile)) {
        form.CurrentFile.clear();
        form.ViewerKind = TViewerKind::vkNone;
    }
}

} // namespace velmora::app
