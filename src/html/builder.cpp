#include "html/builder.h"

#include "base/ascii_text.h"
#include "html/text_util.h"

#include "base/os.h"
#include "base/read_file.h"
#include "html/forms.h"
#include "html/table.h"

#include <algorithm>
#include <stdexcept>

namespace velmora::html {

namespace {

constexpr size_t kMaxFonts = 25;
// Lists, tables, CENTER and DIV recurse; deeper nesting than this is read
// as if the extra opening tags were absent, so the stack stays small.
constexpr int kMaxNesting = 200;

constexpr int32_t kNormalSizes[8] = {0, 8, 10, 12, 14, 18, 24, 36};
constexpr int32_t kPreSizes[8] = {0, 7, 8, 10, 12, 15, 20, 30};

bool IsListEnd(Sy s) {
    return s == Sy::OLEnd || s == Sy::ULEnd || s == Sy::DirEnd || s == Sy::MenuEnd || s == Sy::DLEnd ||
           s == Sy::BlockQuoteEnd;
}

constexpr SymbolSet kInlineSymbols = {
    Sy::P,       Sy::PEnd,      Sy::B,        Sy::BEnd,      Sy::I,        Sy::IEnd,     Sy::Br,
    Sy::H,       Sy::HEnd,      Sy::Em,       Sy::EmEnd,     Sy::Strong,   Sy::StrongEnd, Sy::U,
    Sy::UEnd,    Sy::Cite,      Sy::Var,      Sy::CiteEnd,   Sy::VarEnd,   Sy::TT,       Sy::Code,
    Sy::Kbd,     Sy::Samp,      Sy::TTEnd,    Sy::CodeEnd,   Sy::KbdEnd,   Sy::SampEnd,  Sy::Address,
    Sy::AddressEnd, Sy::Pre,    Sy::Img,      Sy::A,         Sy::AEnd,     Sy::Text,     Sy::Table,
    Sy::Input,   Sy::Form,      Sy::FormEnd,  Sy::TextArea,  Sy::TextAreaEnd, Sy::Select, Sy::Font,
    Sy::FontEnd, Sy::BaseFont,  Sy::Sub,      Sy::SubEnd,    Sy::Sup,      Sy::SupEnd,   Sy::Big,
    Sy::BigEnd,  Sy::Small,     Sy::SmallEnd, Sy::Map,       Sy::Script,   Sy::S,        Sy::SEnd,
    Sy::Strike,  Sy::StrikeEnd, Sy::NoBr,     Sy::NoBrEnd,   Sy::Wbr};

// What a stray LI keeps reading.
constexpr SymbolSet kStrayItemSymbols = {
    Sy::B,      Sy::BEnd,    Sy::I,       Sy::IEnd,    Sy::Em,     Sy::EmEnd,   Sy::Strong, Sy::StrongEnd,
    Sy::U,      Sy::UEnd,    Sy::Cite,    Sy::Var,     Sy::CiteEnd, Sy::VarEnd, Sy::TT,     Sy::Code,
    Sy::Kbd,    Sy::Samp,    Sy::TTEnd,   Sy::CodeEnd, Sy::KbdEnd, Sy::SampEnd, Sy::A,      Sy::AEnd,
    Sy::Text,   Sy::FontEnd, Sy::Sub,     Sy::SubEnd,  Sy::Sup,    Sy::SupEnd,  Sy::Big,    Sy::BigEnd,
    Sy::Small,  Sy::SmallEnd, Sy::S,      Sy::SEnd,    Sy::Strike, Sy::StrikeEnd, Sy::NoBr, Sy::NoBrEnd,
    Sy::Wbr};

constexpr SymbolSet kCellTerminators = {Sy::TableEnd, Sy::TD,  Sy::TDEnd,   Sy::TR,        Sy::TREnd,
                                        Sy::TH,       Sy::THEnd, Sy::Caption, Sy::CaptionEnd};

constexpr SymbolSet kListEnds = {Sy::OLEnd, Sy::ULEnd,  Sy::DirEnd,        Sy::MenuEnd,
                                 Sy::DLEnd, Sy::BlockQuoteEnd, Sy::Eof};

class Builder {
public:
    Builder(TSectionList& document, TAnchorList& anchors, Tokenizer& tokenizer, const ParseHooks& hooks)
        : doc_(document), anchors_(anchors), t_(tokenizer), hooks_(hooks), cell_(&document) {}

