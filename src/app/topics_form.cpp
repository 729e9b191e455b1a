#include "app/topics_form.h"

#include "app/text_panel.h"
#include "base/turkish_text.h"

namespace velmora::app {

namespace {

tk::TForm::Params TopicsParams() {
    tk::TForm::Params p;
    p.caption = "<Konular>";
    p.width = 289;
    p.height = 351;
    p.left = 37;
    p.top = 192;
    p.position = tk::TPosition::poDesigned;
    p.style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; // only the close box
    p.exStyle = WS_EX_TOPMOST;
    return p;
}

constexpr int kItemHeight = 13;

} // namespace

std::vector<std::string> TopicLines(const std::string& text) {
    std::vector<std::string> topics;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '>' && line.find('<') != std::string_view::npos)
            topics.emplace_back(line);
        if (end == text.size()) break;
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return topics;
}

TForm4::TForm4(EditorSource editor, std::function<void()> reveal)
    : tk::TForm(TopicsParams()), editor_(std::move(editor)), reveal_(std::move(reveal)) {
    CreateControls();
}

TForm4::~TForm4() = default;

void BindTopicsCommands(tk::TActionList& actions, std::function<TForm4&()> topics) {
    actions.Get("Konular").OnExecute = [topics = std::move(topics)] { topics().ShowTopics(); };
}

void TForm4::CreateControls() {
    listFont_.reset(CreateFontA(-MulDiv(8, tk::ScreenDpi(), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                TURKISH_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, "Tahoma"));
    tk::TListBox::Params lp;
    lp.parent = this;
    lp.bounds = RECT{0, 0, ClientWidth(), ClientHeight()};
    lp.align = tk::TAlign::alClient;
    lp.font = listFont_.get();
    lp.itemHeight = kItemHeight;
    lp.border = tk::TBorderStyle::bsSingle;
    KonuBox = std::make_unique<tk::TListBox>(lp);
    KonuBox->OnClick = [this] { JumpToTopic(KonuBox->ItemIndex()); };
    KonuBox->OnKeyDown = [this](WORD& key, UINT shift) {
        if (key == VK_F5 && shift == 0) {
            FillTopics();
            key = 0;
        }
    };
    OnShow = [this] { FillTopics(); };
    OnMessage = [this](UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
        // The window's one control takes the keys whenever the window is activated.
        if (msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && KonuBox && KonuBox->Handle()) {
            KonuBox->SetFocus();
            result = 0;
            return true;
        }
        return false;
    };
    AlignControls();
}

void TForm4::ShowTopics() {
    // A window that shows already is not told it shows again.
    if (IsWindowVisible(Handle())) FillTopics();
    Show();
}

void TForm4::FillTopics() {
    tk::TRichEdit* editor = editor_ ? editor_() : nullptr;
    KonuBox->SetItems(editor ? TopicLines(editor->PositionText()) : std::vector<std::string>{});
}

void TForm4::JumpToTopic(int index) {
    tk::TRichEdit* editor = editor_ ? editor_() : nullptr;
    if (!editor || index < 0 || index >= KonuBox->Count()) return;
    const std::string topic = KonuBox->Item(index);
    const size_t found = FindIgnoringCase(editor->PositionText(), topic);
    // The text changed since the list was filled: the topic is gone.
    if (found == std::string::npos) return;
    editor->SetSel(static_cast<int>(found), static_cast<int>(topic.size()));
    // A hidden or disabled window cannot take the focus: the selection waits there.
    if (!IsWindowVisible(editor->Handle()) && reveal_) reveal_();
    if (IsWindowVisible(editor->Handle()) && IsWindowEnabled(editor->Handle())) editor->SetFocus();
    SendMessageA(editor->Handle(), EM_SCROLLCARET, 0, 0);
}

} // namespace velmora::app
