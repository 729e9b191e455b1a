#include "explorer/file_operations.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "base/os.h"
#include "base/read_file.h"
#include "explorer/file_dialogs.h"
#include "explorer/file_operations_core.h"
#include "explorer/path_utils.h"
#include "explorer/shell_utils.h"
#include "toolkit/application.h"
#include "toolkit/clipboard.h"
#include "toolkit/dialogs.h"
#include "toolkit/exceptions.h"
#include "toolkit/gdi.h"
#include "toolkit/rich_edit.h"

namespace velmora::explorer {

namespace {

// Content sent to the clipboard is read whole: a bound keeps a huge file from
// taking all memory.
constexpr int64_t kMaxContentBytes = 32 * 1024 * 1024;

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && os::AnsiUpperCase(a) == os::AnsiUpperCase(b);
}

// True when `path` is `folder` or lies below it.
bool InsideFolder(const std::string& path, const std::string& folder) {
    std::string prefix = os::AnsiUpperCase(AddSlash(folder));
    return os::AnsiUpperCase(AddSlash(path)).compare(0, prefix.size(), prefix) == 0;
}

// The toolkit's plain message: the application's title, no icon, OK.
void ReportUnsafePath(const std::string& path) {
    tk::ShowError("HATA - Geçersiz yol\r" + path);
}

std::string SystemErrorText(DWORD code) {
    char* buffer = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n && buffer ? std::string(buffer, n) : "I/O error " + std::to_string(code);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

// A row that stands for an entry of the listed folder (not the parent's " .."
// row, not a drive).
bool NamesOwnEntry(const TFileListRow& row) {
    const std::string& kind = row.cells[cellKind];
    if (kind != "file" && kind != "dir") return false;
    if (row.caption == " ..") return false;
    const std::string name = NamePart(row.cells[cellPath]);
    return !name.empty() && name != "." && name != "..";
}

// A parameter with spaces reaches the program as one argument.
std::string QuotedIfSpaced(const std::string& parameter) {
    return parameter.find(' ') == std::string::npos ? parameter : "\"" + parameter + "\"";
}

std::wstring AddWideSlash(const std::wstring& path) {
    return path.empty() || path.back() == L'\\' ? path : path + L'\\';
}

// A file's bytes for the clipboard; one that cannot be read whole is an error.
std::string ReadContent(const std::string& path) {
    ReadResult read = ReadWholeFile(path, kMaxContentBytes);
    switch (read.failure) {
    case ReadFailure::None:
        return std::move(read.bytes);
    case ReadFailure::CannotOpen:
        // The open's own reason: nothing ran since it failed.
        throw tk::Exception(SystemErrorText(GetLastError()));
    case ReadFailure::TooLarge:
        throw tk::Exception("File too large");
    case ReadFailure::ReadFailed:
        break;
    }
    throw tk::Exception("Dosya okunamadı: " + path);
}

// A Windows metafile, with or without the placeable header, as an enhanced one.
HENHMETAFILE LoadMetafile(const std::string& path) {
    std::string data = ReadContent(path);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data.data());
    size_t skip = 0;
    if (data.size() >= 22 && bytes[0] == 0xD7 && bytes[1] == 0xCD && bytes[2] == 0xC6 && bytes[3] == 0x9A)
        skip = 22;
    if (data.size() <= skip + 18) return nullptr;
    return SetWinMetaFileBits(static_cast<UINT>(data.size() - skip), bytes + skip, nullptr, nullptr);
}

} // namespace

// ---- shared routines