    ParseResult Run() {
        TMyFont base;
        base.Name = doc_.FontName;
        base.Color = doc_.FontColor;
        base.SetNominalSize(12, doc_.FontSize);
        base.CharSet = doc_.CharSet;
        fonts_.push_back(base);
        section_ = std::make_unique<TSection>(&doc_, 0, base, 0, nullptr, 1);
        try {
            t_.ReadChar();
            Next();
            DoBlock(0, {});
        } catch (...) {
            Finish();
            throw;
        }
        Finish();
        result_.OpenCommentAtEnd = t_.OpenCommentAtEnd();
        return result_;
    }

private:
    // ---- small helpers ----
    Sy Sym() const { return t_.Sym; }
    void Next() { t_.Next(); }
    const TAttributeList& Attrs() const { return t_.Attributes; }
    const TAttribute* Attr(Sy which) const { return t_.Attributes.Find(which); }
    TMyFont& Top() { return fonts_.back(); }
    const TUrlTarget* OpenLink() const { return inLink_ ? &link_ : nullptr; }

    void Finish() {
        CloseSection();
        doc_.Sections.shrink_to_fit();
        fonts_.clear();
        link_.Clear();
        inLink_ = false;
    }

    void CloseSection() {
        if (section_) cell_->Add(std::move(section_));
        spaceOnly_ = false;
    }

    // White space with no section to go to would only make a section that
    // stays empty; it is remembered instead and the section made when
    // something needs it (a line break keeps its empty line that way).
    void MakeSpaceOnlySection(int32_t level) {
        if (!section_ && spaceOnly_) StartSection(level, justify_);
    }

    void StartSection(int32_t level, uint8_t justify) {
        CloseSection();
        section_ = std::make_unique<TSection>(&doc_, level, Top(), style_, OpenLink(), justify);
        sscript_ = 0;
    }

    void EnsureSection(int32_t level) {
        if (!section_) StartSection(level, justify_);
    }

    template <typename T, typename... Args>
    void StartItem(Args&&... args) {
        CloseSection();
        section_ = std::make_unique<T>(&doc_, std::forward<Args>(args)...);
        sscript_ = 0;
    }

    // BODY throws away what came before it: the current section is emptied in
    // place (anchors pointing at it stay valid) and begins again.
    void ResetSection(int32_t level) {
        if (!section_) {
            StartSection(level, justify_);
            return;
        }
        TSection* s = section_.get();
        auto& runs = doc_.LinkRuns;
        while (!runs.empty() && runs.back().Section == s) runs.pop_back();
        section_->Reset(level, Top(), style_, OpenLink(), justify_);
        sscript_ = 0;
    }

    void ApplyFont() {
        if (section_) section_->ChangeFont(Top(), style_, sscript_);
    }

    bool PushFont() {
        if (fonts_.size() >= kMaxFonts) return false;
        fonts_.push_back(fonts_.back());
        return true;
    }

    void PopFont() {
        if (fonts_.size() > 1) fonts_.pop_back();
    }

    void PopFontsTo(size_t depth) {
        while (fonts_.size() > depth && fonts_.size() > 1) fonts_.pop_back();
    }

    uint8_t AlignOf(const TAttribute* align, uint8_t fallback) const {
        if (!align) return fallback;
        const std::string v = LowerAscii(align->Name);
        if (v == "left") return 1;
        if (v == "center") return 2;
        if (v == "right") return 3;
        return fallback;
    }

    struct NestingGuard {
        explicit NestingGuard(int& depth) : depth_(depth) { ++depth_; }
        ~NestingGuard() { --depth_; }
        int& depth_;
    };

    // ---- the block loop ----
    void DoBlock(int32_t level, const SymbolSet& terminators) {
        while (Sym() != Sy::Eof) {
            switch (Sym()) {
            case Sy::Title:
                Next();
                while (Sym() == Sy::Text) {
                    result_.Title += t_.Token;
                    Next();
                }
                break;
            case Sy::Body: DoBody(level); break;
            case Sy::Hr: DoHr(); break;
            case Sy::Base:
                if (const TAttribute* a = Attr(Sy::Href)) result_.BaseUrl = a->Name;
                if (const TAttribute* a = Attr(Sy::Target)) result_.BaseTarget = a->Name;
                Next();
                break;
            case Sy::OL: case Sy::UL: case Sy::Dir: case Sy::Menu: case Sy::DL:
                DoLists(1, Sym(), terminators);
                if (IsListEnd(Sym())) Next();
                break;
            case Sy::LI:
                if (level > 0) Next();
                else DoStrayItem();
                break;
            case Sy::BlockQuote:
                CloseSection();
                DoLists(1, Sy::BlockQuote, terminators);
                if (IsListEnd(Sym())) Next();
                break;
            case Sy::Center: case Sy::Div: DoCenterDiv(level, terminators); break;
            case Sy::BgSound:
                if (hooks_.OnSoundRequest)
                    if (const TAttribute* src = Attr(Sy::Src)) {
                        const TAttribute* loop = Attr(Sy::Loop);
                        hooks_.OnSoundRequest(src->Name, loop ? loop->Value : 1, false);
                    }
                Next();
                break;
            case Sy::Meta:
                DoMeta();
                Next();
                break;
            default:
                if (kInlineSymbols.Contains(Sym())) DoInline(level);
                else if (terminators.Contains(Sym())) return;
                else Next();
                break;
            }
        }
    }

