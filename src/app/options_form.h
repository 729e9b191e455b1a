// The options window "Seçenekler": the extension table that decides which
// viewer opens a file (kept in "ini\sec.ini"), the directory tree's display
// options, the file list's filters and the two warning switches. Nothing but
// the table is stored; every start begins with the layout's values.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/extension_tree.h"
#include "app/session.h"
#include "toolkit/actions.h"
#include "toolkit/controls.h"
#include "toolkit/form.h"
#include "toolkit/menus.h"
#include "toolkit/std_controls.h"

namespace velmora::explorer {
class TDirTree;
class TFileListView;
} // namespace velmora::explorer
namespace velmora::widgets {
class TClickSplitter;
}

namespace velmora::app {

// What the options window acts on: the session it shows and edits, and the
// controls that follow the options.
class IOptionsHost {
public:
    virtual ~IOptionsHost() = default;
    // The session model: the extension table and the options.
    virtual TSession& Model() = 0;
    // The program's folder (with its trailing "\"); sec.ini lives in its "ini\".
    virtual std::string AppFolder() const = 0;
    virtual explorer::TDirTree& Tree() = 0;
    virtual explorer::TFileListView& List() = 0;
    // The splitter between the tree and the list.
    virtual widgets::TClickSplitter& TreeSplitter() = 0;
    // The session's "İşlemlerde uyar" goes to whatever does file operations.
    virtual void ApplyConfirmFileOps() = 0;
};

// A label drawn embossed: its text in bold Tahoma, once in white and once a
// pixel higher in black.
class TEmbossedLabel : public tk::TControl {
public:
    TEmbossedLabel(tk::TControl* parent, RECT bounds, const std::string& caption);
    std::string Caption() const { return caption_; }
    HFONT LabelFont() const { return font_.get(); }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::string caption_;
    tk::FontHandle font_;
};

class TForm2;
// Binds the window's "Seçenekler" action (Secenekler) to showing the options
// window, which `options` makes when first asked for.
void BindOptionsCommands(tk::TActionList& actions, std::function<TForm2&()> options);

// AppDir + "ini\sec.ini".
std::string ExtensionTableFile(const std::string& appFolder);
// The main window's show step: the session's table from sec.ini when it
// exists (an error box for a faulty file, whose readable part stays); without
// the file the session keeps its four groups.
void LoadExtensionTable(TSession& session, const std::string& appFolder);

class TForm2 : public tk::TForm {
public:
    // The options act on the main window's tree, list and splitter. The
    // window's tree shows the session's table as it is when the window is made.
    explicit TForm2(IOptionsHost& host);
    ~TForm2() override;

    // ---- the extension table as the session holds it after this window's changes
    // The viewer number of an extension ('.TXT' finds '.txt'), -1 when none.
    int ExtFind(const std::string& extension) const;
    // The viewer of a file by its name's extension.
    TViewerKind ViewerKindOf(const std::string& fileName) const;
    // "Kayıt için uyar": ask before saving a modified document (the session's option).
    bool SaveWarning() const;

    // AppDir + "ini\sec.ini".
    std::string TableFile() const;
    // Writes the table to sec.ini through the safe writer; an error box and
    // false when it cannot be written.
    bool SaveTable();
    // "Seçenekler": the window modal; when it closes, the table is written.
    void Execute();

    // ---- commands
    void AddExtension();    // "Uzantı Ekle"
    void EditExtension();   // "Uzantı Değiştir" / "Uzantı Düzelt"
    void DeleteExtension(); // "Uzantı Sil"
    // The file list's mask from the table when "Maskeleme yap" is checked, else "*.*".
    void SetMask();

    // ---- layout (owned; in creation order)
    std::unique_ptr<tk::TToolBar> ToolBar1;
    std::vector<std::unique_ptr<tk::TSpeedButton>> SpeedButtons;
    std::unique_ptr<TEmbossedLabel> Label1, Label2, Label3;
    std::unique_ptr<TExtensionTree> Ext;
    std::unique_ptr<tk::TPanel> TreeOptions, ListOptions; // the boxes under Label2 and Label3
    std::unique_ptr<tk::TCheckBox> Cizgi, Button, CheckBox1;
    std::unique_ptr<tk::TRadioButton> RadioButton1, RadioButton2;
    std::unique_ptr<tk::TCheckBox> Saltoku, Hidden, Klasor, Arsiv, Normal, Filitre, CheckBox2, KayitCheck;
    tk::TActionList OptionActions;
    tk::TPopupMenu ExtMenu;

    tk::TSpeedButton* SpeedButton(const std::string& name) const;

private:
    void CreateControls();
    void WireOptions();
    // The controls show the session's options.
    void ShowOptions();
    void BindCommands();

    IOptionsHost& host_;
};

} // namespace velmora::app
