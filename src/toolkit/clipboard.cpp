#include "toolkit/clipboard.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "toolkit/gdi.h"

namespace tk {

namespace {

// The program's text is in code page 1254: the Turkish locale says so.
const LCID kTurkishLocale = MAKELCID(MAKELANGID(LANG_TURKISH, SUBLANG_DEFAULT), SORT_DEFAULT);

// Global memory owned until the clipboard takes it.
class GlobalMemory {
public:
    explicit GlobalMemory(size_t size) : handle_(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size)) {}
    ~GlobalMemory() {
        if (handle_) GlobalFree(handle_);
    }
    GlobalMemory(const GlobalMemory&) = delete;
    GlobalMemory& operator=(const GlobalMemory&) = delete;
    HGLOBAL Get() const { return handle_; }
    HGLOBAL Release() {
        HGLOBAL h = handle_;
        handle_ = nullptr;
        return h;
    }

private:
    HGLOBAL handle_;
};

} // namespace

UINT RtfClipboardFormat() {
    static const UINT format = RegisterClipboardFormatA("Rich Text Format");
    return format;
}

TClipboard::TClipboard(HWND owner) {
    for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
        open_ = OpenClipboard(owner) != FALSE;
        if (!open_) Sleep(20);
    }
}

TClipboard::~TClipboard() {
    if (open_) CloseClipboard();
}

void TClipboard::Clear() {
    if (!open_) return;
    EmptyClipboard();
    emptied_ = true;
}

bool TClipboard::Put(UINT format, HANDLE data) {
    if (!open_ || !data) return false;
    if (!emptied_) Clear();
    return SetClipboardData(format, data) != nullptr;
}

bool TClipboard::PutBytes(UINT format, const void* bytes, size_t size) {
    if (!open_) return false;
    GlobalMemory memory(size);
    if (!memory.Get()) return false;
    void* target = GlobalLock(memory.Get());
    if (!target) return false;
    if (size) std::memcpy(target, bytes, size);
    GlobalUnlock(memory.Get());
    if (!Put(format, memory.Get())) return false;
    memory.Release(); // the clipboard's now
    return true;
}

bool TClipboard::SetText(const std::string& text) {
    if (!PutBytes(CF_TEXT, text.c_str(), text.size() + 1)) return false;
    LCID locale = kTurkishLocale;
    PutBytes(CF_LOCALE, &locale, sizeof locale);
    return true;
}

bool TClipboard::SetRtf(const std::string& rtf) {
    return PutBytes(RtfClipboardFormat(), rtf.c_str(), rtf.size() + 1);
}

bool TClipboard::SetBitmap(HBITMAP bitmap) {
    if (!bitmap || !open_) return false;
    BitmapHandle copy(static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0)));
    if (!copy) return false;
    if (!Put(CF_BITMAP, copy.get())) return false;
    copy.release(); // the clipboard's now
    return true;
}

bool TClipboard::SetMetafile(HENHMETAFILE metafile) {
    if (!metafile || !open_) return false;
    HENHMETAFILE copy = CopyEnhMetaFileA(metafile, nullptr);
    if (!copy) return false;
    if (!Put(CF_ENHMETAFILE, copy)) {
        DeleteEnhMetaFile(copy);
        return false;
    }
    return true;
}

bool TClipboard::SetFileNames(const std::vector<std::string>& paths) {
    // Readers count at least one name in any list: an empty one cannot be said.
    if (paths.empty()) return false;
    // DROPFILES, then each name ended by a zero, then one more zero.
    std::string names;
    for (const std::string& path : paths) {
        names += path;
        names += '\0';
    }
    names += '\0';
    std::string block(sizeof(DROPFILES), '\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = FALSE;
    std::memcpy(block.data(), &header, sizeof header);
    block += names;
    return PutBytes(CF_HDROP, block.data(), block.size());
}

bool TClipboard::HasFormat(UINT format) const {
    return IsClipboardFormatAvailable(format) != FALSE;
}

std::string TClipboard::Bytes(UINT format) const {
    if (!open_) return {};
    HANDLE data = GetClipboardData(format);
    if (!data) return {};
    size_t size = GlobalSize(data);
    const char* bytes = static_cast<const char*>(GlobalLock(data));
    if (!bytes) return {};
    // Up to the first zero: the block may be larger than what was put.
    size_t length = strnlen(bytes, size);
    std::string text(bytes, length);
    GlobalUnlock(data);
    return text;
}

std::string TClipboard::Text() const {
    return Bytes(CF_TEXT);
}
std::string TClipboard::Rtf() const {
    return Bytes(RtfClipboardFormat());
}

HBITMAP TClipboard::Bitmap() const {
    if (!open_) return nullptr;
    HANDLE bitmap = GetClipboardData(CF_BITMAP);
    return bitmap ? static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0)) : nullptr;
}

HENHMETAFILE TClipboard::Metafile() const {
    if (!open_) return nullptr;
    auto metafile = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
    return metafile ? CopyEnhMetaFileA(metafile, nullptr) : nullptr;
}

std::vector<std::string> TClipboard::FileNames() const {
    std::vector<std::string> names;
    if (!open_) return names;
    auto drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
    if (!drop) return names;
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::string name(length + 1, '\0');
        UINT got = DragQueryFileA(drop, i, name.data(), length + 1);
        name.resize(got);
        names.push_back(name);
    }
    return names;
}

bool SetClipboardText(const std::string& text) {
    TClipboard clipboard;
    return clipboard.SetText(text);
}

std::string ClipboardText() {
    TClipboard clipboard;
    return clipboard.Text();
}

} // namespace tk
