// The HTML and picture panel: the strip Panel4 with Geri, İleri and the
// Düzenle drop-down, the file-name bar DosyaAdi and the viewer htmlView with
// its context menu PopupMenu2 (find, copy, select all). Web and mail links go
// to the shell; the link under the mouse is reported for the status line.
#pragma once
#include "html/html_view.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/viewer_panel.h"
#include "toolkit/actions.h"
#include "toolkit/control.h"
#include "toolkit/dialogs.h"
#include "toolkit/gdi.h"
#include "toolkit/menus.h"
#include "toolkit/std_controls.h"
#include "widgets/file_name_bar.h"

namespace velmora::app {

// True for a link the shell opens (mail and web addresses) rather than the viewer.
bool IsShellLink(const std::string& url);

class THtmlPanel : public tk::TPanel, public IViewerPanel {
public:
    struct Params {
        tk::TControl* parent = nullptr;
        RECT bounds{0, 0, 600, 400};
        tk::TAlign align = tk::TAlign::alClient;
        bool visible = true;
        int historyMaxCount = 6; // pages reached by links that Geri can go back to
    };
    explicit THtmlPanel(const Params& params);
    ~THtmlPanel() override;

    // A selection longer than this is copied only after the user agrees.
    static constexpr int32_t kCopyWarningLength = 32000;

    // ---- layout (owned; declared in creation order)
    std::unique_ptr<tk::TPanel> Panel4;
    std::unique_ptr<tk::TToolBar> HtmlToolBar;
    std::unique_ptr<tk::TSpeedButton> BackButton, FwdButton, Duzen;
    std::unique_ptr<widgets::TFileNameBar> DosyaAdi;
    std::unique_ptr<html::THtmlView> htmlView;

    // The panel's commands: Geri, Ileri, Duzenle and the menu's Ara (Ctrl+A),
    // Kopyala (Ctrl+C) and HepsiniSec (Ctrl+S). A list of their own: the keys
    // are claimed only through PopupMenu2, while the viewer has the focus.
    tk::TActionList HtmlActions;
    std::unique_ptr<tk::TPopupMenu> PopupMenu2;

    // ---- IViewerPanel
    // An HTML page: the history emptied, the page loaded, the strip shown, the
    // bar naming the file (or " " + the page's title). A load that fails shows
    // the viewer's message and leaves the panel empty.
    bool LoadFile(const std::string& path) override;
    bool Save() override { return true; } // the viewer edits nothing
    bool Modified() const override { return false; }
    void Clear() override;
    std::string FileName() const override { return fileName_; }

    // A picture shown alone: like LoadFile, with the strip hidden.
    bool LoadPicture(const std::string& path);
    bool Open(const std::string& path, TViewerKind kind) override {
        return kind == TViewerKind::vkPicture ? LoadPicture(path) : LoadFile(path);
    }
    bool ShownBeforeLoading() const override { return false; }
    void ShowStrip(bool show);

    // Enabling at idle: İleri while a newer page is in the history, Geri while
    // an older one is; Düzenle and the menu's commands only for an HTML file.
    void UpdateCommands(bool htmlKind);
    void UpdateCommands(TViewerKind dispatched) override {
        UpdateCommands(dispatched == TViewerKind::vkHtml);
    }
    bool HasFocus() const override;

    // The link under the mouse, on every mouse move over the viewer ("" when
    // it is not over a link); the main window shows it in the status line.
    std::function<void(const std::string& url)> OnStatusLink;
    // Hands a web or mail link to the shell; replaceable so that tests can
    // record it. The default opens it through the dialogs seam (no owner,
    // normal window) and does not report a failure.
    std::function<void(const std::string& url)> OpenLink;

    // ---- commands
    void BackButtonClick(tk::TSpeedButton& button);
    void DuzenClick();
    void FindClick();
    // The find dialog's Find Next: forward from the caret.
    void FindNext(const std::string& text, bool matchCase);
    void CopyClick();
    void SelectAllClick();

private:
    bool Load(const std::string& path, bool picture);
    void ShowFileName(const std::string& path);
    void HotSpotClick(const std::string& url, bool& handled);
    void RightClick();

    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    tk::FontHandle stripFont_;
    std::string fileName_;
    bool htmlKind_ = false;
    std::unique_ptr<tk::FindSession> find_;
};

} // namespace velmora::app
