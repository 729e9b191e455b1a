#include "app/text_panel.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <set>
#include <stdexcept>

#include "base/os.h"
#include "base/read_file.h"
#include "base/safe_write.h"
#include "base/text_encoding.h"
#include "toolkit/application.h"

namespace velmora::app {

namespace {

constexpr int kToolBarHeight = 28;
constexpr int kNameBarHeight = 15;
constexpr int kLineBarHeight = 15;
constexpr int kTextMargin = 6;
// The largest size the control keeps: its heights are twips in 16 bits.
constexpr int kMaxPoints = 1638;

// Group indexes of the two-state buttons: each style button is a group of its
// own that may be clicked up again; the alignment buttons share one.
constexpr int kBoldGroup = 71, kItalicGroup = 72, kUnderlineGroup = 73, kAlignGroup = 74, kBulletsGroup = 75;

bool HasRtfExtension(const std::string& path) {
    return os::AnsiLowerCase(ExtensionOf(path)) == ".rtf";
}

// The tool bar's pictures, painted on a button glyph's 16x16 canvas.
enum class Glyph { Bold, Italic, Underline, Left, Center, Right, Bullets, Print };

void PaintGlyph(HDC dc, Glyph kind) {
    HBRUSH ink = CreateSolidBrush(RGB(0, 0, 0));
    auto bar = [&](int x, int y, int w, int h) {
        RECT r{x, y, x + w, y + h};
        FillRect(dc, &r, ink);
    };
    auto letter = [&](const char* text, bool italic, bool underline) {
        HFONT font = CreateFontA(-13, 0, 0, 0, FW_BOLD, italic, underline, FALSE, DEFAULT_CHARSET, 0, 0,
                                 NONANTIALIASED_QUALITY, 0, "Times New Roman");
        HGDIOBJ oldFont = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        RECT r{0, 0, 16, 15};
        DrawTextA(dc, text, 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, oldFont);
        DeleteObject(font);
    };
    switch (kind) {
    case Glyph::Bold:
        letter("B", false, false);
        break;
    case Glyph::Italic:
        letter("I", true, false);
        break;
    case Glyph::Underline:
        letter("U", false, true);
        break;
    case Glyph::Left:
    case Glyph::Center:
    case Glyph::Right:
        for (int i = 0; i < 5; ++i) {
            int width = i % 2 ? 8 : 12;
            int x = kind == Glyph::Left ? 2 : kind == Glyph::Right ? 14 - width : 8 - width / 2;
            bar(x, 3 + i * 2, width, 1);
        }
        break;
    case Glyph::Bullets:
        for (int i = 0; i < 3; ++i) {
            bar(2, 3 + i * 4, 2, 2);
            bar(6, 3 + i * 4, 8, 1);
        }
        break;
    case Glyph::Print:
        bar(4, 2, 8, 1), bar(4, 2, 1, 5), bar(11, 2, 1, 5);
        bar(1, 7, 14, 1), bar(1, 7, 1, 6), bar(14, 7, 1, 6), bar(1, 12, 14, 1);
        bar(4, 11, 8, 3);
        break;
    }
    DeleteObject(ink);
}

// Vertical variants ("@Font") are not for a text editor.
int CALLBACK AddFontName(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM data) {
    if (font->lfFaceName[0] != '@' && font->lfFaceName[0] != '\0')
        reinterpret_cast<std::set<std::string>*>(data)->insert(font->lfFaceName);
    return 1;
}

// The pictures are made once for the program: the actions that show them may
// outlive a panel.
HBITMAP GlyphBitmap(Glyph kind) {
    static std::vector<tk::BitmapHandle> glyphs = [] {
        std::vector<tk::BitmapHandle> made;
        for (Glyph g : {Glyph::Bold, Glyph::Italic, Glyph::Underline, Glyph::Left, Glyph::Center,
                        Glyph::Right, Glyph::Bullets, Glyph::Print})
            made.push_back(DrawButtonGlyph([g](HDC dc) { PaintGlyph(dc, g); }));
        return made;
    }();
    return glyphs[static_cast<size_t>(kind)].get();
}

} // namespace

const std::vector<TNamedColor>& TextColorNames() {
    static const std::vector<TNamedColor> colors = {
        {"Siyah", RGB(0, 0, 0)},
        {"Bordo", RGB(128, 0, 0)},
        {"Yeşil", RGB(0, 128, 0)},
        {"Zeytin", RGB(128, 128, 0)},
        {"Lacivert", RGB(0, 0, 128)},
        {"Mor", RGB(128, 0, 128)},
        {"Deniz Mavisi", RGB(0, 128, 128)},
        {"Gri", RGB(128, 128, 128)},
        {"Gümüş", RGB(192, 192, 192)},
        {"Kırmızı", RGB(255, 0, 0)},
        {"Açık Yeşil", RGB(0, 255, 0)},
        {"Sarı", RGB(255, 255, 0)},
        {"Mavi", RGB(0, 0, 255)},
        {"Fuşya", RGB(255, 0, 255)},
        {"Su Mavisi", RGB(0, 255, 255)},
        {"Beyaz", RGB(255, 255, 255)},
    };
    return colors;
}

int ParseFontSize(const std::string& text) {
    // A decimal integer, as the run-time library's conversion reads one:
    // blanks before it, an optional sign, digits, nothing after.
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    size_t digits = i;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) break;
    }
    if (i == digits || i != text.size() || value > INT_MAX)
        throw std::runtime_error("'" + text + "' is not a valid integer value");
    return static_cast<int>(negative ? -value : value);
}

