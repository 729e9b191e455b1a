// The viewer's fixed vocabularies: the symbols shared by tags and attributes,
// the tag, attribute, entity, colour-name and charset tables.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/color.h"

namespace velmora::html {

// One 8-bit enumeration for tags, end tags, attributes and the special
// symbols. The order matters: sets of symbols are built from it.
enum class Sy : uint8_t {
    Html, Title, Body, Head, P, PEnd, B, BEnd, I, IEnd, HtmlEnd, TitleEnd, BodyEnd, HeadEnd, Br, H, HEnd,
    Em, EmEnd, Strong, StrongEnd, U, UEnd, Hr, Cite, Var, CiteEnd, VarEnd, Base, TT, Code, Kbd, Samp,
    TTEnd, CodeEnd, KbdEnd, SampEnd, OL, OLEnd, LI, UL, ULEnd, Dir, DirEnd, Menu, MenuEnd, DL, DLEnd, DD,
    DT, Address, AddressEnd, BlockQuote, BlockQuoteEnd, Pre, PreEnd, Img, Center, CenterEnd, UnknownAttr,
    A, AEnd, Href, Name, Src, Alt, Align, OtherChar, UnknownTag, Text, Eof, Link, BgColor, Background,
    Table, TableEnd, TD, TDEnd, TR, TREnd, TH, THEnd, ColSpan, RowSpan, Border, CellPadding, CellSpacing,
    VAlign, Width, Caption, CaptionEnd, Start, Button, Input, Value, Type, CheckBox, Radio, Form, FormEnd,
    Method, Action, Checked, Size, MaxLength, TextArea, TextAreaEnd, Cols, Rows, Select, SelectEnd,
    Option, OptionEnd, Selected, Multiple, Font, FontEnd, Color, Face, BaseFont, Transp, Sub, SubEnd, Sup,
    SupEnd, Clear, IsMap, Big, BigEnd, Small, SmallEnd, BorderColor, Map, MapEnd, Area, Shape, Coords,
    NoHref, UseMap, Height, Plain, FrameSet, FrameSetEnd, Frame, Target, NoFrames, NoFramesEnd, NoResize,
    Scrolling, HSpace, VSpace, Script, ScriptEnd, Language, Div, DivEnd, S, SEnd, Strike, StrikeEnd,
    FrameBorder, MarginWidth, MarginHeight, BgSound, Loop, OnClick, Wrap, NoShade, Meta, HttpEquiv,
    Content, EncType, VLink, OLink, Active, NoBr, NoBrEnd, Wbr, NoWrap, Eol,
    Count
};

constexpr int kSymbolCount = static_cast<int>(Sy::Count);

// A set of symbols, small enough to copy around by value.
class SymbolSet {
public:
    constexpr SymbolSet() = default;
    constexpr SymbolSet(std::initializer_list<Sy> symbols) {
        for (Sy s : symbols) Add(s);
    }
    constexpr void Add(Sy s) { bits_[Index(s) / 64] |= uint64_t{1} << (Index(s) % 64); }
    constexpr bool Contains(Sy s) const { return (bits_[Index(s) / 64] >> (Index(s) % 64)) & 1u; }
    constexpr SymbolSet operator+(const SymbolSet& other) const {
        SymbolSet r = *this;
        for (int i = 0; i < 4; ++i) r.bits_[i] |= other.bits_[i];
        return r;
    }

private:
    static constexpr int Index(Sy s) { return static_cast<int>(s); }
    uint64_t bits_[4] = {0, 0, 0, 0};
};

struct TagEntry {
    std::string_view Name;
    Sy Start;
    Sy End; // Sy::UnknownTag when the end tag is not recognised
};

// The 66 tags in table order.
extern const TagEntry kTagTable[];
constexpr int kTagCount = 66;
// The 62 attribute names in table order.
struct AttributeEntry {
    std::string_view Name;
    Sy Symbol;
};
extern const AttributeEntry kAttributeTable[];
constexpr int kAttributeCount = 62;

struct EntityEntry {
    std::string_view Name;
    std::string_view Text;
};
extern const EntityEntry kEntityTable[];
constexpr int kEntityCount = 104;

// Looks a tag name (already upper case) up; nullptr when it is not a tag.
const TagEntry* FindTag(std::string_view upperName);
// Sy::UnknownAttr for names that are not attributes.
Sy FindAttribute(std::string_view upperName);
// The entity's text, compared with case; nullopt when there is none.
std::optional<std::string_view> FindEntity(std::string_view name);

// Tags whose attributes are kept for the builder.
bool KeepsAttributes(Sy tag);

// Colours are held with red in the low byte: the program's one colour type.
using velmora::TColor;
// A colour name of the table or a hexadecimal RRGGBB value; nullopt when the
// text is neither.
std::optional<TColor> ParseColor(std::string_view text);
// The font character set for a META content-type value, nullopt when the
// table has no entry for it.
std::optional<uint8_t> CharsetFromContent(std::string_view content);

// A UTF-16 code unit converted to code page 1254; '?' when it has no byte.
unsigned char WideCharToAnsi(uint16_t unit);

} // namespace velmora::html
