// A built HTML document: a flat list of sections owned by the document (or by
// a table cell), with their font runs, links, images, maps and anchors.
// Layout and painting fill in the geometry fields later.
#pragma once
#include "html/font_metrics.h"
#include "html/symbols.h"
#include "html/tokenizer.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <unordered_map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora::html {

class TSectionList;
class TSection;
class TCell;
class TFormControlObj;
class ThtmlForm;
class TImageObj;
class IndentManager;
class TPaintContext;
class TPictureSource;
struct THotSpot;
struct TCaretInfo;

// Codes that stand for objects in a section's text.
constexpr char kImageCode = 4;
constexpr char kNoBrImageCode = 7;
constexpr char kControlCode = 2;
constexpr char kNoBrControlCode = 6;
constexpr char kNbsp = static_cast<char>(160);

constexpr int32_t kListIndent = 35;
constexpr int32_t kStrayListIndent = 15;

struct TUrlTarget {
    std::string Url;
    std::string Target;
    // Each part only when given.
    void Set(const std::string* url, const std::string* target) {
        if (url) Url = *url;
        if (target) Target = *target;
    }
    void Clear() {
        Url.clear();
        Target.clear();
    }
    bool Empty() const { return Url.empty() && Target.empty(); }
};

// A font of the document's font table with the metrics measured for it.
struct TFontEntry {
    TMyFont Font;
    int32_t tmHeight = 0;
    int32_t FontHeight = 0; // height plus external leading
    int32_t Descent = 0;
    int32_t Overhang = 0;
};

// One font run of a text section. The font itself lives once in the
// document's font table; runs hold its index (pages repeat a few fonts over
// and over).
class TFontObj {
public:
    int32_t Pos = 0; // first index in the section text
    uint32_t FontIndex = 0;
    bool Visited = false;
    bool Hover = false;
    uint8_t SScript = 0; // 0 normal, 1 subscript, 2 superscript

    // The font and its metrics, from the document's font table. (A run
    // does not point back at its section: a page holds very many runs.)
    const TFontEntry& Entry(const TSectionList& document) const;
    const TMyFont& TheFont(const TSectionList& document) const { return Entry(document).Font; }
    int32_t tmHeight(const TSectionList& document) const { return Entry(document).tmHeight; }
    int32_t FontHeight(const TSectionList& document) const { return Entry(document).FontHeight; }
    int32_t Descent(const TSectionList& document) const { return Entry(document).Descent; }
    int32_t Overhang(const TSectionList& document) const { return Entry(document).Overhang; }

    // The link, from the document's link table (one entry per distinct URL
    // and target); empty for ordinary text.
    const TUrlTarget& Link(const TSectionList& document) const;
    const std::string& Url(const TSectionList& document) const { return Link(document).Url; }
    const std::string& Target(const TSectionList& document) const { return Link(document).Target; }
    bool HasLink() const { return LinkIndex != 0; }
    // A null link makes the run plain text again.
    void SetLink(TSectionList& document, const TUrlTarget* link);
    uint32_t LinkIndex = 0; // 0: no link
    void SetFont(TSectionList& document, const TMyFont& font);
    // Recolours a link run: hover, else visited, else link colour.
    void SetVisited(TSectionList& document, bool visited);
    void SetHover(TSectionList& document, bool hover);

private:
    void Recolor(TSectionList& document);
};

// The font runs of a section: a vector cut down to what sections use, in 16
// bytes instead of 24 (a page holds very many sections).
class TRunList {
public:
    TRunList() = default;
    TRunList(const TRunList&) = delete;
    TRunList& operator=(const TRunList&) = delete;

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    size_t capacity() const { return capacity_; }
    TFontObj& operator[](size_t i) { return items_[i]; }
    const TFontObj& operator[](size_t i) const { return items_[i]; }
    TFontObj& front() { return items_[0]; }
    TFontObj& back() { return items_[size_ - 1]; }
    const TFontObj& back() const { return items_[size_ - 1]; }
    TFontObj* begin() { return items_.get(); }
    TFontObj* end() { return items_.get() + size_; }
    const TFontObj* begin() const { return items_.get(); }
    const TFontObj* end() const { return items_.get() + size_; }
    TFontObj& emplace_back() {
        if (size_ == capacity_) Reallocate(capacity_ ? capacity_ * 2 : 1);
        items_[size_] = TFontObj();
        return items_[size_++];
    }
    void clear() { size_ = 0; }
    void shrink_to_fit() {
        if (capacity_ > size_) Reallocate(size_);
    }

private:
    void Reallocate(uint32_t capacity) {
        std::unique_ptr<TFontObj[]> items(capacity ? new TFontObj[capacity] : nullptr);
        for (uint32_t i = 0; i < size_; ++i)
            items[i] = items_[i];
        items_ = std::move(items);
        capacity_ = capacity;
    }
    std::unique_ptr<TFontObj[]> items_;
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;
};

