#include "html/forms.h"

#include "base/ascii_text.h"
#include "html/text_util.h"

#include "html/document.h"

#include <algorithm>
#include <charconv>

namespace velmora::html {

namespace {

const std::string* Text(const TAttributeList& attributes, Sy which) {
    const TAttribute* a = attributes.Find(which);
    return a ? &a->Name : nullptr;
}

// SIZE of an edit box: the number when above 0; otherwise the number before
// the first comma or space after the first character ("30,1"); else 20.
int32_t EditSizeOf(const TAttribute* size) {
    if (!size) return 20;
    if (size->Value > 0) return size->Value;
    const std::string& s = size->Name;
    const size_t cut = s.find_first_of(", ", 1);
    if (cut == std::string::npos) return 20;
    int32_t v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + cut, v);
    if (ec != std::errc() || p != s.data() + cut) return 20;
    return v;
}

} // namespace

const char* ControlKindName(TControlKind kind) {
    switch (kind) {
    case TControlKind::Edit: return "edit";
    case TControlKind::Button: return "button";
    case TControlKind::CheckBox: return "checkbox";
    case TControlKind::Radio: return "radio";
    case TControlKind::Hidden: return "hidden";
    case TControlKind::Image: return "image";
    case TControlKind::ListBox: return "listbox";
    case TControlKind::Combo: return "combo";
    case TControlKind::TextArea: return "textarea";
    }
    return "?";
}

TFormControlObj::TFormControlObj(TControlKind kind, TSectionList* document, ThtmlForm* form,
                                 const TAttributeList& attributes)
    : Kind(kind), Document(document), Form(form) {
    if (auto* v = Text(attributes, Sy::Value)) Value = *v;
    if (auto* v = Text(attributes, Sy::Name)) Name = *v;
    if (auto* v = Text(attributes, Sy::OnClick)) OnClick = *v;
    OnBaseline = kind == TControlKind::CheckBox || kind == TControlKind::Radio;
    switch (kind) {
    case TControlKind::Edit:
        Password = LowerAscii(Text(attributes, Sy::Type) ? *Text(attributes, Sy::Type) : "") == "password";
        EditSize = std::clamp<int32_t>(EditSizeOf(attributes.Find(Sy::Size)), 0, 1000);
        if (const TAttribute* m = attributes.Find(Sy::MaxLength)) MaxLength = std::max<int32_t>(0, m->Value);
        break;
    case TControlKind::Button: {
        ButtonType = LowerAscii(*Text(attributes, Sy::Type));
        if (!Value.empty()) Caption = Value;
        else if (ButtonType == "submit") Caption = "Submit";
        else if (ButtonType == "reset") Caption = "Reset";
        else Caption = "Button";
        break;
    }
    case TControlKind::CheckBox:
        Checked = attributes.Has(Sy::Checked);
        if (Value.empty()) Value = "on";
        break;
    case TControlKind::Radio: Checked = attributes.Has(Sy::Checked); break;
    case TControlKind::ListBox:
    case TControlKind::Combo:
        Multiple = attributes.Has(Sy::Multiple);
        if (const TAttribute* s = attributes.Find(Sy::Size)) ListSize = std::clamp<int32_t>(s->Value, 0, 1000);
        break;
    case TControlKind::TextArea: {
        if (const TAttribute* r = attributes.Find(Sy::Rows)) Rows = std::clamp<int32_t>(r->Value, 1, 1000);
        if (const TAttribute* c = attributes.Find(Sy::Cols)) Cols = std::clamp<int32_t>(c->Value, 1, 1000);
        if (auto* w = Text(attributes, Sy::Wrap)) {
            const std::string wrap = LowerAscii(*w);
            WordWrap = wrap == "soft" || wrap == "hard";
        }
        break;
    }
    default: break;
    }
}

int32_t TFormControlObj::VisibleRows() const {
    if (ListSize > 0) return ListSize;
    return std::clamp<int32_t>(static_cast<int32_t>(Options.size()), 1, 8);
}

ThtmlForm::ThtmlForm(TSectionList* document, const TAttributeList* attributes) : Document(document) {
    if (!attributes) return;
    for (const TAttribute& a : attributes->Items()) {
        switch (a.Which) {
        case Sy::Method: Method = a.Name.substr(0, 4); break;
        case Sy::Action: Action = a.Name; break;
        case Sy::Target: Target = a.Name; break;
        case Sy::EncType: EncType = a.Name; break;
        default: break;
        }
    }
}

TFormControlObj* ThtmlForm::AddControl(Sy tag, const TAttributeList& attributes) {
    TControlKind kind = TControlKind::Edit;
    if (tag == Sy::Select) {
        const TAttribute* size = attributes.Find(Sy::Size);
        kind = attributes.Has(Sy::Multiple) || (size && size->Value > 1) ? TControlKind::ListBox
                                                                          : TControlKind::Combo;
    } else if (tag == Sy::TextArea) {
        kind = TControlKind::TextArea;
    } else {
        const TAttribute* type = attributes.Find(Sy::Type);
        const std::string t = type ? LowerAscii(type->Name) : std::string();
        if (t == "submit" || t == "reset" || t == "button") kind = TControlKind::Button;
        else if (t == "checkbox") kind = TControlKind::CheckBox;
        else if (t == "radio") kind = TControlKind::Radio;
        else if (t == "hidden") kind = TControlKind::Hidden;
        else if (t == "image") kind = TControlKind::Image;
    }
    Controls.push_back(std::make_unique<TFormControlObj>(kind, Document, this, attributes));
    TFormControlObj* control = Controls.back().get();
    if (kind != TControlKind::Hidden) ++NonHiddenCount;
    Document->FormControls.push_back(control);
    return control;
}

} // namespace velmora::html
