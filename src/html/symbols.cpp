#include "html/symbols.h"

#include <cctype>

#include "base/ascii_text.h"

namespace velmora::html {

const TagEntry kTagTable[] = {
    {"HTML", Sy::Html, Sy::HtmlEnd},
    {"TITLE", Sy::Title, Sy::TitleEnd},
    {"BODY", Sy::Body, Sy::BodyEnd},
    {"HEAD", Sy::Head, Sy::HeadEnd},
    {"B", Sy::B, Sy::BEnd},
    {"I", Sy::I, Sy::IEnd},
    {"H", Sy::H, Sy::HEnd},
    {"EM", Sy::Em, Sy::EmEnd},
    {"STRONG", Sy::Strong, Sy::StrongEnd},
    {"U", Sy::U, Sy::UEnd},
    {"CITE", Sy::Cite, Sy::CiteEnd},
    {"VAR", Sy::Var, Sy::VarEnd},
    {"TT", Sy::TT, Sy::TTEnd},
    {"CODE", Sy::Code, Sy::CodeEnd},
    {"KBD", Sy::Kbd, Sy::KbdEnd},
    {"SAMP", Sy::Samp, Sy::SampEnd},
    {"OL", Sy::OL, Sy::OLEnd},
    {"UL", Sy::UL, Sy::ULEnd},
    {"DIR", Sy::Dir, Sy::DirEnd},
    {"MENU", Sy::Menu, Sy::MenuEnd},
    {"DL", Sy::DL, Sy::DLEnd},
    {"A", Sy::A, Sy::AEnd},
    {"ADDRESS", Sy::Address, Sy::AddressEnd},
    {"BLOCKQUOTE", Sy::BlockQuote, Sy::BlockQuoteEnd},
    {"PRE", Sy::Pre, Sy::PreEnd},
    {"CENTER", Sy::Center, Sy::CenterEnd},
    {"TABLE", Sy::Table, Sy::TableEnd},
    {"TD", Sy::TD, Sy::TDEnd},
    {"TH", Sy::TH, Sy::THEnd},
    {"CAPTION", Sy::Caption, Sy::CaptionEnd},
    {"FORM", Sy::Form, Sy::FormEnd},
    {"TEXTAREA", Sy::TextArea, Sy::TextAreaEnd},
    {"SELECT", Sy::Select, Sy::SelectEnd},
    {"OPTION", Sy::Option, Sy::OptionEnd},
    {"FONT", Sy::Font, Sy::FontEnd},
    {"SUB", Sy::Sub, Sy::SubEnd},
    {"SUP", Sy::Sup, Sy::SupEnd},
    {"BIG", Sy::Big, Sy::BigEnd},
    {"SMALL", Sy::Small, Sy::SmallEnd},
    {"P", Sy::P, Sy::PEnd},
    {"MAP", Sy::Map, Sy::MapEnd},
    {"FRAMESET", Sy::FrameSet, Sy::FrameSetEnd},
    {"NOFRAMES", Sy::NoFrames, Sy::NoFramesEnd},
    {"SCRIPT", Sy::Script, Sy::ScriptEnd},
    {"DIV", Sy::Div, Sy::DivEnd},
    {"S", Sy::S, Sy::SEnd},
    {"STRIKE", Sy::Strike, Sy::StrikeEnd},
    {"TR", Sy::TR, Sy::TREnd},
    {"NOBR", Sy::NoBr, Sy::NoBrEnd},
    {"LI", Sy::LI, Sy::UnknownTag},
    {"BR", Sy::Br, Sy::UnknownTag},
    {"HR", Sy::Hr, Sy::UnknownTag},
    {"DD", Sy::DD, Sy::UnknownTag},
    {"DT", Sy::DT, Sy::UnknownTag},
    {"IMG", Sy::Img, Sy::UnknownTag},
    {"BASE", Sy::Base, Sy::UnknownTag},
    {"BUTTON", Sy::Button, Sy::UnknownTag},
    {"INPUT", Sy::Input, Sy::UnknownTag},
    {"SELECTED", Sy::Selected, Sy::UnknownTag},
    {"BASEFONT", Sy::BaseFont, Sy::UnknownTag},
    {"AREA", Sy::Area, Sy::UnknownTag},
    {"FRAME", Sy::Frame, Sy::UnknownTag},
    {"BGSOUND", Sy::BgSound, Sy::UnknownTag},
    {"WRAP", Sy::Wrap, Sy::UnknownTag},
    {"META", Sy::Meta, Sy::UnknownTag},
    {"WBR", Sy::Wbr, Sy::UnknownTag},
};
static_assert(sizeof(kTagTable) / sizeof(kTagTable[0]) == kTagCount);

const AttributeEntry kAttributeTable[] = {
    {"HREF", Sy::Href},
    {"NAME", Sy::Name},
    {"SRC", Sy::Src},
    {"ALT", Sy::Alt},
    {"ALIGN", Sy::Align},
    {"TEXT", Sy::Text},
    {"BGCOLOR", Sy::BgColor},
    {"LINK", Sy::Link},
    {"BACKGROUND", Sy::Background},
    {"COLSPAN", Sy::ColSpan},
    {"ROWSPAN", Sy::RowSpan},
    {"BORDER", Sy::Border},
    {"CELLPADDING", Sy::CellPadding},
    {"CELLSPACING", Sy::CellSpacing},
    {"VALIGN", Sy::VAlign},
    {"WIDTH", Sy::Width},
    {"START", Sy::Start},
    {"VALUE", Sy::Value},
    {"TYPE", Sy::Type},
    {"CHECKBOX", Sy::CheckBox},
    {"RADIO", Sy::Radio},
    {"METHOD", Sy::Method},
    {"ACTION", Sy::Action},
    {"CHECKED", Sy::Checked},
    {"SIZE", Sy::Size},
    {"MAXLENGTH", Sy::MaxLength},
    {"COLS", Sy::Cols},
    {"ROWS", Sy::Rows},
    {"MULTIPLE", Sy::Multiple},
    {"SELECTED", Sy::Selected},
    {"FACE", Sy::Face},
    {"COLOR", Sy::Color},
    {"TRANSP", Sy::Transp},
    {"CLEAR", Sy::Clear},
    {"ISMAP", Sy::IsMap},
    {"BORDERCOLOR", Sy::BorderColor},
    {"USEMAP", Sy::UseMap},
    {"SHAPE", Sy::Shape},
    {"COORDS", Sy::Coords},
    {"NOHREF", Sy::NoHref},
    {"HEIGHT", Sy::Height},
    {"PLAIN", Sy::Plain},
    {"TARGET", Sy::Target},
    {"NORESIZE", Sy::NoResize},
    {"SCROLLING", Sy::Scrolling},
    {"HSPACE", Sy::HSpace},
    {"LANGUAGE", Sy::Language},
    {"FRAMEBORDER", Sy::FrameBorder},
    {"MARGINWIDTH", Sy::MarginWidth},
    {"MARGINHEIGHT", Sy::MarginHeight},
    {"LOOP", Sy::Loop},
    {"ONCLICK", Sy::OnClick},
    {"WRAP", Sy::Wrap},
    {"NOSHADE", Sy::NoShade},
    {"HTTP-EQUIV", Sy::HttpEquiv},
    {"CONTENT", Sy::Content},
    {"ENCTYPE", Sy::EncType},
    {"VLINK", Sy::VLink},
    {"OLINK", Sy::OLink},
    {"ACTIVE", Sy::Active},
    {"VSPACE", Sy::VSpace},
    {"NOWRAP", Sy::NoWrap},
};
static_assert(sizeof(kAttributeTable) / sizeof(kAttributeTable[0]) == kAttributeCount);

// The Latin-1 names give the characters 160 to 255 in this order.
static const char kLatin1[] = "\xA0\xA1\xA2\xA3\xA4\xA5\xA6\xA7\xA8\xA9\xAA\xAB\xAC\xAD\xAE\xAF\xB0\xB1\xB2\xB3\xB4\xB5\xB6\xB7\xB8\xB9\xBA\xBB\xBC\xBD\xBE\xBF\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD7\xD8\xD9\xDA\xDB\xDC\xDD\xDE\xDF\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF7\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF";
const EntityEntry kEntityTable[] = {
    {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"rsquo", "'"}, {"ndash", "-"},
    {"trade", "\x99"}, {"hellip", "..."},
#define L1(name, code) {name, std::string_view(kLatin1 + ((code) - 0xA0), 1)}
    L1("nbsp", 0xA0), L1("iexcl", 0xA1), L1("cent", 0xA2), L1("pound", 0xA3), L1("curren", 0xA4),
    L1("yen", 0xA5), L1("brvbar", 0xA6), L1("sect", 0xA7), L1("uml", 0xA8), L1("copy", 0xA9),
    L1("ordf", 0xAA), L1("laquo", 0xAB), L1("not", 0xAC), L1("shy", 0xAD), L1("reg", 0xAE),
    L1("macr", 0xAF), L1("deg", 0xB0), L1("plusmn", 0xB1), L1("sup2", 0xB2), L1("sup3", 0xB3),
    L1("acute", 0xB4), L1("micro", 0xB5), L1("para", 0xB6), L1("middot", 0xB7), L1("cedil", 0xB8),
    L1("sup1", 0xB9), L1("ordm", 0xBA), L1("raquo", 0xBB), L1("frac14", 0xBC), L1("frac12", 0xBD),
    L1("frac34", 0xBE), L1("iquest", 0xBF), L1("Agrave", 0xC0), L1("Aacute", 0xC1), L1("Acirc", 0xC2),
    L1("Atilde", 0xC3), L1("Auml", 0xC4), L1("Aring", 0xC5), L1("AElig", 0xC6), L1("Ccedil", 0xC7),
    L1("Egrave", 0xC8), L1("Eacute", 0xC9), L1("Ecirc", 0xCA), L1("Euml", 0xCB), L1("Igrave", 0xCC),
    L1("Iacute", 0xCD), L1("Icirc", 0xCE), L1("Iuml", 0xCF), L1("ETH", 0xD0), L1("Ntilde", 0xD1),
    L1("Ograve", 0xD2), L1("Oacute", 0xD3), L1("Ocirc", 0xD4), L1("Otilde", 0xD5), L1("Ouml", 0xD6),
    L1("times", 0xD7), L1("Oslash", 0xD8), L1("Ugrave", 0xD9), L1("Uacute", 0xDA), L1("Ucirc", 0xDB),
    L1("Uuml", 0xDC), L1("Yacute", 0xDD), L1("THORN", 0xDE), L1("szlig", 0xDF), L1("agrave", 0xE0),
    L1("aacute", 0xE1), L1("acirc", 0xE2), L1("atilde", 0xE3), L1("auml", 0xE4), L1("aring", 0xE5),
    L1("aelig", 0xE6), L1("ccedil", 0xE7), L1("egrave", 0xE8), L1("eacute", 0xE9), L1("ecirc", 0xEA),
    L1("euml", 0xEB), L1("igrave", 0xEC), L1("iacute", 0xED), L1("icirc", 0xEE), L1("iuml", 0xEF),
    L1("eth", 0xF0), L1("ntilde", 0xF1), L1("ograve", 0xF2), L1("oacute", 0xF3), L1("ocirc", 0xF4),
    L1("otilde", 0xF5), L1("ouml", 0xF6), L1("divide", 0xF7), L1("oslash", 0xF8), L1("ugrave", 0xF9),
    L1("uacute", 0xFA), L1("ucirc", 0xFB), L1("uuml", 0xFC), L1("yacute", 0xFD), L1("thorn", 0xFE),
    L1("yuml", 0xFF),
#undef L1
};
static_assert(sizeof(kEntityTable) / sizeof(kEntityTable[0]) == kEntityCount);

namespace {

// Buckets by first letter keep the lookups to a few comparisons; the table
// order is kept inside each bucket so the first match still wins.
template <typename Entry, int N>
struct FirstLetterIndex {
    int16_t start[27] = {};
    int16_t order[N] = {};
    explicit FirstLetterIndex(const Entry* table) {
        int counts[27] = {};
        for (int i = 0; i < N; ++i) ++counts[Bucket(table[i].Name)];
        int sum = 0;
        for (int b = 0; b < 27; ++b) {
            start[b] = static_cast<int16_t>(sum);
            sum += counts[b];
        }
        int fill[27];
        for (int b = 0; b < 27; ++b) fill[b] = start[b];
        for (int i = 0; i < N; ++i) order[fill[Bucket(table[i].Name)]++] = static_cast<int16_t>(i);
        end = sum;
    }
    static int Bucket(std::string_view name) {
        const char c = name.empty() ? 0 : name[0];
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a';
        return 26;
    }
    template <typename F>
    const Entry* Find(const Entry* table, std::string_view name, F matches) const {
        const int b = Bucket(name);
        const int last = b + 1 < 27 ? start[b + 1] : end;
        for (int k = start[b]; k < last; ++k)
            if (matches(table[order[k]])) return &table[order[k]];
        return nullptr;
    }
    int end = 0;
};

} // namespace

const TagEntry* FindTag(std::string_view upperName) {
    static const FirstLetterIndex<TagEntry, kTagCount> index(kTagTable);
    return index.Find(kTagTable, upperName, [&](const TagEntry& e) { return e.Name == upperName; });
}

Sy FindAttribute(std::string_view upperName) {
    static const FirstLetterIndex<AttributeEntry, kAttributeCount> index(kAttributeTable);
    const AttributeEntry* e =
        index.Find(kAttributeTable, upperName, [&](const AttributeEntry& a) { return a.Name == upperName; });
    return e ? e->Symbol : Sy::UnknownAttr;
}

std::optional<std::string_view> FindEntity(std::string_view name) {
    static const FirstLetterIndex<EntityEntry, kEntityCount> index(kEntityTable);
    const EntityEntry* e = index.Find(kEntityTable, name, [&](const EntityEntry& x) { return x.Name == name; });
    if (!e) return std::nullopt;
    return e->Text;
}

bool KeepsAttributes(Sy tag) {
    static constexpr SymbolSet kKeeping = {
        Sy::Body, Sy::P,      Sy::Br,     Sy::H,      Sy::Hr,       Sy::Base,  Sy::OL,      Sy::UL,
        Sy::Img,  Sy::A,      Sy::Table,  Sy::TD,     Sy::TR,       Sy::TH,    Sy::Caption, Sy::Input,
        Sy::Form, Sy::TextArea, Sy::Select, Sy::Option, Sy::Font,   Sy::BaseFont, Sy::Map,  Sy::Area,
        Sy::FrameSet, Sy::Frame, Sy::Script, Sy::Div, Sy::BgSound, Sy::Wrap, Sy::Meta};
    return kKeeping.Contains(tag);
}

namespace {

struct NamedColor {
    std::string_view Name;
    uint32_t Rgb; // written as 0xRRGGBB
};

constexpr NamedColor kColorNames[16] = {
    {"BLACK", 0x000000}, {"MAROON", 0x800000}, {"GREEN", 0x008000}, {"OLIVE", 0x808000},
    {"NAVY", 0x000080},  {"PURPLE", 0x800080}, {"TEAL", 0x008080},  {"GRAY", 0x808080},
    {"SILVER", 0xC0C0C0}, {"RED", 0xFF0000},   {"LIME", 0x00FF00},  {"YELLOW", 0xFFFF00},
    {"BLUE", 0x0000FF},  {"FUCHSIA", 0xFF00FF}, {"AQUA", 0x00FFFF}, {"WHITE", 0xFFFFFF},
};

constexpr TColor SwapRedBlue(uint32_t rgb) {
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

} // namespace

std::optional<TColor> ParseColor(std::string_view text) {
    const std::string upper = UpperAscii(std::string(text));
    for (const NamedColor& n : kColorNames)
        if (upper == n.Name) return SwapRedBlue(n.Rgb);
    std::string hex(text);
    if (const size_t hash = hex.find('#'); hash != std::string::npos) hex.erase(hash, 1);
    if (hex.size() < 6) hex.append(6 - hex.size(), '0');
    // Read like a 32-bit hexadecimal number: any non-digit or an overflow fails.
    uint64_t value = 0;
    for (char c : hex) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else return std::nullopt;
        value = value * 16 + static_cast<uint64_t>(d);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return SwapRedBlue(static_cast<uint32_t>(value) & 0xFFFFFF);
}

std::optional<uint8_t> CharsetFromContent(std::string_view content) {
    struct Entry {
        std::string_view Text;
        uint8_t CharSet;
    };
    static constexpr Entry kCharsets[14] = {
        {"1252", 0},     {"8859-1", 0},   {"1253", 161},   {"8859-7", 161}, {"1250", 238},
        {"8859-2", 238}, {"1251", 204},   {"8859-5", 204}, {"koi8-r", 204}, {"1254", 162},
        {"8859-3", 162}, {"8859-9", 162}, {"1257", 186},   {"8859-4", 186},
    };
    const std::string lower = LowerAscii(std::string(content));
    for (const Entry& e : kCharsets)
        if (lower.find(e.Text) != std::string::npos) return e.CharSet;
    return std::nullopt;
}

unsigned char WideCharToAnsi(uint16_t unit) {
    // Code page 1254: 0x80-0x9F hold typographic characters, six Latin-1
    // positions hold the Turkish letters; the rest equals Latin-1.
    static constexpr uint16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x008E, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178};
    if (unit < 0x80) return static_cast<unsigned char>(unit);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == unit) return static_cast<unsigned char>(0x80 + i);
    switch (unit) {
    case 0x011E: return 0xD0;
    case 0x0130: return 0xDD;
    case 0x015E: return 0xDE;
    case 0x011F: return 0xF0;
    case 0x0131: return 0xFD;
    case 0x015F: return 0xFE;
    case 0x00D0: case 0x00DD: case 0x00DE: case 0x00F0: case 0x00FD: case 0x00FE: return '?';
    default: break;
    }
    if (unit >= 0xA0 && unit <= 0xFF) return static_cast<unsigned char>(unit);
    return '?';
}

} // namespace velmora::html
