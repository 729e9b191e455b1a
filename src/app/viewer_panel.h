// What the three viewer panels (text, HTML and picture, hex) have in common: the
// interface through which the dispatch treats them alike, and helpers they share.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/session.h"
#include "base/file_name.h"
#include "toolkit/dialogs.h"
#include "toolkit/gdi.h"

namespace tk {
class TControl;
}

namespace velmora::app {

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

// The keyboard focus is on the control or on a window inside it.
bool FocusWithin(const tk::TControl* control);

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
    // Loads the file as the viewer the extension table gave it.
    virtual bool Open(const std::string& path, TViewerKind /*kind*/) { return LoadFile(path); }
    // Shown before the file goes in (a long load shows its progress there);
    // false: shown only once the file was read, so a refused one changes nothing.
    virtual bool ShownBeforeLoading() const { return true; }
    // The document cannot be written back (a viewer that edits nothing has no edits either).
    virtual bool ReadOnly() const { return false; }
    // Marks the edits as kept without a save (the user declined it).
    virtual void SetModified(bool /*modified*/) {}
    // The file was renamed or moved by the program: the document and its
    // edits go with it. A viewer that edits nothing keeps its page.
    virtual void SetFileName(const std::string& /*path*/) {}
    // The keyboard focus is in the panel's document.
    virtual bool HasFocus() const { return false; }
    // At idle: the panel's own commands follow the kind the dispatch last gave.
    virtual void UpdateCommands(TViewerKind /*dispatched*/) {}
};

// What a panel not made yet answers: no file, no edits, nothing to load into.
class TEmptyViewer : public IViewerPanel {
public:
    bool LoadFile(const std::string&) override { return false; }
    bool Save() override { return true; }
    bool Modified() const override { return false; }
    void Clear() override {}
    std::string FileName() const override { return {}; }
};

} // namespace velmora::app
