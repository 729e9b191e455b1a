#include "html/layout.h"

#include "html/forms.h"
#include "html/table.h"

#include <algorithm>
#include <climits>

namespace velmora::html {

namespace {

bool IsImageCode(char c) {
    return c == kImageCode || c == kNoBrImageCode;
}
bool IsControlCode(char c) {
    return c == kControlCode || c == kNoBrControlCode;
}
bool IsObjectCode(char c) {
    return IsImageCode(c) || IsControlCode(c);
}
// Where text may wrap: spaces, and before or after an object that allows it.
bool IsBreak(char c) {
    return c == ' ' || c == kImageCode || c == kControlCode;
}

// Text is measured in pieces of at most this many characters, so that a long
// run costs in proportion to what goes on the line, not to the whole run.
constexpr int32_t kChunk = 512;

std::vector<int32_t>& WidthBuffer() {
    thread_local std::vector<int32_t> buffer;
    return buffer;
}

} // namespace

// ---- IndentManager ----

void IndentManager::Reset(int32_t left, int32_t width) {
    left_.clear();
    right_.clear();
    floatBottom_ = leftFloatBottom_ = rightFloatBottom_ = 0;
    cachedY_ = prunedAt_ = INT32_MIN;
    pruneLimit_ = 64;
    Width = width;
    LfEdge = left;
    RtEdge = left + width;
    CurrentLevel = 0;
}

int32_t IndentManager::LeftIndent(int32_t y) {
    if (y != cachedY_) {
        // Layout only goes down: records that ended above are dropped now and
        // then, so that a page of very many floats keeps few of them alive.
        if (left_.size() + right_.size() > pruneLimit_ && y > prunedAt_) {
            DropAbove(y);
            prunedAt_ = y;
            pruneLimit_ = 2 * (left_.size() + right_.size()) + 64;
        }
        cachedY_ = y;
        cachedLeft_ = 0;
        for (const IndentRec& r : left_)
            if (r.YT <= y && y < r.YB) cachedLeft_ = std::max(cachedLeft_, r.X);
        cachedRight_ = 0;
        for (const IndentRec& r : right_)
            if (r.YT <= y && y < r.YB) cachedRight_ = std::min(cachedRight_, r.X);
    }
    return LfEdge + cachedLeft_;
}

int32_t IndentManager::RightSide(int32_t y) {
    LeftIndent(y);
    return RtEdge + cachedRight_;
}

void IndentManager::Add(std::vector<IndentRec>& list, const IndentRec& r) {
    list.push_back(r);
    if (r.YT <= cachedY_ && cachedY_ < r.YB) {
        if (&list == &left_)
            cachedLeft_ = std::max(cachedLeft_, r.X);
        else
            cachedRight_ = std::min(cachedRight_, r.X);
    }
    if (r.Level == 0) {
        floatBottom_ = std::max(floatBottom_, r.YB);
        int32_t& side = &list == &left_ ? leftFloatBottom_ : rightFloatBottom_;
        side = std::max(side, r.YB);
    }
}

void IndentManager::SetLevel(int32_t level, int32_t y, bool stray) {
    if (level > CurrentLevel) {
        if (stray) {
            if (level == CurrentLevel + 1)
                Add(left_, {LeftIndent(y) + kStrayListIndent - LfEdge, y, kOpen, level});
        } else {
            for (int32_t l = CurrentLevel + 1; l <= level; ++l)
                Add(left_, {LeftIndent(y) + kListIndent - LfEdge, y, kOpen, l});
        }
    } else if (level < CurrentLevel && (!stray || level == CurrentLevel - 1)) {
        for (IndentRec& r : left_)
            if (r.Level > level) {
                r.Level = 0;
                r.YB = y - 1;
                floatBottom_ = std::max(floatBottom_, r.YB);
                leftFloatBottom_ = std::max(leftFloatBottom_, r.YB);
            }
        cachedY_ = INT32_MIN;
    }
    CurrentLevel = level;
}

int32_t IndentManager::PlaceLeft(int32_t y, int32_t width, int32_t height) {
    const int32_t x = LeftIndent(y);
    Add(left_, {x + width - LfEdge, y, y + height, 0});
    return x;
}

int32_t IndentManager::PlaceRight(int32_t y, int32_t width, int32_t height) {
    const int32_t x = RightSide(y) - RtEdge - width;
    Add(right_, {x, y, y + height, 0});
    return RtEdge + x;
}

int32_t IndentManager::ListItemBottom() const {
    int32_t levelX = INT32_MIN;
    for (const IndentRec& r : left_)
        if (r.Level == CurrentLevel && r.YB == kOpen) levelX = r.X;
    if (levelX == INT32_MIN) return 0;
    int32_t bottom = 0;
    for (const IndentRec& r : left_)
        if (r.Level == 0 && r.X > levelX) bottom = std::max(bottom, r.YB);
    return bottom;
}

void IndentManager::DropAbove(int32_t y) {
    auto gone = [y](const IndentRec& r) { return r.YB <= y; };
    left_.erase(std::remove_if(left_.begin(), left_.end(), gone), left_.end());
    right_.erase(std::remove_if(right_.begin(), right_.end(), gone), right_.end());
    cachedY_ = INT32_MIN;
}

// ---- sections without text ----

int32_t TSectionBase::LayOut(IndentManager& im, int32_t y, int32_t& curs, int32_t& maxWidth) {
    YValue = y;
    StartCurs = curs;
    DrawHeight = SectionHeight;
    maxWidth = im.Width;
    return SectionHeight;
}

int32_t THorzLine::LayOut(IndentManager& im, int32_t y, int32_t& curs, int32_t& maxWidth) {
    TSectionBase::LayOut(im, y, curs, maxWidth);
    const int32_t left = im.LeftIndent(y), right = im.RightSide(y);
    if (Width <= 0) {
        RuleLeft = left + 10;
        RuleWidth = std::max(0, right - left - 20);
        return SectionHeight;
    }
    RuleWidth = PercentWidth ? MulDiv(right - left, Width, 100) : Width;
    if (Align == 1)
        RuleLeft = left;
    else if (Align == 3)
        RuleLeft = right - RuleWidth;
    else
        RuleLeft = left + (right - left - RuleWidth) / 2;
    return SectionHeight;
}

// ---- text sections ----

const TFontObj& TSection::RunAt(int32_t i) const {
    auto it = std::upper_bound(Fonts.begin(), Fonts.end(), i,
                               [](int32_t v, const TFontObj& f) { return v < f.Pos; });
    return it == Fonts.begin() ? Fonts[0] : *(it - 1);
}

TImageObj* TSection::ImageAtIndex(int32_t i) const {
    const auto& images = Images();
    auto it = std::lower_bound(images.begin(), images.end(), i,
                               [](const std::unique_ptr<TImageObj>& img, int32_t v) { return img->Pos < v; });
    return it != images.end() && (*it)->Pos == i ? it->get() : nullptr;
}

TFormControlObj* TSection::ControlAtIndex(int32_t i) const {
    const auto& controls = FormControls();
    auto it = std::lower_bound(controls.begin(), controls.end(), i,
                               [](const TFormControlObj* c, int32_t v) { return c->Pos < v; });
    return it != controls.end() && (*it)->Pos == i ? *it : nullptr;
}

bool TSection::IsPreformatted() const {
    return dynamic_cast<const TPreFormated*>(this) != nullptr;
}

uint32_t TSectionList::AltFontIndex() {
    TMyFont f;
    f.Name = "Arial";
    f.Size = f.NominalSize = 8;
    f.CharSet = CharSet;
    return InternFont(f);
}

namespace {

// Sizes an image for the available width: the picture once, the size once
// (except percentage widths), placeholders big enough for their ALT text.
void SizeImage(TSection& section, TImageObj& img, int32_t available) {
    TSectionList& doc = *section.Document;
    if (img.Kind == TImageObj::pkNone) {
        if (!doc.ShowImages)
            img.Kind = TImageObj::pkPending;
        else if (doc.Pictures)
            img.Kind = doc.Pictures->Fetch(img);
        else
            img.Kind = TImageObj::pkBroken;
        if (img.Kind == TImageObj::pkLoaded && !img.Picture) img.Kind = TImageObj::pkBroken;
    }
    const bool placeholder = img.Placeholder();
    const int32_t pw = placeholder ? kSubstituteSize : std::max(1, img.Picture->Width());
    const int32_t ph = placeholder ? kSubstituteSize : std::max(1, img.Picture->Height());
    if (img.PercentWidth) {
        img.ImageWidth = std::max(0, MulDiv(available, img.SpecWidth, 100));
        img.ImageHeight = img.SpecHeight > 0 ? img.SpecHeight : ph;
    } else if (!img.ImageKnown) {
        const bool w = img.SpecWidth >= 0, h = img.SpecHeight > 0;
        if (w && h) {
            img.ImageWidth = img.SpecWidth;
            img.ImageHeight = img.SpecHeight;
        } else if (placeholder) {
            img.ImageWidth = pw;
            img.ImageHeight = ph;
        } else if (h) {
            img.ImageHeight = img.SpecHeight;
            img.ImageWidth = MulDiv(img.SpecHeight, pw, ph);
        } else if (w) {
            img.ImageWidth = img.SpecWidth;
            img.ImageHeight = MulDiv(img.SpecWidth, ph, pw);
        } else {
            img.ImageWidth = pw;
            img.ImageHeight = ph;
        }
        if (placeholder) {
            const uint32_t alt = doc.AltFontIndex();
            const TFontEntry& e = doc.Font(alt);
            const int32_t altWidth = img.Alt.empty() ? 0 : doc.Metrics.TextWidth(alt, e.Font, img.Alt) + 2;
            img.ImageWidth = std::max(img.ImageWidth, altWidth + 24);
            img.ImageHeight = std::max({img.ImageHeight, 24, img.Alt.empty() ? 0 : e.tmHeight});
        }
        img.ImageKnown = true;
    }
    img.Linked = !img.NoBorder && section.RunAt(img.Pos).HasLink();
    const int32_t frame = img.Linked ? 2 : 0;
    img.ObjWidth = img.ImageWidth + frame;
    img.ObjHeight = img.ImageHeight + frame;
}

class SectionLayout {
public:
    SectionLayout(TSection& s, IndentManager& im)
        : s_(s), doc_(*s.Document), im_(im), b_(s.Buff), n_(static_cast<int32_t>(s.Buff.size())),
          pre_(s.IsPreformatted()) {}

