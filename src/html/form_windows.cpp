#include "html/form_windows.h"

#include "html/gdi_view.h"
#include "html/navigation.h"
#include "toolkit/controls.h"

#include <algorithm>

namespace velmora::html {

namespace {

// A platform control that tells when it gets or loses the focus.
template <class Base> class Focusable : public Base {
public:
    using Base::Base;
    std::function<void()> OnFocus;
    std::function<void(HWND to)> OnFocusLost;
    // A left button press on a control that has no click of its own (edit
    // boxes, memos, drop-downs): the page's ONCLICK is raised for it too.
    std::function<void()> OnPress;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if ((msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) && OnPress) OnPress();
        if (msg == WM_SETFOCUS && OnFocus) OnFocus();
        if (msg == WM_KILLFOCUS && OnFocusLost) OnFocusLost(reinterpret_cast<HWND>(wParam));
        return Base::WndProc(msg, wParam, lParam);
    }
};

constexpr int32_t kOffScreen = -400;

} // namespace

TFormWindows::~TFormWindows() {
    Clear();
}

void TFormWindows::Clear() {
    // Destroying a focused window moves the focus, which runs our focus
    // hooks: they find an empty list while the windows go.
    std::map<const TFormControlObj*, Entry> old;
    old.swap(entries_);
    for (auto& [control, entry] : old) {
        entry.Shown = nullptr;
        entry.Window.reset(); // before its holder
    }
}

void TFormWindows::Prune(const TSectionList& document) {
    std::map<const TFormControlObj*, Entry> gone;
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (std::find(document.FormControls.begin(), document.FormControls.end(), it->first) ==
            document.FormControls.end())
            gone.insert(entries_.extract(it++));
        else
            ++it;
    }
    for (auto& [control, entry] : gone) {
        entry.Shown = nullptr;
        entry.Window.reset();
    }
}

void TFormWindows::Create(TSectionList& document, tk::TControl& surface, const std::string& preFontName,
                          int32_t fontSize) {
    Clear();
    TMyFont pre;
    pre.Name = preFontName;
    pre.SetNominalSize(10, fontSize);
    pre.FixedPitch = true;
    pre.CharSet = document.CharSet;
    preFont_ = TGdiFontMetrics::MakeFont(pre);
    for (TFormControlObj* control : document.FormControls)
        if (control->Kind != TControlKind::Hidden && control->Kind != TControlKind::Image)
            MakeWindow(*control, surface);
}

