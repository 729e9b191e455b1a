#include "toolkit/dialogs.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "toolkit/ansi_paths.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/menus.h"
#include "toolkit/messages.h"
#include "toolkit/window.h"

namespace tk {

namespace {

// The one-line input box, built as an in-memory dialog template.
class InputBox {
public:
    static bool Run(HWND owner, const InputRequest& request, std::string& value) {
        InputBox box{request, value};
        std::vector<WORD> tpl = box.Template();
        INT_PTR result =
            DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(tpl.data()),
                                    owner, &InputBox::Proc, reinterpret_cast<LPARAM>(&box));
        if (result == IDOK) value = box.value_;
        return result == IDOK;
    }

private:
    InputBox(const InputRequest& request, const std::string& value) : request_(request), value_(value) {}

    static void AddString(std::vector<WORD>& out, const std::string& text) {
        int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
        std::vector<wchar_t> wide(n > 0 ? n : 1, L'\0');
        if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
        for (wchar_t c : wide)
            out.push_back(static_cast<WORD>(c));
    }
    static void Align(std::vector<WORD>& out) {
        if (out.size() % 2) out.push_back(0);
    }
    static void AddItem(std::vector<WORD>& out, DWORD style, short x, short y, short cx, short cy, WORD id,
                        WORD classAtom, const std::string& text) {
        Align(out);
        DLGITEMTEMPLATE item{style | WS_CHILD | WS_VISIBLE, 0, x, y, cx, cy, id};
        const WORD* raw = reinterpret_cast<const WORD*>(&item);
        out.insert(out.end(), raw, raw + sizeof item / sizeof(WORD));
        out.push_back(0xFFFF);
        out.push_back(classAtom);
        AddString(out, text);
        out.push_back(0); // no creation data
    }

    std::vector<WORD> Template() const {
        std::vector<WORD> out;
        DLGTEMPLATE dlg{
            DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 4, 0, 0, 186, 62};
        const WORD* raw = reinterpret_cast<const WORD*>(&dlg);
        out.insert(out.end(), raw, raw + sizeof dlg / sizeof(WORD));
        out.push_back(0); // menu
        out.push_back(0); // class
        AddString(out, request_.caption);
        out.push_back(8);
        AddString(out, "MS Sans Serif");
        AddItem(out, SS_LEFT, 7, 6, 172, 10, 100, 0x0082, request_.prompt);
        AddItem(out, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 18, 172, 12, 101, 0x0081, "");
        AddItem(out, BS_DEFPUSHBUTTON | WS_TABSTOP, 52, 40, 50, 14, IDOK, 0x0080, "Tamam");
        AddItem(out, BS_PUSHBUTTON | WS_TABSTOP, 108, 40, 50, 14, IDCANCEL, 0x0080, "İptal");
        return out;
    }

    static INT_PTR CALLBACK Proc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<InputBox*>(GetWindowLongPtrA(dlg, DWLP_USER));
        switch (msg) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dlg, DWLP_USER, lParam);
            self = reinterpret_cast<InputBox*>(lParam);
            SetDlgItemTextA(dlg, 101, self->value_.c_str());
            SendDlgItemMessageA(dlg, 101, EM_SETSEL, 0, -1);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                if (LOWORD(wParam) == IDOK && self) {
                    int n = GetWindowTextLengthA(GetDlgItem(dlg, 101));
                    std::string text(n + 1, '\0');
                    GetDlgItemTextA(dlg, 101, text.data(), n + 1);
                    text.resize(n);
                    self->value_ = text;
                }
                EndDialog(dlg, LOWORD(wParam));
                return TRUE;
            }
            break;
        }
        return FALSE;
    }

    InputRequest request_;
    std::string value_;
};

// The printer chosen last (the dialogs' DEVMODE and DEVNAMES), offered the next time.
struct PrinterChoice {
    HGLOBAL devMode = nullptr;
    HGLOBAL devNames = nullptr;
};

PrinterChoice& Printer() {
    static PrinterChoice printer;
    return printer;
}