bool FolderCopyMove(const std::string& source, const std::string& targetFolder, int mode, unsigned options,
                    HWND owner) {
    if (!FolderExists(source)) return false;
    try {
        const std::wstring from = LongWidePath(DelSlash(source));
        const std::wstring name = from.substr(from.find_last_of(L'\\') + 1);
        // No trailing "\" but after a drive ("C:" alone is that drive's current folder).
        const std::wstring folder =
            LongWidePath(targetFolder.size() > 3 ? DelSlash(targetFolder) : AddSlash(targetFolder));
        if (name.empty() || folder.empty()) return false;
        // The new folder's full name: given only the target folder, some shells
        // pour the folder's content into it instead of copying the folder. A
        // folder of that name that is there already is the shell's to merge
        // with (and to ask about): named in full, it would get the copy inside.
        const std::wstring named = AddWideSlash(folder) + name;
        const bool merge = GetFileAttributesW(named.c_str()) != INVALID_FILE_ATTRIBUTES;
        FILEOP_FLAGS flags = FOF_ALLOWUNDO;
        if (options & fcRenameOnCollision) flags |= FOF_RENAMEONCOLLISION;
        if (options & fcNoConfirmation) flags |= FOF_NOCONFIRMATION;
        if (options & fcSilent) flags |= FOF_SILENT;
        if (options & fcSimpleProgress) flags |= FOF_SIMPLEPROGRESS;
        auto run = [&](UINT function, const std::wstring& what, const std::wstring& to, FILEOP_FLAGS f) {
            return ShellFileOperation(owner, function, what, to, f);
        };
        if (!merge || (flags & FOF_RENAMEONCOLLISION))
            return run(mode == 2 ? FO_MOVE : FO_COPY, from, merge ? folder : named, flags);
        if (!run(FO_COPY, from, folder, flags)) return false;
        // A move onto a folder of the same name is a merge, which not every
        // shell moves: the copy, then the source into the recycle bin once
        // all of it was copied.
        if (mode != 2) return true;
        return run(FO_DELETE, from, std::wstring(),
                   FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING | FOF_SILENT);
    } catch (const std::exception&) {
        return false;
    }
}

std::string ResolveLink(const std::string& linkPath) {
    std::string result;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))) ||
        !link)
        return result;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) && file) {
        wchar_t wide[MAX_PATH * 2] = {};
        if (MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH * 2) > 0 &&
            SUCCEEDED(file->Load(wide, STGM_READ))) {
            tk::TForm* main = tk::Application().MainForm();
            // No search dialog of the shell for a moved target: that would be
            // a modal box nobody asked for.
            if (SUCCEEDED(link->Resolve(main ? main->Handle() : nullptr, SLR_ANY_MATCH | SLR_NO_UI))) {
                // The target as the link holds it: a path the code page cannot
                // spell would come back with look-alike letters, naming
                // something else, so it gives no target at all.
                IShellLinkW* wideLink = nullptr;
                if (SUCCEEDED(link->QueryInterface(IID_IShellLinkW, reinterpret_cast<void**>(&wideLink))) &&
                    wideLink) {
                    wchar_t target[MAX_PATH + 1] = {};
                    if (SUCCEEDED(wideLink->GetPath(target, MAX_PATH, nullptr, 0))) {
                        char path[MAX_PATH * 2] = {};
                        BOOL unspellable = FALSE;
                        int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, target, -1, path,
                                                    sizeof path, "?", &unspellable);
                        if (n > 0 && !unspellable && std::strlen(path) <= MAX_PATH) result = path;
                    }
                    wideLink->Release();
                }
            }
        }
        file->Release();
    }
    link->Release();
    return result;
}

// ---- the operations

TFileOperations::TFileOperations(TFileListView& list) : list_(list) {
    list_.SetFileOperations(this);
}

TFileOperations::~TFileOperations() {
    if (list_.FileOperations() == this) list_.SetFileOperations(nullptr);
}

HWND TFileOperations::OwnerWindow() const {
    return list_.Handle() ? GetAncestor(list_.Handle(), GA_ROOT) : nullptr;
}

std::vector<int> TFileOperations::SelectedRows() const {
    std::vector<int> rows;
    const int first = list_.SelectedIndex();
    if (first < 0) return rows;
    for (int i = first; i < list_.RowCount(); ++i)
        if (list_.IsSelected(i)) rows.push_back(i);
    return rows;
}

std::vector<std::string> TFileOperations::OperablePaths() const {
    std::vector<std::string> paths;
    for (int i : SelectedRows()) {
        const TFileListRow& row = list_.Row(i);
        if (!NamesOwnEntry(row)) continue;
        const std::string& path = row.cells[cellPath];
        if (!IsShellSafePath(path)) {
            ReportUnsafePath(path);
            continue;
        }
        paths.push_back(path);
    }
    return paths;
}

int TFileOperations::FirstOperableRow() const {
    for (int i : SelectedRows()) {
        const TFileListRow& row = list_.Row(i);
        if (NamesOwnEntry(row) && IsShellSafePath(row.cells[cellPath])) return i;
    }
    return -1;
}