// What the picture cache hands an image object. The image code owns the real
// picture types; the document only needs the size and to let go of it.
class TImageHandle {
public:
    virtual ~TImageHandle() = default;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
};

// An IMG (or an image button) placed in a section's text.
class TImageObj {
public:
    enum Align : uint8_t { ATop = 0, AMiddle = 1, ABottom = 2, ALeft = 3, ARight = 4 };
    TImageObj(const TAttributeList& attributes, int32_t pos, TCell* cell);

    int32_t Pos = 0;
    TCell* Cell = nullptr;
    std::string Source;
    std::string Alt;
    uint8_t ObjAlign = ABottom;
    int32_t HSpace = 0;
    int32_t VSpace = 0;
    int32_t SpecHeight = -1; // -1: not given
    int32_t SpecWidth = -1;  // pixels, or percent when PercentWidth
    bool PercentWidth = false;
    bool NoBorder = false;
    bool IsMap = false;
    bool Transparent = false; // TRANSP
    bool Active = false;
    bool Hover = false;
    std::string MapName; // USEMAP, upper case, without "#"
    std::unique_ptr<TImageHandle> Picture;
    // What stands in the picture's place: nothing asked yet, the picture, the
    // broken-picture sign, or the pending sign (also while pictures are off).
    enum PictureKind : uint8_t { pkNone, pkLoaded, pkBroken, pkPending };
    PictureKind Kind = pkNone;
    bool Linked = false;     // inside a link and framed (set by layout)
    bool ImageKnown = false; // size fixed
    int32_t ImageHeight = 0, ImageWidth = 0;
    int32_t ObjHeight = 0, ObjWidth = 0; // drawn, with the link frame
    int32_t XObj = 0;
    int32_t DrawX = 0, DrawY = 0; // the drawn box, frame included, in document coordinates
    TFormControlObj* MyFormControl = nullptr;

    bool Floating() const { return ObjAlign == ALeft || ObjAlign == ARight; }
    // Shown as a framed box with the ALT text instead of a picture.
    bool Placeholder() const { return Kind != pkLoaded; }
};

// One line of a text section, filled by layout (in document coordinates:
// DrawX is where the line starts after alignment, DrawY its top).
struct LineRec {
    int32_t Start = 0;
    int32_t Ln = 0;
    int32_t LineHt = 0;
    int32_t SpaceBefore = 0;
    int32_t SpaceAfter = 0;
    int32_t Descent = 0;
    int32_t DrawHeight = 0;
    int32_t DrawX = 0;
    int32_t DrawY = 0;
};

// Images and controls of a section, made only for the sections that have them.
struct TSectionObjects {
    std::vector<std::unique_ptr<TImageObj>> Images;
    std::vector<TFormControlObj*> FormControls;
};

// What a section holds besides its text, behind one pointer (a page holds
// very many sections of one or two lines): its objects, and the lines
// layout made, in one block of exactly their number.
class TLineList {
public:
    TLineList() = default;
    TLineList(const TLineList&) = delete;
    TLineList& operator=(const TLineList&) = delete;
    ~TLineList() { Free(block_); }