void ReadPrinterChoice(const PRINTDLGA& pd, PrintAnswer& answer) {
    if (pd.hDevNames) {
        if (auto* names = static_cast<DEVNAMES*>(GlobalLock(pd.hDevNames))) {
            const char* base = reinterpret_cast<const char*>(names);
            answer.driver = base + names->wDriverOffset;
            answer.device = base + names->wDeviceOffset;
            answer.port = base + names->wOutputOffset;
            GlobalUnlock(pd.hDevNames);
        }
    }
    answer.copies = pd.nCopies > 0 ? pd.nCopies : 1;
    if (pd.hDevMode) {
        if (auto* mode = static_cast<DEVMODEA*>(GlobalLock(pd.hDevMode))) {
            answer.landscape = (mode->dmFields & DM_ORIENTATION) && mode->dmOrientation == DMORIENT_LANDSCAPE;
            if ((mode->dmFields & DM_COPIES) && mode->dmCopies > 0) answer.copies = mode->dmCopies;
            GlobalUnlock(pd.hDevMode);
        }
    }
    answer.range = (pd.Flags & PD_SELECTION)  ? TPrintRange::prSelection
                   : (pd.Flags & PD_PAGENUMS) ? TPrintRange::prPageNums
                                              : TPrintRange::prAllPages;
    answer.fromPage = pd.nFromPage;
    answer.toPage = pd.nToPage;
    answer.printToFile = (pd.Flags & PD_PRINTTOFILE) != 0;
}

bool RunPrintDialog(const PrintRequest& r, PrintAnswer& answer, bool setup) {
    PRINTDLGA pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = r.owner;
    pd.hDevMode = Printer().devMode;
    pd.hDevNames = Printer().devNames;
    if (setup) {
        pd.Flags = PD_PRINTSETUP;
    } else {
        pd.Flags = PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE | (r.allowSelection ? 0 : PD_NOSELECTION) |
                   (r.allowPageNums ? 0 : PD_NOPAGENUMS);
        pd.nMinPage = static_cast<WORD>(r.minPage);
        pd.nMaxPage = static_cast<WORD>(std::max(r.maxPage, r.minPage));
        pd.nFromPage = static_cast<WORD>(r.fromPage);
        pd.nToPage = static_cast<WORD>(r.toPage);
        pd.nCopies = static_cast<WORD>(r.copies > 0 ? r.copies : 1);
    }
    BOOL ok = ::PrintDlgA(&pd);
    // The dialog may have made or replaced the printer's blocks; they are ours to keep.
    Printer().devMode = pd.hDevMode;
    Printer().devNames = pd.hDevNames;
    DCHandle dc(pd.hDC);
    if (!ok) return false;
    ReadPrinterChoice(pd, answer);
    answer.dc = std::move(dc);
    return true;
}

// The modeless find dialog: the dialog sends its requests to a hidden window
// of ours, a message filter gives it its keyboard (Tab, Enter, Esc).
class Win32FindSession : public FindSession {
public:
    Win32FindSession(const FindRequest& request, FindHandlers handlers)
        : handlers_(std::move(handlers)), receiver_(*this, request.owner) {
        lstrcpynA(text_, request.text.c_str(), sizeof text_);
        fr_.lStructSize = sizeof fr_;
        fr_.hwndOwner = receiver_.Handle();
        fr_.lpstrFindWhat = text_;
        fr_.wFindWhatLen = sizeof text_;
        fr_.Flags = (request.down ? FR_DOWN : 0) | (request.matchCase ? FR_MATCHCASE : 0) |
                    (request.wholeWord ? FR_WHOLEWORD : 0) | (request.hideUpDown ? FR_HIDEUPDOWN : 0) |
                    (request.hideMatchCase ? FR_HIDEMATCHCASE : 0) |
                    (request.hideWholeWord ? FR_HIDEWHOLEWORD : 0);
        dialog_ = receiver_.Handle() ? ::FindTextA(&fr_) : nullptr;
        if (dialog_) {
            HWND dialog = dialog_;
            filter_ = Application().AddMessageFilter([dialog](MSG& msg) {
                return IsWindow(dialog) && (msg.hwnd == dialog || IsChild(dialog, msg.hwnd)) &&
                       IsDialogMessageA(dialog, &msg);
            });
        }
    }
    ~Win32FindSession() override { Close(); }