    void DoBody(int32_t level) {
        if (!cell_->Sections.empty()) {
            Next();
            return;
        }
        for (const TAttribute& a : Attrs().Items()) {
            switch (a.Which) {
            case Sy::Text:
                if (auto c = ParseColor(a.Name)) {
                    Top().Color = *c;
                    doc_.FontColor = *c;
                }
                break;
            case Sy::Link: if (auto c = ParseColor(a.Name)) doc_.HotSpotColor = *c; break;
            case Sy::VLink: if (auto c = ParseColor(a.Name)) doc_.LinkVisitedColor = *c; break;
            case Sy::OLink:
                if (auto c = ParseColor(a.Name)) {
                    doc_.LinkActiveColor = *c;
                    doc_.LinksActive = true;
                }
                break;
            case Sy::BgColor: if (auto c = ParseColor(a.Name)) doc_.SetBackground(*c); break;
            case Sy::Background: doc_.BackgroundPictureName = a.Name; break;
            case Sy::MarginWidth: result_.MarginWidth = std::clamp<int32_t>(a.Value, 0, 200); break;
            case Sy::MarginHeight: result_.MarginHeight = std::clamp<int32_t>(a.Value, 0, 200); break;
            default: break;
            }
        }
        ResetSection(level);
        Next();
    }

    void DoHr() {
        CloseSection();
        cell_->Add(std::make_unique<THorzLine>(&doc_, Attrs()));
        Next();
    }

    void DoMeta() {
        const TAttribute* equiv = Attr(Sy::HttpEquiv);
        const TAttribute* name = Attr(Sy::Name);
        const TAttribute* content = Attr(Sy::Content);
        const std::string httpEquiv = equiv ? equiv->Name : std::string();
        const std::string contentText = content ? content->Name : std::string();
        if (LowerAscii(httpEquiv) == "content-type") {
            Top().CharSet = CharsetFromContent(contentText).value_or(hooks_.CharSet);
            ApplyFont();
        }
        if (hooks_.OnMeta) hooks_.OnMeta(httpEquiv, name ? name->Name : std::string(), contentText);
    }

    // ---- the inline handler ----
    void DoInline(int32_t level) {
        switch (Sym()) {
        case Sy::P: case Sy::PEnd: DoParagraph(level); break;
        case Sy::Br: DoBreak(level); break;
        case Sy::H: case Sy::HEnd: DoHeading(level); break;
        case Sy::B: case Sy::Strong: SetStyle(fsBold, true); break;
        case Sy::BEnd: case Sy::StrongEnd: SetStyle(fsBold, false); break;
        case Sy::I: case Sy::Em: case Sy::Cite: case Sy::Var: SetStyle(fsItalic, true); break;
        case Sy::IEnd: case Sy::EmEnd: case Sy::CiteEnd: case Sy::VarEnd: SetStyle(fsItalic, false); break;
        case Sy::U: SetStyle(fsUnderline, true); break;
        case Sy::UEnd: SetStyle(fsUnderline, false); break;
        case Sy::S: case Sy::Strike: SetStyle(fsStrikeOut, true); break;
        case Sy::SEnd: case Sy::StrikeEnd: SetStyle(fsStrikeOut, false); break;
        case Sy::Sub: case Sy::Sup:
            EnsureSection(level);
            sscript_ = Sym() == Sy::Sub ? 1 : 2;
            ApplyFont();
            Next();
            break;
        case Sy::SubEnd: case Sy::SupEnd:
            sscript_ = 0;
            ApplyFont();
            Next();
            break;
        case Sy::TT: case Sy::Code: case Sy::Kbd: case Sy::Samp:
            if (PushFont()) {
                Top().Name = doc_.PreFontName;
                Top().SetNominalSize(10, doc_.FontSize);
                Top().FixedPitch = true;
                ApplyFont();
            }
            Next();
            break;
        case Sy::TTEnd: case Sy::CodeEnd: case Sy::KbdEnd: case Sy::SampEnd: case Sy::FontEnd:
        case Sy::BigEnd: case Sy::SmallEnd:
            PopFont();
            ApplyFont();
            Next();
            break;
        case Sy::Font: case Sy::BaseFont:
            if (DoFontTag(kNormalSizes)) ApplyFont();
            Next();
            break;
        case Sy::Big: case Sy::Small:
            if (DoBigSmall(Sym() == Sy::Big)) ApplyFont();
            Next();
            break;
        case Sy::Address:
            CloseSection();
            if (PushFont()) Top().Style |= fsItalic;
            StartSection(level, justify_);
            Next();
            break;
        case Sy::AddressEnd:
            CloseSection();
            PopFont();
            Next();
            break;
        case Sy::Pre: DoPre(level); break;
        case Sy::Img:
            EnsureSection(level);
            section_->AddImage(Attrs(), cell_, t_.InsideNoBr);
            Next();
            break;
        case Sy::A: case Sy::AEnd:
            DoAnchor(level);
            Next();
            break;
        case Sy::Text:
            if (!section_ && t_.Token == " ") {
                spaceOnly_ = true;
                Next();
                break;
            }
            EnsureSection(level);
            section_->AppendToken(t_.Token, t_.InsideNoBr);
            Next();
            break;
        case Sy::Table: DoTable(level); break;
        case Sy::Input: case Sy::Select: case Sy::TextArea:
            DoControl(level);
            Next();
            break;
        case Sy::Form: case Sy::FormEnd:
            DoForm();
            Next();
            break;
        case Sy::TextAreaEnd: Next(); break;
        case Sy::Map: DoMap(); break;
        case Sy::Script:
            DoScript();
            Next();
            break;
        case Sy::NoBr: case Sy::NoBrEnd:
            t_.InsideNoBr = Sym() == Sy::NoBr;
            Next();
            break;
        case Sy::Wbr:
            if (section_ && t_.InsideNoBr) section_->AppendChar(' ', true);
            Next();
            break;
        default: Next(); break;
        }
    }

