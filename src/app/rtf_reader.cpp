#include "app/rtf_reader.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace velmora::app {

char UnicodeToCp1254(int32_t code) {
    if (code >= 0 && code < 0x80) return static_cast<char>(code);
    struct Pair {
        int32_t code;
        unsigned char byte;
    };
    static const Pair kSpecial[] = {
        {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
        {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
        {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95}, {0x2013, 0x96},
        {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B}, {0x0153, 0x9C},
        {0x0178, 0x9F}, {0x011E, 0xD0}, {0x0130, 0xDD}, {0x015E, 0xDE}, {0x011F, 0xF0}, {0x0131, 0xFD},
        {0x015F, 0xFE}};
    for (const Pair& p : kSpecial)
        if (p.code == code) return static_cast<char>(p.byte);
    // The rest of Latin-1 is the same in 1254, but for the six Turkish letters' places.
    if (code >= 0xA0 && code <= 0xFF && code != 0xD0 && code != 0xDD && code != 0xDE && code != 0xF0 &&
        code != 0xFD && code != 0xFE)
        return static_cast<char>(code);
    return '?';
}

namespace {

// The character properties a group keeps.
struct CharState {
    int32_t font = -1; // RTF font number; -1: the default font
    int32_t halfPoints = 24;
    bool bold = false, italic = false, underline = false, strikeOut = false;
    int32_t color = 0; // colour table index; 0: automatic
    int32_t unicodeSkip = 1;
};

enum class Destination { dsText, dsSkip, dsFontTable, dsColorTable, dsBulletNumbering };

struct Group {
    CharState state;
    Destination destination;
};

struct RtfFont {
    std::string name;
    uint8_t charset = 1;
};

constexpr size_t kMaxDepth = 512;

class Reader {
public:
    explicit Reader(std::string_view input) : in_(input) {}

    TReportDocument Read() {
        groups_.push_back({CharState{}, Destination::dsText});
        while (pos_ < in_.size()) {
            const char c = in_[pos_++];
            if (c == '{') {
                OpenGroup();
            } else if (c == '}') {
                CloseGroup();
            } else if (c == '\\') {
                ControlWord();
            } else if (c == '\r' || c == '\n') {
                // Line ends in the source mean nothing.
            } else {
                Character(c);
            }
        }
        FinishFontEntry();
        if (!paragraph_.runs.empty() || document_.paragraphs.empty()) EndParagraph(true);
        return std::move(document_);
    }

private:
    Group& Top() { return groups_.back(); }
    CharState& State() { return Top().state; }

    void OpenGroup() {
        if (groups_.size() >= kMaxDepth) {
            ++excessDepth_;
            return;
        }
        groups_.push_back(Top());
        pendingStar_ = false;
    }
    void CloseGroup() {
        if (excessDepth_ > 0) {
            --excessDepth_;
            return;
        }
        if (Top().destination == Destination::dsFontTable) FinishFontEntry();
        if (groups_.size() > 1) groups_.pop_back();
    }

    bool Letter(char c) const { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

    void ControlWord() {
        if (pos_ >= in_.size()) return;
        const char first = in_[pos_];
        if (!Letter(first)) {
            ++pos_;
            ControlSymbol(first);
            return;
        }
        const size_t start = pos_;
        while (pos_ < in_.size() && Letter(in_[pos_]) && pos_ - start < 32)
            ++pos_;
        const std::string_view word = in_.substr(start, pos_ - start);
        bool hasParameter = false;
        bool negative = false;
        int64_t parameter = 0;
        if (pos_ < in_.size() && in_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        size_t digits = 0;
        while (pos_ < in_.size() && in_[pos_] >= '0' && in_[pos_] <= '9') {
            if (digits < 10) parameter = parameter * 10 + (in_[pos_] - '0');
            ++digits;
            ++pos_;
            hasParameter = true;
        }
        parameter = std::min<int64_t>(parameter, INT32_MAX);
        if (negative) parameter = -parameter;
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
        Apply(word, hasParameter, static_cast<int32_t>(parameter));
    }

    void ControlSymbol(char c) {
        switch (c) {
        case '\'': {
            if (pos_ + 2 > in_.size()) {
                pos_ = in_.size();
                return;
            }
            const int high = Hex(in_[pos_]), low = Hex(in_[pos_ + 1]);
            pos_ += 2;
            if (high < 0 || low < 0) return;
            Character(static_cast<char>(high * 16 + low), true);
            return;
        }
        case '*':
            pendingStar_ = true;
            return;
        case '~':
            Character('\xA0', true);
            return;
        case '_':
            Character('-', true);
            return;
        case '\\':
        case '{':
        case '}':
            Character(c, true);
            return;
        case '\r':
        case '\n':
            Apply("par", false, 0);
            return;
        default:
            return; // \- (optional hyphen), \| and the like
        }
    }

    static int Hex(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    void SetDestination(Destination destination) {
        if (excessDepth_ == 0) Top().destination = destination;
    }

    // A control word's parameter as read.
    struct Word {
        bool hasParameter;
        int32_t parameter;
        // A toggle (\b, \b1, \b0): on unless its parameter is 0.
        bool On() const { return !hasParameter || parameter != 0; }
    };
    using Handler = void (*)(Reader& reader, const Word& word);
    enum class When {
        always,
        withParameter, // without one the word does nothing
        evenStarred,   // also after \*, which otherwise skips the group
    };
    struct WordEntry {
        constexpr WordEntry(std::string_view n, Handler h, When w = When::always)
            : name(n), handler(h), when(w) {}
        std::string_view name;
        Handler handler;
        When when;
    };

    static void SkipGroup(Reader& r, const Word&) { r.SetDestination(Destination::dsSkip); }
    static void EndParagraphWord(Reader& r, const Word&) { r.EndParagraph(); }
    template <char C> static void Put(Reader& r, const Word&) { r.Character(C, true); }
    static int32_t Indent(int32_t parameter) { return std::clamp(parameter, -31680, 31680); }

    // The control words of the text and of the groups it holds, by name
    // (sorted: found by a binary search); nullptr for any other word.
    static const WordEntry* TextWord(std::string_view name) {
        static constexpr WordEntry kWords[] = {
            {"annotation", SkipGroup},
            {"atnauthor", SkipGroup},
            {"atnid", SkipGroup},
            {"author", SkipGroup},
            {"b", [](Reader& r, const Word& w) { r.State().bold = w.On(); }},
            {"bkmkend", SkipGroup},
            {"bkmkstart", SkipGroup},
            {"bullet", Put<'\x95'>},
            // A table prints as its rows, the cells apart by tabs.
            {"cell", [](Reader& r, const Word&) { ++r.endedCells_; }},
            {"cf", [](Reader& r, const Word& w) { r.State().color = w.parameter; }, When::withParameter},
            {"colorschememapping", SkipGroup},
            {"colortbl",
             [](Reader& r, const Word&) {
                 r.SetDestination(Destination::dsColorTable);
                 r.colors_.clear();
                 r.colorEntry_ = 0;
             }},
            {"comment", SkipGroup},
            {"company", SkipGroup},
            {"datastore", SkipGroup},
            {"deff", [](Reader& r, const Word& w) { r.defaultFont_ = w.parameter; }, When::withParameter},
            {"doccomm", SkipGroup},
            {"emdash", Put<'\x97'>},
            {"endash", Put<'\x96'>},
            {"f", [](Reader& r, const Word& w) { r.State().font = w.parameter; }, When::withParameter},
            {"fi", [](Reader& r, const Word& w) { r.firstIndent_ = Indent(w.parameter); },
             When::withParameter},
            {"fldinst", SkipGroup},
            {"fonttbl", [](Reader& r, const Word&) { r.SetDestination(Destination::dsFontTable); }},
            {"footer", SkipGroup},
            {"footerf", SkipGroup},
            {"footerl", SkipGroup},
            {"footerr", SkipGroup},
            {"footnote", SkipGroup},
            {"fs", [](Reader& r, const Word& w) { r.State().halfPoints = std::clamp(w.parameter, 2, 3276); },
             When::withParameter},
            {"generator", SkipGroup},
            {"header", SkipGroup},
            {"headerf", SkipGroup},
            {"headerl", SkipGroup},
            {"headerr", SkipGroup},
            {"i", [](Reader& r, const Word& w) { r.State().italic = w.On(); }},
            {"info", SkipGroup},
            {"keywords", SkipGroup},
            {"latentstyles", SkipGroup},
            {"ldblquote", Put<'\x93'>},
            {"li", [](Reader& r, const Word& w) { r.leftIndent_ = Indent(w.parameter); },
             When::withParameter},
            {"line", EndParagraphWord},
            {"listoverridetable", SkipGroup},
            {"listtable", SkipGroup},
            {"listtext", SkipGroup},
            {"lquote", Put<'\x91'>},
            {"nestcell", [](Reader& r, const Word&) { ++r.endedCells_; }},
            {"nestrow", EndParagraphWord},
            {"nonshppict", SkipGroup},
            {"object", SkipGroup},
            {"operator", SkipGroup},
            {"page", EndParagraphWord},
            {"par", EndParagraphWord},
            {"pard",
             [](Reader& r, const Word&) {
                 r.align_ = TReportAlign::raLeft;
                 r.leftIndent_ = r.rightIndent_ = r.firstIndent_ = 0;
                 r.paragraphBullet_ = false;
             }},
            {"pict", SkipGroup},
            {"plain",
             [](Reader& r, const Word&) {
                 CharState& s = r.State();
                 const int32_t skip = s.unicodeSkip;
                 s = CharState{};
                 s.unicodeSkip = skip;
             }},
            // Bullets and numbering: read even when marked as ignorable.
            {"pn", [](Reader& r, const Word&) { r.SetDestination(Destination::dsBulletNumbering); },
             When::evenStarred},
            {"pntext", SkipGroup},
            {"qc", [](Reader& r, const Word&) { r.align_ = TReportAlign::raCenter; }},
            {"qj", [](Reader& r, const Word&) { r.align_ = TReportAlign::raLeft; }},
            {"ql", [](Reader& r, const Word&) { r.align_ = TReportAlign::raLeft; }},
            {"qr", [](Reader& r, const Word&) { r.align_ = TReportAlign::raRight; }},
            {"rdblquote", Put<'\x94'>},
            {"ri", [](Reader& r, const Word& w) { r.rightIndent_ = Indent(w.parameter); },
             When::withParameter},
            {"row", EndParagraphWord},
            {"rquote", Put<'\x92'>},
            {"rsidtbl", SkipGroup},
            {"sect", EndParagraphWord},
            {"strike", [](Reader& r, const Word& w) { r.State().strikeOut = w.On(); }},
            {"stylesheet", SkipGroup},
            {"subject", SkipGroup},
            {"tab", Put<'\t'>},
            {"tc", SkipGroup},
            {"themedata", SkipGroup},
            {"title", SkipGroup},
            {"txe", SkipGroup},
            {"u",
             [](Reader& r, const Word& w) {
                 CharState& s = r.State();
                 const int32_t code = w.parameter < 0 ? w.parameter + 65536 : w.parameter;
                 r.Character(UnicodeToCp1254(code), true);
                 r.SkipReplacement(s.unicodeSkip);
             },
             When::withParameter},
            {"uc", [](Reader& r, const Word& w) { r.State().unicodeSkip = std::clamp(w.parameter, 0, 16); },
             When::withParameter},
            {"ul", [](Reader& r, const Word& w) { r.State().underline = w.On(); }},
            {"ulnone", [](Reader& r, const Word&) { r.State().underline = false; }},
            {"xe", SkipGroup},
            {"xmlnstbl", SkipGroup},
        };
        constexpr auto byName = [](const WordEntry& a, const WordEntry& b) { return a.name < b.name; };
        static_assert(std::is_sorted(std::begin(kWords), std::end(kWords), byName));
        const auto found =
            std::lower_bound(std::begin(kWords), std::end(kWords), WordEntry(name, nullptr), byName);
        return found != std::end(kWords) && found->name == name ? found : nullptr;
    }

    void FontTableWord(std::string_view word, const Word& w, bool starred) {
        if (word == "f" && w.hasParameter) {
            FinishFontEntry();
            fontNumber_ = w.parameter;
            fontName_.clear();
            fontCharset_ = 1;
        } else if (word == "fcharset" && w.hasParameter) {
            fontCharset_ = static_cast<uint8_t>(std::clamp(w.parameter, 0, 255));
        } else if (starred) {
            SetDestination(Destination::dsSkip); // alternative names, panose
        }
    }

    void ColorTableWord(std::string_view word, const Word& w) {
        const int32_t value = std::clamp(w.parameter, 0, 255);
        if (word == "red") colorEntry_ = (colorEntry_ & 0xFFFF00u) | value;
        if (word == "green") colorEntry_ = (colorEntry_ & 0xFF00FFu) | (value << 8);
        if (word == "blue") colorEntry_ = (colorEntry_ & 0x00FFFFu) | (value << 16);
    }

    void Apply(std::string_view word, bool hasParameter, int32_t parameter) {
        const bool starred = pendingStar_;
        pendingStar_ = false;
        const Word w{hasParameter, parameter};
        if (word == "bin") {
            // Binary data of the given length: stepped over whole.
            pos_ += std::min<size_t>(hasParameter && parameter > 0 ? static_cast<size_t>(parameter) : 0,
                                     in_.size() - pos_);
            return;
        }
        switch (Top().destination) {
        case Destination::dsSkip:
            return;
        case Destination::dsFontTable:
            FontTableWord(word, w, starred);
            return;
        case Destination::dsColorTable:
            ColorTableWord(word, w);
            return;
        case Destination::dsBulletNumbering:
            if (word == "pnlvlblt") paragraphBullet_ = true;
            return;
        case Destination::dsText:
            break;
        }
        const WordEntry* entry = TextWord(word);
        // \* marks a group that a reader may skip when it does not know it.
        if (starred && !(entry && entry->when == When::evenStarred)) {
            SetDestination(Destination::dsSkip);
            return;
        }
        if (!entry || (entry->when == When::withParameter && !hasParameter)) return;
        entry->handler(*this, w);
    }

    // Steps over the characters that stand for a \u character in readers that
    // do not know it: plain characters and \'hh each count one.
    void SkipReplacement(int32_t count) {
        while (count > 0 && pos_ < in_.size()) {
            const char c = in_[pos_];
            if (c == '{' || c == '}') return;
            if (c == '\\') {
                if (pos_ + 1 < in_.size() && in_[pos_ + 1] == '\'') {
                    pos_ = std::min(pos_ + 4, in_.size());
                } else {
                    return; // a control word ends the replacement
                }
            } else if (c != '\r' && c != '\n') {
                ++pos_;
            } else {
                ++pos_;
                continue;
            }
            --count;
        }
    }

    void Character(char c, bool literal = false) {
        switch (Top().destination) {
        case Destination::dsSkip:
        case Destination::dsBulletNumbering:
            return;
        case Destination::dsFontTable:
            if (c == ';' && !literal) {
                FinishFontEntry();
            } else if (fontNumber_ != kNoFont && fontName_.size() < 64) {
                fontName_ += c;
            }
            return;
        case Destination::dsColorTable:
            if (c == ';') {
                colors_.push_back(colorEntry_);
                colorEntry_ = 0;
            }
            return;
        case Destination::dsText:
            break;
        }
        // Control characters, however written, are no text (a line break would split a run).
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return;
        const int32_t font = CurrentFont();
        if (paragraph_.runs.empty() || paragraph_.runs.back().font != font)
            paragraph_.runs.push_back(TReportRun{font, {}});
        paragraph_.runs.back().text.append(static_cast<size_t>(endedCells_), '\t');
        endedCells_ = 0;
        paragraph_.runs.back().text += c;
    }

    void FinishFontEntry() {
        if (fontNumber_ == kNoFont) return;
        std::string name = fontName_;
        while (!name.empty() && name.front() == ' ')
            name.erase(name.begin());
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        fonts_[fontNumber_] = RtfFont{name, fontCharset_};
        fontNumber_ = kNoFont;
        fontName_.clear();
    }

    int32_t CurrentFont() {
        const CharState& s = State();
        TReportFont font;
        auto found = fonts_.find(s.font >= 0 ? s.font : defaultFont_);
        if (found == fonts_.end()) found = fonts_.find(defaultFont_);
        if (found != fonts_.end() && !found->second.name.empty()) {
            font.name = found->second.name;
            font.charset = found->second.charset;
        }
        font.twips = s.halfPoints * 10;
        font.bold = s.bold;
        font.italic = s.italic;
        font.underline = s.underline;
        font.strikeOut = s.strikeOut;
        font.color = s.color > 0 && s.color < static_cast<int32_t>(colors_.size()) ? colors_[s.color] : 0;
        auto key = std::make_tuple(font.name, font.twips, font.bold, font.italic, font.underline,
                                   font.strikeOut, font.color, font.charset);
        auto known = fontIndex_.find(key);
        if (known != fontIndex_.end()) return known->second;
        int32_t index;
        if (!usedDefault_) {
            // The document's first font takes the place of the default one.
            document_.fonts[0] = font;
            index = 0;
            usedDefault_ = true;
        } else {
            document_.fonts.push_back(font);
            index = static_cast<int32_t>(document_.fonts.size() - 1);
        }
        fontIndex_.emplace(key, index);
        return index;
    }

    // `force`: the input ended inside a table or a skipped part.
    void EndParagraph(bool force = false) {
        if (Top().destination != Destination::dsText && !force) return;
        paragraph_.endFont = CurrentFont();
        paragraph_.align = align_;
        paragraph_.bullet = paragraphBullet_;
        // RTF keeps the left indent of all lines and the first line's offset
        // from it; the layout wants the first line's indent and the others'
        // offset from that.
        paragraph_.startIndent = leftIndent_ + firstIndent_;
        paragraph_.offset = -firstIndent_;
        paragraph_.rightIndent = rightIndent_;
        document_.paragraphs.push_back(std::move(paragraph_));
        paragraph_ = TReportParagraph{};
        endedCells_ = 0;
    }

    static constexpr int32_t kNoFont = INT32_MIN;

    std::string_view in_;
    size_t pos_ = 0;
    std::vector<Group> groups_;
    size_t excessDepth_ = 0;
    bool pendingStar_ = false;
    int32_t endedCells_ = 0; // cells of the row ended since its last text
    std::map<int32_t, RtfFont> fonts_;
    int32_t defaultFont_ = 0;
    int32_t fontNumber_ = kNoFont;
    std::string fontName_;
    uint8_t fontCharset_ = 1;
    std::vector<uint32_t> colors_;
    uint32_t colorEntry_ = 0;
    TReportAlign align_ = TReportAlign::raLeft;
    int32_t leftIndent_ = 0, rightIndent_ = 0, firstIndent_ = 0;
    bool paragraphBullet_ = false;
    TReportDocument document_;
    TReportParagraph paragraph_;
    std::map<std::tuple<std::string, int32_t, bool, bool, bool, bool, uint32_t, uint8_t>, int32_t> fontIndex_;
    bool usedDefault_ = false;
};

} // namespace

TReportDocument ReadRtf(std::string_view rtf) {
    if (rtf.substr(0, 5) != "{\\rtf") return ReadPlainText(rtf);
    return Reader(rtf).Read();
}

TReportDocument ReadPlainText(std::string_view text, const TReportFont& font) {
    TReportDocument document;
    document.fonts = {font};
    TReportParagraph paragraph;
    auto finish = [&] {
        document.paragraphs.push_back(std::move(paragraph));
        paragraph = TReportParagraph{};
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            finish();
            continue;
        }
        if (paragraph.runs.empty()) paragraph.runs.push_back(TReportRun{0, {}});
        paragraph.runs.back().text += c;
    }
    if (!paragraph.runs.empty() || document.paragraphs.empty()) finish();
    return document;
}

} // namespace velmora::app