    bool Active() const override { return dialog_ != nullptr; }
    HWND Window() const override { return dialog_; }
    void Close() override {
        if (filter_) Application().RemoveMessageFilter(filter_);
        filter_ = 0;
        HWND dialog = std::exchange(dialog_, nullptr);
        if (dialog && IsWindow(dialog)) DestroyWindow(dialog);
    }

private:
    // The window the dialog reports to: a hidden child of the owner, so that
    // the dialog stays with the owner's window.
    class Receiver : public TWindow {
    public:
        Receiver(Win32FindSession& session, HWND owner) : session_(session) {
            RegisterWindowClass("VelmoraFindReceiver", 0);
            WindowParams p;
            p.className = "VelmoraFindReceiver";
            p.parent = owner;
            p.style = owner ? WS_CHILD : WS_POPUP;
            CreateWindowFrom(p);
        }

    protected:
        LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
            static const UINT findMessage = RegisterWindowMessageA(FINDMSGSTRINGA);
            if (msg == findMessage) {
                session_.Report(*reinterpret_cast<FINDREPLACEA*>(lParam));
                return 0;
            }
            if (msg == pmDialogClosed) {
                session_.Closed();
                return 0;
            }
            return TWindow::WndProc(msg, wParam, lParam);
        }

    private:
        Win32FindSession& session_;
    };

    void Report(const FINDREPLACEA& fr) {
        if (fr.Flags & FR_DIALOGTERM) {
            // The dialog destroys itself once this returns; the owner hears of
            // it afterwards, free to end the session then.
            if (filter_) Application().RemoveMessageFilter(filter_);
            filter_ = 0;
            dialog_ = nullptr;
            PostMessageA(receiver_.Handle(), pmDialogClosed, 0, 0);
            return;
        }
        if (fr.Flags & FR_FINDNEXT) {
            FindEvent event;
            event.text = fr.lpstrFindWhat ? fr.lpstrFindWhat : "";
            event.down = (fr.Flags & FR_DOWN) != 0;
            event.matchCase = (fr.Flags & FR_MATCHCASE) != 0;
            event.wholeWord = (fr.Flags & FR_WHOLEWORD) != 0;
            auto onFind = handlers_.onFind; // the handler may end the session
            if (onFind) onFind(event);
        }
    }
    void Closed() {
        auto onClose = handlers_.onClose;
        if (onClose) onClose();
    }

    FindHandlers handlers_;
    FINDREPLACEA fr_{};
    char text_[256] = {};
    HWND dialog_ = nullptr;
    int filter_ = 0;
    Receiver receiver_; // last: goes first, before what the dialog points at
};