    void SetStyle(uint8_t flag, bool on) {
        if (on) style_ |= flag;
        else style_ &= static_cast<uint8_t>(~flag);
        ApplyFont();
        Next();
    }

    void DoParagraph(int32_t level) {
        CloseSection();
        if (!t_.ParagraphSpacePending) cell_->Add(std::make_unique<TParagraphSpace>(&doc_));
        t_.SkipWhite();
        uint8_t align = Sym() == Sy::P ? AlignOf(Attr(Sy::Align), justify_) : justify_;
        t_.ParagraphSpacePending = true;
        Next();
        while (Sym() == Sy::P || Sym() == Sy::PEnd) {
            align = Sym() == Sy::P ? AlignOf(Attr(Sy::Align), justify_) : justify_;
            t_.SkipWhite();
            Next();
        }
        StartSection(level, align);
    }

    void DoBreak(int32_t level) {
        MakeSpaceOnlySection(level);
        const uint8_t align = section_ ? section_->Justify : justify_;
        // An empty line keeps its height through one space.
        if (section_ && section_->Buff.empty()) section_->AppendSpace();
        uint8_t clear = 0;
        if (const TAttribute* c = Attr(Sy::Clear)) {
            const std::string v = LowerAscii(c->Name);
            clear = v == "left" ? 1 : v == "right" ? 2 : 3;
        }
        CloseSection();
        StartSection(level, align);
        section_->ClearAttr = clear;
        Next();
    }

    void DoHeading(int32_t level) {
        static constexpr int32_t kHeadingSizes[7] = {12, 24, 18, 14, 12, 10, 8};
        const int heading = t_.HeadingLevel;
        if (Sym() == Sy::H) {
            if (fonts_.size() < kMaxFonts) {
                CloseSection();
                PushFont();
                Top().SetNominalSize(kHeadingSizes[heading], doc_.FontSize);
                if (heading >= 1) Top().Style |= fsBold;
                cell_->Add(std::make_unique<THeadingSpace>(&doc_, heading));
                StartSection(level, AlignOf(Attr(Sy::Align), justify_));
            }
        } else if (fonts_.size() > 1) {
            CloseSection();
            cell_->Add(std::make_unique<THeadingSpace>(&doc_, heading));
            PopFont();
        }
        Next();
    }

    // FONT and BASEFONT; true when the pushed font got a size, colour or face.
    bool DoFontTag(const int32_t* sizes) {
        const bool isBase = Sym() == Sy::BaseFont;
        if (isBase && !(cell_ == &doc_ && doc_.Sections.empty())) return false;
        int32_t size = 0;
        std::optional<TColor> color;
        std::string face;
        for (const TAttribute& a : Attrs().Items()) {
            if (a.Which == Sy::Size) {
                int64_t n = a.Value;
                if (a.Name.size() > 1 && (a.Name[0] == '+' || a.Name[0] == '-')) n += baseFontSize_;
                size = static_cast<int32_t>(std::clamp<int64_t>(n, 1, 7));
                if (isBase) baseFontSize_ = size;
            } else if (a.Which == Sy::Color && !isBase) {
                if (auto c = ParseColor(a.Name)) color = c;
            } else if (a.Which == Sy::Face && !isBase) {
                std::string f = a.Name.substr(0, 50);
                if (const size_t comma = f.find(','); comma != std::string::npos) f.erase(comma);
                f = TrimCopy(f);
                if (!f.empty()) face = f;
            }
        }
        if (isBase && size == 0) return false;
        if (!PushFont()) return false;
        bool changed = false;
        if (color) {
            Top().Color = *color;
            changed = true;
        }
        if (size > 0) {
            Top().SetNominalSize(sizes[size], doc_.FontSize);
            changed = true;
        }
        if (!face.empty()) {
            Top().Name = face;
            changed = true;
        }
        return changed;
    }

