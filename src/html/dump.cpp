#include "html/dump.h"

#include "html/forms.h"
#include "html/layout.h"
#include "html/table.h"

#include <cstdio>
#include <set>
#include <unordered_map>

namespace velmora::html {

namespace {

std::string Quote(std::string_view s) {
    std::string out = "\"";
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case kImageCode: out += "{img}"; break;
        case kNoBrImageCode: out += "{img-nobr}"; break;
        case kControlCode: out += "{ctl}"; break;
        case kNoBrControlCode: out += "{ctl-nobr}"; break;
        case 160: out += "{nbsp}"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default:
            if (c < 32 || c >= 127) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02X", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string Color(TColor c) {
    char buf[16];
    // Shown as #RRGGBB although held with red in the low byte.
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return buf;
}

const char* AlignName(int a) {
    switch (a) {
    case 1: return "left";
    case 2: return "center";
    case 3: return "right";
    default: return "none";
    }
}

const char* VAlignName(int a) {
    switch (a) {
    case 0: return "top";
    case 1: return "middle";
    default: return "bottom";
    }
}

std::string StyleName(uint8_t style) {
    std::string s;
    if (style & fsBold) s += "B";
    if (style & fsItalic) s += "I";
    if (style & fsUnderline) s += "U";
    if (style & fsStrikeOut) s += "S";
    return s.empty() ? "-" : s;
}

std::string FontText(const TMyFont& f) {
    return Quote(f.Name) + " " + std::to_string(f.Size) + "pt nominal=" + std::to_string(f.NominalSize) +
           " style=" + StyleName(f.Style) + " color=" + Color(f.Color) + " charset=" + std::to_string(f.CharSet) +
           (f.FixedPitch ? " fixed" : "");
}

class Dumper {
public:
    explicit Dumper(TSectionList& doc) : doc_(doc) {}

    std::string Run(const TAnchorList& anchors, const ParseResult* result) {
        Name(doc_, "");
        out_ += "document font=" + Quote(doc_.FontName) + " size=" + std::to_string(doc_.FontSize) +
                " text=" + Color(doc_.FontColor) + " link=" + Color(doc_.HotSpotColor) +
                " vlink=" + Color(doc_.LinkVisitedColor) + " olink=" + Color(doc_.LinkActiveColor) +
                " bg=" + Color(doc_.Background) + (doc_.LinksActive ? " links-active" : "") + "\n";
        if (!doc_.BackgroundPictureName.empty()) out_ += "background " + Quote(doc_.BackgroundPictureName) + "\n";
        if (result) {
            if (!result->Title.empty()) out_ += "title " + Quote(result->Title) + "\n";
            if (!result->BaseUrl.empty() || !result->BaseTarget.empty())
                out_ += "base " + Quote(result->BaseUrl) + " target " + Quote(result->BaseTarget) + "\n";
            if (result->MarginWidth >= 0 || result->MarginHeight >= 0)
                out_ += "margins " + std::to_string(result->MarginWidth) + " " +
                        std::to_string(result->MarginHeight) + "\n";
            if (result->OpenCommentAtEnd) out_ += "open comment at end\n";
        }
        Cell(doc_, "");
        for (const auto& [name, section] : anchors) {
            auto it = names_.find(section);
            out_ += "anchor " + Quote(name) + " -> " + (it != names_.end() ? it->second : "?") + "\n";
        }
        for (const auto& map : doc_.Maps) {
            out_ += "map " + Quote(map->MapName) + "\n";
            for (const TMapArea& a : map->Areas) {
                out_ += std::string("  area ") +
                        (a.Shape == TMapArea::Rect ? "rect" : a.Shape == TMapArea::Circle ? "circle" : "poly");
                for (int32_t c : a.Coords) {
                    out_ += ' ';
                    out_ += std::to_string(c);
                }
                out_ += " href=" + Quote(a.Href);
                if (!a.Target.empty()) out_ += " target=" + Quote(a.Target);
                out_ += "\n";
            }
        }
        for (size_t f = 0; f < doc_.Forms.size(); ++f) {
            const ThtmlForm& form = *doc_.Forms[f];
            out_ += "form " + std::to_string(f) + " method=" + Quote(form.Method) + " action=" + Quote(form.Action);
            if (!form.Target.empty()) out_ += " target=" + Quote(form.Target);
            if (!form.EncType.empty()) out_ += " enctype=" + Quote(form.EncType);
            out_ += " controls=" + std::to_string(form.Controls.size()) + "\n";
        }
        out_ += "link runs " + std::to_string(doc_.LinkRuns.size()) + "\n";
        return out_;
    }

private:
    // Gives every section a path such as "3" or "3/r0c1/0".
    void Name(TCell& cell, const std::string& prefix) {
        for (size_t i = 0; i < cell.Sections.size(); ++i) {
            const std::string path = prefix + std::to_string(i);
            TSectionBase* s = cell.Sections[i].get();
            names_[s] = path;
            if (auto* t = dynamic_cast<ThtmlTable*>(s)) {
                try {
                    t->ExpandSpans();
                } catch (const EProcessError& e) {
                    errors_[t] = e.what();
                }
                Name(t->Caption->Cell, path + "/caption/");
                for (size_t r = 0; r < t->Rows.size(); ++r)
                    for (size_t c = 0; c < t->Rows[r]->Cells.size(); ++c)
                        if (auto& cellObj = t->Rows[r]->Cells[c])
                            Name(cellObj->Cell, path + "/r" + std::to_string(r) + "c" + std::to_string(c) + "/");
            }
        }
    }