class Win32Dialogs : public Dialogs {
public:
    int Message(const MessageRequest& r) override {
        return ::MessageBoxExA(r.owner, r.text.c_str(), r.caption.c_str(), r.flags, r.languageId);
    }
    bool InputQuery(const InputRequest& request, std::string& value) override {
        return InputBox::Run(GetActiveWindow(), request, value);
    }
    INT_PTR Execute(const ShellExecuteRequest& r) override {
        auto opt = [](const std::string& s) { return s.empty() ? nullptr : s.c_str(); };
        return reinterpret_cast<INT_PTR>(::ShellExecuteA(r.owner, opt(r.verb), r.file.c_str(),
                                                         opt(r.parameters), opt(r.directory), r.showCommand));
    }
    bool BrowseForFolder(const FolderRequest& r, std::string& folder) override {
        char display[MAX_PATH] = {};
        BROWSEINFOA info{};
        info.hwndOwner = r.owner;
        info.pszDisplayName = display;
        info.lpszTitle = r.title.c_str();
        info.ulFlags = BIF_RETURNONLYFSDIRS;
        LPITEMIDLIST list = SHBrowseForFolderA(&info);
        if (!list) return false;
        // A folder the code page cannot spell goes by its short name; without
        // one it is refused, never taken as a look-alike that is another folder.
        std::string path, shown;
        bool ok = AnsiPathFromItemList(list, path, shown);
        CoTaskMemFree(list);
        if (ok) folder = path;
        if (!ok && !shown.empty()) ShowError("HATA - Geçersiz yol\r" + shown);
        return ok;
    }
    int ShowModal(TForm& form) override { return form.RunModalLoop(); }
    bool FontDialog(const FontRequest& r, FontAnswer& answer) override {
        LOGFONTA font = r.font;
        CHOOSEFONTA cf{};
        cf.lStructSize = sizeof cf;
        cf.hwndOwner = r.owner;
        cf.lpLogFont = &font;
        cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | (r.effects ? CF_EFFECTS : 0) |
                   (r.fixedPitchOnly ? CF_FIXEDPITCHONLY : 0) |
                   (r.minPoints || r.maxPoints ? CF_LIMITSIZE : 0);
        cf.rgbColors = r.color;
        cf.nSizeMin = r.minPoints;
        cf.nSizeMax = r.maxPoints ? r.maxPoints : 0x7FFF;
        if (!::ChooseFontA(&cf)) return false;
        answer.font = font;
        answer.color = cf.rgbColors;
        answer.points = cf.iPointSize / 10;
        return true;
    }
    bool ColorDialog(const ColorRequest& r, ColorAnswer& answer) override {
        // The custom colours the user mixed stay for the next dialog.
        static COLORREF custom[16] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                                      0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                                      0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
        CHOOSECOLORA cc{};
        cc.lStructSize = sizeof cc;
        cc.hwndOwner = r.owner;
        cc.rgbResult = r.color;
        cc.lpCustColors = custom;
        cc.Flags = CC_RGBINIT | CC_ANYCOLOR | (r.fullOpen ? CC_FULLOPEN : 0);
        if (!::ChooseColorA(&cc)) return false;
        answer.color = cc.rgbResult;
        return true;
    }
    bool PrintSetupDialog(const PrintRequest& r, PrintAnswer& answer) override {
        return RunPrintDialog(r, answer, true);
    }
    bool PrintDialog(const PrintRequest& r, PrintAnswer& answer) override {
        return RunPrintDialog(r, answer, false);
    }
    UINT PopupMenu(const PopupRequest& r) override {
        if (!r.menu || !r.menu->Handle()) return 0;
        return ::TrackPopupMenu(r.menu->Handle(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, r.x, r.y,
                                0, r.owner, nullptr);
    }
    std::unique_ptr<FindSession> BeginFind(const FindRequest& request, FindHandlers handlers) override {
        return std::make_unique<Win32FindSession>(request, std::move(handlers));
    }
};

Win32Dialogs& RealDialogs() {
    static Win32Dialogs dialogs;
    return dialogs;
}

Dialogs* g_current = nullptr;

} // namespace

Dialogs& CurrentDialogs() {
    return g_current ? *g_current : RealDialogs();
}

void SetDialogs(Dialogs* dialogs) {
    g_current = dialogs;
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags,
                   WORD languageId) {
    MessageRequest request;
    request.owner = owner;
    request.text = text;
    request.caption = caption;
    request.flags = flags;
    request.languageId = languageId;
    return CurrentDialogs().Message(request);
}

void ShowError(const std::string& text) {
    ShowMessageBox(GetActiveWindow(), text, "Error", MB_OK | MB_ICONERROR);
}

void ShowInformation(const std::string& text) {
    ShowMessageBox(GetActiveWindow(), text, "Information", MB_OK | MB_ICONINFORMATION);
}

void ShowWarning(const std::string& text) {
    ShowMessageBox(GetActiveWindow(), text, "Warning", MB_OK | MB_ICONWARNING);
}

void ShowPlainMessage(const std::string& text) {
    ShowPlainMessage(GetActiveWindow(), text);
}

void ShowPlainMessage(HWND owner, const std::string& text) {
    ShowMessageBox(owner, text, Application().Title(), MB_OK);
}

} // namespace tk