    bool DoBigSmall(bool big) {
        int index = 3;
        for (int i = 1; i <= 7; ++i)
            if (kNormalSizes[i] <= Top().NominalSize) index = i;
        index = big ? std::min(index + 1, 7) : std::max(index - 1, 1);
        if (!PushFont()) return false;
        Top().SetNominalSize(kNormalSizes[index], doc_.FontSize);
        return true;
    }

    // ---- links and anchors ----
    void EndLink() {
        if (!inLink_) return;
        link_.Clear();
        inLink_ = false;
        if (linkPushedFont_) PopFont();
        linkPushedFont_ = false;
        if (section_) section_->HRef(false, Top(), style_, sscript_, nullptr);
    }

    void DoAnchor(int32_t level) {
        if (Sym() == Sy::AEnd) {
            EndLink();
            return;
        }
        for (const TAttribute& a : Attrs().Items()) {
            if (a.Which == Sy::Href) {
                EndLink();
                link_.Url = a.Name;
                const TAttribute* target = Attr(Sy::Target);
                link_.Target = target ? target->Name : std::string();
                inLink_ = true;
                linkPushedFont_ = PushFont();
                if (linkPushedFont_) {
                    Top().Style |= doc_.LinkStyle;
                    Top().Color = doc_.HotSpotColor;
                }
                if (section_) section_->HRef(true, Top(), style_, sscript_, &link_);
            } else if (a.Which == Sy::Name) {
                EnsureSection(level);
                std::string name = UpperAscii(a.Name);
                if (!name.empty() && name[0] == '#') name.erase(0, 1);
                anchors_.emplace(name, section_.get());
            }
        }
    }

    // ---- lists ----
    void DoLists(int32_t level, Sy opener, const SymbolSet& terminators) {
        if (nesting_ >= kMaxNesting) {
            Next();
            return;
        }
        NestingGuard guard(nesting_);
        int32_t number = 1;
        char numType = '1';
        bool plain = false;
        if (opener == Sy::OL) {
            if (const TAttribute* s = Attr(Sy::Start); s && s->Value >= 0) number = s->Value;
            if (const TAttribute* t = Attr(Sy::Type); t && !t->Name.empty()) numType = t->Name[0];
        } else if (opener == Sy::UL) {
            plain = Attrs().Has(Sy::Plain);
        }
        CloseSection();
        Next();
        if (IsListEnd(Sym())) return;
        while (!IsListEnd(Sym()) && Sym() != Sy::Eof) {
            switch (Sym()) {
            case Sy::LI:
                if (opener == Sy::OL) {
                    StartItem<TOListItem>(level, Top(), style_, OpenLink(), justify_, number, numType);
                    if (number < INT32_MAX) ++number;
                } else {
                    StartItem<TUListItem>(level, Top(), style_, OpenLink(), justify_, plain);
                }
                t_.SkipWhite();
                Next();
                if (Sym() == Sy::P) Next();
                break;
            case Sy::DD: case Sy::DT:
                StartItem<TDListItem>(Sym() == Sy::DD ? level : level - 1, Top(), style_, OpenLink(), justify_);
                Next();
                break;
            case Sy::BlockQuote:
                CloseSection();
                DoLists(level + 1, Sy::BlockQuote, terminators);
                if (IsListEnd(Sym())) Next();
                break;
            case Sy::OL: case Sy::UL: case Sy::Dir: case Sy::Menu: case Sy::DL:
                DoLists(level + 1, Sym(), terminators);
                if (IsListEnd(Sym())) Next();
                break;
            case Sy::Table:
                MakeSpaceOnlySection(level);
                if (section_ && section_->Buff.empty()) section_->AppendSpace();
                DoTable(level);
                break;
            case Sy::Center: case Sy::Div: DoCenterDiv(level, terminators + kListEnds); break;
            case Sy::Hr: DoHr(); break;
            default:
                if (kInlineSymbols.Contains(Sym())) DoInline(level);
                else if (terminators.Contains(Sym())) return;
                else Next();
                break;
            }
        }
        CloseSection();
    }

    void DoStrayItem() {
        StartItem<TUListItem>(1, Top(), style_, OpenLink(), justify_, false, kStrayListIndent);
        t_.SkipWhite();
        Next();
        while (kStrayItemSymbols.Contains(Sym())) DoInline(1);
        CloseSection();
    }