    size_t size() const { return block_ ? block_->Count : 0; }
    bool empty() const { return size() == 0; }
    LineRec* begin() { return block_ ? block_->Lines() : nullptr; }
    LineRec* end() { return begin() + size(); }
    const LineRec* begin() const { return block_ ? block_->Lines() : nullptr; }
    const LineRec* end() const { return begin() + size(); }
    LineRec& operator[](size_t i) { return begin()[i]; }
    const LineRec& operator[](size_t i) const { return begin()[i]; }
    const LineRec& back() const { return begin()[size() - 1]; }
    // The left boundary at the section's top (list markers are drawn against it).
    int32_t FirstIndent() const { return block_ ? block_->FirstIndent : 0; }
    // A re-layout with as many lines as before reuses the block.
    void Assign(const std::vector<LineRec>& lines, int32_t firstIndent);
    // Forgets the lines (the objects stay).
    void clear() { Assign({}, 0); }

    TSectionObjects* Objects() const { return block_ ? block_->Objects.get() : nullptr; }
    TSectionObjects& MakeObjects();
    // Forgets lines and objects.
    void Reset() {
        Free(block_);
        block_ = nullptr;
    }

private:
    struct Block {
        std::unique_ptr<TSectionObjects> Objects;
        uint32_t Count = 0;
        int32_t FirstIndent = 0;
        LineRec* Lines() { return reinterpret_cast<LineRec*>(this + 1); }
    };
    static Block* Allocate(size_t lines);
    static void Free(Block* block);
    Block* block_ = nullptr;
};

class TSectionBase {
public:
    explicit TSectionBase(TSectionList* document) : Document(document) {}
    virtual ~TSectionBase() = default;
    TSectionBase(const TSectionBase&) = delete;
    TSectionBase& operator=(const TSectionBase&) = delete;

    // A short name for dumps.
    virtual const char* KindName() const = 0;
    // Remembers the owner and computes what depends on the default font size.
    virtual void AttachToDocument(TSectionList* document) { Document = document; }
    // Re-applies the document's default fonts and colours.
    virtual void RefreshFonts() { AttachToDocument(Document); }
    // Minimum and maximum widths for tables (layout fills these in).
    virtual void MeasureWidths(int32_t& minWidth, int32_t& maxWidth) {
        minWidth = 0;
        maxWidth = 0;
    }
    // Layout (layout.cpp): positions and heights at y with the cell's
    // indentation manager; curs is the next document position and moves past
    // the section; maxWidth receives the width the section needs. Returns
    // the section height.
    virtual int32_t LayOut(IndentManager& im, int32_t y, int32_t& curs, int32_t& maxWidth);
    // Emits the drawing operations for the part inside the clip rectangle.
    virtual void Paint(TPaintContext&) {}
    // Queries (hit_test.cpp), in document coordinates.
    virtual bool HotSpotAt(int32_t, int32_t, THotSpot&) { return false; }
    virtual TImageObj* ImageAt(int32_t, int32_t, int32_t&, int32_t&) { return nullptr; }
    virtual int32_t CaretPosAt(int32_t, int32_t, TCaretInfo&) { return -1; }
    virtual int32_t SearchText(std::string_view, bool, int32_t) { return -1; }
    virtual bool CaretPosToXY(int32_t, int32_t&, int32_t&) { return false; }
    virtual bool CharAt(int32_t, char&, TSectionBase*&) { return false; }
    // Appends the part of the section inside begin..end (document positions).
    virtual void CopySelectedText(int32_t, int32_t, std::string&) {}
    // Moves what layout placed down by dy (table cells are laid out before
    // their rows' heights are known).
    virtual void MoveBy(int32_t dy) { YValue += dy; }

    TSectionList* Document = nullptr;
    int32_t SectionHeight = 0;
    int32_t DrawHeight = 0;
    int32_t YValue = 0;
    int32_t StartCurs = 0;
    int32_t Len = 0;
};

class TParagraphSpace final : public TSectionBase {
public:
    using TSectionBase::TSectionBase;
    const char* KindName() const override { return "ParagraphSpace"; }
    void AttachToDocument(TSectionList* document) override;
    void CopySelectedText(int32_t begin, int32_t end, std::string& out) override;
};

class THeadingSpace final : public TSectionBase {
public:
    THeadingSpace(TSectionList* document, int level) : TSectionBase(document), Level(level) {}
    const char* KindName() const override { return "HeadingSpace"; }
    void AttachToDocument(TSectionList* document) override;
    void CopySelectedText(int32_t begin, int32_t end, std::string& out) override;
    int Level;
};