    void Cell(TCell& cell, const std::string& indent) {
        for (auto& s : cell.Sections) Section(*s, indent);
    }

    void Section(TSectionBase& s, const std::string& indent) {
        out_ += indent + "[" + names_[&s] + "] " + s.KindName();
        if (auto* t = dynamic_cast<TSection*>(&s)) {
            out_ += " level=" + std::to_string(t->ListLevel) + " indent=" + std::to_string(t->Indent) +
                    " align=" + AlignName(t->Justify);
            if (auto* item = dynamic_cast<TOListItem*>(t))
                out_ += " number=" + std::to_string(item->ListNumber) + " type=" + item->NumType;
            if (t->Plain) out_ += " plain";
            if (t->ClearAttr) out_ += " clear=" + std::to_string(t->ClearAttr);
            out_ += " text=" + Quote(t->Buff) + "\n";
            for (const TFontObj& f : t->Fonts) {
                out_ += indent + "    run " + std::to_string(f.Pos) + ": " + FontText(f.TheFont(doc_));
                if (f.SScript) out_ += f.SScript == 1 ? " sub" : " sup";
                if (f.HasLink()) {
                    out_ += " link=" + Quote(f.Url(doc_));
                    if (!f.Target(doc_).empty()) out_ += " target=" + Quote(f.Target(doc_));
                }
                out_ += "\n";
            }
            for (const auto& img : t->Images()) {
                out_ += indent + "    image " + std::to_string(img->Pos) + ": src=" + Quote(img->Source);
                if (!img->Alt.empty()) out_ += " alt=" + Quote(img->Alt);
                static const char* kAligns[] = {"top", "middle", "bottom", "left", "right"};
                out_ += std::string(" align=") + kAligns[img->ObjAlign] + " hspace=" + std::to_string(img->HSpace) +
                        " vspace=" + std::to_string(img->VSpace);
                if (img->SpecWidth >= 0)
                    out_ += " width=" + std::to_string(img->SpecWidth) + (img->PercentWidth ? "%" : "");
                if (img->SpecHeight >= 0) out_ += " height=" + std::to_string(img->SpecHeight);
                if (img->NoBorder) out_ += " noborder";
                if (!img->MapName.empty()) out_ += " usemap=" + Quote(img->MapName);
                if (img->IsMap) out_ += " ismap";
                if (img->Transparent) out_ += " transp";
                if (img->Active) out_ += " active";
                if (img->MyFormControl) out_ += " button";
                out_ += "\n";
            }
            for (const TFormControlObj* c : t->FormControls()) Control(*c, indent + "    ");
        } else if (auto* h = dynamic_cast<THeadingSpace*>(&s)) {
            out_ += " level=" + std::to_string(h->Level) + " height=" + std::to_string(h->SectionHeight) + "\n";
        } else if (auto* r = dynamic_cast<THorzLine*>(&s)) {
            out_ += " size=" + std::to_string(r->VSize) + " height=" + std::to_string(r->SectionHeight);
            if (r->Width) out_ += " width=" + std::to_string(r->Width) + (r->PercentWidth ? "%" : "");
            out_ += std::string(" align=") + AlignName(r->Align);
            if (r->HasColor) out_ += " color=" + Color(r->Color);
            if (r->NoShade) out_ += " noshade";
            out_ += "\n";
        } else if (auto* t = dynamic_cast<ThtmlTable*>(&s)) {
            Table(*t, indent);
        } else {
            out_ += " height=" + std::to_string(s.SectionHeight) + "\n";
        }
    }

