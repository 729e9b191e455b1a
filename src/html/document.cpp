#include "html/document.h"

#include "base/ascii_text.h"
#include "html/text_util.h"

#include "html/forms.h"
#include "html/table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>
#include <unordered_set>

namespace velmora::html {

namespace {

int32_t AbsClamped(int32_t v, int32_t most) {
    const int64_t a = v < 0 ? -static_cast<int64_t>(v) : v;
    return static_cast<int32_t>(std::min<int64_t>(a, most));
}

} // namespace

// ---- TFontObj ----

const TUrlTarget& TFontObj::Link(const TSectionList& document) const { return document.LinkAt(LinkIndex); }

void TFontObj::SetLink(TSectionList& document, const TUrlTarget* link) {
    LinkIndex = link ? document.InternLink(*link) : 0;
}

const TFontEntry& TFontObj::Entry(const TSectionList& document) const { return document.Font(FontIndex); }

void TFontObj::SetFont(TSectionList& document, const TMyFont& font) { FontIndex = document.InternFont(font); }

void TFontObj::Recolor(TSectionList& document) {
    if (!HasLink()) return;
    TMyFont f = TheFont(document);
    if (Hover) f.Color = document.LinkActiveColor;
    else if (Visited) f.Color = document.LinkVisitedColor;
    else f.Color = document.HotSpotColor;
    SetFont(document, f);
}

void TFontObj::SetVisited(TSectionList& document, bool visited) {
    Visited = visited;
    Recolor(document);
}

void TFontObj::SetHover(TSectionList& document, bool hover) {
    Hover = hover;
    Recolor(document);
}

// ---- TImageObj ----

TImageObj::TImageObj(const TAttributeList& attributes, int32_t pos, TCell* cell) : Pos(pos), Cell(cell) {
    bool hspaceGiven = false;
    for (const TAttribute& a : attributes.Items()) {
        switch (a.Which) {
        case Sy::Src: Source = a.Name; break;
        case Sy::Alt: Alt = a.Name; break;
        case Sy::Align: {
            const std::string v = UpperAscii(a.Name);
            if (v == "TOP") ObjAlign = ATop;
            else if (v == "MIDDLE" || v == "ABSMIDDLE") ObjAlign = AMiddle;
            else if (v == "LEFT") ObjAlign = ALeft;
            else if (v == "RIGHT") ObjAlign = ARight;
            else ObjAlign = ABottom;
            break;
        }
        case Sy::HSpace:
            HSpace = AbsClamped(a.Value, 40);
            hspaceGiven = true;
            break;
        case Sy::VSpace: VSpace = AbsClamped(a.Value, 40); break;
        case Sy::Height: SpecHeight = std::max<int32_t>(1, a.Value); break;
        case Sy::Width:
            if (a.Name.find('%') != std::string::npos) {
                if (a.Value >= 1 && a.Value <= 100) {
                    SpecWidth = a.Value;
                    PercentWidth = true;
                }
            } else if (a.Value >= 0) {
                SpecWidth = a.Value;
                PercentWidth = false;
            }
            break;
        case Sy::Border: NoBorder = a.Value == 0; break;
        case Sy::UseMap: {
            std::string name = UpperAscii(TrimCopy(a.Name));
            if (name.size() > 1 && name[0] == '#') name.erase(0, 1);
            MapName = name;
            break;
        }
        case Sy::IsMap: IsMap = true; break;
        case Sy::Transp: Transparent = true; break;
        case Sy::Active: Active = true; break;
        default: break;
        }
    }
    if (!hspaceGiven) HSpace = Floating() ? 5 : 0;
}

// ---- space sections and rules ----

void TParagraphSpace::AttachToDocument(TSectionList* document) {
    Document = document;
    SectionHeight = DrawHeight = MulDiv(14, document->FontSize, 12);
}

void THeadingSpace::AttachToDocument(TSectionList* document) {
    static constexpr int32_t kHeights[7] = {8, 16, 12, 10, 8, 6, 4};
    Document = document;
    const int level = (Level >= 0 && Level <= 6) ? Level : 0;
    SectionHeight = DrawHeight = MulDiv(kHeights[level], document->FontSize, 12);
}

THorzLine::THorzLine(TSectionList* document, const TAttributeList& attributes) : TSectionBase(document) {
    for (const TAttribute& a : attributes.Items()) {
        switch (a.Which) {
        case Sy::Size: VSize = std::clamp<int32_t>(a.Value, 1, 100); break;
        case Sy::Width:
            if (a.Name.find('%') != std::string::npos) {
                if (a.Value >= 1 && a.Value <= 100) {
                    Width = a.Value;
                    PercentWidth = true;
                }
            } else if (a.Value > 0) {
                Width = a.Value;
                PercentWidth = false;
            }
            break;
        case Sy::Align: {
            const std::string v = LowerAscii(a.Name);
            if (v == "left") Align = 1;
            else if (v == "center") Align = 2;
            else if (v == "right") Align = 3;
            break;
        }
        case Sy::Color:
            if (auto c = ParseColor(a.Name)) {
                Color = *c;
                HasColor = true;
            }
            break;
        case Sy::NoShade: NoShade = true; break;
        default: break;
        }
    }
}

void THorzLine::AttachToDocument(TSectionList* document) {
    Document = document;
    SectionHeight = DrawHeight = MulDiv(20, document->FontSize, 12) + VSize - 2;
}

// ---- TLineList ----

TLineList::Block* TLineList::Allocate(size_t lines) {
    void* memory = ::operator new(sizeof(Block) + lines * sizeof(LineRec));
    Block* block = new (memory) Block;
    block->Count = static_cast<uint32_t>(lines);
    return block;
}

void TLineList::Free(Block* block) {
    if (!block) return;
    block->~Block();
    ::operator delete(block);
}

void TLineList::Assign(const std::vector<LineRec>& lines, int32_t firstIndent) {
    if (!block_ && lines.empty() && firstIndent == 0) return;
    if (!block_ || block_->Count != lines.size()) {
        Block* block = Allocate(lines.size());
        if (block_) block->Objects = std::move(block_->Objects);
        Free(block_);
        block_ = block;
    }
    block_->FirstIndent = firstIndent;
    std::copy(lines.begin(), lines.end(), block_->Lines());
}

TSectionObjects& TLineList::MakeObjects() {
    if (!block_) block_ = Allocate(0);
    if (!block_->Objects) block_->Objects = std::make_unique<TSectionObjects>();
    return *block_->Objects;
}

// ---- TSection ----

TSection::TSection(TSectionList* document, int32_t level, const TMyFont& font, uint8_t style,
                   const TUrlTarget* link, uint8_t justify, int32_t indentUnit)
    : TSectionBase(document), ListLevel(static_cast<int16_t>(level)),
      Indent(static_cast<int16_t>(level * indentUnit)), Justify(justify & 3), ListType(0), ClearAttr(0),
      Plain(false), OnlyFloats(true) {
    TMyFont f = font;
    f.Style |= style;
    FirstRun(f, link);
}

const std::vector<std::unique_ptr<TImageObj>>& TSection::Images() const {
    static const std::vector<std::unique_ptr<TImageObj>> none;
    return parts_.Objects() ? parts_.Objects()->Images : none;
}

const std::vector<TFormControlObj*>& TSection::FormControls() const {
    static const std::vector<TFormControlObj*> none;
    return parts_.Objects() ? parts_.Objects()->FormControls : none;
}

const TMyFont& TSection::SectionFont() const { return Document->Font(SectionFontIndex).Font; }

void TSection::FirstRun(const TMyFont& font, const TUrlTarget* link) {
    SectionFontIndex = Document->InternFont(font);
    TFontObj& run = Fonts.emplace_back();
    run.Pos = 0;
    run.FontIndex = SectionFontIndex;
    if (link) {
        run.SetLink(*Document, link);
        Document->LinkRuns.push_back({this, 0});
    }
}

void TSection::Reset(int32_t level, const TMyFont& font, uint8_t style, const TUrlTarget* link,
                     uint8_t justify) {
    // Controls placed in the text that is thrown away go with it: they are
    // neither shown nor submitted.
    std::vector<TFormControlObj*> gone(FormControls().begin(), FormControls().end());
    for (auto& image : Images())
        if (image->MyFormControl) gone.push_back(image->MyFormControl);
    Document->RemoveControls(gone);
    Buff.clear();
    Fonts.clear();
    parts_.Reset();
    OnlyFloats = true;
    ListLevel = static_cast<int16_t>(level);
    Indent = static_cast<int16_t>(level * kListIndent);
    Justify = justify & 3;
    TMyFont f = font;
    f.Style |= style;
    FirstRun(f, link);
}

void TSection::AttachToDocument(TSectionList* document) {
    Document = document;
    Len = static_cast<int32_t>(Buff.size());
}

void TSection::NewRun(const TMyFont& font, uint8_t style, uint8_t sscript, bool inheritLink) {
    TMyFont f = font;
    f.Style |= style;
    if (sscript != 0) f.SetNominalSize(MulDiv(f.NominalSize, 3, 4), Document->FontSize);
    const int32_t at = static_cast<int32_t>(Buff.size());
    if (Fonts.back().Pos == at) {
        TFontObj& last = Fonts.back();
        last.SetFont(*Document, f);
        last.SScript = sscript;
        return;
    }
    const uint32_t previousLink = Fonts.back().LinkIndex;
    const bool previousHasLink = previousLink != 0;
    TFontObj& run = Fonts.emplace_back();
    run.Pos = at;
    run.SetFont(*Document, f);
    run.SScript = sscript;
    if (previousHasLink && inheritLink) {
        // Still part of the link: it is marked visited with the rest.
        run.LinkIndex = previousLink;
        Document->LinkRuns.push_back({this, static_cast<int32_t>(Fonts.size()) - 1});
    }
}

void TSection::ChangeFont(const TMyFont& font, uint8_t style, uint8_t sscript) { NewRun(font, style, sscript, true); }

void TSection::HRef(bool start, const TMyFont& font, uint8_t style, uint8_t sscript, const TUrlTarget* link) {
    NewRun(font, style, sscript, false);
    TFontObj& run = Fonts.back();
    run.SetLink(*Document, nullptr);
    if (start) {
        run.SetLink(*Document, link);
        const int32_t index = static_cast<int32_t>(Fonts.size()) - 1;
        auto& runs = Document->LinkRuns;
        if (runs.empty() || runs.back().Section != this || runs.back().Index != index)
            runs.push_back({this, index});
    }
}

void TSection::AppendToken(std::string_view token, bool insideNoBr) {
    if (token.empty()) return;
    std::string converted;
    // Character 10 (from &#10;) is white space in running text.
    if (token.find('\n') != std::string_view::npos) {
        converted.assign(token);
        std::replace(converted.begin(), converted.end(), '\n', ' ');
        std::string copy;
        copy.swap(converted);
        AppendToken(copy, insideNoBr);
        return;
    }
    if (insideNoBr) {
        if (token[0] == kNoBreakSpace) {
            const char last = Buff.empty() ? 0 : Buff.back();
            if (Buff.empty() || last == kNoBreakSpace || last == ' ' || last == kNbsp) token.remove_prefix(1);
            if (token.empty()) return;
        }
        converted.reserve(token.size());
        for (size_t i = 0; i < token.size(); ++i) {
            const char c = token[i];
            if (c != kNoBreakSpace) {
                converted += c;
                continue;
            }
            const char before = i > 0 ? token[i - 1] : 0;
            const char after = i + 1 < token.size() ? token[i + 1] : 0;
            if (before == ' ' || before == kNoBreakSpace || after == ' ') continue;
            converted += kNbsp;
        }
        token = converted;
        if (token.empty()) return;
    } else if (token[0] == ' ' && (Buff.empty() || Buff.back() == ' ')) {
        token.remove_prefix(1);
        if (token.empty()) return;
    }
    // Nothing but floating images so far: no leading space beside them.
    if ((token[0] == ' ' || token[0] == kNbsp) && !Buff.empty() && OnlyFloats) {
        token.remove_prefix(1);
        if (token.empty()) return;
    }
    Buff.append(token);
    OnlyFloats = false;
}

TImageObj* TSection::AddImage(const TAttributeList& attributes, TCell* cell, bool insideNoBr) {
    const int32_t at = static_cast<int32_t>(Buff.size());
    auto& images = parts_.MakeObjects().Images;
    images.push_back(std::make_unique<TImageObj>(attributes, at, cell));
    Buff += insideNoBr ? kNoBrImageCode : kImageCode;
    if (!images.back()->Floating()) OnlyFloats = false;
    return images.back().get();
}

void TSection::AddFormControl(TFormControlObj* control, bool insideNoBr) {
    control->Pos = static_cast<int32_t>(Buff.size());
    parts_.MakeObjects().FormControls.push_back(control);
    Buff += insideNoBr ? kNoBrControlCode : kControlCode;
    OnlyFloats = false;
}

void TSection::RefreshFonts() {
    TSectionList& doc = *Document;
    auto refresh = [&doc](TMyFont& f, bool link) {
        f.Name = f.FixedPitch ? doc.PreFontName : doc.FontName;
        f.CharSet = doc.CharSet;
        f.Size = MulDiv(f.NominalSize, doc.FontSize, 12);
        f.Color = link ? doc.HotSpotColor : doc.FontColor;
    };
    for (TFontObj& run : Fonts) {
        TMyFont f = run.TheFont(doc);
        refresh(f, !run.Url(doc).empty());
        run.SetFont(*Document, f);
    }
    TMyFont own = SectionFont();
    refresh(own, false);
    SectionFontIndex = doc.InternFont(own);
    AttachToDocument(Document);
}

void TSection::Compact() {
    if (Buff.capacity() > Buff.size()) Buff.shrink_to_fit();
    if (Fonts.capacity() > Fonts.size()) Fonts.shrink_to_fit();
}

void TPreFormated::AppendToken(std::string_view token, bool) {
    if (Buff.size() > kMaxLine) return;
    const size_t at = Buff.size();
    Buff.append(token);
    std::replace(Buff.begin() + static_cast<ptrdiff_t>(at), Buff.end(), '\n', ' ');
    OnlyFloats = false;
}

TUListItem::TUListItem(TSectionList* document, int32_t level, const TMyFont& font, uint8_t style,
                       const TUrlTarget* link, uint8_t justify, bool plain, int32_t indentUnit)
    : TSection(document, level, font, style, link, justify, indentUnit) {
    ListType = 2;
    Plain = plain;
}

TDListItem::TDListItem(TSectionList* document, int32_t level, const TMyFont& font, uint8_t style,
                       const TUrlTarget* link, uint8_t justify)
    : TUListItem(document, level, font, style, link, justify, false) {
    ListType = 3;
}

TOListItem::TOListItem(TSectionList* document, int32_t level, const TMyFont& font, uint8_t style,
                       const TUrlTarget* link, uint8_t justify, int32_t number, char numType)
    : TUListItem(document, level, font, style, link, justify, false) {
    ListType = 1;
    ListNumber = number;
    NumType = numType;
}

// ---- TCell ----

void TCell::Add(std::unique_ptr<TSectionBase> section) {
    if (auto* text = dynamic_cast<TSection*>(section.get())) text->Compact();
    section->AttachToDocument(Document);
    Sections.push_back(std::move(section));
}

void TCell::RefreshFonts() {
    for (auto& s : Sections) s->RefreshFonts();
}

// ---- maps ----

namespace {

int32_t CoordOrZero(std::string_view s) {
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    int32_t v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size()) return 0;
    return v;
}

} // namespace

