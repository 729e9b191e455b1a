// The text panel: the formatting tool bar, the file-name bar TextDosyaadi, the
// rich-text editor RichEdit1 with its context menu PopupMenu3, and the line and
// column bar Panel6. Loads text and RTF files and saves them back in the form
// they were read in: a text file in its encoding (code page 1254, UTF-8,
// UTF-16), with its BOM and its line ends, byte for byte where the text is as
// it was read.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/viewer_panel.h"
#include "base/text_encoding.h"
#include "toolkit/actions.h"
#include "toolkit/control.h"
#include "toolkit/controls.h"
#include "toolkit/dialogs.h"
#include "toolkit/gdi.h"
#include "toolkit/menus.h"
#include "toolkit/rich_edit.h"
#include "toolkit/std_controls.h"
#include "widgets/file_name_bar.h"

namespace velmora::app {

// The named colours the colour picker offers, in its order.
struct TNamedColor {
    const char* name;
    COLORREF color;
};
const std::vector<TNamedColor>& TextColorNames();

// The font size box's text as a whole number of points; throws std::runtime_error
// with "'%s' is not a valid integer value" when it is not a decimal integer.
int ParseFontSize(const std::string& text);

class TTextPanel : public tk::TPanel, public IViewerPanel {
public:
    struct Params {
        tk::TControl* parent = nullptr;
        RECT bounds{0, 0, 600, 400};
        tk::TAlign align = tk::TAlign::alClient;
        bool visible = true;
    };
    explicit TTextPanel(const Params& params);
    ~TTextPanel() override;

    // Largest file the editor takes; a larger one is refused with a message.
    static constexpr int64_t kMaxFileSize = 128ll * 1024 * 1024;

    // ---- layout (owned; declared in creation order)
    std::unique_ptr<tk::TToolBar> TextToolBar;
    std::unique_ptr<tk::TComboBox> FontName;
    std::unique_ptr<tk::TEdit> FontSize;
    std::unique_ptr<tk::TUpDown> UpDown1;
    std::unique_ptr<tk::TComboBox> FontColor;
    std::unique_ptr<tk::TSpeedButton> BoldButton, ItalicButton, UnderLineButton;
    std::unique_ptr<tk::TSpeedButton> LeftAlign, CenterAlign, RightAlign;
    std::unique_ptr<tk::TSpeedButton> BulletsButton, ToolButton17, RichDuzen;
    std::unique_ptr<widgets::TFileNameBar> TextDosyaadi;
    std::unique_ptr<tk::TPanel> EditorFrame; // the single border around the editor
    std::unique_ptr<tk::TRichEdit> RichEdit1;
    std::unique_ptr<tk::TLabel> Panel6;

    // The panel's own commands: the edit actions EditUndoAction, EditCutAction,
    // EditCopyAction, EditPasteAction and EditSelectAllAction, Ara (find,
    // Ctrl+S) and Fontlar (font dialog, Ctrl+F). Their keys are claimed only
    // through the editor's context menu.
    tk::TActionList TextActions;
    std::unique_ptr<tk::TPopupMenu> PopupMenu3;

    // Adds the window-wide actions to the main window's list: Bold, Italic,
    // UnderLine (Ctrl+B/I/U, reaching the editor from any control) and
    // EditCopyAction2 (Ctrl+Insert, while the editor has the focus); binds the
    // style buttons, the panel's own actions and builds PopupMenu3. Call once.
    void BindCommands(tk::TActionList& mainActions);

    // True while the tool bar is being written from the selection: the
    // formatting handlers then leave the text alone.
    bool SyncingToolbar = false;

    // The print button's command (the printing part of the program sets it).
    std::function<void()> OnPrint;

    // ---- IViewerPanel
    // Text files are read in their encoding and line ends (shown through the
    // control's Unicode stream, so that every letter shows), ".rtf" files as
    // RTF. Each load goes into a new editor (the control empties an old one
    // slowly under Wine); a large text goes in slices of whole lines, with
    // the window painting and answering between them (input waits; Loading()
    // is true). A refused load (unreadable, too large) tells the user why and
    // empties the panel.
    bool LoadFile(const std::string& path) override;
    // Writes the document to the file it holds through the safe writer; a
    // failure (also of the editor's stream) is shown in an error box and the
    // document stays modified. A code-page file that now holds characters the
    // code page lacks is not written with '?': the user is asked whether it
    // is to be written as UTF-8; "no" writes nothing, selects the first such
    // character and returns false, the edits staying.
    bool Save() override;
    bool Modified() const override;
    void Clear() override;
    std::string FileName() const override { return fileName_; }
    // The file was renamed or moved by the program: the document, its edits
    // and the name bar go with it (nothing is read or written).
    void SetFileName(const std::string& path) override;
    bool ReadOnly() const override;
    void SetModified(bool modified) override;
    bool HasFocus() const override;

    // True when the document is held as plain text (written back as such).
    bool PlainTextMode() const { return plainText_; }
    // The encoding, BOM and line end of the plain text (as read, or as saved last).
    const velmora::TextFormat& TextFormat() const { return format_; }
    // True while a load is putting the text into the editor.
    bool Loading() const { return loading_; }
    // The largest piece of text (in characters) one step of a load puts in,
    // and what one step aims to take (the pieces are fitted to it as they go).
    static constexpr size_t kMaxSlice = 4u << 20;
    static constexpr DWORD kSliceMs = 200;

    // ---- steps and commands
    // Line and column text, then the tool bar from the selection's attributes.
    void SelectionChange();
    // Bold, Italic, UnderLine: the action's checked state onto the selection.
    void StyleExecute(tk::TAction& action);
    void FontNameChange();
    void FontSizeChange();
    void FontColorChange();
    void AlignClick(tk::TSpeedButton& button);
    void BulletsClick();
    void RichDuzenClick();
    void FontDialogClick();
    void FindClick();
    // The find dialog's Find Next: forward from the selection's end, matching case.
    void FindNext(const std::string& text);
    // The editor's formatting rectangle: 6-pixel margins left and right.
    void SetTextMargins();

private:
    // Makes RichEdit1 anew (the old one, if any, destroyed), with every setting
    // the panel gives it: font, default format, no wrapping, tabs, margins,
    // the context menu and the handlers; disabled and empty.
    void MakeEditor();
    // The text into the new editor, in slices; false when the panel went away
    // or was emptied meanwhile.
    bool LoadText(std::u16string_view text);
    // The question for a code-page file holding what the code page lacks;
    // true: write it as UTF-8.
    bool AskToSaveAsUtf8(std::u16string_view text, size_t firstMissing);
    void SaveFailed(const std::string& why);
    void CreateToolBar();
    void FillFontNames();
    void FillColors();
    bool CanFormat() const;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::string fileName_;
    bool plainText_ = true;
    // The plain text file's bytes as read (or as saved last), its format, and
    // what the editor held then, to tell an unchanged text.
    std::string original_;
    velmora::TextFormat format_;
    uint64_t loadedFingerprint_ = 0;
    size_t loadedLength_ = 0;
    bool loading_ = false;
    bool clearAfterLoad_ = false;
    tk::FontHandle editorFont_, barFont_;
    std::unique_ptr<tk::FindSession> find_;
};

} // namespace velmora::app