    void Control(const TFormControlObj& c, const std::string& indent) {
        out_ += indent + "control " + std::to_string(c.Pos) + ": " + ControlKindName(c.Kind) +
                " name=" + Quote(c.Name) + " value=" + Quote(c.Value);
        size_t formIndex = 0;
        for (size_t f = 0; f < doc_.Forms.size(); ++f)
            if (doc_.Forms[f].get() == c.Form) formIndex = f;
        out_ += " form=" + std::to_string(formIndex);
        switch (c.Kind) {
        case TControlKind::Edit:
            out_ += " size=" + std::to_string(c.EditSize);
            if (c.Password) out_ += " password";
            if (c.MaxLength) out_ += " maxlength=" + std::to_string(c.MaxLength);
            break;
        case TControlKind::Button: out_ += " type=" + c.ButtonType + " caption=" + Quote(c.Caption); break;
        case TControlKind::CheckBox:
        case TControlKind::Radio: out_ += c.Checked ? " checked" : " unchecked"; break;
        case TControlKind::ListBox:
        case TControlKind::Combo:
            out_ += " rows=" + std::to_string(c.VisibleRows()) + (c.Multiple ? " multiple" : "");
            for (const TSelectOption& o : c.Options)
                out_ += " [" + Quote(o.Text) + (o.Value.empty() ? "" : "=" + Quote(o.Value)) +
                        (o.Selected ? " selected" : "") + "]";
            break;
        case TControlKind::TextArea:
            out_ += " rows=" + std::to_string(c.Rows) + " cols=" + std::to_string(c.Cols) +
                    (c.WordWrap ? " wrap" : "");
            for (const std::string& line : c.Lines) {
                out_ += ' ';
                out_ += Quote(line);
            }
            break;
        default: break;
        }
        out_ += "\n";
    }

    void Table(ThtmlTable& t, const std::string& indent) {
        const std::string error = errors_.count(&t) ? errors_[&t] : std::string();
        out_ += " level=" + std::to_string(t.Level) + " align=" + AlignName(t.Justify) + (t.Float ? " float" : "") +
                " border=" + (t.Border ? "1" : "0") + " padding=" + std::to_string(t.CellPadding) +
                " spacing=" + std::to_string(t.CellSpacing);
        if (t.Width) out_ += " width=" + std::to_string(t.Width) + (t.WidthPercent ? "/1000" : "");
        if (t.Height) out_ += " height=" + std::to_string(t.Height) + (t.HeightPercent ? "/1000" : "");
        if (t.HasBgColor) out_ += " bg=" + Color(t.BgColor);
        out_ += " rows=" + std::to_string(t.Rows.size()) + " cols=" + std::to_string(t.NumCols) + "\n";
        if (!error.empty()) out_ += indent + "  error " + Quote(error) + "\n";
        if (!t.Caption->Cell.Sections.empty()) {
            out_ += indent + "  caption" + (t.CaptionBelow ? " below" : "") + "\n";
            Cell(t.Caption->Cell, indent + "    ");
        }
        for (size_t r = 0; r < t.Rows.size(); ++r) {
            const TCellList& row = *t.Rows[r];
            out_ += indent + "  row " + std::to_string(r) + " align=" + AlignName(row.Align) +
                    " valign=" + VAlignName(row.VAlign) + (row.BkGnd ? " bg=" + Color(row.BkColor) : "") + "\n";
            for (size_t c = 0; c < row.Cells.size(); ++c) {
                const auto& cell = row.Cells[c];
                if (!cell) {
                    out_ += indent + "    cell " + std::to_string(c) + " (spanned)\n";
                    continue;
                }
                out_ += indent + "    cell " + std::to_string(c) + " colspan=" + std::to_string(cell->ColSpan) +
                        " rowspan=" + std::to_string(cell->RowSpan) + " valign=" + VAlignName(cell->VAlign);
                if (cell->SpecWd) out_ += " width=" + std::to_string(cell->SpecWd) + (cell->WidthPercent ? "/1000" : "");
                if (cell->SpecHt) out_ += " height=" + std::to_string(cell->SpecHt);
                if (cell->Cell.BkGnd()) out_ += " bg=" + Color(cell->Cell.BkColor);
                out_ += "\n";
                Cell(cell->Cell, indent + "      ");
            }
        }
    }