void TMapItem::AddArea(const TAttributeList& attributes) {
    TMapArea area;
    std::string coords;
    bool noHref = false;
    for (const TAttribute& a : attributes.Items()) {
        switch (a.Which) {
        case Sy::Shape: {
            const std::string kind = LowerAscii(a.Name.substr(0, 4));
            area.Shape = kind == "circ" ? TMapArea::Circle : kind == "poly" ? TMapArea::Poly : TMapArea::Rect;
            break;
        }
        case Sy::Coords: coords = TrimCopy(a.Name); break;
        case Sy::Href: area.Href = a.Name; break;
        case Sy::NoHref: noHref = true; break;
        case Sy::Target: area.Target = a.Name; break;
        default: break;
        }
    }
    if (noHref) area.Href.clear();
    size_t i = 0;
    while (i < coords.size() && area.Coords.size() < 301) {
        while (i < coords.size() && (coords[i] == ',' || coords[i] == ' ' || coords[i] == '\r')) ++i;
        if (i >= coords.size()) break;
        const size_t start = i;
        while (i < coords.size() && coords[i] != ',' && coords[i] != ' ' && coords[i] != '\r') ++i;
        area.Coords.push_back(CoordOrZero(std::string_view(coords).substr(start, i - start)));
    }
    const size_t needed = area.Shape == TMapArea::Rect ? 4 : area.Shape == TMapArea::Circle ? 3 : 6;
    if (area.Coords.size() < needed) return;
    if (area.Shape == TMapArea::Poly && area.Coords.size() % 2) area.Coords.pop_back();
    Areas.push_back(std::move(area));
}