void TFormWindows::MakeWindow(TFormControlObj& c, tk::TControl& surface) {
    Entry& e = entries_[&c];
    tk::TControlParams common;
    common.parent = &surface;
    common.bounds = RECT{0, kOffScreen, std::max(1, c.Width), kOffScreen + std::max(1, c.Height)};
    common.visible = false;
    HFONT font = preFont_.get();
    auto focusHooks = [this, &c](auto& window) {
        window.OnFocus = [this, &c] {
            if (hooks_.Focused) hooks_.Focused(c);
        };
        window.OnFocusLost = [this](HWND to) {
            if (!Owns(to) && hooks_.FocusLeft) hooks_.FocusLeft();
        };
    };
    auto clicked = [this, &c] {
        if (hooks_.Clicked) hooks_.Clicked(c);
    };
    switch (c.Kind) {
    case TControlKind::Edit: {
        tk::TEdit::Params p;
        static_cast<tk::TControlParams&>(p) = common;
        p.font = font;
        p.maxLength = c.MaxLength;
        auto* edit = new Focusable<tk::TEdit>(p);
        e.Window.reset(edit);
        focusHooks(*edit);
        edit->OnPress = clicked;
        if (c.Password) SendMessageA(edit->Handle(), EM_SETPASSWORDCHAR, '*', 0);
        edit->OnKeyDown = [this, &c](WORD& key, UINT) {
            if (key == VK_RETURN && c.Form && hooks_.Submit) {
                key = 0;
                hooks_.Submit(*c.Form, nullptr);
            }
        };
        break;
    }
    case TControlKind::Button: {
        tk::TButton::Params p;
        static_cast<tk::TControlParams&>(p) = common;
        p.caption = c.Caption;
        auto* button = new Focusable<tk::TButton>(p);
        e.Window.reset(button);
        focusHooks(*button);
        button->OnClick = [this, &c, clicked] {
            clicked();
            if (!c.Form) return;
            if (c.ButtonType == "submit" && hooks_.Submit)
                hooks_.Submit(*c.Form, &c);
            else if (c.ButtonType == "reset")
                ResetForm(*c.Form);
        };
        break;
    }
    case TControlKind::CheckBox: {
        tk::TCheckBox::Params p;
        static_cast<tk::TControlParams&>(p) = common;
        auto* box = new Focusable<tk::TCheckBox>(p);
        e.Window.reset(box);
        focusHooks(*box);
        box->OnClick = clicked;
        break;
    }
    case TControlKind::Radio: {
        // Each in a panel of its own: the platform groups radio buttons by
        // parent, the page groups them by form and name.
        tk::TPanel::Params holder;
        holder.parent = &surface;
        holder.bounds = common.bounds;
        holder.bevelOuter = tk::TBevel::bvNone;
        holder.visible = false;
        e.Holder = std::make_unique<tk::TPanel>(holder);
        tk::TRadioButton::Params p;
        p.parent = e.Holder.get();
        p.bounds = RECT{0, 0, 13, 14};
        auto* radio = new Focusable<tk::TRadioButton>(p);
        e.Window.reset(radio);
        focusHooks(*radio);
        radio->OnClick = [this, &c, clicked] {
            if (c.Form)
                for (auto& other : c.Form->Controls)
                    if (other.get() != &c && other->Kind == TControlKind::Radio &&
                        SameTextIgnoringCase(other->Name, c.Name))
                        if (tk::TControl* w = Window(*other))
                            static_cast<tk::TRadioButton*>(w)->SetChecked(false);
            clicked();
        };
        break;
    }
    case TControlKind::ListBox: {
        tk::TListBox::Params p;
        static_cast<tk::TControlParams&>(p) = common;
        p.font = font;
        p.multiSelect = c.Multiple;
        auto* list = new Focusable<tk::TListBox>(p);
        e.Window.reset(list);
        focusHooks(*list);
        list->OnClick = clicked;
        break;
    }
    case TControlKind::Combo: {
        tk::TComboBox::Params p;
        static_cast<tk::TControlParams&>(p) = common;
        p.font = font;
        p.style = tk::TComboBoxStyle::csDropDownList;
        auto* combo = new Focusable<tk::TComboBox>(p);
        e.Window.reset(combo);
        focusHooks(*combo);
        combo->OnPress = clicked;
        combo->OnChange = clicked;
        break;
    }
    case TControlKind::TextArea: {
        tk::TMemo::Params p;
        static_cast<tk::TControlParams&>(p) = common;
        p.font = font;
        p.wordWrap = c.WordWrap;
        p.scrollBars = c.WordWrap ? tk::TScrollStyle::ssVertical : tk::TScrollStyle::ssBoth;
        auto* memo = new Focusable<tk::TMemo>(p);
        e.Window.reset(memo);
        focusHooks(*memo);
        memo->OnPress = clicked;
        break;
    }
    default:
        break;
    }
    e.Shown = e.Holder ? e.Holder.get() : e.Window.get();
    Reset(c);
}