    TSectionList& doc_;
    std::string out_;
    std::unordered_map<const TSectionBase*, std::string> names_;
    std::unordered_map<const ThtmlTable*, std::string> errors_;
};

void Collect(TCell& cell, std::set<const TSectionBase*>& all, std::string& problems);

void CheckSection(TSectionBase& s, std::set<const TSectionBase*>& all, std::string& problems) {
    all.insert(&s);
    if (auto* t = dynamic_cast<TSection*>(&s)) {
        if (t->Fonts.empty() || t->Fonts[0].Pos != 0) problems += "section without a run at 0\n";
        for (size_t i = 1; i < t->Fonts.size(); ++i)
            if (t->Fonts[i].Pos <= t->Fonts[i - 1].Pos || t->Fonts[i].Pos > static_cast<int32_t>(t->Buff.size()))
                problems += "font runs out of order\n";
        size_t images = 0, controls = 0;
        for (size_t i = 0; i < t->Buff.size(); ++i) {
            const char c = t->Buff[i];
            if (c == kImageCode || c == kNoBrImageCode) {
                if (images >= t->Images().size() || t->Images()[images]->Pos != static_cast<int32_t>(i))
                    problems += "image code without its image\n";
                ++images;
            } else if (c == kControlCode || c == kNoBrControlCode) {
                if (controls >= t->FormControls().size() || t->FormControls()[controls]->Pos != static_cast<int32_t>(i))
                    problems += "control code without its control\n";
                ++controls;
            } else if (c == kNoBreakSpace) {
                problems += "marker 5 left in the text\n";
            }
        }
        if (images != t->Images().size()) problems += "image without its code\n";
        if (controls != t->FormControls().size()) problems += "control without its code\n";
    } else if (auto* table = dynamic_cast<ThtmlTable*>(&s)) {
        Collect(table->Caption->Cell, all, problems);
        for (auto& row : table->Rows)
            for (auto& cell : row->Cells)
                if (cell) Collect(cell->Cell, all, problems);
    }
}

void Collect(TCell& cell, std::set<const TSectionBase*>& all, std::string& problems) {
    for (auto& s : cell.Sections) CheckSection(*s, all, problems);
}

class LayoutDumper {
public:
    explicit LayoutDumper(TSectionList& doc) : doc_(doc) {}

    std::string Run() {
        out_ += "document width=" + std::to_string(doc_.DocumentWidth) +
                " height=" + std::to_string(doc_.Height) + " positions=" + std::to_string(doc_.Len) + "\n";
        Cell(doc_, "", "");
        return out_;
    }

private:
    static std::string N(int32_t v) { return std::to_string(v); }

    void Cell(TCell& cell, const std::string& prefix, const std::string& indent) {
        for (size_t i = 0; i < cell.Sections.size(); ++i)
            Section(*cell.Sections[i], prefix + N(static_cast<int32_t>(i)), indent);
    }