class THorzLine final : public TSectionBase {
public:
    THorzLine(TSectionList* document, const TAttributeList& attributes);
    const char* KindName() const override { return "HorzLine"; }
    void AttachToDocument(TSectionList* document) override;
    int32_t LayOut(IndentManager& im, int32_t y, int32_t& curs, int32_t& maxWidth) override;
    void Paint(TPaintContext& pc) override;
    void CopySelectedText(int32_t begin, int32_t end, std::string& out) override;
    int32_t RuleLeft = 0, RuleWidth = 0; // where layout put it
    int32_t VSize = 2;                   // SIZE: thickness
    int32_t Width = 0;                   // 0: the full width
    bool PercentWidth = false;
    uint8_t Align = 2; // 1 left, 2 centre, 3 right
    bool HasColor = false;
    TColor Color = 0;
    bool NoShade = false;
};

// A block of wrapped text.
class TSection : public TSectionBase {
public:
    // A new section starts with one run: the font plus the style flags, and
    // the open link when there is one.
    TSection(TSectionList* document, int32_t level, const TMyFont& font, uint8_t style,
             const TUrlTarget* link, uint8_t justify, int32_t indentUnit = kListIndent);
    const char* KindName() const override { return "Section"; }
    void MoveBy(int32_t dy) override;
    void AttachToDocument(TSectionList* document) override;
    void RefreshFonts() override;
    void MeasureWidths(int32_t& minWidth, int32_t& maxWidth) override;
    int32_t LayOut(IndentManager& im, int32_t y, int32_t& curs, int32_t& maxWidth) override;
    void Paint(TPaintContext& pc) override;
    bool HotSpotAt(int32_t x, int32_t y, THotSpot& hit) override;
    TImageObj* ImageAt(int32_t x, int32_t y, int32_t& ix, int32_t& iy) override;
    int32_t CaretPosAt(int32_t x, int32_t y, TCaretInfo& caret) override;
    int32_t SearchText(std::string_view text, bool matchCase, int32_t from) override;
    bool CaretPosToXY(int32_t pos, int32_t& x, int32_t& y) override;
    bool CharAt(int32_t pos, char& ch, TSectionBase*& where) override;
    void CopySelectedText(int32_t begin, int32_t end, std::string& out) override;
    // The font run holding the character at index i.
    const TFontObj& RunAt(int32_t i) const;
    TImageObj* ImageAtIndex(int32_t i) const;
    TFormControlObj* ControlAtIndex(int32_t i) const;
    bool IsPreformatted() const;

    virtual void AppendToken(std::string_view token, bool insideNoBr);
    void AppendChar(char c, bool insideNoBr) { AppendToken(std::string_view(&c, 1), insideNoBr); }
    // A space that AppendToken's rules would drop (an empty line keeps its height).
    void AppendSpace() {
        Buff += ' ';
        OnlyFloats = false;
    }
    // Empties the section and starts it again as if new.
    void Reset(int32_t level, const TMyFont& font, uint8_t style, const TUrlTarget* link, uint8_t justify);
    // A font run at the end of the text (font, style or link change).
    void ChangeFont(const TMyFont& font, uint8_t style, uint8_t sscript);
    // Starts or ends a link at the end of the text; a started link is
    // registered in the document's link runs.
    void HRef(bool start, const TMyFont& font, uint8_t style, uint8_t sscript, const TUrlTarget* link);
    TImageObj* AddImage(const TAttributeList& attributes, TCell* cell, bool insideNoBr);
    void AddFormControl(TFormControlObj* control, bool insideNoBr);

    TFontObj& LastFont() { return Fonts.back(); }
    // Drops the spare room the text grew into while the section was built.
    void Compact();

    const std::vector<std::unique_ptr<TImageObj>>& Images() const;
    const std::vector<TFormControlObj*>& FormControls() const;
    // Its own copy of the starting font.
    const TMyFont& SectionFont() const;

    // The lines made by layout, and the left edge of the first one (list
    // markers are drawn against it). Kept with the objects: a page holds many
    // sections and none of them needs lines before it is laid out.
    TLineList& Lines() { return parts_; }
    const TLineList& Lines() const { return parts_; }
    int32_t FirstLineIndent() const { return parts_.FirstIndent(); }