    // ---- CENTER and DIV ----
    void DoCenterDiv(int32_t level, const SymbolSet& terminators) {
        if (nesting_ >= kMaxNesting) {
            Next();
            return;
        }
        NestingGuard guard(nesting_);
        CloseSection();
        const uint8_t saved = justify_;
        if (Sym() == Sy::Center) justify_ = 2;
        else justify_ = AlignOf(Attr(Sy::Align), justify_);
        StartSection(level, justify_);
        Next();
        DoBlock(level, terminators + SymbolSet{Sy::CenterEnd, Sy::DivEnd});
        CloseSection();
        justify_ = saved;
        StartSection(level, justify_);
        if (Sym() == Sy::CenterEnd || Sym() == Sy::DivEnd) Next();
    }

    // ---- PRE ----
    void DoPre(int32_t level) {
        CloseSection();
        const size_t depth = fonts_.size();
        if (PushFont()) {
            Top().Name = doc_.PreFontName;
            Top().SetNominalSize(10, doc_.FontSize);
            Top().FixedPitch = true;
        }
        const size_t preDepth = fonts_.size();
        auto newLine = [&] { StartItem<TPreFormated>(level, Top(), style_, OpenLink(), uint8_t{1}); };
        newLine();
        t_.Preformatted = true;
        std::string text;
        auto flush = [&] {
            if (!text.empty() && section_) section_->AppendToken(text, false);
            text.clear();
        };
        bool done = false;
        while (!done) {
            const char c = t_.Ch;
            if (c == kEndOfInput) break;
            if (c == '\r') {
                flush();
                newLine();
                t_.ReadChar();
            } else if (c == '&') {
                const std::string entity = t_.ReadEntity();
                if (entity == "\n") {
                    // &#10; breaks a preformatted line like a line end.
                    flush();
                    newLine();
                } else {
                    text += entity;
                }
            } else if (c == '<') {
                t_.GetTag();
                done = DoPreTag(level, preDepth, text, flush, newLine);
            } else if (static_cast<unsigned char>(c) < 32) {
                // Control characters would be taken for the codes of images
                // and controls; they have no place in the text.
                t_.ReadChar();
            } else {
                text += c;
                t_.ReadChar();
            }
            if (text.size() > 200) flush();
        }
        flush();
        CloseSection();
        t_.Preformatted = false;
        PopFontsTo(depth);
        Next();
    }

    template <typename Flush, typename NewLine>
    bool DoPreTag(int32_t level, size_t preDepth, std::string& text, Flush& flush, NewLine& newLine) {
        switch (Sym()) {
        case Sy::Text:
            // A text token read past a MAP may hold line ends of its own.
            for (char c : t_.Token) {
                if (c == '\r') {
                    flush();
                    newLine();
                } else if (static_cast<unsigned char>(c) >= 32) {
                    text += c;
                }
            }
            break;
        case Sy::P: case Sy::Br:
            flush();
            newLine();
            if (t_.Ch == '\r') t_.ReadChar();
            break;
        case Sy::B: case Sy::Strong: flush(); StyleOnly(fsBold, true); break;
        case Sy::BEnd: case Sy::StrongEnd: flush(); StyleOnly(fsBold, false); break;
        case Sy::I: case Sy::Em: case Sy::Cite: case Sy::Var: flush(); StyleOnly(fsItalic, true); break;
        case Sy::IEnd: case Sy::EmEnd: case Sy::CiteEnd: case Sy::VarEnd: flush(); StyleOnly(fsItalic, false); break;
        case Sy::U: flush(); StyleOnly(fsUnderline, true); break;
        case Sy::UEnd: flush(); StyleOnly(fsUnderline, false); break;
        case Sy::S: case Sy::Strike: flush(); StyleOnly(fsStrikeOut, true); break;
        case Sy::SEnd: case Sy::StrikeEnd: flush(); StyleOnly(fsStrikeOut, false); break;
        case Sy::PreEnd: case Sy::TDEnd: case Sy::THEnd: return true;
        case Sy::Img:
            flush();
            section_->AddImage(Attrs(), cell_, t_.InsideNoBr);
            break;
        case Sy::A: case Sy::AEnd:
            flush();
            DoAnchor(level);
            break;
        case Sy::Input: case Sy::Select: case Sy::TextArea:
            flush();
            DoControl(level);
            break;
        case Sy::Form: case Sy::FormEnd:
            flush();
            DoForm();
            break;
        case Sy::Font: case Sy::BaseFont:
            flush();
            if (DoFontTag(kPreSizes)) ApplyFont();
            break;
        case Sy::FontEnd:
            if (fonts_.size() > preDepth) {
                flush();
                PopFont();
                ApplyFont();
            }
            break;
        case Sy::Map:
            flush();
            DoMap();
            // MAP reads one symbol past its end; that symbol is the next
            // thing in the preformatted text (an </PRE> ends it).
            while (Sym() == Sy::Map)
                DoMap();
            if (Sym() != Sy::Eof && Sym() != Sy::Map) return DoPreTag(level, preDepth, text, flush, newLine);
            break;
        case Sy::Script:
            flush();
            DoScript();
            break;
        default: break;
        }
        return false;
    }