    int32_t Run(int32_t y, int32_t& maxWidth) {
        thread_local std::vector<LineRec> lines;
        lines.clear();
        const int32_t firstIndent = im_.LeftIndent(y);
        maxWidth = im_.Width;
        for (const auto& img : s_.Images()) {
            SizeImage(s_, *img, im_.AvailableWidth(y));
            maxWidth = std::max(maxWidth, img->ObjWidth + s_.Indent);
        }
        for (TFormControlObj* c : s_.FormControls())
            maxWidth = std::max(maxWidth, c->Width + s_.Indent);
        int32_t cy = y;
        if (const int32_t clear = ClearDistance(y); clear > 0) {
            LineRec blank;
            blank.LineHt = blank.DrawHeight = clear;
            blank.DrawX = im_.LeftIndent(y);
            blank.DrawY = y;
            lines.push_back(blank);
            cy += clear;
        }
        int32_t start = 0;
        while (start < n_) {
            floatHeight_ = 0;
            deferred_.clear();
            int32_t end = Fit(start, cy);
            end = Break(start, end, cy, maxWidth);
            lines.push_back(Finish(start, end, cy, maxWidth));
            const LineRec& l = lines.back();
            cy += l.LineHt + l.SpaceBefore + l.SpaceAfter;
            start = end;
        }
        s_.Lines().Assign(lines, firstIndent);
        return cy - y;
    }