bool TMapArea::Contains(int32_t x, int32_t y) const {
    switch (Shape) {
    case Rect: {
        int64_t x1 = Coords[0], y1 = Coords[1], x2 = int64_t{Coords[2]} + 1, y2 = int64_t{Coords[3]} + 1;
        if (x1 > x2) std::swap(x1, x2);
        if (y1 > y2) std::swap(y1, y2);
        return x >= x1 && x < x2 && y >= y1 && y < y2;
    }
    case Circle: {
        // The ellipse inscribed in (cx - r, cy - r) .. (cx + r + 1, cy + r + 1),
        // tested at the pixel's centre.
        const double r = std::fabs(static_cast<double>(Coords[2])) + 0.5;
        const double dx = (x + 0.5) - (Coords[0] + 0.5);
        const double dy = (y + 0.5) - (Coords[1] + 0.5);
        return dx * dx + dy * dy <= r * r;
    }
    case Poly: {
        // Winding rule at the pixel's centre.
        const double px = x + 0.5, py = y + 0.5;
        int winding = 0;
        const size_t n = Coords.size() / 2;
        for (size_t i = 0; i < n; ++i) {
            const double x1 = Coords[2 * i], y1 = Coords[2 * i + 1];
            const double x2 = Coords[2 * ((i + 1) % n)], y2 = Coords[2 * ((i + 1) % n) + 1];
            const double side = (x2 - x1) * (py - y1) - (px - x1) * (y2 - y1);
            if (y1 <= py) {
                if (y2 > py && side > 0) ++winding;
            } else if (y2 <= py && side < 0) {
                --winding;
            }
        }
        return winding != 0;
    }
    }
    return false;
}