    void StyleOnly(uint8_t flag, bool on) {
        if (on) style_ |= flag;
        else style_ &= static_cast<uint8_t>(~flag);
        ApplyFont();
    }

    // ---- forms ----
    ThtmlForm* CurrentForm() {
        if (!form_) {
            doc_.Forms.push_back(std::make_unique<ThtmlForm>(&doc_, nullptr));
            form_ = doc_.Forms.back().get();
        }
        return form_;
    }

    void DoForm() {
        if (Sym() == Sy::Form) {
            doc_.Forms.push_back(std::make_unique<ThtmlForm>(&doc_, &Attrs()));
            form_ = doc_.Forms.back().get();
        } else {
            form_ = nullptr;
        }
    }

    void DoControl(int32_t level) {
        EnsureSection(level);
        const Sy tag = Sym();
        TFormControlObj* control = CurrentForm()->AddControl(tag, Attrs());
        if (control->Kind == TControlKind::Image) {
            TImageObj* image = section_->AddImage(Attrs(), cell_, t_.InsideNoBr);
            image->MyFormControl = control;
            control->Image = image;
            control->Pos = image->Pos;
        } else if (control->Kind != TControlKind::Hidden) {
            section_->AddFormControl(control, t_.InsideNoBr);
        }
        if (tag == Sy::Select) ReadOptions(*control);
        else if (tag == Sy::TextArea) control->Lines = t_.ReadTextAreaLines();
    }

    void ReadOptions(TFormControlObj& control) {
        const bool savedNoBr = t_.InsideNoBr;
        t_.InsideNoBr = false;
        bool inOption = false;
        std::string text, value;
        bool selected = false;
        auto addOption = [&] {
            if (inOption) {
                std::string trimmed = TrimCopy(text);
                if (!trimmed.empty()) control.Options.push_back({std::move(trimmed), value, selected});
            }
            text.clear();
        };
        Next();
        while (Sym() != Sy::SelectEnd && Sym() != Sy::Eof) {
            if (Sym() == Sy::Option || Sym() == Sy::OptionEnd) {
                addOption();
                inOption = Sym() == Sy::Option;
                if (inOption) {
                    const TAttribute* v = Attr(Sy::Value);
                    value = v ? v->Name.substr(0, 255) : std::string();
                    selected = Attrs().Has(Sy::Selected);
                }
            } else if (Sym() == Sy::Text && inOption) {
                text += t_.Token;
                if (text.size() > 255) text.resize(255);
            }
            Next();
        }
        addOption();
        t_.InsideNoBr = savedNoBr;
    }

    void DoScript() {
        const TAttribute* name = Attr(Sy::Name);
        const TAttribute* language = Attr(Sy::Language);
        t_.ReadScript(hooks_.OnScript, name ? name->Name : std::string(),
                      language ? language->Name : std::string());
    }

    // ---- maps ----
    void DoMap() {
        const TAttribute* name = Attr(Sy::Name);
        auto map = std::make_unique<TMapItem>(UpperAscii(name ? name->Name : std::string()));
        int others = 0;
        Next();
        for (;;) {
            if (Sym() == Sy::MapEnd) {
                doc_.Maps.push_back(std::move(map));
                Next();
                return;
            }
            if (Sym() == Sy::Eof) return;
            if (Sym() == Sy::Area) map->AddArea(Attrs());
            else if (Sym() != Sy::Text && ++others >= 3) return; // left for the caller
            Next();
        }
    }