    int32_t ClearDistance(int32_t top) const {
        const int32_t left = std::max(0, im_.ClearLeft() - top - 1);
        const int32_t right = std::max(0, im_.ClearRight() - top - 1);
        switch (s_.ClearAttr) {
        case 1:
            return left;
        case 2:
            return right;
        case 3:
            return std::max(left, right);
        default:
            return 0;
        }
    }

private:
    size_t RunIndex(int32_t i) const { return static_cast<size_t>(&s_.RunAt(i) - s_.Fonts.begin()); }

    int32_t PieceEnd(int32_t i, size_t run) const {
        int32_t end = run + 1 < s_.Fonts.size() ? std::min(n_, s_.Fonts[run + 1].Pos) : n_;
        end = std::min(end, i + kChunk);
        for (int32_t j = i; j < end; ++j)
            if (IsObjectCode(b_[static_cast<size_t>(j)])) return j;
        return end;
    }

    void PlaceFloat(TImageObj& img, int32_t y) {
        const int32_t w = img.ObjWidth + img.HSpace, h = img.ObjHeight + 2 * img.VSpace;
        if (img.ObjAlign == TImageObj::ALeft)
            img.XObj = im_.PlaceLeft(y, w, h);
        else
            img.XObj = im_.PlaceRight(y, w, h) + img.HSpace;
        img.DrawX = img.XObj;
        img.DrawY = y + img.VSpace;
    }