    // (The fields are ordered, and the small ones packed, so that a section
    // stays small: a page holds very many of them.)
    int16_t ListLevel = 0; // nesting is bounded well below this type's range
    int16_t Indent = 0;    // pixels: level x the list indent unit
    std::string Buff;
    TRunList Fonts;

protected:
    TLineList parts_;      // objects and lines
    int32_t areaLeft_ = 0; // left edge of the area laid out in: its cell's, or 0 for the page

public:
    uint32_t SectionFontIndex = 0;
    uint8_t Justify : 2;   // 1 left, 2 centre, 3 right
    uint8_t ListType : 2;  // 0 none, 1 number, 2 bullet, 3 definition
    uint8_t ClearAttr : 2; // 0 none, 1 left, 2 right, 3 both
    bool Plain : 1;
    bool OnlyFloats : 1; // nothing but floating images so far (AppendToken)

protected:
    void NewRun(const TMyFont& font, uint8_t style, uint8_t sscript, bool inheritLink);
    void FirstRun(const TMyFont& font, const TUrlTarget* link);
};

class TPreFormated final : public TSection {
public:
    using TSection::TSection;
    const char* KindName() const override { return "PreFormated"; }
    void AppendToken(std::string_view token, bool insideNoBr) override;
    static constexpr size_t kMaxLine = 20000;
};

class TUListItem : public TSection {
public:
    TUListItem(TSectionList* document, int32_t level, const TMyFont& font, uint8_t style,
               const TUrlTarget* link, uint8_t justify, bool plain, int32_t indentUnit = kListIndent);
    const char* KindName() const override { return "UListItem"; }
};

class TDListItem final : public TUListItem {
public:
    TDListItem(TSectionList* document, int32_t level, const TMyFont& font, uint8_t style,
               const TUrlTarget* link, uint8_t justify);
    const char* KindName() const override { return "DListItem"; }
};

class TOListItem final : public TUListItem {
public:
    TOListItem(TSectionList* document, int32_t level, const TMyFont& font, uint8_t style,
               const TUrlTarget* link, uint8_t justify, int32_t number, char numType);
    const char* KindName() const override { return "OListItem"; }
    int32_t ListNumber = 0;
    char NumType = '1';
};

// The sections of a cell, in order. Most table cells hold one section: that
// one is kept in place, so a page of many cells does not make a one-slot
// array (and pay the allocator's overhead) for each of them.
class TSectionVector {
public:
    using Item = std::unique_ptr<TSectionBase>;
    TSectionVector() = default;
    TSectionVector(const TSectionVector&) = delete;
    TSectionVector& operator=(const TSectionVector&) = delete;

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Item* begin() { return data(); }
    Item* end() { return data() + size_; }
    const Item* begin() const { return data(); }
    const Item* end() const { return data() + size_; }
    Item& operator[](size_t i) { return data()[i]; }
    const Item& operator[](size_t i) const { return data()[i]; }
    Item& at(size_t i) {
        if (i >= size_) throw std::out_of_range("section index");
        return data()[i];
    }
    const Item& at(size_t i) const {
        if (i >= size_) throw std::out_of_range("section index");
        return data()[i];
    }
    Item& back() { return data()[size_ - 1]; }
    const Item& back() const { return data()[size_ - 1]; }
    void push_back(Item item) {
        if (size_ == capacity()) Grow(size_ ? size_ * 2 : 1);
        data()[size_++] = std::move(item);
    }
    Item* erase(Item* at) {
        std::move(at + 1, end(), at);
        data()[--size_].reset();
        return at;
    }
    void clear() {
        for (Item& item : *this)
            item.reset();
        size_ = 0;
    }
    void shrink_to_fit() {
        if (many_ && size_ < capacity_) Grow(size_);
    }

private:
    size_t capacity() const { return many_ ? capacity_ : 1; }
    Item* data() { return many_ ? many_.get() : &one_; }
    const Item* data() const { return many_ ? many_.get() : &one_; }
    void Grow(size_t capacity) {
        if (capacity <= 1 && size_ <= 1) {
            if (many_ && size_) one_ = std::move(many_[0]);
            many_.reset();
            capacity_ = 1;
            return;
        }
        auto items = std::make_unique<Item[]>(capacity);
        std::move(begin(), end(), items.get());
        many_ = std::move(items);
        capacity_ = static_cast<uint32_t>(capacity);
    }
    Item one_;                     // the only section, while there is one slot
    std::unique_ptr<Item[]> many_; // more slots
    uint32_t size_ = 0;
    uint32_t capacity_ = 1;
};

