// What the three viewer panels (text, HTML and picture, hex) have in common: the
// interface through which the dispatch treats them alike, and helpers they share.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "base/file_name.h"
#include "toolkit/dialogs.h"
#include "toolkit/gdi.h"

namespace velmora::app {

// The viewer an extension is associated with; the values are the positions of
// the groups in the extension table (sec.ini).
enum class TViewerKind { vkNone = -1, vkText = 0, vkHtml = 1, vkPicture = 2, vkHex = 3 };

// The kind for a group position read from the extension table (vkNone when out of range).
constexpr TViewerKind ViewerKindFromIndex(int index) {
    return index >= 0 && index <= 3 ? static_cast<TViewerKind>(index) : TViewerKind::vkNone;
}

// A file's extension decides its viewer.
using velmora::ExtensionOf;

// A file is opened read-only when it is marked so, and also when its
// attributes cannot be read: better not to write than to guess.
bool OpensReadOnly(const std::string& path);

// A 16x16 picture for a panel's button: `draw` paints it on a background of
// kGlyphClear, which the buttons leave transparent (they take the bottom-left
// pixel's colour as the clear one).
constexpr COLORREF kGlyphClear = RGB(255, 0, 255);
tk::BitmapHandle DrawButtonGlyph(const std::function<void(HDC)>& draw);

// True when the panel's find dialog is open already; it is brought to the
// front then, so that Ara does not open a second one.
bool RaiseOpenFind(const std::unique_ptr<tk::FindSession>& find);

class IViewerPanel {
public:
    virtual ~IViewerPanel() = default;
    // Loads a file into the panel; false when it was refused (the panel is then empty).
    virtual bool LoadFile(const std::string& path) = 0;
    // Saves the document to the file it holds; false when the save failed (the edits stay).
    virtual bool Save() = 0;
    virtual bool Modified() const = 0;
    // Empties the panel; it then holds no file.
    virtual void Clear() = 0;
    // The full path of the file the panel holds ("" when none).
    virtual std::string FileName() const = 0;
};

} // namespace velmora::app