    // The end of what fits on a line starting at start, at y.
    int32_t Fit(int32_t start, int32_t y) {
        int32_t available = pre_ ? 32000 : im_.AvailableWidth(y);
        int32_t width = 0;
        bool content = false; // something besides floats on the line
        int32_t i = start;
        size_t run = RunIndex(start);
        auto& buffer = WidthBuffer();
        while (i < n_) {
            const char c = b_[static_cast<size_t>(i)];
            if (IsImageCode(c)) {
                TImageObj* img = s_.ImageAtIndex(i);
                if (img && img->Floating()) {
                    if (!content) {
                        PlaceFloat(*img, y);
                        floatHeight_ = std::max(floatHeight_, img->ObjHeight + 2 * img->VSpace);
                        if (!pre_) available = im_.AvailableWidth(y);
                    } else {
                        deferred_.push_back(img);
                    }
                    ++i;
                    continue;
                }
                const int32_t w = img ? img->ObjWidth + 2 * img->HSpace : 0;
                if (content && width + w > available) break;
                width += w;
                content = true;
                ++i;
                continue;
            }
            if (IsControlCode(c)) {
                TFormControlObj* control = s_.ControlAtIndex(i);
                const int32_t w = control ? control->Width : 0;
                if (content && width + w > available) break;
                width += w;
                content = true;
                ++i;
                continue;
            }
            while (run + 1 < s_.Fonts.size() && s_.Fonts[run + 1].Pos <= i)
                ++run;
            const int32_t end = PieceEnd(i, run);
            const size_t length = static_cast<size_t>(end - i);
            const TFontEntry& font = doc_.Font(s_.Fonts[run].FontIndex);
            const int32_t room = available - width;
            if (buffer.size() < length) buffer.resize(length);
            const size_t measured =
                doc_.Metrics.PrefixWidths(s_.Fonts[run].FontIndex, font.Font,
                                          std::string_view(b_).substr(static_cast<size_t>(i), length),
                                          room + font.Overhang, buffer.data());
            // Prefix widths grow with the length: the fit is a search.
            const size_t fits = static_cast<size_t>(
                std::upper_bound(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(measured),
                                 room + font.Overhang) -
                buffer.begin());
            if (fits < length) {
                if (fits) {
                    width += buffer[fits - 1] - font.Overhang;
                    content = true;
                }
                i += static_cast<int32_t>(fits);
                break;
            }
            width += buffer[length - 1] - font.Overhang;
            content = true;
            i = end;
        }
        if (i == start) i = start + 1;
        return i;
    }

