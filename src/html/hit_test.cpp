// Queries on the laid-out document: links and images under a point, caret
// positions, search, and the text of a selection. Points and positions are
// in document coordinates.
#include "base/os.h"
#include "html/forms.h"
#include "html/layout.h"
#include "html/table.h"

#include <algorithm>

namespace velmora::html {

namespace {

bool IsImageCode(char c) {
    return c == kImageCode || c == kNoBrImageCode;
}
bool IsControlCode(char c) {
    return c == kControlCode || c == kNoBrControlCode;
}

int32_t LineHeight(const LineRec& l) {
    return l.LineHt + l.SpaceBefore + l.SpaceAfter;
}

// Walks a line's characters with their widths: f(index, x before, width)
// returns false to stop.
template <typename F> void WalkLine(TSection& s, const LineRec& l, F f) {
    TSectionList& doc = *s.Document;
    int32_t x = 0;
    const int32_t end = l.Start + l.Ln;
    for (int32_t i = l.Start; i < end;) {
        const char c = s.Buff[static_cast<size_t>(i)];
        if (IsImageCode(c)) {
            const TImageObj* img = s.ImageAtIndex(i);
            const int32_t w = img && !img->Floating() ? img->ObjWidth + 2 * img->HSpace : 0;
            if (!f(i, x, w)) return;
            x += w;
            ++i;
            continue;
        }
        if (IsControlCode(c)) {
            const TFormControlObj* control = s.ControlAtIndex(i);
            const int32_t w = control ? control->Width : 0;
            if (!f(i, x, w)) return;
            x += w;
            ++i;
            continue;
        }
        const TFontObj& run = s.RunAt(i);
        const size_t runIndex = static_cast<size_t>(&run - s.Fonts.begin());
        int32_t j = runIndex + 1 < s.Fonts.size() ? std::min(end, s.Fonts[runIndex + 1].Pos) : end;
        for (int32_t k = i; k < j; ++k)
            if (IsImageCode(s.Buff[static_cast<size_t>(k)]) ||
                IsControlCode(s.Buff[static_cast<size_t>(k)])) {
                j = k;
                break;
            }
        const TFontEntry& font = doc.Font(run.FontIndex);
        std::vector<int32_t> widths(static_cast<size_t>(j - i));
        const size_t n = doc.Metrics.PrefixWidths(
            run.FontIndex, font.Font, std::string_view(s.Buff).substr(static_cast<size_t>(i), widths.size()),
            INT32_MAX, widths.data());
        int32_t before = 0;
        for (size_t k = 0; k < n; ++k) {
            if (!f(i + static_cast<int32_t>(k), x + before, widths[k] - before)) return;
            before = widths[k];
        }
        x += (n ? widths[n - 1] : 0) - font.Overhang;
        i = j;
    }
    f(end, x, 0);
}

// The line at y: the first whose bottom lies below y.
const LineRec* LineAt(const TLineList& lines, int32_t y) {
    auto it = std::partition_point(lines.begin(), lines.end(),
                                   [y](const LineRec& l) { return l.DrawY + LineHeight(l) <= y; });
    return it == lines.end() || it->DrawY > y ? nullptr : it;
}

char Fold(char c, bool matchCase) {
    if (c == kNbsp) return ' ';
    return matchCase ? c : os::LowerAnsi(c);
}

} // namespace

// ---- text sections ----

TImageObj* TSection::ImageAt(int32_t x, int32_t y, int32_t& ix, int32_t& iy) {
    for (const auto& img : Images()) {
        const int32_t frame = img->Linked ? 1 : 0;
        const int32_t left = img->DrawX + frame, top = img->DrawY + frame;
        if (x >= left && x < left + img->ImageWidth && y >= top && y < top + img->ImageHeight) {
            ix = x - left;
            iy = y - top;
            Document->HoverImage = img.get();
            return img.get();
        }
    }
    return nullptr;
}

bool TSection::HotSpotAt(int32_t x, int32_t y, THotSpot& hit) {
    TSectionList& doc = *Document;
    int32_t ix = 0, iy = 0;
    if (TImageObj* img = ImageAt(x, y, ix, iy)) {
        if (img->MyFormControl) {
            hit.Control = img->MyFormControl;
            hit.ControlX = ix;
            hit.ControlY = iy;
            return true;
        }
        if (!img->MapName.empty())
            if (const TMapItem* map = doc.FindMap(img->MapName))
                return map->GetURL(ix, iy, hit.Url, hit.Target);
        const TFontObj& run = RunAt(img->Pos);
        if (run.Url(doc).empty()) return false;
        hit.Url = run.Url(doc);
        hit.Target = run.Target(doc);
        if (img->IsMap) {
            hit.Url += '?';
            hit.Url += std::to_string(ix);
            hit.Url += ',';
            hit.Url += std::to_string(iy);
        }
        return true;
    }
    const LineRec* line = LineAt(parts_, y);
    if (!line || x < line->DrawX) return false;
    int32_t found = -1;
    WalkLine(*this, *line, [&](int32_t i, int32_t before, int32_t width) {
        if (i >= line->Start + line->Ln) return false;
        if (x - line->DrawX < before + width) {
            found = i;
            return false;
        }
        return true;
    });
    if (found < 0 || IsImageCode(Buff[static_cast<size_t>(found)])) return false;
    const TFontObj& run = RunAt(found);
    if (run.Url(doc).empty()) return false;
    hit.Url = run.Url(doc);
    hit.Target = run.Target(doc);
    doc.HoverSection = this;
    doc.HoverRun = static_cast<int32_t>(&run - Fonts.begin());
    return true;
}

int32_t TSection::CaretPosAt(int32_t x, int32_t y, TCaretInfo& caret) {
    const LineRec* line = LineAt(parts_, y);
    if (!line) return -1;
    caret.Y = line->DrawY;
    caret.Height = LineHeight(*line);
    if (x < line->DrawX) {
        caret.X = line->DrawX;
        caret.InText = false;
        return StartCurs + line->Start;
    }
    int32_t pos = line->Start + line->Ln, at = 0;
    caret.InText = false;
    WalkLine(*this, *line, [&](int32_t i, int32_t before, int32_t width) {
        at = before;
        if (i >= line->Start + line->Ln) return false;
        if (x - line->DrawX < before + width) {
            caret.InText = true;
            if (x - line->DrawX > before + width / 2) {
                pos = i + 1;
                at = before + width;
            } else {
                pos = i;
            }
            return false;
        }
        return true;
    });
    caret.X = line->DrawX + at;
    return StartCurs + pos;
}

bool TSection::CaretPosToXY(int32_t pos, int32_t& x, int32_t& y) {
    const int32_t index = pos - StartCurs;
    if (index < 0 || index >= Len) return false;
    for (const LineRec& l : parts_) {
        if (index < l.Start || index >= l.Start + l.Ln) continue;
        y = l.DrawY;
        WalkLine(*this, l, [&](int32_t i, int32_t before, int32_t) {
            if (i < index) return true;
            x = l.DrawX + before;
            return false;
        });
        return true;
    }
    return false;
}

bool TSection::CharAt(int32_t pos, char& ch, TSectionBase*& where) {
    const int32_t index = pos - StartCurs;
    if (index < 0 || index >= Len || index >= static_cast<int32_t>(Buff.size())) return false;
    ch = Buff[static_cast<size_t>(index)];
    where = this;
    return true;
}

int32_t TSection::SearchText(std::string_view text, bool matchCase, int32_t from) {
    if (text.empty()) return -1;
    const int32_t n = static_cast<int32_t>(Buff.size()), m = static_cast<int32_t>(text.size());
    const char first = Fold(text[0], matchCase);
    for (int32_t i = std::max(0, from - StartCurs); i + m <= n; ++i) {
        if (Fold(Buff[static_cast<size_t>(i)], matchCase) != first) continue;
        int32_t k = 1;
        while (k < m && Fold(Buff[static_cast<size_t>(i + k)], matchCase) ==
                            Fold(text[static_cast<size_t>(k)], matchCase))
            ++k;
        if (k == m) return StartCurs + i;
    }
    return -1;
}

void TSection::CopySelectedText(int32_t begin, int32_t end, std::string& out) {
    const int32_t from = std::max(begin, StartCurs) - StartCurs,
                  to = std::min(end, StartCurs + Len) - StartCurs;
    auto copy = [&](int32_t b, int32_t e) {
        for (int32_t i = std::max(0, b); i < e && i < static_cast<int32_t>(Buff.size()); ++i) {
            const char c = Buff[static_cast<size_t>(i)];
            if (IsImageCode(c) || IsControlCode(c)) continue;
            out += c == kNbsp ? ' ' : c;
        }
    };
    if (parts_.empty()) { // not laid out: one line
        copy(from, to);
        if (end > StartCurs + Len && begin < StartCurs + Len) out += "\r\n";
        return;
    }
    // Line by line: indented by three spaces per list step when the line is
    // taken from its start (measured from its cell's edge, so a second column
    // or a centred table adds none), ended when the selection goes on past it.
    for (const LineRec& l : parts_) {
        const int32_t ls = l.Start, le = l.Start + l.Ln;
        const bool pastEnd = end > StartCurs + le;
        const bool overlaps = (ls < to && le > from) || (l.Ln == 0 && begin <= StartCurs + ls && pastEnd);
        if (!overlaps) continue;
        if (begin <= StartCurs + ls)
            out.append(static_cast<size_t>(3 * std::max(0, (l.DrawX - areaLeft_) / 35)), ' ');
        copy(std::max(from, ls), std::min(to, le));
        if (pastEnd) out += "\r\n";
    }
}

void TParagraphSpace::CopySelectedText(int32_t begin, int32_t end, std::string& out) {
    if (begin < StartCurs && end > StartCurs) out += "\r\n";
}

void THeadingSpace::CopySelectedText(int32_t begin, int32_t end, std::string& out) {
    if (begin < StartCurs && end > StartCurs) out += "\r\n";
}

void THorzLine::CopySelectedText(int32_t begin, int32_t end, std::string& out) {
    if (begin < StartCurs && end > StartCurs) out += "\r\n";
}

// ---- cells ----

bool TCell::HotSpotAt(int32_t x, int32_t y, THotSpot& hit) {
    for (size_t i = FirstReaching(y); i < Sections.size() && Sections[i]->YValue <= y; ++i) {
        TSectionBase& s = *Sections[i];
        if (y < s.YValue + std::max(s.DrawHeight, s.SectionHeight) && s.HotSpotAt(x, y, hit)) return true;
    }
    return false;
}

TImageObj* TCell::ImageAt(int32_t x, int32_t y, int32_t& ix, int32_t& iy) {
    for (size_t i = FirstReaching(y); i < Sections.size() && Sections[i]->YValue <= y; ++i) {
        TSectionBase& s = *Sections[i];
        if (y >= s.YValue + std::max(s.DrawHeight, s.SectionHeight)) continue;
        if (TImageObj* img = s.ImageAt(x, y, ix, iy)) return img;
    }
    return nullptr;
}

int32_t TCell::CaretPosAt(int32_t x, int32_t y, TCaretInfo& caret) {
    auto it =
        std::partition_point(Sections.begin(), Sections.end(), [y](const std::unique_ptr<TSectionBase>& s) {
            return s->YValue + s->SectionHeight <= y;
        });
    // Floating tables take no height in the flow: the first section that
    // answers wins.
    for (; it != Sections.end() && (*it)->YValue <= y; ++it) {
        const int32_t pos = (*it)->CaretPosAt(x, y, caret);
        if (pos >= 0) return pos;
    }
    return -1;
}

int32_t TCell::SearchText(std::string_view text, bool matchCase, int32_t from) {
    for (auto& s : Sections) {
        if (s->StartCurs + s->Len <= from && !dynamic_cast<ThtmlTable*>(s.get())) continue;
        const int32_t pos = s->SearchText(text, matchCase, from);
        if (pos >= 0) return pos;
    }
    return -1;
}

bool TCell::CaretPosToXY(int32_t pos, int32_t& x, int32_t& y) {
    for (auto& s : Sections)
        if (pos >= s->StartCurs && pos < s->StartCurs + s->Len && s->CaretPosToXY(pos, x, y)) return true;
    return false;
}

bool TCell::CharAt(int32_t pos, char& ch, TSectionBase*& where) {
    for (auto& s : Sections)
        if (pos >= s->StartCurs && pos < s->StartCurs + s->Len && s->CharAt(pos, ch, where)) return true;
    return false;
}

void TCell::CopySelectedText(int32_t begin, int32_t end, std::string& out) {
    for (auto& s : Sections)
        if (s->StartCurs + s->Len >= begin && s->StartCurs <= end) s->CopySelectedText(begin, end, out);
}

// ---- tables ----

namespace {

// The cell whose rectangle holds the point.
TCellObj* CellAt(ThtmlTable& t, int32_t x, int32_t y) {
    if (x < t.ColumnsX || x >= t.ColumnsX + t.ColumnTotal) return nullptr;
    for (auto& row : t.Rows) {
        if (row->Top > y) break;
        int32_t cx = t.ColumnsX;
        for (size_t c = 0; c < row->Cells.size(); ++c) {
            TCellObj* cell = row->Cells[c].get();
            if (cell && x >= cx && x < cx + cell->Wd && y >= row->Top && y < row->Top + cell->Ht) return cell;
            cx += c < t.ColWidths.size() ? t.ColWidths[c] : 0;
        }
    }
    return nullptr;
}

TCell* PartAt(ThtmlTable& t, int32_t x, int32_t y) {
    if (y < t.RowsTop || y >= t.RowsTop + t.RowsHeight) {
        if (x >= t.TableX && x < t.TableX + t.TableWidth) return &t.Caption->Cell;
        return nullptr;
    }
    TCellObj* cell = CellAt(t, x, y);
    return cell ? &cell->Cell : nullptr;
}

} // namespace

bool ThtmlTable::HotSpotAt(int32_t x, int32_t y, THotSpot& hit) {
    TCell* cell = PartAt(*this, x, y);
    return cell && cell->HotSpotAt(x, y, hit);
}

TImageObj* ThtmlTable::ImageAt(int32_t x, int32_t y, int32_t& ix, int32_t& iy) {
    TCell* cell = PartAt(*this, x, y);
    return cell ? cell->ImageAt(x, y, ix, iy) : nullptr;
}

int32_t ThtmlTable::CaretPosAt(int32_t x, int32_t y, TCaretInfo& caret) {
    TCell* cell = PartAt(*this, x, y);
    return cell ? cell->CaretPosAt(x, y, caret) : -1;
}

int32_t ThtmlTable::SearchText(std::string_view text, bool matchCase, int32_t from) {
    for (TCell* cell : CellsInOrder())
        if (cell->StartCurs + cell->Len > from)
            if (const int32_t pos = cell->SearchText(text, matchCase, from); pos >= 0) return pos;
    return -1;
}

bool ThtmlTable::CaretPosToXY(int32_t pos, int32_t& x, int32_t& y) {
    for (TCell* cell : CellsInOrder())
        if (pos >= cell->StartCurs && pos < cell->StartCurs + cell->Len) return cell->CaretPosToXY(pos, x, y);
    return false;
}

bool ThtmlTable::CharAt(int32_t pos, char& ch, TSectionBase*& where) {
    for (TCell* cell : CellsInOrder())
        if (pos >= cell->StartCurs && pos < cell->StartCurs + cell->Len) return cell->CharAt(pos, ch, where);
    return false;
}

void ThtmlTable::CopySelectedText(int32_t begin, int32_t end, std::string& out) {
    for (TCell* cell : CellsInOrder())
        if (cell->StartCurs + cell->Len >= begin && cell->StartCurs <= end)
            cell->CopySelectedText(begin, end, out);
}

} // namespace velmora::html