// An owning list of sections (the document, a table cell, a caption).
class TCell {
public:
    explicit TCell(TSectionList* document) : Document(document) {}
    ~TCell() = default;
    TCell(const TCell&) = delete;
    TCell& operator=(const TCell&) = delete;

    void Add(std::unique_ptr<TSectionBase> section);
    void RefreshFonts();

    // Lays the sections out at y in an area from x = left, width wide (the
    // cell's own indentation manager lives only while it does); returns the
    // height. maxWidth receives the widest width a section needs.
    int32_t DoLayout(int32_t left, int32_t width, int32_t y, int32_t& curs, int32_t& maxWidth);
    void Paint(TPaintContext& pc);
    void MoveBy(int32_t dy);
    // Minimum and maximum width of the content (for tables).
    void MinMaxWidths(int32_t& minWidth, int32_t& maxWidth);
    bool HotSpotAt(int32_t x, int32_t y, THotSpot& hit);
    TImageObj* ImageAt(int32_t x, int32_t y, int32_t& ix, int32_t& iy);
    int32_t CaretPosAt(int32_t x, int32_t y, TCaretInfo& caret);
    int32_t SearchText(std::string_view text, bool matchCase, int32_t from);
    bool CaretPosToXY(int32_t pos, int32_t& x, int32_t& y);
    bool CharAt(int32_t pos, char& ch, TSectionBase*& where);
    void CopySelectedText(int32_t begin, int32_t end, std::string& out);

    TSectionList* Document;
    TSectionVector Sections;
    int32_t Top = 0;
    int32_t StartCurs = 0;
    int32_t Len = 0;
    // The first section that reaches down to y or below.
    size_t FirstReaching(int32_t y) const;
    // A table cell's background; kNoColor when none was given.
    static constexpr TColor kNoColor = 0xFFFFFFFF;
    TColor BkColor = kNoColor;
    bool BkGnd() const { return BkColor != kNoColor; }

private:
    // For cells of many sections, layout's running lowest bottom (top +
    // draw height) of the sections up to each one, so that painting and hit
    // tests find the first section that reaches a y by a binary search.
    // Element 0 holds the count.
    std::unique_ptr<int32_t[]> reach_;
};

// A client-side image map.
struct TMapArea {
    enum Kind : uint8_t { Rect, Circle, Poly };
    Kind Shape = Rect;
    std::vector<int32_t> Coords;
    std::string Href;
    std::string Target;
    bool Contains(int32_t x, int32_t y) const;
};

class TMapItem {
public:
    explicit TMapItem(std::string name) : MapName(std::move(name)) {}
    // From an AREA's attributes; an area with too few numbers is ignored.
    void AddArea(const TAttributeList& attributes);
    // The first area holding the point decides; false when none does or its
    // HREF is empty.
    bool GetURL(int32_t x, int32_t y, std::string& url, std::string& target) const;

    std::string MapName;
    std::vector<TMapArea> Areas;
};

// NAME of an A tag (upper case) -> the section that holds it.
using TAnchorList = std::map<std::string, TSectionBase*>;

struct TLinkRun {
    TSection* Section;
    int32_t Index; // into Section->Fonts
    TFontObj& Run() const { return Section->Fonts[static_cast<size_t>(Index)]; }
};

// The document.
class TSectionList : public TCell {
public:
    explicit TSectionList(FontMetricsSource& metrics);
    ~TSectionList();

    // Empties everything the document holds.
    void Clear();
    // The viewer's defaults; re-applies them to every section.
    void SetDefaults(const std::string& fontName, const std::string& preFontName, bool linksActive,
                     TColor background, TColor hoverColor, TColor visitedColor, TColor linkColor,
                     TColor textColor, int32_t fontSize);
    // Stores the colour and tells the viewer, whose own colour follows it.
    void SetBackground(TColor color) {
        Background = color;
        if (OnBackgroundChange) OnBackgroundChange(color);
    }
    std::function<void(TColor)> OnBackgroundChange;

