// The clipboard: text (with its Turkish locale, so programs that read Unicode
// convert it right), RTF, bitmaps, enhanced metafiles and lists of file names.
//
// A TClipboard holds the clipboard open for its life: keep it short, every
// other program waits meanwhile. The formats written through one object go on
// together (the first write empties the clipboard). Handles are copied both
// ways: what is given stays the caller's, what is read is the caller's to free.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace tk {

// The registered format of rich text.
UINT RtfClipboardFormat();

class TClipboard {
public:
    // Another program may hold the clipboard for a moment: a few tries, then IsOpen() is false.
    explicit TClipboard(HWND owner = nullptr);
    ~TClipboard();
    TClipboard(const TClipboard&) = delete;
    TClipboard& operator=(const TClipboard&) = delete;

    bool IsOpen() const { return open_; }

    // ---- writing; false when the clipboard is not open or memory ran out
    bool SetText(const std::string& text);
    bool SetRtf(const std::string& rtf);
    bool SetBitmap(HBITMAP bitmap);
    bool SetMetafile(HENHMETAFILE metafile);
    // Full paths, as the shell's file copy and paste take them; false for none.
    bool SetFileNames(const std::vector<std::string>& paths);
    void Clear();

    // ---- reading
    bool HasFormat(UINT format) const;
    std::string Text() const;
    std::string Rtf() const;
    HBITMAP Bitmap() const;        // a copy, or null
    HENHMETAFILE Metafile() const; // a copy, or null
    std::vector<std::string> FileNames() const;

private:
    bool Put(UINT format, HANDLE data);
    bool PutBytes(UINT format, const void* bytes, size_t size);
    std::string Bytes(UINT format) const;

    bool open_ = false;
    bool emptied_ = false;
};

// One call each, for the common cases.
bool SetClipboardText(const std::string& text);
std::string ClipboardText();

} // namespace tk