void TFormWindows::Size(TSectionList& document) {
    // The fixed rules give the client areas; the windows add their bars.
    for (TFormControlObj* c : document.FormControls) {
        tk::TControl* w = Window(*c);
        if (!w) continue;
        switch (c->Kind) {
        case TControlKind::ListBox:
            if (static_cast<int32_t>(c->Options.size()) > c->VisibleRows())
                c->Width += GetSystemMetrics(SM_CXVSCROLL);
            break;
        case TControlKind::TextArea:
            c->Width += GetSystemMetrics(SM_CXVSCROLL);
            if (!c->WordWrap) c->Height += GetSystemMetrics(SM_CYHSCROLL);
            break;
        case TControlKind::Combo: {
            // The closed box is as high as its field; the list drops below.
            RECT r{};
            GetWindowRect(w->Handle(), &r);
            if (r.bottom > r.top) c->Height = r.bottom - r.top;
            break;
        }
        default:
            break;
        }
    }
}

void TFormWindows::Place(const TFormControlObj& control, int32_t x, int32_t y) {
    auto it = entries_.find(&control);
    if (it == entries_.end() || !it->second.Shown) return;
    Entry& e = it->second;
    tk::TControl* w = e.Shown;
    // A drop-down list's height is that of its list when dropped.
    const int32_t height = control.Height + (control.Kind == TControlKind::Combo ? 8 * control.Height : 0);
    RECT r{};
    GetWindowRect(w->Handle(), &r);
    MapWindowPoints(nullptr, GetParent(w->Handle()), reinterpret_cast<POINT*>(&r), 2);
    if (r.left != x || r.top != y || r.right - r.left != control.Width ||
        (control.Kind != TControlKind::Combo && r.bottom - r.top != height))
        w->SetBounds(x, y, control.Width, height);
    if (e.Holder) e.Window->SetBounds(0, 0, 13, 14);
    if (!w->Visible()) w->SetVisible(true);
    e.Placed = true;
}

void TFormWindows::HideAll() {
    for (auto& [control, e] : entries_) {
        if (e.Shown && e.Shown->Visible()) e.Shown->SetVisible(false);
        e.Placed = false;
    }
}

void TFormWindows::ShowOutOfSight() {
    for (auto& [control, e] : entries_)
        if (e.Shown && !e.Placed) {
            e.Shown->SetBounds(-4000, e.Shown->Top(), control->Width, control->Height);
            e.Shown->SetVisible(true);
        }
}

bool TFormWindows::Owns(HWND window) const {
    for (const auto& [control, e] : entries_)
        if (e.Window && window && (e.Window->Handle() == window || IsChild(e.Window->Handle(), window)))
            return true;
    return false;
}

tk::TControl* TFormWindows::Window(const TFormControlObj& control) const {
    auto it = entries_.find(&control);
    return it == entries_.end() ? nullptr : it->second.Window.get();
}

bool TFormWindows::Placed(const TFormControlObj& control) const {
    auto it = entries_.find(&control);
    return it != entries_.end() && it->second.Placed;
}

void TFormWindows::ResetForm(ThtmlForm& form) {
    for (auto& c : form.Controls)
        Reset(*c);
}

void TFormWindows::Reset(TFormControlObj& c) {
    auto it = entries_.find(&c);
    if (it == entries_.end()) {
        return;
    }
    Entry& e = it->second;
    e.HasClick = false;
    tk::TControl* w = e.Window.get();
    if (!w) return;
    std::vector<std::string> texts;
    for (const TSelectOption& o : c.Options)
        texts.push_back(o.Text);
    int last = 0;
    for (size_t i = 0; i < c.Options.size(); ++i)
        if (c.Options[i].Selected) last = static_cast<int>(i);
    switch (c.Kind) {
    case TControlKind::Edit:
        w->SetText(c.Value);
        break;
    case TControlKind::CheckBox:
        static_cast<tk::TCheckBox*>(w)->SetChecked(c.Checked);
        break;
    case TControlKind::Radio:
        static_cast<tk::TRadioButton*>(w)->SetChecked(c.Checked);
        break;
    case TControlKind::ListBox: {
        auto* list = static_cast<tk::TListBox*>(w);
        list->SetItems(texts);
        if (c.Multiple) {
            for (size_t i = 0; i < c.Options.size(); ++i)
                list->SetSelected(static_cast<int>(i), c.Options[i].Selected);
        } else if (!texts.empty())
            list->SetItemIndex(last);
        list->SetTopIndex(0);
        break;
    }
    case TControlKind::Combo: {
        auto* combo = static_cast<tk::TComboBox*>(w);
        combo->SetItems(texts);
        if (!texts.empty()) combo->SetItemIndex(last);
        break;
    }
    case TControlKind::TextArea: {
        auto* memo = static_cast<tk::TMemo*>(w);
        memo->SetLines(c.Lines);
        memo->SetSel(0, 0);
        break;
    }
    default:
        break;
    }
}