void TFileOperations::CutCopy(TClipboardMode mode) {
    list_.ClipboardMode = TClipboardMode::cmFilling;
    list_.FileClipboard = OperablePaths();
    list_.ClipboardMode = mode;
}

void TFileOperations::Paste() {
    tk::Hourglass wait;
    if (!SetCurrentDirectoryA(list_.Directory().c_str())) return;
    if (list_.FileClipboard.empty()) {
        tk::ShowPlainMessage("Seçilen dosya(lar) yok");
        return;
    }
    const std::vector<std::string> entries = list_.FileClipboard;
    // The shell's operation: 2 moves, 0 copies.
    const int mode = list_.ClipboardMode == TClipboardMode::cmCut ? 2 : 0;
    const std::string folder = AddSlash(list_.Directory());
    struct Finish {
        TFileOperations& self;
        ~Finish() {
            self.list_.UpdateFileList();
            self.list_.FileClipboard.clear();
        }
    } finish{*this};
    for (const std::string& entry : entries) {
        if (!IsShellSafePath(entry)) {
            ReportUnsafePath(entry);
            continue;
        }
        const std::string target = folder + NamePart(entry);
        if (SameText(target, entry)) continue; // already here: nothing to copy or move
        if (FolderExists(entry)) {
            if (InsideFolder(folder, entry)) {
                // Into itself: the copy would never end.
                tk::ShowError("HATA - Klasör kendi içine kopyalanamaz\r" + entry);
                continue;
            }
            // The shell asks before it overwrites when the user wants to be asked.
            const bool moved = FolderCopyMove(entry, DelSlash(folder), mode, confirm_ ? 0u : fcNoConfirmation,
                                              OwnerWindow()) &&
                               mode == 2;
            if (moved && list_.OnPathMoved) list_.OnPathMoved(entry, target);
            list_.UpdateFileList();
        } else {
            const bool done =
                ShellCopyInto(OwnerWindow(), mode == 2 ? FO_MOVE : FO_COPY, entry, folder, confirm_);
            if (done && mode == 2 && list_.OnPathMoved) list_.OnPathMoved(entry, target);
        }
    }
}

void TFileOperations::DeleteSelected() {
    tk::Hourglass wait;
    if (!SetCurrentDirectoryA(list_.Directory().c_str())) return;
    list_.FileClipboard = OperablePaths();
    struct Finish {
        TFileOperations& self;
        ~Finish() {
            TFileListView& list = self.list_;
            list.UpdateFileList();
            list.FileClipboard.clear();
            if (IDirTreeLink* tree = list.DirTree()) {
                tree->ReloadTree();
                tree->OpenPath(list.Directory());
            }
        }
    } finish{*this};
    const std::vector<std::string> entries = list_.FileClipboard;
    for (const std::string& entry : entries)
        ShellFileOperation(OwnerWindow(), FO_DELETE, entry, std::string(), confirm_);
}

void TFileOperations::RenameSelected() {
    const int index = list_.SelectedIndex();
    if (index < 0 || index >= list_.RowCount()) return;
    const TFileListRow& row = list_.Row(index);
    if (!NamesOwnEntry(row)) return;
    if (row.cells[cellAttributes].find('R') != std::string::npos) {
        tk::ShowPlainMessage("Saltokunur");
        return;
    }
    if (!IsShellSafePath(row.cells[cellPath])) {
        ReportUnsafePath(row.cells[cellPath]);
        return;
    }
    renameSource_ = row.cells[cellPath];
    list_.SetFocus();
    SendMessageA(list_.Handle(), LVM_EDITLABELA, index, 0);
}

bool TFileOperations::CanEdit(int row) {
    if (row < 0 || row >= list_.RowCount()) return false;
    const TFileListRow& entry = list_.Row(row);
    if (!NamesOwnEntry(entry) || !IsShellSafePath(entry.cells[cellPath])) return false;
    renameSource_ = entry.cells[cellPath];
    return true;
}