    void Section(TSectionBase& s, const std::string& path, const std::string& indent) {
        out_ += indent + "[" + path + "] " + s.KindName() + " y=" + N(s.YValue) + " h=" + N(s.SectionHeight);
        if (s.DrawHeight != s.SectionHeight) out_ += " draw=" + N(s.DrawHeight);
        if (s.Len) out_ += " pos=" + N(s.StartCurs) + "+" + N(s.Len);
        if (auto* t = dynamic_cast<TSection*>(&s)) {
            out_ += " left=" + N(t->FirstLineIndent()) + "\n";
            for (const LineRec& l : t->Lines()) {
                std::string text = t->Buff.substr(static_cast<size_t>(l.Start), static_cast<size_t>(l.Ln));
                out_ += indent + "  line " + N(l.Start) + "+" + N(l.Ln) + " x=" + N(l.DrawX) +
                        " y=" + N(l.DrawY) + " ht=" + N(l.LineHt);
                if (l.SpaceBefore) out_ += " above=" + N(l.SpaceBefore);
                if (l.SpaceAfter) out_ += " below=" + N(l.SpaceAfter);
                if (l.DrawHeight != l.LineHt + l.SpaceBefore + l.SpaceAfter)
                    out_ += " draw=" + N(l.DrawHeight);
                out_ += " " + Quote(text) + "\n";
            }
            for (const auto& img : t->Images()) {
                static const char* kKinds[] = {"none", "picture", "broken", "pending"};
                out_ += indent + "  image " + N(img->Pos) + " at " + N(img->DrawX) + "," + N(img->DrawY) +
                        " " + N(img->ImageWidth) + "x" + N(img->ImageHeight) + " " + kKinds[img->Kind];
                if (img->Linked) out_ += " framed";
                if (img->Floating())
                    out_ += img->ObjAlign == TImageObj::ALeft ? " float-left" : " float-right";
                out_ += "\n";
            }
            for (const TFormControlObj* c : t->FormControls())
                out_ += indent + "  control " + N(c->Pos) + " at " + N(c->XValue) + "," + N(c->YValue) + " " +
                        N(c->Width) + "x" + N(c->Height) + "\n";
        } else if (auto* r = dynamic_cast<THorzLine*>(&s)) {
            out_ += " rule x=" + N(r->RuleLeft) + " w=" + N(r->RuleWidth) + "\n";
        } else if (auto* t = dynamic_cast<ThtmlTable*>(&s)) {
            out_ += " x=" + N(t->TableX) + " w=" + N(t->TableWidth) + " columns at " + N(t->ColumnsX) + ":";
            for (int32_t w : t->ColWidths)
                out_ += " " + N(w);
            out_ += " rows at " + N(t->RowsTop) + " h=" + N(t->RowsHeight) + "\n";
            if (!t->Caption->Cell.Sections.empty()) {
                out_ += indent + "  caption\n";
                Cell(t->Caption->Cell, path + "/caption/", indent + "    ");
            }
            for (size_t r = 0; r < t->Rows.size(); ++r) {
                const TCellList& row = *t->Rows[r];
                out_ += indent + "  row " + N(static_cast<int32_t>(r)) + " y=" + N(row.Top) +
                        " h=" + N(row.RowHeight) + "\n";
                for (size_t c = 0; c < row.Cells.size(); ++c) {
                    TCellObj* cell = row.Cells[c].get();
                    if (!cell) continue;
                    out_ += indent + "    cell " + N(static_cast<int32_t>(c)) + " w=" + N(cell->Wd) +
                            " h=" + N(cell->Ht) + " content=" + N(cell->VSize) +
                            " offset=" + N(cell->YIndent) + "\n";
                    Cell(cell->Cell,
                         path + "/r" + N(static_cast<int32_t>(r)) + "c" + N(static_cast<int32_t>(c)) + "/",
                         indent + "      ");
                }
            }
        } else {
            out_ += "\n";
        }
    }

    TSectionList& doc_;
    std::string out_;
};

} // namespace

std::string DumpLayout(TSectionList& document) {
    return LayoutDumper(document).Run();
}

std::string DumpDocument(TSectionList& document, const TAnchorList& anchors, const ParseResult* result) {
    return Dumper(document).Run(anchors, result);
}

std::string CheckDocument(TSectionList& document, const TAnchorList& anchors) {
    std::set<const TSectionBase*> all;
    std::string problems;
    Collect(document, all, problems);
    for (const TLinkRun& r : document.LinkRuns) {
        if (!all.count(r.Section)) problems += "link run outside the document\n";
        else if (r.Index < 0 || static_cast<size_t>(r.Index) >= r.Section->Fonts.size())
            problems += "link run index out of range\n";
    }
    for (const auto& [name, section] : anchors)
        if (!all.count(section)) problems += "anchor " + name + " outside the document\n";
    return problems;
}

} // namespace velmora::html
