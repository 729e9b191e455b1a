#include "app/explorer_commands.h"

#include <shlobj.h>

#include <cstdio>
#include <optional>

#include "app/form1.h"
#include "app/messages.h"
#include "base/number_format.h"
#include "base/os.h"
#include "base/safe_write.h"
#include "explorer/path_utils.h"
#include "toolkit/dialogs.h"
#include "toolkit/exceptions.h"

namespace velmora::app {

namespace {

bool SameFolder(const std::string& a, const std::string& b) {
    return !a.empty() && !b.empty() &&
           lstrcmpiA(explorer::AddSlash(a).c_str(), explorer::AddSlash(b).c_str()) == 0;
}

std::string ArchiveFile(TForm1& form) {
    return form.AppDir + "ini\\aktif.ini";
}

} // namespace

std::string StatisticsCountText(int entries, bool anySelected, int selectedNumber) {
    if (anySelected)
        return std::to_string(entries) + " obje(den)  --  " + std::to_string(selectedNumber) +
               "  tanesi seçildi ";
    return std::to_string(entries) + " obje var";
}

std::string StatisticsSizeText(bool anySelected, int64_t selectedBytes, int64_t freeKB, char thousands,
                               char decimal) {
    std::string free = FormatGroupedOptional(static_cast<double>(freeKB) / 1024.0, thousands) + " MB";
    if (anySelected) {
        return " Boyut = " +
               FormatGrouped(static_cast<double>(selectedBytes) / 1024.0, 2, thousands, decimal) +
               " KB( Boş disk alanı: " + free + " )";
    }
    return " Boyut = 0 KB  ( Boş disk alanı: " + free + " )";
}

void GetStatistics(TForm1& form) {
    auto& list = *form.FileListView1;
    auto& status = *form.StatusBar1;
    status.SetPanelText(0, "");
    status.SetPanelText(1, "");
    bool selected = list.SelectedIndex() >= 0;
    status.SetPanelText(0, StatisticsCountText(list.RowCount(), selected, list.SelectedNumber()));
    status.SetPanelText(1, StatisticsSizeText(selected, list.SelectedSize(), list.DriveFreeSpace(),
                                              os::ThousandSeparator(), os::DecimalSeparator()));
}

void SetBtnMenuState(TForm1& form) {
    GetStatistics(form);
}

namespace {

using tk::scCtrl;
using tk::ShortCut;

constexpr int kViewStyleGroup = 2, kTreeGroup = 3;

const std::vector<tk::ActionRow> kExplorerActions = {
    {"UstKlasor", "..", "..", 0, "TB_UP"},
    {"ArsivKlasoruneGit", "Arşiv klasörüne git", "Arşiv klasörüne git", 0, "TB_ARCHIVE"},
    // Down while the tree is hidden.
    {"KlasorKutusu", "Klasör Kutusu", "Klasör Kutusu", 0, "TB_FOLDERS", kTreeGroup, false, true},
    {"Guncelle", "Güncelle", "Güncelle", 0, "TB_REFRESH"},
    {"YeniDokuman", "Yeni Döküman", "Yeni Döküman", 0, "TB_NEWDOC"},
    {"KlasorEkle", "Klasör Ekle", "Klasör Ekle", 0, "TB_NEWFOLDER"},
    {"YeniKlasor", "Yeni Klasör"},
    {"Ac", "Aç"},
    {"Goruntule", "Görüntüle", "Görüntüle", 0, "TB_VIEW"},
    {"Sil", "Sil", "Sil", 0, "TB_DELETE"},
    {"AdiniDegistir", "Adını Değiştir"},
    {"Nitelik", "Nitelik"},
    {"Kes", "Kes", "Kes", ShortCut('X', scCtrl), "TB_CUT"},
    {"Kopyala", "Kopyala", "Kopyala", ShortCut('C', scCtrl), "TB_COPY"},
    {"Yapistir", "Yapıştır", "Yapıştır", ShortCut('P', scCtrl), "TB_PASTE"},
    {"TumunuSec", "Tümünü Seç", "", ShortCut('A', scCtrl)},
    {"GenisIkon", "Geniş ikon", "Geniş ikon", 0, "TB_LARGEICONS", kViewStyleGroup},
    {"KucukIkon", "Küçük ikon", "Küçük ikon", 0, "TB_SMALLICONS", kViewStyleGroup},
    {"Listele", "Listele", "Listele", 0, "TB_LIST", kViewStyleGroup},
    {"Detayli", "Detaylı", "Detaylı", 0, "TB_DETAILS", kViewStyleGroup, true},
    {"Bul", "Klasör ve Dosya Ara", "Klasör veya dosya bul", 0, "TB_SEARCH"},
    {"HedefKlasor", "Git", "Hedef Klasör", 0, "TB_GOTO"},
    // The tree's menu.
    {"KlasoruAc", "Aç", "", 0, "TB_OPEN"},
    {"ArsivKlasoruOl", "Arşiv klasörü ol", "", 0, "TB_ARCHIVE"},
    {"KlasorSil", "Klasör sil", "", 0, "TB_DELFOLDER"},
    {"KlasorAdiniDegistir", "Adını değiştir", "", 0, "TB_RENAME"},
    {"MasaustuneKisayol", "Masaüstüne kısayol", "", 0, "TB_SHORTCUT"},
};

} // namespace

void BindExplorerCommands(TForm1& form, tk::TActionList& actions) {
    actions.Load(kExplorerActions);
    auto run = [&actions](const char* name, std::function<void()> f) {
        actions.Get(name).OnExecute = std::move(f);
    };
    auto selected = [&form] { return form.FileListView1->SelectedIndex() >= 0; };
    auto whenSelected = [selected](tk::TAction& a) { a.SetEnabled(selected()); };
    TForm1* f = &form;

    run("UstKlasor", [f] {
        f->FileListView1->OneLevelUp();
        SetBtnMenuState(*f);
    });
    run("ArsivKlasoruneGit", [f] { GoToArchiveFolder(*f); });
    tk::TAction& tree = actions.Get("KlasorKutusu");
    tree.OnUpdate = [f](tk::TAction& a) { a.SetChecked(!f->DirTree1->Visible()); };
    tree.OnExecute = [f, &tree] {
        bool show = !f->DirTree1->Visible();
        f->DirTree1->SetVisible(show);
        f->ClickSplitter1->SetVisible(show);
        tree.Update();
    };
    run("Guncelle", [f] { f->Refresh(); });
    run("YeniDokuman", [f] { f->FileOperations1->NewDocument(); });
    run("Nitelik", [f, selected] {
        if (selected()) f->FileOperations1->ShowFileAttr();
    });
    run("KlasorEkle", [f] { f->FileListView1->NewFolder(); });
    run("YeniKlasor", [f, selected] {
        if (selected()) f->FileListView1->NewFolder();
    });
    run("Ac", [f] { f->FileListView1->OpenItem(); });
    run("Goruntule", [f, selected] {
        if (selected()) f->FileListView1->ViewFile();
    });
    run("Sil", [f, selected] {
        if (selected()) f->FileListView1->DeleteSelected();
    });
    run("AdiniDegistir", [f] { f->FileListView1->RenameSelected(); });
    for (const char* name : {"Ac", "Goruntule", "Sil", "AdiniDegistir", "Nitelik", "Kes", "Kopyala"})
        actions.Get(name).OnUpdate = whenSelected;

    // The list keeps its own clipboard; PasteAllowed is the window's record of it.
    auto cutCopy = [f](int mode) {
        f->FileListView1->CutCopy(mode);
        // A cut of nothing (only the parent row, say) leaves nothing to paste.
        f->PasteAllowed = !f->FileListView1->FileClipboard.empty();
        SetBtnMenuState(*f);
    };
    run("Kes", [cutCopy] { cutCopy(2); });
    run("Kopyala", [cutCopy] { cutCopy(0); });
    run("Yapistir", [f] {
        f->FileListView1->Paste();
        f->PasteAllowed = false;
        SetBtnMenuState(*f);
    });
    // A paste by the list's own key or menu, or a delete, empties its clipboard.
    actions.Get("Yapistir").OnUpdate = [f](tk::TAction& a) {
        a.SetEnabled(f->PasteAllowed && !f->FileListView1->FileClipboard.empty());
    };
    run("TumunuSec", [f] { f->FileListView1->SelectAll(); });

    const std::pair<const char*, explorer::TViewStyle> styles[] = {
        {"GenisIkon", explorer::TViewStyle::vsIcon},
        {"KucukIkon", explorer::TViewStyle::vsSmallIcon},
        {"Listele", explorer::TViewStyle::vsList},
        {"Detayli", explorer::TViewStyle::vsReport},
    };
    for (const auto& [name, style] : styles) {
        tk::TAction& action = actions.Get(name);
        action.OnExecute = [f, &action, style = style] {
            f->FileListView1->SetViewStyle(style);
            action.SetChecked(true); // its button goes down, the others of the group up
        };
    }
    run("Bul", [f] {
        f->FileListView1->SetFocus();
        f->FileListView1->FindFile();
    });
    run("HedefKlasor", [f] { GoToTypedFolder(*f); });

    run("KlasoruAc", [f] { ExecuteFile("Open", f->DirTree1->SelectedPath(), "", "", SW_SHOWNORMAL); });
    run("ArsivKlasoruOl", [f] { MakeArchiveFolder(*f); });
    run("KlasorSil", [f] {
        if (f->DirTree1->Selected()) f->DirTree1->DeleteNode(f->DirTree1->Selected());
    });
    run("KlasorAdiniDegistir", [f] {
        if (f->DirTree1->Selected()) f->DirTree1->EditText(f->DirTree1->Selected());
    });
    run("MasaustuneKisayol", [f] { MakeDesktopShortcut(*f); });
}

namespace {

// The first line of the archive file, when the file can be read.
std::optional<std::string> ArchiveLine(TForm1& form) {
    HANDLE h = CreateFileA(ArchiveFile(form).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    // Only the first line counts; a path is never longer than this.
    std::string content(4096, '\0');
    DWORD read = 0;
    if (!ReadFile(h, content.data(), static_cast<DWORD>(content.size()), &read, nullptr)) read = 0;
    CloseHandle(h);
    content.resize(read);
    return content.substr(0, content.find_first_of("\r\n"));
}

} // namespace

std::string ArchivedFolder(TForm1& form) {
    std::optional<std::string> line = ArchiveLine(form);
    return line && !line->empty() && explorer::FolderExists(*line) ? *line : std::string();
}

bool AktifKlasor(TForm1& form) {
    auto& tree = *form.DirTree1;
    const std::optional<std::string> read = ArchiveLine(form);
    if (!read) {
        const std::string file = ArchiveFile(form);
        WriteResult written = SafeWriteFile(file, tree.SelectedPath() + "\r\n");
        if (!written) {
            tk::ShowMessageBox(GetActiveWindow(), written.Text() + "\r\n" + file, "Error",
                               MB_OK | MB_ICONERROR);
            return false;
        }
        form.Session.ArchiveFolder = tree.SelectedPath();
        form.AloneString();
        form.Refresh();
        return true;
    }
    const std::string& line = *read;
    if (!line.empty() && explorer::FolderExists(line)) {
        tree.SetSelectedPath(line);
        tree.OpenPath(line);
        form.Session.ArchiveFolder = line;
    } else {
        form.Session.ArchiveFolder = "C:\\";
    }
    form.AloneString();
    form.Refresh();
    return true;
}

namespace {

// The archive commands open the archive folder's whole subtree: breadth first,
// at most this many folders, never through a junction or symbolic link (a Wine
// prefix's user folders lead into the home folder; Windows profiles hold
// junction loops), so that it ends within seconds on any disk (a folder costs
// about 10 ms under Wine).
constexpr int kArchiveExpansionFolders = 500;

void ExpandArchiveFolder(TForm1& form) {
    if (tk::TTreeNode selected = form.DirTree1->Selected())
        form.DirTree1->ExpandFolders(selected, kArchiveExpansionFolders);
}

} // namespace

void MakeArchiveFolder(TForm1& form) {
    DeleteFileA(ArchiveFile(form).c_str());
    form.DirTree1->FullCollapse();
    if (!AktifKlasor(form)) return;
    ExpandArchiveFolder(form);
}

void GoToArchiveFolder(TForm1& form) {
    form.DirTree1->FullCollapse();
    if (!AktifKlasor(form)) return;
    ExpandArchiveFolder(form);
}

void GoToTypedFolder(TForm1& form) {
    std::string text;
    if (!tk::CurrentDialogs().InputQuery({"Hedef Klasör", "Hedef klasörü girin"}, text)) text.clear();
    if (text.size() <= 1) return;
    text = explorer::AddSlash(text);
    if (explorer::FolderExists(text)) {
        form.FileListView1->SetDirectory(text);
        form.DirTree1->OpenPath(text);
    } else if (text.size() <= 3 && text[1] == ':') {
        tk::ShowError(os::AnsiUpperCase(text) + "  hazır değil");
    } else {
        tk::ShowError(text + "  bulunamadı");
    }
}

std::string MakeDesktopShortcut(TForm1& form) {
    const std::string target = form.DirTree1->SelectedPath();
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return {};
    std::string fileName;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        link->SetPath(target.c_str());
        char desktop[MAX_PATH] = {};
        if (SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE)) {
            size_t slash = target.find_last_of('\\');
            std::string last = slash == std::string::npos ? target : target.substr(slash + 1);
            fileName = std::string(desktop) + "\\" + last + " için velmora kısayol.lnk";
            wchar_t wide[MAX_PATH * 2] = {};
            MultiByteToWideChar(CP_ACP, 0, fileName.c_str(), -1, wide, MAX_PATH * 2);
            persist->Save(wide, FALSE);
        }
        persist->Release();
    }
    link->Release();
    return fileName;
}

void DrawTreeItem(TForm1& form, explorer::TTreeItemDraw& draw) {
    if (form.Session.ArchiveFolder.empty() || !draw.node) return;
    if (!SameFolder(form.DirTree1->GetPathFromNode(draw.node), form.Session.ArchiveFolder)) return;
    if (!form.ArchiveItemFont) form.ArchiveItemFont = tk::MakeFont("Tahoma", 8, true);
    draw.font = form.ArchiveItemFont.get();
    draw.textColor = draw.selected ? RGB(255, 255, 0) : RGB(0, 128, 0);
    form.SetTreeHint(draw.selected ? "Arşiv Klasörü Seçili." : "");
}

LRESULT DrawListItem(TForm1& form, const explorer::TFileListRow& row, NMLVCUSTOMDRAW& draw) {
    // The listing found the folder's web page; its picture says so too.
    if (!row.pageFolder) return CDRF_DODEFAULT;
    if (!form.HtmlFolderFont) form.HtmlFolderFont = tk::MakeFont("Tahoma", 8);
    SelectObject(draw.nmcd.hdc, form.HtmlFolderFont.get());
    draw.clrText = RGB(192, 192, 192);
    return CDRF_NEWFONT;
}

} // namespace velmora::app