bool TFileOperations::Edit(int row, const std::string& newCaption) {
    const std::string source = renameSource_;
    renameSource_.clear();
    if (source.empty() || row < 0 || row >= list_.RowCount()) return false;
    const bool isFolder = FolderExists(source);
    const std::string name = RenamedName(NamePart(source), newCaption, list_.HideFileExt());
    if (!IsValidEntryName(name)) {
        MessageBeep(MB_ICONHAND);
        if (!newCaption.empty()) tk::ShowError("HATA - Geçersiz dosya adı\r" + newCaption);
        return false;
    }
    const std::string target = FolderPart(source) + name;
    if (SameText(target, source)) return false; // unchanged, or only its letter case
    tk::Hourglass wait;
    {
        tk::RedrawGuard noRedraw(list_.Handle());
        // A taken name is not renamed onto: the list shows the old name again.
        if (!PathExists(target) && ShellFileOperation(OwnerWindow(), FO_RENAME, source, target, confirm_) &&
            list_.OnPathMoved)
            list_.OnPathMoved(source, target);
        list_.UpdateFileList();
    }
    if (isFolder) {
        if (IDirTreeLink* tree = list_.DirTree()) {
            tree->ReloadTree();
            tree->OpenPath(FolderPart(source));
        }
    }
    // The rows were listed again and show the names on disk.
    return false;
}

void TFileOperations::CreateEntry(bool document) {
    if (list_.IsDrivesView()) return; // no folder to create anything in
    const std::string folder = AddSlash(list_.Directory());
    if (!FolderExists(folder)) return;
    auto taken = [&folder](const std::string& name) { return PathExists(folder + name); };
    const std::string name = document ? FreeDocumentName(taken) : FreeFolderName(taken);
    if (name.empty()) return;
    const std::string path = folder + name;
    if (document) {
        // Never over an entry that appeared meanwhile.
        tk::OwnedHandle file(
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) throw tk::Exception(SystemErrorText(GetLastError()));
        const DWORD size = static_cast<DWORD>(std::strlen(kNewDocumentText));
        DWORD written = 0;
        if (!WriteFile(file.get(), kNewDocumentText, size, &written, nullptr) || written != size) {
            DWORD error = GetLastError();
            file.reset();
            DeleteFileA(path.c_str());
            throw tk::Exception(SystemErrorText(error));
        }
    } else {
        CreateDirectoryA(path.c_str(), nullptr); // a failure shows as no new row
        if (IDirTreeLink* tree = list_.DirTree()) {
            tree->ReloadTree();
            tree->OpenPath(folder);
        }
    }
    list_.UpdateFileList();
    int found = -1;
    for (int i = 0; i < list_.RowCount() && found < 0; ++i)
        if (SameText(list_.Row(i).cells[cellPath], path)) found = i;
    if (found < 0) return;
    list_.SetSelectedFile(path);
    list_.SetSelected(-1, false);
    list_.SetSelected(found, true);
    list_.SetFocusedIndex(found);
    SendMessageA(list_.Handle(), LVM_ENSUREVISIBLE, found, FALSE);
    list_.SetFocus();
    RenameSelected();
}

void TFileOperations::NewFolder() {
    CreateEntry(false);
}

void TFileOperations::NewDocument() {
    CreateEntry(true);
}

void TFileOperations::ShowFileAttr() {
    const int index = FirstOperableRow();
    if (index < 0) return;
    const std::string path = list_.Row(index).cells[cellPath];
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    TFileAttrDialog dialog(NamePart(path), attributes);
    if (dialog.ShowModal() != IDOK) return;
    const uint32_t result = dialog.Attributes();
    if (result != attributes) {
        // Only the bits a program may set; none left is a plain file.
        constexpr DWORD settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY |
                                   FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        DWORD set = result & settable;
        SetFileAttributesA(path.c_str(), set ? set : FILE_ATTRIBUTE_NORMAL);
    }
    list_.UpdateFileList();
}

void TFileOperations::ViewFile() {
    const int index = list_.SelectedIndex();
    if (index < 0 || index >= list_.RowCount()) return;
    const TFileListRow& row = list_.Row(index);
    if (row.cells[cellKind] != "file" || !NamesOwnEntry(row)) return;
    const std::string path = row.cells[cellPath];
    const std::string program = ViewerProgramFor(UpperExtension(path));
    if (program.empty()) return;
    char folder[MAX_PATH + 1] = {};
    UINT n = GetWinVersion() == "NT" ? GetSystemDirectoryA(folder, MAX_PATH)
                                     : GetWindowsDirectoryA(folder, MAX_PATH);
    if (n == 0 || n > MAX_PATH) return;
    ExecuteFile("Open", AddSlash(folder) + program, QuotedIfSpaced(NamePart(path)), FolderPart(path),
                SW_SHOW);
}