TTextPanel::TTextPanel(const Params& params)
    : tk::TPanel(tk::TPanel::Params{params.parent, params.bounds, params.align, tk::TBevel::bvNone,
                                    tk::TBevel::bvNone, "", params.visible}) {
    const int width = params.bounds.right - params.bounds.left;
    const int height = params.bounds.bottom - params.bounds.top;
    CreateToolBar();

    TextDosyaadi = std::make_unique<widgets::TFileNameBar>(this, kNameBarHeight);
    TextDosyaadi->SetTop(kToolBarHeight);
    TextDosyaadi->SetAlign(tk::TAlign::alTop);

    barFont_ = tk::MakeFont("Tahoma", 8);
    tk::TLabel::Params lp;
    lp.parent = this;
    lp.bounds = RECT{0, height - kLineBarHeight, width, height};
    lp.align = tk::TAlign::alBottom;
    lp.font = barFont_.get();
    Panel6 = std::make_unique<tk::TLabel>(lp);

    EditorFrame = std::make_unique<tk::TPanel>(
        tk::TPanel::Params{this, RECT{0, kToolBarHeight + kNameBarHeight, width, height - kLineBarHeight},
                           tk::TAlign::alClient, tk::TBevel::bvNone, tk::TBevel::bvNone, "", true});
    SetWindowLongPtrA(EditorFrame->Handle(), GWL_STYLE,
                      GetWindowLongPtrA(EditorFrame->Handle(), GWL_STYLE) | WS_BORDER);
    SetWindowPos(EditorFrame->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);

    // Courier New at 8 points with the Turkish character set.
    editorFont_.reset(CreateFontA(-MulDiv(8, tk::ScreenDpi(), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                  TURKISH_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  FIXED_PITCH | FF_MODERN, "Courier New"));
    MakeEditor();

    Realign();
    SetTextMargins();
    SelectionChange();
}

TTextPanel::~TTextPanel() {
    *alive_ = false;
    find_.reset();
    if (RichEdit1) {
        RichEdit1->SetPopupMenu(nullptr);
        RichEdit1->OnSelectionChange = nullptr;
        RichEdit1->OnResize = nullptr;
    }
    for (tk::TSpeedButton* b : {BoldButton.get(), ItalicButton.get(), UnderLineButton.get()})
        if (b) b->SetAction(nullptr);
}

void TTextPanel::CreateToolBar() {
    TextToolBar = std::make_unique<tk::TToolBar>(this, kToolBarHeight);

    tk::TComboBox::Params fp;
    fp.parent = TextToolBar.get();
    fp.bounds = RECT{0, 3, 145, 3 + 200};
    fp.style = tk::TComboBoxStyle::csDropDownList;
    fp.sorted = true;
    fp.dropDownCount = 16;
    fp.hint = "Yazı tipi";
    FontName = std::make_unique<tk::TComboBox>(fp);
    FillFontNames();
    FontName->OnChange = [this] { FontNameChange(); };
    TextToolBar->AddDivider(149);

    // The box shows 25 pixels of text; the arrows sit inside its right edge.
    tk::TEdit::Params sp;
    sp.parent = TextToolBar.get();
    sp.bounds = RECT{153, 3, 153 + 25 + 16, 3 + 21};
    sp.text = "0";
    sp.hint = "Yazı boyutu";
    FontSize = std::make_unique<tk::TEdit>(sp);
    tk::TUpDown::Params up;
    up.parent = TextToolBar.get();
    up.associate = FontSize.get();
    up.min = 0;
    up.max = 100;
    up.increment = 1;
    UpDown1 = std::make_unique<tk::TUpDown>(up);
    FontSize->OnChange = [this] { FontSizeChange(); };
    TextToolBar->AddDivider(198);

    tk::TComboBox::Params cp;
    cp.parent = TextToolBar.get();
    cp.bounds = RECT{202, 3, 202 + 145, 3 + 240};
    cp.style = tk::TComboBoxStyle::csOwnerDrawFixed;
    cp.dropDownCount = 16;
    cp.hint = "Yazı rengi";
    cp.onDrawItem = [this](tk::TDrawItem& item) {
        HDC dc = item.dc;
        RECT r = item.rect;
        FillRect(dc, &r, GetSysColorBrush(item.selected && !item.comboEdit ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        if (item.index < 0 || item.index >= static_cast<int>(TextColorNames().size())) return;
        const TNamedColor& c = TextColorNames()[static_cast<size_t>(item.index)];
        RECT swatch{r.left + 2, r.top + 2, r.left + 22, r.bottom - 2};
        HBRUSH brush = CreateSolidBrush(c.color);
        FillRect(dc, &swatch, brush);
        DeleteObject(brush);
        FrameRect(dc, &swatch, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        RECT text{r.left + 26, r.top, r.right, r.bottom};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc,
                     GetSysColor(item.selected && !item.comboEdit ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        DrawTextA(dc, c.name, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    };
    FontColor = std::make_unique<tk::TComboBox>(cp);
    FillColors();
    FontColor->OnChange = [this] { FontColorChange(); };
    TextToolBar->AddDivider(351);

    auto button = [this](const char* name, int left, const char* hint, Glyph glyph, int group,
                         bool allowAllUp) {
        tk::TSpeedButton::Params bp;
        bp.parent = TextToolBar.get();
        bp.name = name;
        bp.left = left;
        bp.top = 3;
        bp.hint = hint;
        bp.glyph = GlyphBitmap(glyph);
        bp.groupIndex = group;
        bp.allowAllUp = allowAllUp;
        return std::make_unique<tk::TSpeedButton>(bp);
    };
    BoldButton = button("BoldButton", 355, "Kalın", Glyph::Bold, kBoldGroup, true);
    ItalicButton = button("ItalicButton", 378, "İtalik", Glyph::Italic, kItalicGroup, true);
    UnderLineButton = button("UnderLineButton", 401, "Altı çizili", Glyph::Underline, kUnderlineGroup, true);
    TextToolBar->AddDivider(428);
    LeftAlign = button("LeftAlign", 432, "Sola yasla", Glyph::Left, kAlignGroup, false);
    CenterAlign = button("CenterAlign", 455, "Ortala", Glyph::Center, kAlignGroup, false);
    RightAlign = button("RightAlign", 478, "Sağa yasla", Glyph::Right, kAlignGroup, false);
    LeftAlign->OnClick = [this] { AlignClick(*LeftAlign); };
    CenterAlign->OnClick = [this] { AlignClick(*CenterAlign); };
    RightAlign->OnClick = [this] { AlignClick(*RightAlign); };
    TextToolBar->AddDivider(505);
    BulletsButton = button("BulletsButton", 509, "Madde işaretleri", Glyph::Bullets, kBulletsGroup, true);
    BulletsButton->OnClick = [this] { BulletsClick(); };
    TextToolBar->AddDivider(536);
    ToolButton17 = button("ToolButton17", 540, "Baskı önizleme", Glyph::Print, 0, false);
    ToolButton17->OnClick = [this] {
        if (OnPrint) OnPrint();
    };
    TextToolBar->AddDivider(567);
    tk::TSpeedButton::Params dp;
    dp.parent = TextToolBar.get();
    dp.name = "RichDuzen";
    dp.left = 571;
    dp.top = 3;
    dp.width = 52;
    dp.caption = "Düzen";
    dp.hint = "Düzen";
    RichDuzen = std::make_unique<tk::TSpeedButton>(dp);
    RichDuzen->OnClick = [this] { RichDuzenClick(); };
}

void TTextPanel::FillFontNames() {
    std::set<std::string> names;
    LOGFONTA want{};
    want.lfCharSet = DEFAULT_CHARSET;
    tk::ScreenDC screen;
    EnumFontFamiliesExA(screen, &want, &AddFontName, reinterpret_cast<LPARAM>(&names), 0);
    FontName->SetItems(std::vector<std::string>(names.begin(), names.end()));
}

void TTextPanel::FillColors() {
    std::vector<std::string> items;
    for (const TNamedColor& c : TextColorNames())
        items.push_back(c.name);
    FontColor->SetItems(items);
    for (size_t i = 0; i < items.size(); ++i)
        FontColor->SetItemData(static_cast<int>(i), static_cast<LPARAM>(TextColorNames()[i].color));
}

void TTextPanel::BindCommands(tk::TActionList& mainActions) {
    std::weak_ptr<bool> alive = alive_;
    // Every handler checks the panel is still there: the main window's list may outlive it.
    auto guarded = [alive](std::function<void()> run) {
        return [alive, run] {
            if (auto a = alive.lock(); a && *a) run();
        };
    };
    auto update = [alive](std::function<bool()> enabled) {
        return [alive, enabled](tk::TAction& action) {
            if (auto a = alive.lock(); a && *a) action.SetEnabled(enabled());
        };
    };

    mainActions.Load({
        {"Bold", "Kalın", "Kalın", tk::ShortCut('B', tk::scCtrl), nullptr, kBoldGroup, false, true},
        {"Italic", "İtalik", "İtalik", tk::ShortCut('I', tk::scCtrl), nullptr, kItalicGroup, false, true},
        {"UnderLine", "Altı çizili", "Altı çizili", tk::ShortCut('U', tk::scCtrl), nullptr, kUnderlineGroup,
         false, true},
        {"EditCopyAction2", "&Kopyala", "Kopyala", tk::ShortCut(VK_INSERT, tk::scCtrl)},
    });
    // The editor's context menu claims these keys while the editor has the
    // focus; in the window's list Ctrl+X, Ctrl+C and Ctrl+A would be bound a
    // second time (they are the file commands there).
    TextActions.Load({
        {"EditUndoAction", "&Geri Al", "Geri al", tk::ShortCut('Z', tk::scCtrl)},
        {"EditCutAction", "&Kes", "Kes", tk::ShortCut('X', tk::scCtrl)},
        {"EditCopyAction", "&Kopyala", "Kopyala", tk::ShortCut('C', tk::scCtrl)},
        {"EditPasteAction", "&Yapıştır", "Yapıştır", tk::ShortCut('V', tk::scCtrl)},
        {"EditSelectAllAction", "&Hepsini Seç", "Hepsini seç", tk::ShortCut('A', tk::scCtrl)},
    });
    for (const char* name : {"Bold", "Italic", "UnderLine"}) {
        tk::TAction& action = mainActions.Get(name);
        action.OnExecute = guarded([this, &action] { StyleExecute(action); });
    }
    // The buttons show their action's picture.
    mainActions.Get("Bold").SetPicture(GlyphBitmap(Glyph::Bold));
    mainActions.Get("Italic").SetPicture(GlyphBitmap(Glyph::Italic));
    mainActions.Get("UnderLine").SetPicture(GlyphBitmap(Glyph::Underline));
    BoldButton->SetAction(&mainActions.Get("Bold"));
    ItalicButton->SetAction(&mainActions.Get("Italic"));
    UnderLineButton->SetAction(&mainActions.Get("UnderLine"));

    // The editor is asked for at each use: every load makes a new one.
    auto editor = [this]() -> tk::TRichEdit& { return *RichEdit1; };
    auto editable = [editor] { return editor().Enabled() && !editor().ReadOnly(); };
    auto selection = [editor] { return editor().Enabled() && editor().SelLength() > 0; };
    TextActions.Get("EditUndoAction").OnExecute = guarded([editor] { editor().Undo(); });
    TextActions.Get("EditUndoAction").OnUpdate =
        update([editor, editable] { return editable() && editor().CanUndo(); });
    TextActions.Get("EditCutAction").OnExecute = guarded([editor] { editor().CutToClipboard(); });
    TextActions.Get("EditCutAction").OnUpdate =
        update([editable, selection] { return editable() && selection(); });
    TextActions.Get("EditCopyAction").OnExecute = guarded([editor] { editor().CopyToClipboard(); });
    TextActions.Get("EditCopyAction").OnUpdate = update(selection);
    mainActions.Get("EditCopyAction2").OnExecute = guarded([editor] { editor().CopyToClipboard(); });
    mainActions.Get("EditCopyAction2").OnUpdate = update(selection);
    TextActions.Get("EditPasteAction").OnExecute = guarded([editor] { editor().PasteFromClipboard(); });
    TextActions.Get("EditPasteAction").OnUpdate = update([editable] {
        return editable() && (IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(CF_OEMTEXT) ||
                              IsClipboardFormatAvailable(CF_UNICODETEXT));
    });
    TextActions.Get("EditSelectAllAction").OnExecute = guarded([editor] { editor().SelectAll(); });
    TextActions.Get("EditSelectAllAction").OnUpdate = update([editor] { return editor().Enabled(); });
    // Ctrl+Insert is the editor's: with the focus elsewhere it goes on to the
    // other controls' own keys.
    mainActions.Get("EditCopyAction2").ShortcutActive = [alive, editor] {
        auto a = alive.lock();
        return a && *a && editor().Focused();
    };

    TextActions.Load({
        {"Ara", "Ara", "Ara", tk::ShortCut('S', tk::scCtrl)},
        {"Fontlar", "&Fontlar", "Fontlar", tk::ShortCut('F', tk::scCtrl)},
    });
    TextActions.Get("Ara").OnExecute = [this] { FindClick(); };
    TextActions.Get("Ara").OnUpdate = [this](tk::TAction& a) { a.SetEnabled(RichEdit1->Enabled()); };
    TextActions.Get("Fontlar").OnExecute = [this] { FontDialogClick(); };
    TextActions.Get("Fontlar").OnUpdate = [this](tk::TAction& a) { a.SetEnabled(RichEdit1->Enabled()); };

    PopupMenu3 = std::make_unique<tk::TPopupMenu>();
    PopupMenu3->Load(
        {
            {0, "GeriAl1", nullptr, 0, "EditUndoAction"},
            {0, "N5", "-"},
            {0, "Kes1", nullptr, 0, "EditCutAction"},
            {0, "Kopyala1", nullptr, 0, "EditCopyAction"},
            {0, "Yapistir1", nullptr, 0, "EditPasteAction"},
            {0, "HepsiniSec1", nullptr, 0, "EditSelectAllAction"},
            {0, "N6", "-"},
            {0, "Ara1", nullptr, 0, "Ara"},
            {0, "N7", "-"},
            {0, "Fontlar1", nullptr, 0, "Fontlar"},
        },
        &TextActions);
    RichEdit1->SetPopupMenu(PopupMenu3.get());
    SelectionChange();
}

// ---- the editor

void TTextPanel::MakeEditor() {
    if (RichEdit1) {
        RichEdit1->OnSelectionChange = nullptr;
        RichEdit1->OnResize = nullptr;
        RichEdit1->SetPopupMenu(nullptr);
        RichEdit1.reset();
    }
    tk::TRichEdit::Params rp;
    rp.parent = EditorFrame.get();
    rp.bounds = RECT{0, 0, EditorFrame->ClientWidth(), EditorFrame->ClientHeight()};
    rp.align = tk::TAlign::alClient;
    rp.font = editorFont_.get();
    rp.wantTabs = true;
    rp.wordWrap = false; // a long line-less text wrapped takes minutes under Wine
    rp.scrollBars = tk::TScrollStyle::ssBoth;
    rp.border = tk::TBorderStyle::bsNone;
    // The limit of the text's length and the notifications are the wrapper's own.
    RichEdit1 = std::make_unique<tk::TRichEdit>(rp);
    tk::TTextAttributes base;
    base.name = "Courier New";
    base.size = 8;
    base.charset = TURKISH_CHARSET;
    RichEdit1->SetDefAttributes(base, tk::taName | tk::taSize | tk::taCharset);
    RichEdit1->SetEnabled(false);
    RichEdit1->SetPopupMenu(PopupMenu3.get());
    RichEdit1->OnSelectionChange = [this] { SelectionChange(); };
    RichEdit1->OnResize = [this] { SetTextMargins(); };
    SetTextMargins();
}

// ---- loading and saving

namespace {

// While a large text goes in, the window paints and answers; what the user
// types or clicks is dropped (the text is not editable yet), and what would
// close a window or start another load waits until the load is over.
class LoadPump {
public:
    ~LoadPump() {
        for (const MSG& msg : deferred_) {
            if (msg.message == WM_QUIT)
                PostQuitMessage(static_cast<int>(msg.wParam));
            else if (msg.hwnd)
                PostMessageA(msg.hwnd, msg.message, msg.wParam, msg.lParam);
            else
                PostThreadMessageA(GetCurrentThreadId(), msg.message, msg.wParam, msg.lParam);
        }
    }
    void Run() {
        MSG msg;
        while (!quit_ && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const UINT m = msg.message;
            const bool mouse =
                (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCXBUTTONDBLCLK);
            if (mouse) SetCursor(tk::Hourglass::WaitCursor());
            if (mouse || (m >= WM_KEYFIRST && m <= WM_KEYLAST)) continue;
            if (m == WM_QUIT || m == WM_CLOSE || m == WM_DROPFILES || m == WM_COMMAND || m == WM_SYSCOMMAND ||
                m >= WM_APP) {
                deferred_.push_back(msg);
                quit_ = m == WM_QUIT;
                continue;
            }
            DispatchMessageA(&msg);
        }
    }

private:
    std::vector<MSG> deferred_;
    bool quit_ = false;
};

bool Gone(const std::weak_ptr<bool>& alive) {
    auto a = alive.lock();
    return !a || !*a;
}

// Where the slice from `from` of about `size` characters ends: after the last
// line break in its second half, else (a very long line) at its size, never
// between the two halves of a surrogate pair.
size_t SliceEnd(std::u16string_view text, size_t from, size_t size) {
    size_t end = std::min(text.size(), from + size);
    if (end == text.size()) return end;
    size_t lineEnd = text.rfind(u'\r', end - 1);
    if (lineEnd != std::u16string_view::npos && lineEnd >= from + size / 2) return lineEnd + 1;
    if (text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF && end - 1 > from) --end;
    return end;
}

} // namespace

bool TTextPanel::LoadFile(const std::string& path) {
    // One load at a time: messages are handled between the slices of one.
    if (loading_) return false;
    ReadResult read = ReadWholeFile(path, kMaxFileSize);
    if (!read) {
        Clear();
        tk::ShowError(std::string(read.failure == ReadFailure::TooLarge ? "Dosya metin editörü için çok büyük: "
                                                                        : "Dosya okunamadı: ") +
                      path);
        return false;
    }
    std::string data = std::move(read.bytes);
    tk::Hourglass busy;
    const bool hadFocus = RichEdit1->Focused();
    // A new control: emptying the old one takes minutes for a large text under Wine.
    MakeEditor();
    fileName_ = path;
    TextDosyaadi->ShowFile(path);
    original_.clear();
    format_ = velmora::TextFormat{};
    plainText_ = !HasRtfExtension(path);
    if (!plainText_ && !data.empty()) {
        // One paint at the end instead of one per streamed chunk.
        tk::RedrawGuard quiet(RichEdit1->Handle());
        if (!RichEdit1->SetRtf(data)) {
            // Not RTF after all: shown as the text it is, and written back as
            // such, so that a save keeps the file's form.
            plainText_ = true;
        }
    }
    if (plainText_) {
        if (RichEdit1->TextLength() > 0) MakeEditor(); // what a failed RTF read left
        velmora::DecodedText decoded = velmora::DecodeText(data);
        format_ = decoded.format;
        original_ = std::move(data);
        data = std::string();
        std::weak_ptr<bool> alive = alive_;
        bool whole = LoadText(decoded.text);
        if (Gone(alive)) return false; // the panel went while messages were handled
        if (!whole) {
            Clear();
            return false;
        }
    }
    tk::TRichEdit& e = *RichEdit1;
    e.SetReadOnly(OpensReadOnly(path));
    e.SetEnabled(true);
    e.SetSel(0, 0);
    e.SetModified(false);
    if (hadFocus) e.SetFocus();
    SelectionChange();
    return true;
}

bool TTextPanel::LoadText(std::u16string_view text) {
    tk::TRichEdit& e = *RichEdit1;
    std::weak_ptr<bool> alive = alive_;
    // No undo steps and no notifications for what is not the user's edit.
    // However the load ends (an exception too), they come back and the panel
    // takes loads and edits again; unless the panel itself went meanwhile.
    struct LoadingGuard {
        TTextPanel& panel;
        tk::TRichEdit& editor;
        std::weak_ptr<bool> alive;
        LoadingGuard(TTextPanel& p, tk::TRichEdit& e, std::weak_ptr<bool> a) : panel(p), editor(e), alive(a) {
            panel.loading_ = true;
            panel.clearAfterLoad_ = false;
            editor.SetUndoLimit(0);
            editor.SetEventMask(0);
        }
        ~LoadingGuard() {
            if (Gone(alive)) return;
            editor.SetUndoLimit(tk::TRichEdit::kUndoLimit);
            editor.SetEventMask(tk::TRichEdit::kEventMask);
            panel.loading_ = false;
        }
    };
    {
        // The messages held back meanwhile are posted again after the guard's end.
        LoadPump pump;
        LoadingGuard guard(*this, e, alive);
        size_t slice = 64 * 1024;
        for (size_t at = 0; at < text.size() || at == 0;) {
            const size_t end = SliceEnd(text, at, slice);
            const DWORD started = GetTickCount();
            if (at == 0)
                e.SetUnicodeText(text.substr(0, end));
            else
                e.AppendUnicodeText(text.substr(at, end - at));
            at = end;
            if (at >= text.size()) break;
            // The next slice sized to take about kSliceMs.
            const DWORD took = std::max<DWORD>(GetTickCount() - started, 1);
            slice = std::clamp<size_t>(static_cast<size_t>(static_cast<double>(slice) * kSliceMs / took),
                                       slice / 4, std::min(slice * 4, kMaxSlice));
            slice = std::max<size_t>(slice, 4096);
            char progress[64];
            std::snprintf(progress, sizeof progress, " Yükleniyor... %%%d",
                          static_cast<int>(static_cast<double>(at) * 100 / static_cast<double>(text.size())));
            Panel6->SetCaption(progress);
            UpdateWindow(Panel6->Handle());
            pump.Run();
            if (Gone(alive)) return false;
            if (clearAfterLoad_) break;
        }
    }
    if (Gone(alive) || clearAfterLoad_) return false;
    // What the editor holds now, to know an unchanged text at the save.
    std::u16string held;
    e.GetUnicodeText(held);
    held = velmora::NormalizeLineBreaks(held);
    loadedFingerprint_ = velmora::TextFingerprint(held);
    loadedLength_ = held.size();
    return true;
}

bool TTextPanel::AskToSaveAsUtf8(std::u16string_view text, size_t firstMissing) {
    const WORD turkish = MAKELANGID(LANG_TURKISH, SUBLANG_NEUTRAL);
    int answer = tk::ShowMessageBox(
        Handle() ? GetAncestor(Handle(), GA_ROOT) : nullptr,
        fileName_ +
            "\r\n\r\nMetinde Türkçe kod sayfasında (Windows-1254) olmayan karakterler var; dosya bu kod "
            "sayfasıyla kaydedilirse bu karakterler kaybolur.\r\n\r\nDosya UTF-8 olarak kaydedilsin mi?\r\n"
            "(Hayır: dosya kaydedilmez, değişiklikler editörde kalır.)",
        "Dikkat!", MB_YESNO | MB_ICONQUESTION, turkish);
    if (answer == IDYES) return true;
    // The first character the code page lacks is shown to the user.
    tk::TRichEdit& e = *RichEdit1;
    const bool pair = text[firstMissing] >= 0xD800 && text[firstMissing] <= 0xDBFF;
    e.SetSel(static_cast<int>(firstMissing), pair ? 2 : 1);
    SendMessageA(e.Handle(), EM_SCROLLCARET, 0, 0);
    return false;
}

void TTextPanel::SaveFailed(const std::string& why) {
    // The edits stay, still marked modified, so that the next attempt writes them.
    tk::ShowError(why + "\r\n" + fileName_);
}

bool TTextPanel::Save() {
    if (fileName_.empty() || loading_) return true;
    tk::TRichEdit& e = *RichEdit1;
    std::string bytes;
    velmora::TextFormat format = format_;
    std::u16string text;
    uint64_t fingerprint = 0;
    if (!plainText_) {
        // A stream that failed or stopped early is not the document.
        size_t last = bytes.npos;
        if (e.GetRtf(bytes)) last = bytes.find_last_not_of(std::string(" \r\n\t\0", 5));
        if (last == bytes.npos || bytes[last] != '}') {
            SaveFailed(velmora::WriteFailureText(velmora::WriteFailure::SourceFailed));
            return false;
        }
    } else {
        if (!e.GetUnicodeText(text)) {
            SaveFailed(velmora::WriteFailureText(velmora::WriteFailure::SourceFailed));
            return false;
        }
        text = velmora::NormalizeLineBreaks(text);
        fingerprint = velmora::TextFingerprint(text);
        if (text.size() == loadedLength_ && fingerprint == loadedFingerprint_) {
            // The text as it was read: the file as it was.
            bytes = original_;
        } else if (size_t missing = velmora::FindUnencodable(text, format.encoding);
                   missing != std::u16string::npos) {
            if (!AskToSaveAsUtf8(text, missing)) return false;
            format = velmora::TextFormat{velmora::TextEncoding::Utf8, true, format_.lineEnd};
            bytes = velmora::EncodeText(text, format);
        } else {
            bytes = velmora::EncodeKeeping(original_, format_, text);
        }
    }
    WriteResult written = SafeWriteFile(fileName_, bytes);
    if (!written) {
        SaveFailed(written.Text());
        return false;
    }
    if (plainText_) {
        original_ = std::move(bytes);
        format_ = format;
        loadedFingerprint_ = fingerprint;
        loadedLength_ = text.size();
    }
    e.SetModified(false);
    return true;
}

bool TTextPanel::Modified() const {
    return !fileName_.empty() && !loading_ && RichEdit1->Modified();
}

void TTextPanel::Clear() {
    if (loading_) {
        // Emptied while loading: the load stops at its next step and empties it.
        clearAfterLoad_ = true;
        fileName_.clear();
        return;
    }
    // A new control: emptying the old one takes minutes for a large text under Wine.
    MakeEditor();
    fileName_.clear();
    plainText_ = true;
    original_.clear();
    format_ = velmora::TextFormat{};
    loadedFingerprint_ = 0;
    loadedLength_ = 0;
    TextDosyaadi->ShowFile("");
    SelectionChange();
}

// ---- the selection and the tool bar

void TTextPanel::SelectionChange() {
    tk::TRichEdit& e = *RichEdit1;
    char text[96];
    std::snprintf(text, sizeof text, " Satır: %d : Sütun: %d", e.CaretLine() + 1, e.CaretColumn() + 1);
    Panel6->SetCaption(text);

    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(SyncingToolbar);
    tk::TTextAttributes a = e.SelAttributes();
    BoldButton->SetDown(a.bold);
    ItalicButton->SetDown(a.italic);
    UnderLineButton->SetDown(a.underline);
    FontName->SetItemIndex(FontName->IndexOf(a.name));
    FontSize->SetText(std::to_string(a.size));
    int colorIndex = -1;
    for (size_t i = 0; i < TextColorNames().size(); ++i)
        if (TextColorNames()[i].color == a.color) colorIndex = static_cast<int>(i);
    FontColor->SetItemIndex(colorIndex);
    BulletsButton->SetDown(e.ParaNumbering() == tk::TNumbering::nsBullet);
    switch (e.ParaAlignment()) {
    case tk::TAlignment::taLeftJustify:
        LeftAlign->SetDown(true);
        break;
    case tk::TAlignment::taRightJustify:
        RightAlign->SetDown(true);
        break;
    case tk::TAlignment::taCenter:
        CenterAlign->SetDown(true);
        break;
    }
}

bool TTextPanel::CanFormat() const {
    return !SyncingToolbar && RichEdit1->Enabled() && !RichEdit1->ReadOnly();
}

void TTextPanel::StyleExecute(tk::TAction& action) {
    if (!CanFormat()) return;
    // Only the member of this button is written: the other styles of a mixed
    // selection stay as they are.
    tk::TTextAttributes a;
    unsigned part = 0;
    if (action.Name() == "Bold")
        a.bold = action.Checked(), part = tk::taBold;
    else if (action.Name() == "Italic")
        a.italic = action.Checked(), part = tk::taItalic;
    else
        a.underline = action.Checked(), part = tk::taUnderline;
    RichEdit1->SetSelAttributes(a, part);
}

void TTextPanel::FontNameChange() {
    if (!CanFormat() || FontName->ItemIndex() < 0) return;
    tk::TTextAttributes a;
    a.name = FontName->Item(FontName->ItemIndex());
    a.charset = TURKISH_CHARSET;
    RichEdit1->SetSelAttributes(a, tk::taName | tk::taCharset);
}

void TTextPanel::FontSizeChange() {
    if (!CanFormat()) return;
    int points = 0;
    try {
        points = ParseFontSize(FontSize->Text());
    } catch (const std::exception& error) {
        tk::ShowError(error.what());
        return;
    }
    // Sizes the control cannot hold (0 while the user retypes, or past its
    // largest) leave the text as it is.
    if (points < 1 || points > kMaxPoints) return;
    tk::TTextAttributes a;
    a.size = points;
    RichEdit1->SetSelAttributes(a, tk::taSize);
}

void TTextPanel::FontColorChange() {
    if (!CanFormat() || FontColor->ItemIndex() < 0) return;
    tk::TTextAttributes a;
    a.color = static_cast<COLORREF>(FontColor->ItemData(FontColor->ItemIndex()));
    RichEdit1->SetSelAttributes(a, tk::taColor);
}

void TTextPanel::AlignClick(tk::TSpeedButton& button) {
    if (!CanFormat()) return;
    RichEdit1->SetParaAlignment(&button == LeftAlign.get()    ? tk::TAlignment::taLeftJustify
                                : &button == RightAlign.get() ? tk::TAlignment::taRightJustify
                                                              : tk::TAlignment::taCenter);
}

void TTextPanel::BulletsClick() {
    if (!CanFormat()) return;
    RichEdit1->SetParaNumbering(BulletsButton->Down() ? tk::TNumbering::nsBullet : tk::TNumbering::nsNone);
}

void TTextPanel::RichDuzenClick() {
    if (!PopupMenu3) return;
    // Just under the button's lower left corner.
    const RECT bounds = RichDuzen->ScreenRect();
    const POINT corner{bounds.left, bounds.top};
    PopupMenu3->Owner = RichEdit1->Handle();
    RichDuzen->SetMenuOpen(true);
    struct Release {
        tk::TSpeedButton& button;
        ~Release() { button.SetMenuOpen(false); }
    } release{*RichDuzen};
    PopupMenu3->Popup(corner.x - 2, corner.y + 23);
}

void TTextPanel::FontDialogClick() {
    tk::TRichEdit& e = *RichEdit1;
    tk::TTextAttributes a = e.SelAttributes();
    tk::FontRequest request;
    request.owner = Handle() ? GetAncestor(Handle(), GA_ROOT) : nullptr;
    lstrcpynA(request.font.lfFaceName, a.name.c_str(), LF_FACESIZE);
    request.font.lfHeight = -MulDiv(a.size, tk::ScreenDpi(), 72);
    request.font.lfWeight = a.bold ? FW_BOLD : FW_NORMAL;
    request.font.lfItalic = a.italic;
    request.font.lfUnderline = a.underline;
    request.font.lfStrikeOut = a.strikeOut;
    request.font.lfCharSet = a.charset;
    request.color = a.color;
    tk::FontAnswer answer;
    if (!tk::CurrentDialogs().FontDialog(request, answer)) return;
    if (CanFormat()) {
        tk::TTextAttributes chosen;
        chosen.name = answer.font.lfFaceName;
        chosen.size = answer.points > 0 ? std::min(answer.points, kMaxPoints) : a.size;
        chosen.bold = answer.font.lfWeight >= FW_SEMIBOLD;
        chosen.italic = answer.font.lfItalic != 0;
        chosen.underline = answer.font.lfUnderline != 0;
        chosen.strikeOut = answer.font.lfStrikeOut != 0;
        chosen.charset = answer.font.lfCharSet;
        chosen.color = answer.color;
        e.SetSelAttributes(chosen, tk::taAll);
    }
    e.SetFocus();
    SelectionChange();
}

// ---- find

void TTextPanel::FindClick() {
    if (RaiseOpenFind(find_)) return;
    tk::FindRequest request;
    request.owner = Handle() ? GetAncestor(Handle(), GA_ROOT) : nullptr;
    request.text = RichEdit1->SelText();
    if (request.text.find_first_of("\r\n") != std::string::npos) request.text.clear();
    std::weak_ptr<bool> alive = alive_;
    tk::FindHandlers handlers;
    handlers.onFind = [this, alive](const tk::FindEvent& event) {
        if (auto a = alive.lock(); a && *a) FindNext(event.text);
    };
    find_ = tk::CurrentDialogs().BeginFind(request, std::move(handlers));
}

void TTextPanel::FindNext(const std::string& text) {
    tk::TRichEdit& e = *RichEdit1;
    int start = e.SelLength() > 0 ? e.SelStart() + e.SelLength() : 0;
    int found = e.FindText(text, start, -1, true);
    if (found >= 0) {
        e.SetFocus();
        e.SetSel(found, static_cast<int>(text.size()));
        return;
    }
    tk::ShowInformation("Başka bulunamadı. \"" + text + "\"");
}

void TTextPanel::SetTextMargins() {
    if (!RichEdit1 || !RichEdit1->Handle()) return;
    RECT client;
    GetClientRect(RichEdit1->Handle(), &client);
    RichEdit1->SetFormatRect(
        RECT{kTextMargin, 0, std::max<LONG>(client.right - kTextMargin, kTextMargin + 1), client.bottom});
}

void TTextPanel::SetFileName(const std::string& path) {
    fileName_ = path;
    TextDosyaadi->ShowFile(path);
}

bool TTextPanel::ReadOnly() const {
    return RichEdit1->ReadOnly();
}

void TTextPanel::SetModified(bool modified) {
    RichEdit1->SetModified(modified);
}

bool TTextPanel::HasFocus() const {
    return FocusWithin(RichEdit1.get());
}

} // namespace velmora::app