    // Moves the end of a line that does not hold everything to a place where
    // text may wrap.
    int32_t Break(int32_t start, int32_t end, int32_t y, int32_t& maxWidth) {
        if (end >= n_) return end;
        auto at = [this](int32_t i) { return b_[static_cast<size_t>(i)]; };
        if (at(end - 1) == ' ') {
            while (end < n_ && at(end) == ' ')
                ++end;
            return end;
        }
        if (at(end) == kImageCode || at(end) == kControlCode) return end;
        for (int32_t p = end - 1; p >= start; --p)
            if (IsBreak(at(p))) return p + 1;
        // One word wider than the line: the line runs over to the right.
        while (end < n_ && !IsBreak(at(end)))
            ++end;
        while (end < n_ && at(end) == ' ')
            ++end;
        (void)y;
        (void)maxWidth;
        return end;
    }

    LineRec Finish(int32_t start, int32_t end, int32_t y, int32_t& maxWidth) {
        LineRec l;
        l.Start = start;
        l.Ln = end - start;
        // Floats set aside for after the line stay for the next one when the
        // line was cut before them.
        deferred_.erase(std::remove_if(deferred_.begin(), deferred_.end(),
                                       [end](TImageObj* img) { return img->Pos >= end; }),
                        deferred_.end());
        int32_t textEnd = end; // trailing spaces do not count for alignment
        while (textEnd > start && b_[static_cast<size_t>(textEnd - 1)] == ' ')
            --textEnd;
        bool text = false;
        for (int32_t i = start; i < end && !text; ++i)
            if (!IsObjectCode(b_[static_cast<size_t>(i)])) text = true;
        if (text) {
            for (size_t r = RunIndex(start); r < s_.Fonts.size() && s_.Fonts[r].Pos < end; ++r) {
                const TFontEntry& f = doc_.Font(s_.Fonts[r].FontIndex);
                l.LineHt = std::max(l.LineHt, f.FontHeight);
                l.Descent = std::max(l.Descent, f.Descent);
            }
        }
        // Widths and the inline objects' offsets, in one walk.
        int32_t x = 0;
        inline_.clear();
        size_t run = RunIndex(start);
        for (int32_t i = start; i < textEnd;) {
            const char c = b_[static_cast<size_t>(i)];
            if (IsImageCode(c)) {
                if (TImageObj* img = s_.ImageAtIndex(i); img && !img->Floating()) {
                    inline_.push_back({i, x});
                    x += img->ObjWidth + 2 * img->HSpace;
                    const int32_t d = img->ObjHeight - l.LineHt;
                    switch (img->ObjAlign) {
                    case TImageObj::ATop:
                        l.SpaceAfter = std::max(l.SpaceAfter, d);
                        break;
                    case TImageObj::AMiddle:
                        l.SpaceAfter = std::max(l.SpaceAfter, d / 2);
                        l.SpaceBefore = std::max(l.SpaceBefore, d - d / 2);
                        break;
                    default:
                        l.SpaceBefore = std::max(l.SpaceBefore, img->ObjHeight + l.Descent - l.LineHt);
                        break;
                    }
                }
                ++i;
                continue;
            }
            if (IsControlCode(c)) {
                if (TFormControlObj* control = s_.ControlAtIndex(i)) {
                    inline_.push_back({i, x});
                    x += control->Width;
                    const int32_t above = control->OnBaseline ? control->Height + l.Descent - l.LineHt
                                                              : control->Height - l.LineHt;
                    l.SpaceBefore = std::max(l.SpaceBefore, above);
                }
                ++i;
                continue;
            }
            while (run + 1 < s_.Fonts.size() && s_.Fonts[run + 1].Pos <= i)
                ++run;
            int32_t pieceEnd = run + 1 < s_.Fonts.size() ? std::min(textEnd, s_.Fonts[run + 1].Pos) : textEnd;
            int32_t j = i;
            while (j < pieceEnd && !IsObjectCode(b_[static_cast<size_t>(j)]))
                ++j;
            const TFontEntry& f = doc_.Font(s_.Fonts[run].FontIndex);
            x += doc_.Metrics.TextWidth(
                     s_.Fonts[run].FontIndex, f.Font,
                     std::string_view(b_).substr(static_cast<size_t>(i), static_cast<size_t>(j - i))) -
                 f.Overhang;
            i = j;
        }
        const int32_t left = im_.LeftIndent(y), right = pre_ ? left + 32000 : im_.RightSide(y);
        int32_t xStart = left;
        if (s_.Justify == 2)
            xStart = std::max(left, (left + right - x) / 2);
        else if (s_.Justify == 3)
            xStart = right - x - 1;
        if (!pre_)
            maxWidth = std::max(maxWidth, xStart - im_.LfEdge + x);
        else
            maxWidth = std::max(maxWidth, x + s_.Indent);
        l.DrawX = xStart;
        l.DrawY = y;
        const int32_t height = l.LineHt + l.SpaceBefore + l.SpaceAfter;
        l.DrawHeight = std::max(height, floatHeight_);
        const int32_t baseline = y + l.SpaceBefore + l.LineHt - l.Descent;
        for (const auto& [i, offset] : inline_) {
            if (TImageObj* img = s_.ImageAtIndex(i)) {
                img->DrawX = xStart + offset + img->HSpace;
                switch (img->ObjAlign) {
                case TImageObj::ATop:
                    img->DrawY = y + l.SpaceBefore;
                    break;
                case TImageObj::AMiddle: {
                    const TFontEntry& f = doc_.Font(s_.RunAt(i).FontIndex);
                    img->DrawY = baseline + f.Descent - f.tmHeight / 2 - img->ObjHeight / 2;
                    break;
                }
                default:
                    img->DrawY = baseline - img->ObjHeight;
                    break;
                }
            } else if (TFormControlObj* control = s_.ControlAtIndex(i)) {
                control->XValue = xStart + offset;
                control->YValue = y;
            }
        }
        for (TImageObj* img : deferred_) {
            PlaceFloat(*img, y + height);
            l.DrawHeight = std::max(l.DrawHeight, height + img->ObjHeight + 2 * img->VSpace);
        }
        return l;
    }