void TFileOperations::FindFile() {
    if (!list_.Handle() || GetFocus() != list_.Handle()) return;
    ExecuteFile("Find", list_.Directory(), "", "", SW_SHOWNORMAL);
}

void TFileOperations::SendTo(int kind) {
    if (kind == 0) {
        const std::string folder = AskSendFolder();
        if (!folder.empty()) CopyToFolder(folder);
        return;
    }
    if (kind == 2) {
        std::string text;
        for (int i : SelectedRows()) {
            const TFileListRow& row = list_.Row(i);
            if (row.caption == " ..") continue;
            if (!text.empty()) text += "\r\n";
            text += row.cells[cellPath];
        }
        if (!text.empty()) tk::SetClipboardText(text);
        return;
    }
    if (kind != 1) return;
    const int index = FirstOperableRow();
    if (index < 0 || list_.Row(index).cells[cellKind] != "file") return;
    const std::string path = list_.Row(index).cells[cellPath];
    const std::string extension = UpperExtension(path);
    if (extension == ".BMP") {
        tk::BitmapHandle bitmap(static_cast<HBITMAP>(
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
        if (!bitmap) throw tk::Exception("Bitmap image is not valid");
        tk::TClipboard clipboard(OwnerWindow());
        clipboard.SetBitmap(bitmap.get());
        return;
    }
    if (extension == ".WMF") {
        HENHMETAFILE metafile = LoadMetafile(path);
        if (!metafile) throw tk::Exception("Metafile is not valid");
        {
            tk::TClipboard clipboard(OwnerWindow());
            clipboard.SetMetafile(metafile);
        }
        DeleteEnhMetaFile(metafile);
        return;
    }
    tk::Hourglass wait;
    const std::string data = ReadContent(path);
    tk::TRichEdit::Params p;
    p.parent = &list_;
    p.visible = false;
    p.bounds = RECT{0, 0, 100, 100};
    tk::TRichEdit editor(p);
    if (extension == ".RTF") {
        if (!editor.SetRtf(data)) editor.SetPlainText(data);
    } else {
        editor.SetPlainText(data);
    }
    editor.SelectAll();
    editor.CopyToClipboard();
}

void TFileOperations::SendToTarget(const std::string& targetPath) {
    if (list_.SelectedIndex() < 0) return;
    if (UpperExtension(targetPath) == ".LNK") {
        const std::string target = ResolveLink(targetPath);
        if (target.empty()) return;
        if (GetDriveTypeA(target.substr(0, 3).c_str()) == DRIVE_REMOVABLE) {
            CopyToDrive(target);
        } else if (FolderExists(target)) {
            CopyToFolder(target);
        } else {
            // A program: it gets the first selected entry.
            const int index = FirstOperableRow();
            if (index < 0) return;
            const std::string path = list_.Row(index).cells[cellPath];
            ExecuteFile("Open", target, QuotedIfSpaced(NamePart(path)), FolderPart(path), SW_SHOW);
        }
    } else if (FolderExists(targetPath)) {
        CopyToFolder(targetPath);
    }
}

void TFileOperations::CopyToFolder(const std::string& folder) {
    if (!SetCurrentDirectoryA(list_.Directory().c_str())) return;
    if (!IsShellSafePath(folder)) {
        ReportUnsafePath(folder);
        return;
    }
    tk::Hourglass wait;
    list_.FileClipboard = OperablePaths();
    struct Finish {
        TFileListView& list;
        ~Finish() { list.FileClipboard.clear(); }
    } finish{list_};
    const std::vector<std::string> entries = list_.FileClipboard;
    for (const std::string& entry : entries) {
        const std::string target = JoinPath(folder, NamePart(entry));
        if (SameText(target, entry)) continue;
        if (FolderExists(entry) && InsideFolder(folder, entry)) {
            tk::ShowError("HATA - Klasör kendi içine kopyalanamaz\r" + entry);
            continue;
        }
        ShellCopyInto(OwnerWindow(), FO_COPY, entry, folder, confirm_);
    }
}

void TFileOperations::CopyToDrive(const std::string& folder) {
    tk::Hourglass wait;
    if (folder.empty()) return;
    if (DriveReady(folder[0], true)) CopyToFolder(folder);
}

} // namespace velmora::explorer
