#include "app/hex_panel.h"

#include <commctrl.h>

#include <cctype>
#include <cstring>

#include "base/os.h"
#include "hexedit/hex_search.h"
#include "toolkit/application.h"
#include "toolkit/dialogs.h"
#include "toolkit/gdi.h"

namespace velmora::app {

THexPanel::THexPanel(const Params& params)
    : tk::TPanel(tk::TPanel::Params{params.parent, params.bounds, params.align, tk::TBevel::bvRaised,
                                    tk::TBevel::bvLowered, "", params.visible}) {
    HexDosyaAdi = std::make_unique<widgets::TFileNameBar>(this, 17);

    hex::THexEditor::Params ep;
    ep.parent = this;
    ep.bounds =
        RECT{0, 17, params.bounds.right - params.bounds.left, params.bounds.bottom - params.bounds.top};
    ep.align = tk::TAlign::alClient;
    HexEditor1 = std::make_unique<hex::THexEditor>(ep);
    hex::THexEditor& e = *HexEditor1;
    e.SetBytesPerLine(16);
    e.SetBytesPerColumn(2);
    e.SetTranslation(hex::TTranslationType::ttAnsi);
    e.SetOffsetDisplay(hex::TOffsetDisplayStyle::odHex);
    e.SetOffsetSeparator(':');
    e.SetCreateBackup(true);
    e.SetBackupExtension(".bak");
    e.SetFocusFrame(false);
    e.SetFont("Courier New", 13, true);
    hex::TColors colors;
    colors.Background = hex::clWindow;
    colors.PositionBackground = 0x000080; // maroon
    colors.PositionText = 0x0000FF;       // red
    colors.ChangedBackground = hex::clWindow;
    colors.ChangedText = 0x0000FF;
    colors.CursorFrame = 0x000000;
    colors.Offset = 0x000000;
    colors.OddColumn = 0xFF0000;  // blue
    colors.EvenColumn = 0x800000; // navy
    e.SetColors(colors);

    Realign();
}

THexPanel::~THexPanel() {
    if (HexEditor1) HexEditor1->SetPopupMenu(nullptr);
}

void THexPanel::BindCommands() {
    HexActions.Load({
        {"Git", "Git", "", tk::ShortCut('G', tk::scCtrl)},
        {"Bul", "Bul", "", tk::ShortCut('F', tk::scCtrl)},
        {"BulDevam", "Bul Devam", "", tk::ShortCut(VK_F3)},
    });
    HexActions.Get("Git").OnExecute = [this] { GitClick(); };
    HexActions.Get("Bul").OnExecute = [this] { BulClick(); };
    HexActions.Get("BulDevam").OnExecute = [this] { BulDevamClick(); };
    PopupMenu4 = std::make_unique<tk::TPopupMenu>();
    PopupMenu4->Load(
        {
            {0, "Git1", nullptr, 0, "Git"},
            {0, "N1", "-"},
            {0, "Bul1", nullptr, 0, "Bul"},
            {0, "BulDevam1", nullptr, 0, "BulDevam"},
        },
        &HexActions);
    HexEditor1->SetPopupMenu(PopupMenu4.get());
}

void THexPanel::ShowFileName(const std::string& path) {
    HexDosyaAdi->ShowFile(path);
}

bool THexPanel::LoadFile(const std::string& path) {
    hex::THexEditor& e = *HexEditor1;
    bool loaded = false;
    {
        tk::Hourglass busy;
        loaded = e.LoadFromFile(path);
    }
    if (!loaded) {
        fileName_.clear();
        ShowFileName("");
        tk::ShowError(e.LastErrorText() + "\r\n" + path);
        return false;
    }
    if (OpensReadOnly(path)) e.SetReadOnlyDoc(true);
    e.SetModified(false);
    fileName_ = path;
    ShowFileName(path);
    return true;
}

bool THexPanel::Save() {
    if (!Modified()) return true;
    hex::THexEditor& e = *HexEditor1;
    if (!e.SaveToFile(fileName_)) {
        tk::ShowError(e.LastErrorText() + "\r\n" + fileName_);
        return false;
    }
    e.SetModified(false);
    return true;
}

bool THexPanel::Modified() const {
    return !fileName_.empty() && HexEditor1->Modified() && !HexEditor1->ReadOnlyDoc();
}

void THexPanel::SetFileName(const std::string& path) {
    fileName_ = path;
    HexEditor1->SetFileName(path);
    ShowFileName(path);
}

void THexPanel::SetModified(bool modified) {
    HexEditor1->SetModified(modified);
}

void THexPanel::Clear() {
    HexEditor1->NewEmptyDocument("yeni");
    HexEditor1->SetModified(false);
    fileName_.clear();
    ShowFileName("");
}

void THexPanel::Note(const std::string& text) {
    tk::ShowPlainMessage(Handle() ? GetAncestor(Handle(), GA_ROOT) : nullptr, text);
}

bool THexPanel::SearchFrom(int32_t start) {
    hex::THexEditor& e = *HexEditor1;
    const int32_t count = static_cast<int32_t>(SearchBytes.size());
    LastFoundPos = e.Find(SearchBytes.data(), count, start, e.DataSize() - 1, SearchIgnoreCase, false);
    if (LastFoundPos < 0) return false;
    e.SetSelStart(LastFoundPos + count - 1); // the caret goes to the match's last byte
    e.SetSelEnd(LastFoundPos);               // and the selection reaches back to its first
    return true;
}

void THexPanel::BulClick() {
    hex::THexEditor& e = *HexEditor1;
    if (e.DataSize() == 0) return;
    LastFoundPos = -1;
    SearchIgnoreCase = false;
    SearchBytes.clear();
    std::string text = HexSearchText;
    if (!tk::CurrentDialogs().InputQuery({"Veri Bul", "ascii ya da hex olarak aratabilirsiniz"}, text))
        return;
    HexSearchText = text;
    if (text.empty()) return;
    std::vector<uint8_t> pattern = hex::SearchPattern(text);
    if (pattern.empty()) return;
    SearchBytes = pattern;
    SearchIgnoreCase = hex::IsTextSearch(text);
    if (!SearchFrom(e.SelStart())) Note("Veri bulunamadı");
}

void THexPanel::BulDevamClick() {
    hex::THexEditor& e = *HexEditor1;
    if (e.DataSize() == 0) return;
    if (HexSearchText.empty()) {
        BulClick();
        return;
    }
    if (e.SelEnd() == LastFoundPos) ++LastFoundPos; // the match is still selected: look past it
    if (!SearchFrom(LastFoundPos < 0 ? 0 : LastFoundPos)) Note("veri bulunamadı");
}

void THexPanel::GitClick() {
    hex::THexEditor& e = *HexEditor1;
    if (e.DataSize() == 0) return;
    std::string text = std::to_string(e.SelStart());
    if (!tk::CurrentDialogs().InputQuery({"Gidilecek pozisyon", "(önek 0x veya $ ile başlamalı)"}, text))
        return;
    if (!e.Seek(hex::ParsePosition(text), 0, true)) Note("bilinmeyen pozisyon");
}

} // namespace velmora::app