bool TMapItem::GetURL(int32_t x, int32_t y, std::string& url, std::string& target) const {
    for (const TMapArea& area : Areas) {
        if (!area.Contains(x, y)) continue;
        if (area.Href.empty()) return false;
        url = area.Href;
        target = area.Target;
        return true;
    }
    return false;
}

// ---- the document ----

TSectionList::TSectionList(FontMetricsSource& metrics) : TCell(this), Metrics(metrics) {}

TSectionList::~TSectionList() = default;

void TSectionList::Clear() {
    HoverSection = nullptr;
    HoverRun = -1;
    HoverImage = nullptr;
    Animations.clear();
    LayoutErrors.clear();
    DocumentWidth = 0;
    Metrics.ForgetFonts();
    LinkRuns.clear();
    FormControls.clear();
    Sections.clear();
    Forms.clear();
    Maps.clear();
    FontTable.clear();
    fontIndex_.clear();
    LinkTable.assign(1, TUrlTarget{});
    linkIndex_.clear();
    BackgroundPictureName.clear();
    if (Anchors) Anchors->clear();
}

namespace {

void CollectParts(TSectionBase& s, std::unordered_set<const void*>& parts,
                  std::vector<TFormControlObj*>& controls) {
    parts.insert(&s);
    if (auto* text = dynamic_cast<TSection*>(&s)) {
        for (auto& image : text->Images()) {
            parts.insert(image.get());
            if (image->MyFormControl) controls.push_back(image->MyFormControl);
        }
        for (TFormControlObj* c : text->FormControls())
            controls.push_back(c);
    } else if (auto* table = dynamic_cast<ThtmlTable*>(&s)) {
        for (TCell* cell : table->CellsInOrder())
            for (auto& inner : cell->Sections)
                CollectParts(*inner, parts, controls);
    }
}

} // namespace