    // ---- tables ----
    void DoTable(int32_t level) {
        if (nesting_ >= kMaxNesting) {
            Next();
            return;
        }
        NestingGuard guard(nesting_);
        EndLink();
        CloseSection();
        TCell* const enclosing = cell_;
        const uint8_t savedJustify = justify_;
        const uint8_t savedStyle = style_;
        const bool savedNoBr = t_.InsideNoBr;
        const size_t fontDepth = fonts_.size();
        // The table joins its cell at once, and rows and cells join the
        // table as they start, so that an exception leaves nothing loose.
        enclosing->Add(std::make_unique<ThtmlTable>(&doc_, Attrs(), level, enclosing, justify_));
        size_t tableIndex = enclosing->Sections.size() - 1;
        auto* table = static_cast<ThtmlTable*>(enclosing->Sections.back().get());
        TCellList* row = nullptr;
        bool cellOpen = false;
        auto finishCell = [&] {
            if (!cellOpen) return;
            CloseSection();
            cell_ = enclosing;
            cellOpen = false;
        };
        auto startRow = [&](const TAttributeList* attributes) {
            table->Rows.push_back(std::make_unique<TCellList>(attributes));
            row = table->Rows.back().get();
        };
        Next();
        while (Sym() != Sy::TableEnd && Sym() != Sy::Eof) {
            switch (Sym()) {
            case Sy::TD: case Sy::TH: {
                EndLink();
                PopFontsTo(fontDepth);
                style_ = savedStyle;
                t_.InsideNoBr = Attrs().Has(Sy::NoWrap) && !Attrs().Has(Sy::Width);
                finishCell();
                if (!row) startRow(nullptr);
                justify_ = row->Align ? row->Align : (Sym() == Sy::TD ? 1 : 2);
                if (Sym() == Sy::TH) style_ |= fsBold;
                else style_ &= static_cast<uint8_t>(~fsBold);
                justify_ = AlignOf(Attr(Sy::Align), justify_);
                row->Cells.push_back(std::make_unique<TCellObj>(&doc_, &Attrs(), row->VAlign));
                cell_ = &row->Cells.back()->Cell;
                cellOpen = true;
                t_.SkipWhite();
                t_.ParagraphSpacePending = true;
                Next();
                DoBlock(0, kCellTerminators);
                break;
            }
            case Sy::TDEnd: case Sy::THEnd:
                finishCell();
                Next();
                break;
            case Sy::TR: case Sy::TREnd:
                EndLink();
                finishCell();
                row = nullptr;
                if (Sym() == Sy::TR) startRow(&Attrs());
                Next();
                break;
            case Sy::Caption: {
                EndLink();
                PopFontsTo(fontDepth);
                style_ = savedStyle;
                t_.InsideNoBr = false;
                finishCell();
                const TAttribute* align = Attr(Sy::Align);
                table->CaptionBelow = align && LowerAscii(align->Name) == "bottom";
                cell_ = &table->Caption->Cell;
                justify_ = 2;
                Next();
                DoBlock(0, kCellTerminators);
                CloseSection();
                cell_ = enclosing;
                justify_ = savedJustify;
                if (Sym() == Sy::CaptionEnd) Next();
                break;
            }
            case Sy::Text: {
                // Text between the table's tags shows above the table. White
                // space there would only make empty sections: it is passed over.
                if (t_.Token.find_first_not_of(std::string_view(" \x05", 2)) == std::string::npos) {
                    Next();
                    break;
                }
                auto& sections = enclosing->Sections;
                const size_t before = sections.size();
                DoBlock(level, kCellTerminators);
                CloseSection();
                if (sections.size() > before && tableIndex < sections.size() &&
                    sections[tableIndex].get() == table) {
                    const auto it = sections.begin() + static_cast<ptrdiff_t>(tableIndex);
                    std::rotate(it, it + 1, sections.end());
                    tableIndex = sections.size() - 1;
                }
                break;
            }
            default: Next(); break;
            }
        }
        EndLink();
        PopFontsTo(fontDepth);
        finishCell();
        cell_ = enclosing;
        style_ = savedStyle;
        t_.InsideNoBr = savedNoBr;
        justify_ = savedJustify;
        Next();
    }

    TSectionList& doc_;
    TAnchorList& anchors_;
    Tokenizer& t_;
    const ParseHooks& hooks_;
    ParseResult result_;

    TCell* cell_;
    std::unique_ptr<TSection> section_;
    std::vector<TMyFont> fonts_;
    TUrlTarget link_;
    bool inLink_ = false;
    bool linkPushedFont_ = false;
    uint8_t justify_ = 1;
    uint8_t style_ = 0;
    uint8_t sscript_ = 0;
    int32_t baseFontSize_ = 3;
    ThtmlForm* form_ = nullptr;
    int nesting_ = 0;
    bool spaceOnly_ = false;
};

} // namespace

ParseResult ParseHtmlText(TSectionList& document, TAnchorList& anchors, std::string_view text,
                          const ParseHooks& hooks) {
    Tokenizer tokenizer(text, hooks.OnInclude);
    document.Anchors = &anchors;
    Builder builder(document, anchors, tokenizer, hooks);
    return builder.Run();
}

ParseResult ParseHtmlFile(TSectionList& document, TAnchorList& anchors, const std::string& fileName,
                          const ParseHooks& hooks) {
    const ReadResult read = ReadWholeFile(fileName, INT32_MAX);
    if (!read) throw std::runtime_error("Can't read file: " + fileName);
    return ParseHtmlText(document, anchors, read.bytes, hooks);
}

} // namespace velmora::html
