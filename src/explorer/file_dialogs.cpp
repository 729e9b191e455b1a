#include "explorer/file_dialogs.h"

#include "explorer/path_utils.h"
#include "toolkit/application.h"
#include "toolkit/dialogs.h"
#include "toolkit/gdi.h"

namespace velmora::explorer {

namespace {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;

tk::TForm::Params DialogParams(const std::string& caption, int clientWidth, int clientHeight) {
    tk::TForm::Params p;
    p.caption = caption;
    p.clientWidth = clientWidth;
    p.clientHeight = clientHeight;
    p.position = tk::TPosition::poScreenCenter;
    p.style = kDialogStyle;
    p.exStyle = WS_EX_DLGMODALFRAME;
    if (tk::TForm* main = tk::Application().MainForm()) p.owner = main->Handle();
    return p;
}

std::unique_ptr<tk::TButton> MakeButton(tk::TControl* parent, const std::string& caption, int left, int top,
                                        int result, bool isDefault) {
    tk::TButton::Params p;
    p.parent = parent;
    p.bounds = RECT{left, top, left + 75, top + 25};
    p.caption = caption;
    p.modalResult = result;
    p.isDefault = isDefault;
    return std::make_unique<tk::TButton>(p);
}

std::unique_ptr<tk::TCheckBox> MakeCheckBox(tk::TControl* parent, const std::string& caption, int left,
                                            int top, bool checked) {
    tk::TCheckBox::Params p;
    p.parent = parent;
    p.bounds = RECT{left, top, left + 90, top + 17};
    p.caption = caption;
    p.checked = checked;
    return std::make_unique<tk::TCheckBox>(p);
}

int TextWidth(HWND window, HFONT font, const std::string& text) {
    tk::WindowDC dc(window);
    tk::SelectedObject chosen(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

} // namespace

void HandleDialogKeys(tk::TForm& form, tk::TButton* okButton, tk::TButton* cancelButton) {
    // The modal loop's dialog manager turns Enter and Esc into IDOK and IDCANCEL commands.
    form.OnMessage = [okButton, cancelButton](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (msg != WM_COMMAND || lParam != 0) return false;
        tk::TButton* button = LOWORD(wParam) == IDOK       ? okButton
                              : LOWORD(wParam) == IDCANCEL ? cancelButton
                                                           : nullptr;
        if (!button) return false;
        button->Click();
        result = 0;
        return true;
    };
}

// ---- attributes

TFileAttrDialog::TFileAttrDialog(const std::string& fileName, uint32_t attributes)
    : tk::TForm(DialogParams("Nitelikler", 266, 172)), attributes_(attributes) {
    labelFont_ = tk::MakeFont("MS Sans Serif", 10);
    tk::TLabel::Params label;
    label.parent = this;
    label.font = labelFont_.get();
    label.caption = fileName;
    label.bounds = RECT{20, 12, 20 + 240, 12 + 18};
    NameLabel = std::make_unique<tk::TLabel>(label);

    tk::TPanel::Params panel;
    panel.parent = this;
    panel.bounds = RECT{20, 34, 20 + 225, 34 + 77};
    panel.bevelOuter = tk::TBevel::bvNone;
    panel.bevelInner = tk::TBevel::bvLowered;
    Panel1 = std::make_unique<tk::TPanel>(panel);
    ReadOnlyBox = MakeCheckBox(Panel1.get(), "Salt Okunur", 20, 16, attributes & FILE_ATTRIBUTE_READONLY);
    ArchiveBox = MakeCheckBox(Panel1.get(), "Arşiv", 20, 44, attributes & FILE_ATTRIBUTE_ARCHIVE);
    HiddenBox = MakeCheckBox(Panel1.get(), "Gizli", 120, 16, attributes & FILE_ATTRIBUTE_HIDDEN);
    SystemBox = MakeCheckBox(Panel1.get(), "Sistem", 120, 44, attributes & FILE_ATTRIBUTE_SYSTEM);

    OkButton = MakeButton(this, "OK", 44, 128, IDOK, true);
    CancelButton = MakeButton(this, "Cancel", 140, 128, IDCANCEL, false);
    HandleDialogKeys(*this, OkButton.get(), CancelButton.get());
}

TFileAttrDialog::~TFileAttrDialog() = default;

uint32_t TFileAttrDialog::Attributes() const {
    uint32_t result = attributes_ & ~kDialogAttributeBits;
    if (ReadOnlyBox->Checked()) result |= FILE_ATTRIBUTE_READONLY;
    if (ArchiveBox->Checked()) result |= FILE_ATTRIBUTE_ARCHIVE;
    if (HiddenBox->Checked()) result |= FILE_ATTRIBUTE_HIDDEN;
    if (SystemBox->Checked()) result |= FILE_ATTRIBUTE_SYSTEM;
    return result;
}

// ---- send

TSendDialog::TSendDialog(const std::string& initialPath)
    : tk::TForm(DialogParams("Klasör göndermek için", 333, 135)) {
    const std::string prompt = "Lütfen gönderilecek yolu belirleyin";
    tk::TLabel::Params label;
    label.parent = this;
    label.caption = prompt;
    int width = Handle() ? TextWidth(Handle(), Font(), prompt) : 200;
    label.bounds = RECT{20, 12, 20 + width + 2, 12 + 13};
    PromptLabel = std::make_unique<tk::TLabel>(label);

    tk::TEdit::Params edit;
    edit.parent = this;
    edit.bounds = RECT{20, 32, 20 + 293, 32 + 21};
    edit.text = initialPath;
    edit.maxLength = 285;
    PathEdit = std::make_unique<tk::TEdit>(edit);
    PathEdit->SelectAll();

    OkButton = MakeButton(this, "Tamam", 37, 80, IDOK, true);
    CancelButton = MakeButton(this, "Vazgeç", 129, 80, IDCANCEL, false);
    BrowseButton = MakeButton(this, "Gözat", 221, 80, kBrowseResult, false);
    HandleDialogKeys(*this, OkButton.get(), CancelButton.get());
    OnShow = [this] { PathEdit->SetFocus(); };
}

TSendDialog::~TSendDialog() = default;

bool BrowseForFolder(HWND owner, std::string& folder) {
    tk::FolderRequest request;
    request.owner = owner;
    request.title = "Hedef Klasör";
    std::string chosen;
    if (!tk::CurrentDialogs().BrowseForFolder(request, chosen) || chosen.empty()) return false;
    folder = AddSlash(chosen.substr(0, MAX_PATH));
    return true;
}

std::string AskSendFolder() {
    std::string initial;
    // Each "Gözat" opens the dialog again with the chosen folder; a user who
    // keeps browsing keeps the dialog, never a deeper call stack.
    for (;;) {
        TSendDialog dialog(initial);
        int result = dialog.ShowModal();
        if (result == IDOK) return dialog.PathEdit->Text();
        if (result != kBrowseResult) return {};
        tk::TForm* main = tk::Application().MainForm();
        if (!BrowseForFolder(main ? main->Handle() : nullptr, initial)) return {};
    }
}

} // namespace velmora::explorer