void TSectionList::RemoveControls(const std::vector<TFormControlObj*>& controls) {
    if (controls.empty()) return;
    const std::unordered_set<const TFormControlObj*> gone(controls.begin(), controls.end());
    std::erase_if(FormControls, [&](TFormControlObj* c) { return gone.count(c) != 0; });
    for (auto& form : Forms) {
        std::erase_if(form->Controls, [&](const std::unique_ptr<TFormControlObj>& c) {
            if (!gone.count(c.get())) return false;
            if (c->Kind != TControlKind::Hidden && form->NonHiddenCount > 0) --form->NonHiddenCount;
            return true;
        });
    }
}

void TSectionList::RemoveSection(TCell& cell, size_t index) {
    std::unordered_set<const void*> parts;
    std::vector<TFormControlObj*> controls;
    CollectParts(*cell.Sections[index], parts, controls);
    if (Anchors) std::erase_if(*Anchors, [&](const auto& a) { return parts.count(a.second) != 0; });
    std::erase_if(LinkRuns, [&](const TLinkRun& r) { return parts.count(r.Section) != 0; });
    if (parts.count(HoverSection)) {
        HoverSection = nullptr;
        HoverRun = -1;
    }
    if (parts.count(HoverImage)) HoverImage = nullptr;
    std::erase_if(Animations, [&](TImageObj* image) { return parts.count(image) != 0; });
    RemoveControls(controls);
    cell.Sections.erase(cell.Sections.begin() + static_cast<ptrdiff_t>(index));
}