void TFormWindows::SetClickPoint(TFormControlObj& control, int32_t x, int32_t y) {
    Entry& e = entries_[&control];
    e.HasClick = true;
    e.ClickX = x;
    e.ClickY = y;
}

std::vector<std::string> TFormWindows::Strings(TFormControlObj& c, Entry* e) {
    std::vector<std::string> out;
    tk::TControl* w = e ? e->Window.get() : nullptr;
    auto pair = [&](const std::string& value) { out.push_back(c.Name + "=" + value); };
    auto optionValue = [&](int i) {
        if (i < 0 || i >= static_cast<int>(c.Options.size())) return std::string();
        const TSelectOption& o = c.Options[static_cast<size_t>(i)];
        return o.Value.empty() ? o.Text : o.Value;
    };
    switch (c.Kind) {
    case TControlKind::Edit:
        if (w) pair(w->Text());
        break;
    case TControlKind::CheckBox:
        if (w && static_cast<tk::TCheckBox*>(w)->Checked()) pair(c.Value);
        break;
    case TControlKind::Radio:
        if (w && static_cast<tk::TRadioButton*>(w)->Checked()) pair(c.Value);
        break;
    case TControlKind::Hidden:
        pair(c.Value);
        break;
    case TControlKind::Image:
        if (e && e->HasClick) {
            const std::string prefix = c.Name.empty() ? std::string() : c.Name + ".";
            out.push_back(prefix + "x=" + std::to_string(e->ClickX));
            out.push_back(prefix + "y=" + std::to_string(e->ClickY));
            e->HasClick = false;
        }
        break;
    case TControlKind::ListBox: {
        auto* list = static_cast<tk::TListBox*>(w);
        if (!list) break;
        if (c.Multiple) {
            for (int i = 0; i < list->Count(); ++i)
                if (list->Selected(i)) pair(optionValue(i));
        } else if (list->ItemIndex() >= 0)
            pair(optionValue(list->ItemIndex()));
        break;
    }
    case TControlKind::Combo:
        if (auto* combo = static_cast<tk::TComboBox*>(w); combo && combo->ItemIndex() >= 0)
            pair(optionValue(combo->ItemIndex()));
        break;
    case TControlKind::TextArea: {
        auto* memo = static_cast<tk::TMemo*>(w);
        if (!memo) break;
        std::string text;
        const std::vector<std::string> lines = memo->Lines();
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i && !c.WordWrap) text += "\r\n";
            text += lines[i];
        }
        pair(text);
        break;
    }
    default:
        break;
    }
    return out;
}

std::vector<std::string> TFormWindows::Submission(ThtmlForm& form, TFormControlObj* submitter) {
    std::vector<std::string> results;
    for (auto& c : form.Controls) {
        auto it = entries_.find(c.get());
        for (std::string& s : Strings(*c, it == entries_.end() ? nullptr : &it->second))
            if (!s.empty()) results.push_back(std::move(s));
    }
    if (submitter && submitter->Kind == TControlKind::Button && !submitter->Name.empty())
        results.push_back(submitter->Name + "=" + submitter->Value);
    return results;
}

} // namespace velmora::html
