#include "html/paint.h"

#include "base/ascii_text.h"
#include "html/forms.h"
#include "html/layout.h"

#include <algorithm>
#include <cstdio>

namespace velmora::html {

namespace {

constexpr TColor kBlack = 0x000000;
constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kSilver = 0xC0C0C0;
// Colours are held with red in the low byte.
constexpr TColor kNavy = 0x800000;
constexpr TColor kMaroon = 0x000080;
constexpr TColor kRed = 0x0000FF;

bool IsImageCode(char c) {
    return c == kImageCode || c == kNoBrImageCode;
}
bool IsControlCode(char c) {
    return c == kControlCode || c == kNoBrControlCode;
}

} // namespace

TPaintContext::TPaintContext(TSectionList& document, const TViewState& view, TSurfaceRect clip,
                             int32_t originX, TSystemColors colors)
    : Doc(document), View(view), Clip(clip), OriginX(originX), Colors(colors) {}

TDrawOp& TPaintContext::Add(TDrawKind kind, int32_t x, int32_t y, int32_t w, int32_t h) {
    TDrawOp& op = Ops.emplace_back();
    op.Kind = kind;
    op.X = x;
    op.Y = y;
    op.W = w;
    op.H = h;
    return op;
}

bool TPaintContext::LightBackground() const {
    const TColor bg = Doc.Background;
    return bg == Colors.ButtonFace || bg == kWhite || bg == kSilver ||
           (bg == Colors.Window && Colors.Window == kWhite);
}

void TPaintContext::Frame3D(int32_t x, int32_t y, int32_t w, int32_t h, bool raised) {
    const bool white =
        Doc.Background == kWhite || (Doc.Background == Colors.Window && Colors.Window == kWhite);
    const TColor light = white ? kSilver : Colors.ButtonHighlight;
    const int32_t top = std::clamp(y, -200, 3000), bottom = std::clamp(y + h, -200, 3000);
    TDrawOp& op = Add(TDrawKind::Frame3D, x, top, w, bottom - top);
    op.Color = raised ? light : Colors.ButtonShadow;
    op.Back = raised ? Colors.ButtonShadow : light;
}

std::string ListMarkerText(int32_t number, char type) {
    static const char* const kRoman[20] = {"I",    "II",  "III",  "IV",    "V",   "VI",   "VII",
                                           "VIII", "IX",  "X",    "XI",    "XII", "XIII", "XIV",
                                           "XV",   "XVI", "XVII", "XVIII", "XIX", "XX"};
    std::string s;
    switch (type) {
    case 'A':
    case 'a':
        s = static_cast<char>(type + std::clamp(number - 1, 0, 25));
        break;
    case 'I':
    case 'i':
        // The numerals start at I; other numbers are written in digits.
        if (number >= 1) {
            s = kRoman[std::min(number, 20) - 1];
            if (type == 'i') s = LowerAscii(s);
        } else {
            s = std::to_string(number);
        }
        break;
    default:
        s = std::to_string(number);
        break;
    }
    return s + ".";
}

namespace {

// The picture, or its placeholder, in the box at (x, y) (document coordinates).
void PaintImage(TPaintContext& pc, const TSection& section, const TImageObj& img, TColor textColor) {
    TSectionList& doc = pc.Doc;
    int32_t x = img.DrawX, y = img.DrawY;
    if (img.Linked) {
        TDrawOp& frame = pc.Add(TDrawKind::Rect, pc.SX(x), pc.SY(y), img.ObjWidth, img.ObjHeight);
        frame.Color = textColor;
        ++x;
        ++y;
    }
    const int32_t w = img.ImageWidth, h = img.ImageHeight;
    if (!img.Placeholder()) {
        pc.Add(TDrawKind::Picture, pc.SX(x), pc.SY(y), w, h).Image = &img;
        return;
    }
    if (w >= 24 && h >= 24)
        pc.Add(TDrawKind::Substitute, pc.SX(x + 4), pc.SY(y + 4), kSubstituteSize, kSubstituteSize).Image =
            &img;
    if (!img.Alt.empty()) {
        // Words at spaces; a line that would be wider than the box starts a
        // new one; lines below the box are not drawn.
        const uint32_t font = doc.AltFontIndex();
        const TFontEntry& e = doc.Font(font);
        const int32_t left = 24, room = w - left;
        int32_t lineY = y + 2;
        std::string line;
        auto emit = [&] {
            if (!line.empty() && lineY + e.tmHeight <= y + h) {
                TDrawOp& op =
                    pc.Add(TDrawKind::Text, pc.SX(x + left), pc.SY(lineY + e.tmHeight - e.Descent), 0, 0);
                op.Text = line;
                op.FontIndex = font;
                op.Color = textColor;
            }
            lineY += e.tmHeight;
            line.clear();
        };
        size_t i = 0;
        const std::string& alt = img.Alt;
        while (i < alt.size()) {
            size_t j = alt.find(' ', i);
            if (j == std::string::npos) j = alt.size();
            const std::string word = alt.substr(i, j - i);
            const std::string candidate = line.empty() ? word : line + " " + word;
            if (!line.empty() && doc.Metrics.TextWidth(font, e.Font, candidate) > room) {
                emit();
                line = word;
            } else {
                line = candidate;
            }
            i = j + 1;
        }
        emit();
    }
    (void)section;
    pc.Frame3D(pc.SX(x), pc.SY(y), w, h, false);
}

void PaintMarker(TPaintContext& pc, TSection& s, const LineRec& line) {
    TSectionList& doc = pc.Doc;
    const int32_t left = s.FirstLineIndent();
    if (s.ListType == 1) {
        const auto& item = static_cast<const TOListItem&>(s);
        const std::string text = ListMarkerText(item.ListNumber, item.NumType);
        const TFontEntry& f = doc.Font(s.SectionFontIndex);
        const int32_t width = doc.Metrics.TextWidth(s.SectionFontIndex, f.Font, text);
        TDrawOp& op = pc.Add(TDrawKind::Text, pc.SX(left - 5 - width),
                             pc.SY(line.DrawY + line.SpaceBefore + line.LineHt - line.Descent), 0, 0);
        op.Text = text;
        op.FontIndex = s.SectionFontIndex;
        op.Color = f.Font.Color;
    } else if (s.ListType == 2 && !s.Plain) {
        const int32_t bottom = line.DrawY + line.SpaceBefore + line.LineHt;
        const int32_t cx = left - 8, cy = bottom - line.LineHt / 2;
        TDrawOp& op = pc.Add(TDrawKind::Ellipse, pc.SX(cx - 2), pc.SY(cy - 2), 5, 5);
        if (pc.LightBackground()) {
            static constexpr TColor kLevels[3] = {kRed, kNavy, kMaroon};
            op.Color = kLevels[s.ListLevel % 3];
            op.Opaque = true;
        } else {
            op.Color = doc.FontColor;
        }
    }
}

} // namespace

void TSection::Paint(TPaintContext& pc) {
    if (!pc.Visible(YValue, std::max(DrawHeight, SectionHeight)) || parts_.empty()) return;
    TSectionList& doc = *Document;
    const TLineList& lines = parts_;
    ++pc.SectionsPainted;
    const bool pre = IsPreformatted();
    const int32_t selB = pc.View.SelB - StartCurs, selE = pc.View.SelE - StartCurs;
    const bool selection = pc.View.HasSelection();
    // The first line that may reach the clip rectangle; a float hanging from
    // an earlier line is drawn with the image loop below.
    size_t first = static_cast<size_t>(
        std::partition_point(lines.begin(), lines.end(),
                             [&](const LineRec& l) {
                                 return l.DrawY + l.LineHt + l.SpaceBefore + l.SpaceAfter <= pc.DocTop();
                             }) -
        lines.begin());
    bool firstText = true;
    for (size_t li = 0; li < lines.size(); ++li) {
        const LineRec& l = lines[li];
        if (l.Ln > 0 && firstText) {
            firstText = false;
            if (ListType && pc.Visible(l.DrawY, l.LineHt + l.SpaceBefore + l.SpaceAfter))
                PaintMarker(pc, *this, l);
        }
        if (li < first) continue;
        if (l.DrawY >= pc.DocBottom()) break;
        const int32_t baseline = l.DrawY + l.SpaceBefore + l.LineHt - l.Descent;
        int32_t x = l.DrawX;
        const int32_t end = l.Start + l.Ln;
        size_t run = static_cast<size_t>(&RunAt(l.Start) - Fonts.begin());
        for (int32_t i = l.Start; i < end;) {
            const char c = Buff[static_cast<size_t>(i)];
            if (IsImageCode(c)) {
                if (TImageObj* img = ImageAtIndex(i)) {
                    if (!img->Floating()) x += img->ObjWidth + 2 * img->HSpace;
                    const TFontEntry& f = doc.Font(RunAt(i).FontIndex);
                    PaintImage(pc, *this, *img, f.Font.Color);
                }
                ++i;
                continue;
            }
            if (IsControlCode(c)) {
                if (TFormControlObj* control = ControlAtIndex(i)) {
                    const int32_t bottom = l.DrawY + l.SpaceBefore + l.LineHt + l.SpaceAfter;
                    const int32_t y = bottom - control->Height - (control->OnBaseline ? l.Descent : 0);
                    pc.Add(TDrawKind::Control, pc.SX(x), pc.SY(y), control->Width, control->Height).Control =
                        control;
                    x += control->Width;
                }
                ++i;
                continue;
            }
            while (run + 1 < Fonts.size() && Fonts[run + 1].Pos <= i)
                ++run;
            int32_t j = run + 1 < Fonts.size() ? std::min(end, Fonts[run + 1].Pos) : end;
            for (int32_t k = i; k < j; ++k)
                if (IsImageCode(Buff[static_cast<size_t>(k)]) ||
                    IsControlCode(Buff[static_cast<size_t>(k)])) {
                    j = k;
                    break;
                }
            // Selection boundaries cut runs too.
            const bool selected = selection && i >= selB && i < selE;
            if (selection) {
                if (i < selB && j > selB)
                    j = selB;
                else if (i < selE && j > selE)
                    j = selE;
            }
            const TFontObj& fo = Fonts[run];
            const TFontEntry& f = doc.Font(fo.FontIndex);
            std::string text = Buff.substr(static_cast<size_t>(i), static_cast<size_t>(j - i));
            std::replace(text.begin(), text.end(), kNbsp, ' ');
            const int32_t width = doc.Metrics.TextWidth(fo.FontIndex, f.Font, text) - f.Overhang;
            int32_t drawnWidth = width;
            // The spaces that end a link (a line break before </a> is one) are
            // passed over, not drawn: the underline stops at the last character.
            const bool linkEnds = j == end || run + 1 >= Fonts.size() || Fonts[run + 1].Pos > j ||
                                  Fonts[run + 1].LinkIndex != fo.LinkIndex;
            if (!selected && fo.HasLink() && (f.Font.Style & fsUnderline) && linkEnds && !text.empty() &&
                text.back() == ' ') {
                text.resize(text.find_last_not_of(' ') + 1); // empty when all spaces
                drawnWidth =
                    text.empty() ? 0 : doc.Metrics.TextWidth(fo.FontIndex, f.Font, text) - f.Overhang;
            }
            int32_t y = baseline;
            if (fo.SScript == 1)
                y += f.Descent / 2 + 1;
            else if (fo.SScript == 2)
                y -= f.FontHeight / 3;
            if (!text.empty() && x + drawnWidth >= pc.Clip.Left - pc.OriginX &&
                x < pc.Clip.Right - pc.OriginX) {
                TDrawOp& op = pc.Add(TDrawKind::Text, pc.SX(x - f.Overhang / 2), pc.SY(y), drawnWidth, 0);
                op.Text = std::move(text);
                op.FontIndex = fo.FontIndex;
                if (selected) {
                    op.Opaque = true;
                    op.Back = f.Font.Color;
                    op.Color = doc.Background;
                } else {
                    op.Color = f.Font.Color;
                }
                if (pre) op.ClipRight = pc.SX(pc.AreaLeft + pc.ClipWidth);
            }
            x += width;
            i = j;
        }
    }
    // Floats whose line is above the clip rectangle may still hang into it.
    for (const auto& img : Images())
        if (img->Floating() && pc.Visible(img->DrawY, img->ObjHeight)) {
            bool drawn = false;
            for (size_t li = first; li < lines.size() && lines[li].DrawY < pc.DocBottom(); ++li)
                if (img->Pos >= lines[li].Start && img->Pos < lines[li].Start + lines[li].Ln) drawn = true;
            if (!drawn) {
                const TFontEntry& f = doc.Font(RunAt(img->Pos).FontIndex);
                PaintImage(pc, *this, *img, f.Font.Color);
            }
        }
}

void THorzLine::Paint(TPaintContext& pc) {
    if (!pc.Visible(YValue, SectionHeight)) return;
    ++pc.SectionsPainted;
    const int32_t y = YValue + (SectionHeight - VSize) / 2;
    if (HasColor) {
        pc.Add(TDrawKind::Fill, pc.SX(RuleLeft), pc.SY(y), RuleWidth, VSize).Color = Color;
        return;
    }
    TDrawOp& op = pc.Add(TDrawKind::Frame3D, pc.SX(RuleLeft), pc.SY(y), RuleWidth, VSize);
    if (NoShade || pc.Colors.Monochrome) {
        op.Color = op.Back = kBlack;
    } else {
        const bool white = Document->Background == kWhite ||
                           (Document->Background == pc.Colors.Window && pc.Colors.Window == kWhite);
        op.Color = pc.Colors.ButtonShadow;
        op.Back = white ? kSilver : pc.Colors.ButtonHighlight;
    }
}

void TCell::Paint(TPaintContext& pc) {
    for (size_t i = FirstReaching(pc.DocTop()); i < Sections.size(); ++i) {
        if (Sections[i]->YValue >= pc.DocBottom()) break;
        Sections[i]->Paint(pc);
    }
}

void PaintDocument(TPaintContext& pc) {
    TDrawOp& bg = pc.Add(TDrawKind::Background, pc.Clip.Left, pc.Clip.Top, pc.Clip.Right - pc.Clip.Left,
                         pc.Clip.Bottom - pc.Clip.Top);
    bg.Color = pc.Doc.Background;
    bg.Text = pc.Doc.BackgroundPictureName;
    pc.AreaLeft = 0;
    pc.ClipWidth = 6000;
    pc.Doc.Paint(pc);
    // The dummy caret: a line of the font's height where the caret stands.
    TSectionList& doc = pc.Doc;
    if (doc.ShowDummyCaret && pc.View.CaretPos >= 0 && !pc.View.HasSelection()) {
        char c = 0;
        TSectionBase* where = nullptr;
        int32_t x = 0, y = 0;
        auto* section = doc.CharAt(pc.View.CaretPos, c, where) ? dynamic_cast<TSection*>(where) : nullptr;
        if (section && doc.CaretPosToXY(pc.View.CaretPos, x, y)) {
            const TFontObj& run = section->RunAt(pc.View.CaretPos - section->StartCurs);
            const int32_t h = run.FontHeight(doc);
            if (pc.Visible(y, h))
                pc.Add(TDrawKind::Fill, pc.SX(x), pc.SY(y), 1, h).Color = run.TheFont(doc).Color;
        }
    }
}

namespace {

std::string Hex(TColor c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return buf;
}

} // namespace

std::string DumpPaint(const TPaintContext& pc) {
    static const char* const kNames[] = {"background", "text",    "fill",       "frame3d", "rect",
                                         "ellipse",    "picture", "substitute", "control"};
    std::string out;
    for (const TDrawOp& op : pc.Ops) {
        out += kNames[static_cast<int>(op.Kind)];
        out += ' ' + std::to_string(op.X) + ',' + std::to_string(op.Y);
        if (op.Kind != TDrawKind::Text) out += ' ' + std::to_string(op.W) + 'x' + std::to_string(op.H);
        switch (op.Kind) {
        case TDrawKind::Text:
            out += " font=" + std::to_string(op.FontIndex) + ' ' + Hex(op.Color);
            if (op.Opaque) out += " on " + Hex(op.Back);
            if (op.ClipRight != INT32_MAX) out += " clip<" + std::to_string(op.ClipRight);
            out += " \"" + op.Text + "\"";
            break;
        case TDrawKind::Frame3D:
            out += ' ' + Hex(op.Color) + '/' + Hex(op.Back);
            break;
        case TDrawKind::Ellipse:
            out += std::string(op.Opaque ? " filled " : " outline ") + Hex(op.Color);
            break;
        case TDrawKind::Picture:
            out += " \"" + op.Image->Source + "\"";
            break;
        case TDrawKind::Substitute:
            out += op.Image->Kind == TImageObj::pkBroken ? " broken" : " pending";
            break;
        case TDrawKind::Control:
            out += std::string(" ") + ControlKindName(op.Control->Kind);
            break;
        case TDrawKind::Background:
            out += ' ' + Hex(op.Color);
            if (!op.Text.empty()) out += " tiles \"" + op.Text + "\"";
            break;
        default:
            out += ' ' + Hex(op.Color);
            break;
        }
        out += '\n';
    }
    return out;
}

} // namespace velmora::html
