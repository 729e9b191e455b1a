#include "explorer/explorer_actions.h"

#include <shlobj.h>

#include <optional>
#include <vector>

#include "base/number_format.h"
#include "base/os.h"
#include "base/safe_write.h"
#include "explorer/file_operations_core.h"
#include "explorer/path_utils.h"
#include "explorer/shell_utils.h"
#include "toolkit/dialogs.h"

namespace velmora::explorer {

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

namespace {

using tk::scCtrl;
using tk::ShortCut;

constexpr int kViewStyleGroup = 2, kTreeGroup = 3;

// The window's tool bar and menus show these.
const std::vector<tk::ActionRow> kWindowActions = {
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

// The file list's context menu (its items keep their own pictures) and keys.
// No shortcuts: the list's keys are its own, not the window's.
const std::vector<tk::ActionRow> kFileListActions = {
    {"ItemOpen", "&Aç"},
    {"ItemView", "&Görüntüle"},
    {"SubMenuSend", "Gön&der"},
    {"Send_To0", "İstenen Klasö&re ..."},
    {"Send_To1", "İçer&ik olarak"},
    {"Send_To2", "Dosya Adı &olarak"},
    {"ItemOpCut", "K&es"},
    {"ItemOpCopy", "&Kopyala"},
    {"ItemOpPaste", "&Yapıştır"},
    {"ItemRename", "Adını Değiş&tir"},
    {"ItemDelete", "&Sil"},
    {"ItemFileAttr", "&Nitelik ..."},
    {"ItemFolder", "&Yeni K&lasör ..."},
    {"ItemDoc", "&Yeni Döküman"},
    {"ListeyiGuncelle", ""},
};

// What the file list's menu looks at.
FileListMenuEnabling FileListState(TFileListView& list) {
    FileListMenuContext context;
    for (int i = list.SelectedIndex(); i >= 0 && i < list.RowCount(); ++i)
        if (list.IsSelected(i)) ++context.selectedCount;
    const int first = list.SelectedIndex();
    if (first >= 0 && first < list.RowCount())
        context.extension = UpperExtension(list.Row(first).cells[cellPath]);
    context.drivesView = list.IsDrivesView();
    context.clipboardFilled = !list.FileClipboard.empty();
    return FileListMenuState(context);
}

bool SameFolder(const std::string& a, const std::string& b) {
    return !a.empty() && !b.empty() && lstrcmpiA(AddSlash(a).c_str(), AddSlash(b).c_str()) == 0;
}

// The archive commands open the archive folder's whole subtree: breadth first,
// at most this many folders, never through a junction or symbolic link (a Wine
// prefix's user folders lead into the home folder; Windows profiles hold
// junction loops), so that it ends within seconds on any disk (a folder costs
// about 10 ms under Wine).
constexpr int kArchiveExpansionFolders = 500;

} // namespace

TExplorerCommands::TExplorerCommands(IExplorerHost& host) : host_(host) {}

void TExplorerCommands::Bind(tk::TActionList& actions) {
    actions.Load(kWindowActions);
    actions.Load(kFileListActions);
    IExplorerHost& h = host_;
    auto run = [&actions](const char* name, std::function<void()> f) {
        actions.Get(name).OnExecute = std::move(f);
    };
    auto enable = [&actions](const char* name, std::function<bool()> when) {
        actions.Get(name).OnUpdate = [when = std::move(when)](tk::TAction& a) { a.SetEnabled(when()); };
    };
    auto selected = [&h] { return h.List().SelectedIndex() >= 0; };

    // ---- the window's file commands
    run("UstKlasor", [this, &h] {
        h.List().OneLevelUp();
        SetBtnMenuState();
    });
    run("ArsivKlasoruneGit", [this] { GoToArchiveFolder(); });
    tk::TAction& tree = actions.Get("KlasorKutusu");
    tree.OnUpdate = [&h](tk::TAction& a) { a.SetChecked(!h.Tree().Visible()); };
    tree.OnExecute = [&h, &tree] {
        h.ShowTree(!h.Tree().Visible());
        tree.Update();
    };
    run("Guncelle", [this] { Refresh(); });
    run("YeniDokuman", [&h] { h.Operations().NewDocument(); });
    run("KlasorEkle", [&h] { h.List().NewFolder(); });
    // The menu's item stays enabled; it acts only on a selection.
    run("YeniKlasor", [&h, selected] {
        if (selected()) h.List().NewFolder();
    });
    run("Ac", [&h] { h.List().OpenItem(); });
    run("Goruntule", [&h] { h.List().ViewFile(); });
    run("Sil", [&h] { h.List().DeleteSelected(); });
    run("AdiniDegistir", [&h] { h.List().RenameSelected(); });
    run("Nitelik", [&h] { h.Operations().ShowFileAttr(); });
    for (const char* name : {"Ac", "Goruntule", "Sil", "AdiniDegistir", "Nitelik", "Kes", "Kopyala"})
        enable(name, selected);

    // The list keeps its own clipboard; PasteAllowed is the window's record of it.
    auto cutCopy = [this, &h](TClipboardMode mode) {
        h.List().CutCopy(mode);
        // A cut of nothing (only the parent row, say) leaves nothing to paste.
        PasteAllowed = !h.List().FileClipboard.empty();
        SetBtnMenuState();
    };
    run("Kes", [cutCopy] { cutCopy(TClipboardMode::cmCut); });
    run("Kopyala", [cutCopy] { cutCopy(TClipboardMode::cmCopy); });
    run("Yapistir", [this, &h] {
        h.List().Paste();
        PasteAllowed = false;
        SetBtnMenuState();
    });
    // A paste by the list's own key or menu, or a delete, empties its clipboard.
    enable("Yapistir", [this, &h] { return PasteAllowed && !h.List().FileClipboard.empty(); });
    run("TumunuSec", [&h] { h.List().SelectAll(); });

    const std::pair<const char*, TViewStyle> styles[] = {
        {"GenisIkon", TViewStyle::vsIcon},
        {"KucukIkon", TViewStyle::vsSmallIcon},
        {"Listele", TViewStyle::vsList},
        {"Detayli", TViewStyle::vsReport},
    };
    for (const auto& [name, style] : styles) {
        tk::TAction& action = actions.Get(name);
        action.OnExecute = [&h, &action, style = style] {
            h.List().SetViewStyle(style);
            action.SetChecked(true); // its button goes down, the others of the group up
        };
    }
    run("Bul", [&h] {
        h.List().SetFocus();
        h.List().FindFile();
    });
    run("HedefKlasor", [this] { GoToTypedFolder(); });

    // ---- the tree's menu
    run("KlasoruAc", [&h] { ExecuteFile("Open", h.Tree().SelectedPath(), "", "", SW_SHOWNORMAL); });
    run("ArsivKlasoruOl", [this] { MakeArchiveFolder(); });
    run("KlasorSil", [&h] {
        if (h.Tree().Selected()) h.Tree().DeleteNode(h.Tree().Selected());
    });
    run("KlasorAdiniDegistir", [&h] {
        if (h.Tree().Selected()) h.Tree().EditText(h.Tree().Selected());
    });
    run("MasaustuneKisayol", [this] { MakeDesktopShortcut(); });

    // ---- the file list's context menu: enabled for the selection
    struct ListRule {
        const char* name;
        bool FileListMenuEnabling::*enabled;
    };
    const ListRule rules[] = {
        {"ItemOpen", &FileListMenuEnabling::open},
        {"ItemView", &FileListMenuEnabling::view},
        {"SubMenuSend", &FileListMenuEnabling::send},
        {"ItemOpCut", &FileListMenuEnabling::cut},
        {"ItemOpCopy", &FileListMenuEnabling::copy},
        {"ItemOpPaste", &FileListMenuEnabling::paste},
        {"ItemRename", &FileListMenuEnabling::rename},
        {"ItemDelete", &FileListMenuEnabling::remove},
        {"ItemFileAttr", &FileListMenuEnabling::attributes},
        {"ItemFolder", &FileListMenuEnabling::newFolder},
        {"ItemDoc", &FileListMenuEnabling::newDocument},
        {"Send_To0", &FileListMenuEnabling::sendToFolder},
        {"Send_To1", &FileListMenuEnabling::sendAsContent},
        {"Send_To2", &FileListMenuEnabling::sendAsNames},
    };
    for (const ListRule& rule : rules)
        actions.Get(rule.name).OnUpdate = [&h, enabled = rule.enabled](tk::TAction& a) {
            a.SetEnabled(FileListState(h.List()).*enabled);
        };
    run("ItemOpen", [&h] { h.List().OpenItem(); });
    run("ItemView", [&h] { h.Operations().ViewFile(); });
    run("ItemOpCut", [&h] { h.List().CutCopy(TClipboardMode::cmCut); });
    run("ItemOpCopy", [&h] { h.List().CutCopy(TClipboardMode::cmCopy); });
    run("ItemOpPaste", [&h] { h.List().Paste(); });
    run("ItemRename", [&h] { h.List().RenameSelected(); });
    run("ItemDelete", [&h] { h.List().DeleteSelected(); });
    run("ItemFileAttr", [&h] { h.Operations().ShowFileAttr(); });
    run("ItemFolder", [&h] { h.List().NewFolder(); });
    run("ItemDoc", [&h] { h.Operations().NewDocument(); });
    for (int kind = 0; kind <= 2; ++kind)
        run(("Send_To" + std::to_string(kind)).c_str(), [&h, kind] { h.Operations().SendTo(kind); });
    run("ListeyiGuncelle", [&h] { h.List().UpdateFileList(); });
}

// ---- status line

void TExplorerCommands::GetStatistics() {
    TFileListView& list = host_.List();
    host_.SetStatusText(0, "");
    host_.SetStatusText(1, "");
    const bool selected = list.SelectedIndex() >= 0;
    host_.SetStatusText(0, StatisticsCountText(list.RowCount(), selected, list.SelectedNumber()));
    host_.SetStatusText(1, StatisticsSizeText(selected, list.SelectedSize(), list.DriveFreeSpace(),
                                              os::ThousandSeparator(), os::DecimalSeparator()));
}

void TExplorerCommands::SetBtnMenuState() {
    GetStatistics();
}

void TExplorerCommands::Refresh() {
    TDirTree& tree = host_.Tree();
    TFileListView& list = host_.List();
    if (!StartingUp) tree.ReloadTree();
    // The create step opened the tree just now: the show step's refresh keeps it.
    if (!StartingUp || !tree.IsOpenAt(tree.SelectedPath())) tree.OpenPath(tree.SelectedPath());
    // The setter lists a new folder itself; only an unchanged one is listed again.
    const std::string before = list.Directory();
    list.SetDirectory(tree.SelectedPath());
    if (!StartingUp && list.Directory() == before) list.UpdateFileList();
}

// ---- the archive folder

std::string TExplorerCommands::ArchiveFile() const {
    return host_.AppFolder() + "ini\\aktif.ini";
}

namespace {

// The first line of the archive file, when the file can be read.
std::optional<std::string> ArchiveLine(const std::string& file) {
    HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
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

std::string TExplorerCommands::ArchivedFolder() const {
    std::optional<std::string> line = ArchiveLine(ArchiveFile());
    return line && !line->empty() && FolderExists(*line) ? *line : std::string();
}

bool TExplorerCommands::AktifKlasor() {
    TDirTree& tree = host_.Tree();
    const std::optional<std::string> read = ArchiveLine(ArchiveFile());
    if (!read) {
        const std::string file = ArchiveFile();
        WriteResult written = SafeWriteFile(file, tree.SelectedPath() + "\r\n");
        if (!written) {
            tk::ShowMessageBox(GetActiveWindow(), written.Text() + "\r\n" + file, "Error",
                               MB_OK | MB_ICONERROR);
            return false;
        }
        host_.SetArchiveFolder(tree.SelectedPath());
        host_.AloneString();
        Refresh();
        return true;
    }
    const std::string& line = *read;
    if (!line.empty() && FolderExists(line)) {
        if (!StartingUp || !tree.IsOpenAt(line)) {
            tree.SetSelectedPath(line);
            tree.OpenPath(line);
        }
        host_.SetArchiveFolder(line);
    } else {
        host_.SetArchiveFolder("C:\\");
    }
    host_.AloneString();
    Refresh();
    return true;
}

void TExplorerCommands::ExpandArchiveFolder() {
    if (tk::TTreeNode selected = host_.Tree().Selected())
        host_.Tree().ExpandFolders(selected, kArchiveExpansionFolders);
}

void TExplorerCommands::MakeArchiveFolder() {
    DeleteFileA(ArchiveFile().c_str());
    host_.Tree().FullCollapse();
    if (!AktifKlasor()) return;
    ExpandArchiveFolder();
}

void TExplorerCommands::GoToArchiveFolder() {
    host_.Tree().FullCollapse();
    if (!AktifKlasor()) return;
    ExpandArchiveFolder();
}

// ---- the jump to a typed folder, the desktop shortcut

void TExplorerCommands::GoToTypedFolder() {
    std::string text;
    if (!tk::CurrentDialogs().InputQuery({"Hedef Klasör", "Hedef klasörü girin"}, text)) text.clear();
    if (text.size() <= 1) return;
    text = AddSlash(text);
    if (FolderExists(text)) {
        host_.List().SetDirectory(text);
        host_.Tree().OpenPath(text);
    } else if (text.size() <= 3 && text[1] == ':') {
        tk::ShowError(os::AnsiUpperCase(text) + "  hazır değil");
    } else {
        tk::ShowError(text + "  bulunamadı");
    }
}

std::string TExplorerCommands::MakeDesktopShortcut() {
    const std::string target = host_.Tree().SelectedPath();
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

// ---- item drawing

void TExplorerCommands::SetTreeHint(const std::string& hint) {
    // Asked for at every drawing of the archive item: the tooltip changes only
    // when the text does, and after the tree's paint.
    host_.Tree().SetHintLater(hint);
}

void TExplorerCommands::DrawTreeItem(TTreeItemDraw& draw) {
    const std::string archive = host_.ArchiveFolder();
    if (archive.empty() || !draw.node) return;
    if (!SameFolder(host_.Tree().GetPathFromNode(draw.node), archive)) return;
    if (!archiveItemFont_) archiveItemFont_ = tk::MakeFont("Tahoma", 8, true);
    draw.font = archiveItemFont_.get();
    draw.textColor = draw.selected ? RGB(255, 255, 0) : RGB(0, 128, 0);
    SetTreeHint(draw.selected ? "Arşiv Klasörü Seçili." : "");
}

LRESULT TExplorerCommands::DrawListItem(const TFileListRow& row, NMLVCUSTOMDRAW& draw) {
    // The listing found the folder's web page; its picture says so too.
    if (!row.pageFolder) return CDRF_DODEFAULT;
    if (!htmlFolderFont_) htmlFolderFont_ = tk::MakeFont("Tahoma", 8);
    SelectObject(draw.nmcd.hdc, htmlFolderFont_.get());
    draw.clrText = RGB(192, 192, 192);
    return CDRF_NEWFONT;
}

} // namespace velmora::explorer
