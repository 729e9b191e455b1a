#include "toolkit/dialogs.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "toolkit/application.h"

namespace tk {

namespace {

// The one-line input box, built as an in-memory dialog template.
class InputBox {
public:
    static bool Run(HWND owner, const InputRequest& request, std::string& value) {
        InputBox box{request, value};
        std::vector<WORD> tpl = box.Template();
        INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                                                 reinterpret_cast<LPCDLGTEMPLATEA>(tpl.data()), owner,
                                                 &InputBox::Proc, reinterpret_cast<LPARAM>(&box));
        if (result == IDOK) value = box.value_;
        return result == IDOK;
    }

private:
    InputBox(const InputRequest& request, const std::string& value) : request_(request), value_(value) {}

    static void AddString(std::vector<WORD>& out, const std::string& text) {
        int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
        std::vector<wchar_t> wide(n > 0 ? n : 1, L'\0');
        if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
        for (wchar_t c : wide) out.push_back(static_cast<WORD>(c));
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
        DLGTEMPLATE dlg{DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 4, 0, 0, 186, 62};
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
        return reinterpret_cast<INT_PTR>(::ShellExecuteA(r.owner, opt(r.verb), r.file.c_str(), opt(r.parameters),
                                                       opt(r.directory), r.showCommand));
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
        char path[MAX_PATH] = {};
        bool ok = SHGetPathFromIDListA(list, path);
        CoTaskMemFree(list);
        if (ok) folder = path;
        return ok;
    }
};

Win32Dialogs& RealDialogs() {
    static Win32Dialogs dialogs;
    return dialogs;
}

Dialogs* g_current = nullptr;

} // namespace

Dialogs& CurrentDialogs() { return g_current ? *g_current : RealDialogs(); }

void SetDialogs(Dialogs* dialogs) { g_current = dialogs; }

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags, WORD languageId) {
    MessageRequest request;
    request.owner = owner;
    request.text = text;
    request.caption = caption;
    request.flags = flags;
    request.languageId = languageId;
    return CurrentDialogs().Message(request);
}

void ShowError(const std::string& text) { ShowMessageBox(GetActiveWindow(), text, "Error", MB_OK | MB_ICONERROR); }

void ShowInformation(const std::string& text) {
    ShowMessageBox(GetActiveWindow(), text, "Information", MB_OK | MB_ICONINFORMATION);
}

void ShowWarning(const std::string& text) {
    ShowMessageBox(GetActiveWindow(), text, "Warning", MB_OK | MB_ICONWARNING);
}

} // namespace tk