void TSectionList::SetDefaults(const std::string& fontName, const std::string& preFontName, bool linksActive,
                               TColor background, TColor hoverColor, TColor visitedColor, TColor linkColor,
                               TColor textColor, int32_t fontSize) {
    FontName = fontName.substr(0, 33);
    PreFontName = preFontName.substr(0, 33);
    LinksActive = linksActive;
    Background = background;
    LinkActiveColor = hoverColor;
    LinkVisitedColor = visitedColor;
    HotSpotColor = linkColor;
    FontColor = textColor;
    FontSize = fontSize;
    RefreshFonts();
}

uint32_t TSectionList::InternLink(const TUrlTarget& link) {
    std::string key = link.Url;
    key += '\0';
    key += link.Target;
    auto [it, added] = linkIndex_.try_emplace(std::move(key), static_cast<uint32_t>(LinkTable.size()));
    if (added) LinkTable.push_back(link);
    return it->second;
}

uint32_t TSectionList::InternFont(const TMyFont& font) {
    auto [it, added] = fontIndex_.try_emplace(font, static_cast<uint32_t>(FontTable.size()));
    if (added) {
        TFontEntry e;
        e.Font = font;
        const TFontMetrics m = Metrics.Metrics(font);
        e.tmHeight = m.Height;
        e.FontHeight = m.Height + m.ExternalLeading;
        e.Descent = m.Descent;
        e.Overhang = m.Overhang;
        FontTable.push_back(std::move(e));
    }
    return it->second;
}

TMapItem* TSectionList::FindMap(const std::string& name) const {
    for (const auto& map : Maps)
        if (map->MapName == name) return map.get();
    return nullptr;
}

} // namespace velmora::html