    TSection& s_;
    TSectionList& doc_;
    IndentManager& im_;
    const std::string& b_;
    const int32_t n_;
    const bool pre_;
    int32_t floatHeight_ = 0;
    std::vector<TImageObj*> deferred_;
    std::vector<std::pair<int32_t, int32_t>> inline_; // index, x offset in the line
};

} // namespace

int32_t TSection::LayOut(IndentManager& im, int32_t y, int32_t& curs, int32_t& maxWidth) {
    YValue = y;
    StartCurs = curs;
    Len = static_cast<int32_t>(Buff.size());
    curs += Len;
    areaLeft_ = im.LfEdge;
    im.SetLevel(ListLevel, y, Indent == kStrayListIndent);
    SectionLayout layout(*this, im);
    if (Buff.empty()) {
        parts_.clear();
        SectionHeight = DrawHeight = layout.ClearDistance(y);
        maxWidth = 0;
        if (IsPreformatted()) SectionHeight = DrawHeight = SectionFont().Size;
        return SectionHeight;
    }
    SectionHeight = layout.Run(y, maxWidth);
    if (ListLevel > 0)
        if (const int32_t bottom = im.ListItemBottom(); bottom > 0)
            SectionHeight = std::max(SectionHeight, bottom + 1 - y);
    DrawHeight = std::max(SectionHeight, im.FloatBottom() - y);
    for (const LineRec& l : Lines())
        DrawHeight = std::max(DrawHeight, l.DrawY - y + l.DrawHeight);
    return SectionHeight;
}

void TSection::MoveBy(int32_t dy) {
    YValue += dy;
    for (LineRec& l : parts_)
        l.DrawY += dy;
    TSectionObjects* objects = parts_.Objects();
    if (!objects) return;
    for (auto& img : objects->Images)
        img->DrawY += dy;
    for (TFormControlObj* c : objects->FormControls)
        c->YValue += dy;
}

void TSection::MeasureWidths(int32_t& minWidth, int32_t& maxWidth) {
    TSectionList& doc = *Document;
    int32_t floats = 0, widestObject = 0, line = 0, word = 0, widestWord = 0;
    for (const auto& img : Images()) {
        SizeImage(*this, *img, 0);
        if (img->Floating())
            floats += img->ObjWidth + img->HSpace;
        else
            widestObject = std::max(widestObject, img->ObjWidth + 2 * img->HSpace);
    }
    const bool pre = IsPreformatted();
    auto& buffer = WidthBuffer();
    const int32_t n = static_cast<int32_t>(Buff.size());
    size_t run = 0;
    for (int32_t i = 0; i < n;) {
        const char c = Buff[static_cast<size_t>(i)];
        if (IsImageCode(c)) {
            TImageObj* img = ImageAtIndex(i);
            if (img && !img->Floating()) {
                line += img->ObjWidth + 2 * img->HSpace;
                if (c == kImageCode) {
                    widestWord = std::max(widestWord, word);
                    word = 0;
                } else {
                    word += img->ObjWidth + 2 * img->HSpace;
                }
            }
            ++i;
            continue;
        }
        if (IsControlCode(c)) {
            TFormControlObj* control = ControlAtIndex(i);
            const int32_t w = control ? control->Width : 0;
            line += w;
            widestObject = std::max(widestObject, w);
            if (c == kControlCode) {
                widestWord = std::max(widestWord, word);
                word = 0;
            } else {
                word += w;
            }
            ++i;
            continue;
        }
        while (run + 1 < Fonts.size() && Fonts[run + 1].Pos <= i)
            ++run;
        int32_t end = run + 1 < Fonts.size() ? std::min(n, Fonts[run + 1].Pos) : n;
        end = std::min(end, i + kChunk);
        int32_t j = i;
        while (j < end && !IsObjectCode(Buff[static_cast<size_t>(j)]))
            ++j;
        const size_t length = static_cast<size_t>(j - i);
        if (buffer.size() < length) buffer.resize(length);
        const TFontEntry& f = doc.Font(Fonts[run].FontIndex);
        const size_t measured = doc.Metrics.PrefixWidths(
            Fonts[run].FontIndex, f.Font, std::string_view(Buff).substr(static_cast<size_t>(i), length),
            INT32_MAX, buffer.data());
        int32_t wordStart = 0; // prefix width where the current word began
        for (size_t k = 0; k < measured; ++k) {
            if (Buff[static_cast<size_t>(i) + k] == ' ' && !pre) {
                widestWord = std::max(widestWord, word + (k ? buffer[k - 1] : 0) - wordStart);
                word = 0;
                wordStart = buffer[k];
            }
        }
        const int32_t total = measured ? buffer[measured - 1] - f.Overhang : 0;
        word += total + f.Overhang - wordStart;
        line += total;
        i = j;
    }
    widestWord = std::max(widestWord, word);
    if (pre) {
        maxWidth = line + Indent;
        minWidth = std::min(2000, maxWidth);
        return;
    }
    maxWidth = floats + line + Indent;
    minWidth = std::max(widestObject, widestWord) + floats + Indent;
}

// ---- cells and the document ----

int32_t TCell::DoLayout(int32_t left, int32_t width, int32_t y, int32_t& curs, int32_t& maxWidth) {
    IndentManager im;
    im.Reset(left, width);
    Top = y;
    StartCurs = curs;
    maxWidth = 0;
    int32_t cy = y;
    constexpr size_t kSearchFrom = 16; // fewer sections are walked
    reach_.reset(Sections.size() > kSearchFrom ? new int32_t[Sections.size() + 1] : nullptr);
    if (reach_) reach_[0] = static_cast<int32_t>(Sections.size());
    int32_t reach = INT32_MIN;
    for (size_t i = 0; i < Sections.size(); ++i) {
        TSectionBase& section = *Sections[i];
        int32_t need = 0;
        cy += section.LayOut(im, cy, curs, need);
        maxWidth = std::max(maxWidth, need);
        reach = std::max(reach, section.YValue + std::max(section.DrawHeight, section.SectionHeight));
        if (reach_) reach_[i + 1] = reach;
    }
    Len = curs - StartCurs;
    return std::max(cy - y, im.FloatBottom() - y);
}

size_t TCell::FirstReaching(int32_t y) const {
    if (!reach_ || static_cast<size_t>(reach_[0]) != Sections.size()) return 0;
    const int32_t* begin = reach_.get() + 1;
    return static_cast<size_t>(std::upper_bound(begin, begin + reach_[0], y) - begin);
}

void TCell::MinMaxWidths(int32_t& minWidth, int32_t& maxWidth) {
    minWidth = maxWidth = 0;
    for (auto& section : Sections) {
        int32_t mn = 0, mx = 0;
        section->MeasureWidths(mn, mx);
        minWidth = std::max(minWidth, mn);
        maxWidth = std::max(maxWidth, mx);
    }
}

namespace {

// Expands every table's spans once; a table that cannot be expanded is
// reported and removed with everything that points into it.
void ExpandTables(TSectionList& doc, TCell& cell) {
    for (size_t i = 0; i < cell.Sections.size();) {
        auto* table = dynamic_cast<ThtmlTable*>(cell.Sections[i].get());
        if (!table) {
            ++i;
            continue;
        }
        try {
            table->ExpandSpans();
        } catch (const EProcessError& e) {
            if (doc.OnLayoutError)
                doc.OnLayoutError(e.what());
            else
                doc.LayoutErrors.push_back(e.what());
            doc.RemoveSection(cell, i);
            continue;
        }
        ExpandTables(doc, table->Caption->Cell);
        for (auto& row : table->Rows)
            for (auto& c : row->Cells)
                if (c) ExpandTables(doc, c->Cell);
        ++i;
    }
}

} // namespace

int32_t TSectionList::LayOut(int32_t width, int32_t top) {
    ++LayoutGeneration;
    SizeFormControls(*this);
    if (OnSizeControls) OnSizeControls();
    ExpandTables(*this, *this);
    int32_t curs = 0, need = 0;
    Height = DoLayout(0, width, top, curs, need);
    DocumentWidth = std::max(width, need);
    return top + Height;
}

void SizeFormControls(TSectionList& doc) {
    TMyFont pre;
    pre.Name = doc.PreFontName;
    pre.SetNominalSize(10, doc.FontSize);
    pre.FixedPitch = true;
    pre.CharSet = doc.CharSet;
    const uint32_t preIndex = doc.InternFont(pre);
    const TFontEntry& preEntry = doc.Font(preIndex);
    const int32_t a = doc.Metrics.TextWidth(preIndex, preEntry.Font, "A");
    TMyFont plain = pre;
    plain.Name = doc.FontName;
    plain.FixedPitch = false;
    const uint32_t plainIndex = doc.InternFont(plain);
    const TFontEntry& plainEntry = doc.Font(plainIndex);
    for (TFormControlObj* c : doc.FormControls) {
        switch (c->Kind) {
        case TControlKind::Edit:
            c->Width = a * c->EditSize + 5;
            c->Height = 20;
            break;
        case TControlKind::Button:
            c->Width = doc.Metrics.TextWidth(plainIndex, plainEntry.Font, c->Caption) + 20;
            c->Height = plainEntry.tmHeight + 8;
            break;
        case TControlKind::CheckBox:
            c->Width = c->Height = 13;
            break;
        case TControlKind::Radio:
            c->Width = 13;
            c->Height = 14;
            break;
        case TControlKind::ListBox:
        case TControlKind::Combo: {
            size_t longest = 3;
            for (const TSelectOption& o : c->Options)
                longest = std::max(longest, o.Text.size());
            const bool list = c->Kind == TControlKind::ListBox;
            c->Width = a * static_cast<int32_t>(longest) + (list ? 15 : 30) + 4;
            c->Height = list ? preEntry.tmHeight * c->VisibleRows() + 4 : preEntry.tmHeight + 8;
            break;
        }
        case TControlKind::TextArea:
            c->Width = a * c->Cols + 5 + 4;
            c->Height = preEntry.tmHeight * c->Rows + 5 + 4;
            break;
        default:
            c->Width = c->Height = 0;
            break;
        }
    }
}

} // namespace velmora::html