    TMapItem* FindMap(const std::string& name) const;
    // The index of the link in the link table (never 0), adding it when new.
    uint32_t InternLink(const TUrlTarget& link);
    const TUrlTarget& LinkAt(uint32_t index) const { return LinkTable[index]; }
    // The index of the font in the font table, adding it when new.
    uint32_t InternFont(const TMyFont& font);
    const TFontEntry& Font(uint32_t index) const { return FontTable[index]; }

    FontMetricsSource& Metrics;
    std::string FontName = "Times New Roman";
    std::string PreFontName = "Courier New";
    int32_t FontSize = 12;
    uint8_t CharSet = DEFAULT_CHARSET;
    TColor FontColor = 0;
    TColor HotSpotColor = 0xFF0000;     // blue
    TColor LinkVisitedColor = 0x800080; // purple
    TColor LinkActiveColor = 0xFF0000;  // hover
    TColor Background = 0xC0C0C0;
    bool LinksActive = false;
    uint8_t LinkStyle = fsUnderline;
    bool ShowImages = true;
    bool ShowDummyCaret = false;
    std::string BackgroundPictureName;

    // The viewer's anchor list (the parse sets it): anchors into a part that
    // is removed go with it.
    TAnchorList* Anchors = nullptr;
    // Errors found while laying out (the table error); without a hook they
    // are kept in LayoutErrors.
    std::function<void(const std::string&)> OnLayoutError;
    std::vector<std::string> LayoutErrors;
    // Where image objects get their pictures (none: every picture is broken).
    TPictureSource* Pictures = nullptr;
    // Hover state: the link run and the image under the mouse.
    TSection* HoverSection = nullptr;
    int32_t HoverRun = -1;
    TImageObj* HoverImage = nullptr;
    // Animated pictures running (the viewer's).
    std::vector<TImageObj*> Animations;

    // Called after the form controls were given their sizes, before layout
    // (the viewer adds what its windows need: scroll bars, a combo box's field).
    std::function<void()> OnSizeControls;
    // Lays the document out width wide from y = top (x = 0 is the left margin);
    // returns the content height (including top).
    int32_t LayOut(int32_t width, int32_t top);
    int32_t DocumentWidth = 0; // the widest any section needed
    int32_t Height = 0;        // of the content, from the top margin
    // Removes a section and everything that points into it: anchors, link
    // runs, form controls, hover state and running animations.
    void RemoveSection(TCell& cell, size_t index);
    // Takes controls off the page: out of the control list and their forms.
    void RemoveControls(const std::vector<TFormControlObj*>& controls);
    // The font placeholders' ALT texts are drawn in (Arial 8).
    uint32_t AltFontIndex();
    // The view's client height and vertical margin (tables of HEIGHT=n%).
    int32_t ClientHeight = 0;
    int32_t MarginHeight = 0;
    // Bumped at every layout: measured table widths are kept for one layout.
    uint32_t LayoutGeneration = 0;

    std::vector<std::unique_ptr<ThtmlForm>> Forms;
    std::vector<TFormControlObj*> FormControls;
    std::vector<std::unique_ptr<TMapItem>> Maps;
    std::vector<TLinkRun> LinkRuns;
    // A deque: runs and layout keep references into it while hover and
    // visited colours add fonts.
    std::deque<TFontEntry> FontTable;
    std::vector<TUrlTarget> LinkTable{TUrlTarget{}}; // entry 0: no link

private:
    std::unordered_map<std::string, uint32_t> linkIndex_;
    struct FontHash {
        size_t operator()(const TMyFont& f) const {
            size_t h = std::hash<std::string>()(f.Name);
            for (uint32_t v : {uint32_t(f.Size), f.Color, uint32_t(f.NominalSize),
                               uint32_t(f.Style) | uint32_t(f.CharSet) << 8 | uint32_t(f.FixedPitch) << 16})
                h = h * 1000003u ^ v;
            return h;
        }
    };
    std::unordered_map<TMyFont, uint32_t, FontHash> fontIndex_;
};

} // namespace velmora::html
