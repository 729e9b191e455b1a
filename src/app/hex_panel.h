// The hex panel: the file-name bar HexDosyaAdi over the hex editor HexEditor1,
// its context menu PopupMenu4 and the three commands Git (go to position),
// Bul (find) and Bul Devam (find next) with the hex search state.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/viewer_panel.h"
#include "hexedit/hex_editor.h"
#include "toolkit/actions.h"
#include "toolkit/control.h"
#include "toolkit/form.h"
#include "toolkit/menus.h"
#include "widgets/file_name_bar.h"

namespace velmora::app {

class THexPanel : public tk::TPanel, public IViewerPanel {
public:
    struct Params {
        tk::TControl* parent = nullptr;
        RECT bounds{0, 0, 400, 300};
        tk::TAlign align = tk::TAlign::alClient;
        bool visible = true;
    };
    explicit THexPanel(const Params& params);
    ~THexPanel() override;

    std::unique_ptr<widgets::TFileNameBar> HexDosyaAdi;
    std::unique_ptr<hex::THexEditor> HexEditor1;
    // The panel's commands. A list of their own: their keys are claimed only
    // through the editor's context menu, while it has the focus.
    tk::TActionList HexActions;
    std::unique_ptr<tk::TPopupMenu> PopupMenu4;

    // Creates the actions Git (Ctrl+G), Bul (Ctrl+F) and BulDevam (F3) and the
    // editor's context menu PopupMenu4 that shows them.
    void BindCommands();

    // Search state, kept from one command to the next.
    std::string HexSearchText;
    std::vector<uint8_t> SearchBytes;
    int32_t LastFoundPos = -1;
    bool SearchIgnoreCase = false;

    // The name bar shows the file's name, its tooltip the folder (with the trailing backslash).
    void ShowFileName(const std::string& path);

    // ---- IViewerPanel
    // Loads through a working copy under the hourglass; read-only when the file
    // is. A refused load (missing, 2 GiB or more, no working copy) tells the
    // user why and leaves the panel empty.
    bool LoadFile(const std::string& path) override;
    // Writes the edits to the file the panel holds; a failure is shown and the
    // document stays open and modified.
    bool Save() override;
    // Edits that a save would write: a read-only or empty document has none.
    bool Modified() const override;
    // An empty document named "yeni"; the panel then holds no file.
    void Clear() override;
    std::string FileName() const override { return fileName_; }
    // The file was renamed or moved by the program: the document (its working
    // copy and edits), its name and the name bar follow it.
    void SetFileName(const std::string& path) override;
    void SetModified(bool modified) override;

    // What the commands run.
    void GitClick();
    void BulClick();
    void BulDevamClick();

private:
    std::string fileName_;
    // Searches SearchBytes from start to the end and selects the match; false when none.
    bool SearchFrom(int32_t start);
    void Note(const std::string& text);
};

} // namespace velmora::app
