#include "toolkit/controls.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <vector>

#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"
#include "toolkit/form.h"

using testing_support::Pump;
using testing_support::ScriptedDialogs;

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        tk::Application().Initialize();
        tk::TForm::Params p;
        p.width = 500;
        p.height = 400;
        form = std::make_unique<tk::TForm>(p);
    }
    // Controls that take the keyboard focus need a shown form.
    void ShowForm() {
        form->Show();
        Pump();
    }
    tk::TControlParams Common(RECT bounds) {
        tk::TControlParams c;
        c.parent = form.get();
        c.bounds = bounds;
        return c;
    }
    ScriptedDialogs dialogs; // no real box ever blocks
    std::unique_ptr<tk::TForm> form;
};

std::string ClassOf(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

DWORD StyleOf(const tk::TControl& control) {
    return GetWindowLongA(control.Handle(), GWL_STYLE);
}

void Type(HWND hwnd, const std::string& text) {
    for (char c : text)
        SendMessageA(hwnd, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void Key(HWND hwnd, WORD key) {
    SendMessageA(hwnd, WM_KEYDOWN, key, 1);
    SendMessageA(hwnd, WM_KEYUP, key, 0xC0000001);
}

// ---------------------------------------------------------------- every kind from params

struct Kind {
    const char* name;
    const char* className;
    DWORD styleBits;
    bool heightIsBounds; // a drop-down combo box's window is as high as its box
    std::function<std::unique_ptr<tk::TControl>(const tk::TControlParams&)> make;
};

template <typename T> std::function<std::unique_ptr<tk::TControl>(const tk::TControlParams&)> Maker() {
    return [](const tk::TControlParams& common) {
        typename T::Params p;
        static_cast<tk::TControlParams&>(p) = common;
        return std::unique_ptr<tk::TControl>(std::make_unique<T>(p));
    };
}

std::function<std::unique_ptr<tk::TControl>(const tk::TControlParams&)> ComboMaker(tk::TComboBoxStyle style) {
    return [style](const tk::TControlParams& common) {
        tk::TComboBox::Params p;
        static_cast<tk::TControlParams&>(p) = common;
        p.style = style;
        return std::unique_ptr<tk::TControl>(std::make_unique<tk::TComboBox>(p));
    };
}

const std::vector<Kind>& Kinds() {
    static const std::vector<Kind> kinds = {
        {"button", "Button", BS_PUSHBUTTON | WS_TABSTOP, true, Maker<tk::TButton>()},
        {"check box", "Button", BS_CHECKBOX | WS_TABSTOP, true, Maker<tk::TCheckBox>()},
        {"radio button", "Button", BS_RADIOBUTTON | WS_TABSTOP, true, Maker<tk::TRadioButton>()},
        {"group box", "Button", BS_GROUPBOX, true, Maker<tk::TGroupBox>()},
        {"label", "Static", SS_NOPREFIX | SS_NOTIFY, true, Maker<tk::TLabel>()},
        {"edit", "Edit", ES_AUTOHSCROLL | WS_TABSTOP, true, Maker<tk::TEdit>()},
        {"memo", "Edit", ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL, true, Maker<tk::TMemo>()},
        {"list box", "ListBox", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, true, Maker<tk::TListBox>()},
        {"drop-down combo box", "ComboBox", CBS_DROPDOWN, false, ComboMaker(tk::TComboBoxStyle::csDropDown)},
        {"drop-down list", "ComboBox", CBS_DROPDOWNLIST, false,
         ComboMaker(tk::TComboBoxStyle::csDropDownList)},
        {"simple combo box", "ComboBox", CBS_SIMPLE, true, ComboMaker(tk::TComboBoxStyle::csSimple)},
        {"owner-drawn combo box", "ComboBox", CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, false,
         ComboMaker(tk::TComboBoxStyle::csOwnerDrawFixed)},
    };
    return kinds;
}

TEST_F(ControlsTest, EveryKindIsMadeFromTheSharedParameters) {
    tk::FontHandle font = tk::MakeFont("Tahoma", 10);
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        tk::TControlParams common = Common(RECT{10, 20, 130, 120});
        common.font = font.get();
        common.hint = "İpucu";
        auto control = kind.make(common);
        ASSERT_TRUE(IsWindow(control->Handle()));
        EXPECT_EQ(tk::TWindow::FromHandle(control->Handle()), control.get());
        EXPECT_EQ(ClassOf(control->Handle()), kind.className);
        EXPECT_EQ(StyleOf(*control) & (kind.styleBits | WS_CHILD | WS_VISIBLE),
                  kind.styleBits | WS_CHILD | WS_VISIBLE);
        EXPECT_EQ(GetParent(control->Handle()), form->Handle());
        EXPECT_EQ(control->Parent(), form.get());
        EXPECT_EQ(control->Left(), 10);
        EXPECT_EQ(control->Top(), 20);
        EXPECT_EQ(control->Width(), 120);
        if (kind.heightIsBounds) {
            EXPECT_EQ(control->Height(), 100);
        }
        EXPECT_EQ(control->Font(), font.get());
        EXPECT_EQ(control->Hint(), "İpucu");
        EXPECT_TRUE(control->Visible());
        // A child of its own id, so notifications carrying only the id find it.
        EXPECT_NE(GetDlgCtrlID(control->Handle()), 0);
        EXPECT_EQ(GetDlgItem(form->Handle(), GetDlgCtrlID(control->Handle())), control->Handle());
    }
}

TEST_F(ControlsTest, HiddenFromParamsAndParentFontWhenNoneGiven) {
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        tk::TControlParams common = Common(RECT{0, 0, 80, 24});
        common.visible = false;
        auto control = kind.make(common);
        EXPECT_FALSE(control->Visible());
        EXPECT_FALSE(StyleOf(*control) & WS_VISIBLE);
        EXPECT_EQ(control->Font(), form->Font());
        EXPECT_TRUE(control->Hint().empty());
    }
}

TEST_F(ControlsTest, AlignmentFromParams) {
    tk::TListBox::Params p;
    p.parent = form.get();
    p.bounds = RECT{0, 0, 120, 50};
    p.align = tk::TAlign::alLeft;
    tk::TListBox list(p);
    EXPECT_EQ(list.Align(), tk::TAlign::alLeft);
    EXPECT_EQ(list.Left(), 0);
    EXPECT_EQ(list.Width(), 120);
    EXPECT_EQ(list.Height(), form->ClientHeight());
}

// ---------------------------------------------------------------- buttons

TEST_F(ControlsTest, ButtonClickSetsTheFormsModalResult) {
    tk::TButton::Params p;
    p.parent = form.get();
    p.bounds = RECT{10, 10, 85, 35};
    p.caption = "Tamam";
    p.modalResult = IDOK;
    tk::TButton ok(p);
    int clicks = 0;
    ok.OnClick = [&] { ++clicks; };
    // A real click inside the form's modal loop (the one the seam's real
    // ShowModal runs) ends it.
    PostMessageA(ok.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form->RunModalLoop(), IDOK);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(ok.Caption(), "Tamam");

    // OnClick may take the result back and keep the form open.
    ok.OnClick = [&] {
        ++clicks;
        if (clicks == 2) form->SetModalResult(0);
    };
    PostMessageA(ok.Handle(), BM_CLICK, 0, 0);
    PostMessageA(ok.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form->RunModalLoop(), IDOK);
    EXPECT_EQ(clicks, 3);
}

TEST_F(ControlsTest, ButtonWithoutModalResultOnlyClicks) {
    tk::TButton::Params p;
    p.parent = form.get();
    p.bounds = RECT{10, 10, 85, 35};
    tk::TButton button(p);
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };
    ShowForm();
    SendMessageA(button.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(form->ModalResult(), 0);
}

TEST_F(ControlsTest, CheckBoxClicksGoRoundItsStates) {
    ShowForm();
    struct Case {
        bool allowGrayed;
        std::vector<tk::TCheckBoxState> after; // states after each click from unchecked
    };
    using S = tk::TCheckBoxState;
    const Case cases[] = {
        {false, {S::cbChecked, S::cbUnchecked, S::cbChecked}},
        {true, {S::cbChecked, S::cbGrayed, S::cbUnchecked}},
    };
    for (const Case& c : cases) {
        tk::TCheckBox::Params p;
        p.parent = form.get();
        p.bounds = RECT{10, 10, 150, 30};
        p.caption = "Çizgileri göster";
        p.allowGrayed = c.allowGrayed;
        tk::TCheckBox box(p);
        int clicks = 0;
        box.OnClick = [&] { ++clicks; };
        EXPECT_FALSE(box.Checked());
        for (size_t i = 0; i < c.after.size(); ++i) {
            SendMessageA(box.Handle(), BM_CLICK, 0, 0);
            EXPECT_EQ(box.State(), c.after[i]) << "click " << i;
            EXPECT_EQ(clicks, static_cast<int>(i + 1));
        }
        // Set in code: quiet.
        box.SetChecked(true);
        EXPECT_TRUE(box.Checked());
        EXPECT_EQ(clicks, static_cast<int>(c.after.size()));
    }
}

TEST_F(ControlsTest, CheckBoxCheckedFromParams) {
    tk::TCheckBox::Params p;
    p.parent = form.get();
    p.checked = true;
    tk::TCheckBox box(p);
    EXPECT_TRUE(box.Checked());
    EXPECT_EQ(SendMessageA(box.Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(ControlsTest, RadioButtonsOfOneParentAreOneGroup) {
    ShowForm();
    auto groupBox = [&](int top, const char* caption) {
        tk::TGroupBox::Params p;
        p.parent = form.get();
        p.bounds = RECT{10, top, 300, top + 80};
        p.caption = caption;
        return std::make_unique<tk::TGroupBox>(p);
    };
    auto upper = groupBox(10, "Klasör Kutusu");
    auto lower = groupBox(100, "Dosya Kutusu");
    auto radio = [&](tk::TControl* parent, int top, bool checked) {
        tk::TRadioButton::Params p;
        p.parent = parent;
        p.bounds = RECT{10, top, 150, top + 20};
        p.checked = checked;
        return std::make_unique<tk::TRadioButton>(p);
    };
    auto below = radio(upper.get(), 20, false);
    auto beside = radio(upper.get(), 45, true);
    auto other = radio(lower.get(), 20, true);
    int clicks = 0;
    below->OnClick = [&] { ++clicks; };
    ASSERT_TRUE(beside->Checked());

    SendMessageA(below->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(below->Checked());
    EXPECT_FALSE(beside->Checked());
    EXPECT_TRUE(other->Checked()); // another box, another group
    EXPECT_EQ(clicks, 1);
    // The checked one again: no change, no click.
    SendMessageA(below->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    // In code: quiet, and the group follows.
    beside->SetChecked(true);
    EXPECT_FALSE(below->Checked());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(upper->Caption(), "Klasör Kutusu");
}

TEST_F(ControlsTest, LabelShowsItsCaptionAndReportsClicks) {
    tk::TLabel::Params p;
    p.parent = form.get();
    p.bounds = RECT{10, 10, 100, 25};
    p.caption = "Uzantılar & diğerleri";
    p.alignment = tk::TAlignment::taRightJustify;
    tk::TLabel label(p);
    EXPECT_EQ(label.Caption(), "Uzantılar & diğerleri");
    EXPECT_EQ(StyleOf(label) & SS_TYPEMASK, static_cast<DWORD>(SS_RIGHT));
    int clicks = 0;
    label.OnClick = [&] { ++clicks; };
    ShowForm();
    SendMessageA(label.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(label.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(clicks, 1);
}

// ---------------------------------------------------------------- edits

TEST_F(ControlsTest, EditReportsEachChangeOnceTypedOrSet) {
    ShowForm();
    tk::TEdit::Params p;
    p.parent = form.get();
    p.bounds = RECT{10, 10, 110, 31};
    p.text = "0";
    tk::TEdit edit(p);
    std::vector<std::string> seen;
    edit.OnChange = [&] { seen.push_back(edit.Text()); };
    edit.SetFocus();
    edit.SelectAll();
    Type(edit.Handle(), "12");
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "12"}));
    EXPECT_TRUE(edit.Modified());
    edit.SetText("şğı");
    EXPECT_EQ(seen.back(), "şğı");
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_FALSE(edit.Modified()); // a text set in code is not the user's edit
}

TEST_F(ControlsTest, EditSelectionAndProperties) {
    tk::TEdit::Params p;
    p.parent = form.get();
    p.bounds = RECT{10, 10, 110, 31};
    p.text = "velmora dosya";
    p.maxLength = 20;
    p.readOnly = true;
    tk::TEdit edit(p);
    EXPECT_TRUE(edit.ReadOnly());
    EXPECT_EQ(edit.MaxLength(), 20);
    edit.SetReadOnly(false);
    EXPECT_FALSE(edit.ReadOnly());
    edit.SetSel(8, 5);
    EXPECT_EQ(edit.SelStart(), 8);
    EXPECT_EQ(edit.SelLength(), 5);
    EXPECT_EQ(edit.SelText(), "dosya");
    edit.SetSelText("klasör");
    EXPECT_EQ(edit.Text(), "velmora klasör");
}

TEST_F(ControlsTest, MemoLinesRoundTrip) {
    tk::TMemo::Params p;
    p.parent = form.get();
    p.bounds = RECT{10, 10, 300, 200};
    p.lines = {"<Giriş>", "", "Bölüm <2>"};
    tk::TMemo memo(p);
    EXPECT_EQ(memo.LineCount(), 3);
    EXPECT_EQ(memo.Lines(), p.lines);
    EXPECT_EQ(memo.Line(2), "Bölüm <2>");
    EXPECT_EQ(memo.Line(3), "");
    int changes = 0;
    memo.OnChange = [&] { ++changes; };
    memo.SetLines({"tek"});
    EXPECT_EQ(memo.Lines(), std::vector<std::string>{"tek"});
    EXPECT_EQ(changes, 1);
    memo.SetLines({});
    EXPECT_EQ(memo.LineCount(), 0);
}

TEST_F(ControlsTest, MemoTakesTabsOnlyWhenAsked) {
    ShowForm();
    for (bool wantTabs : {false, true}) {
        tk::TMemo::Params p;
        p.parent = form.get();
        p.bounds = RECT{10, 10, 300, 200};
        p.wantTabs = wantTabs;
        tk::TMemo memo(p);
        memo.SetFocus();
        Type(memo.Handle(), "a\tb");
        EXPECT_EQ(memo.Text(), wantTabs ? "a\tb" : "ab");
        EXPECT_EQ((SendMessageA(memo.Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB) != 0, wantTabs);
    }
}

TEST_F(ControlsTest, UpDownStepsItsEdit) {
    ShowForm();
    tk::TEdit::Params e;
    e.parent = form.get();
    e.bounds = RECT{10, 10, 60, 31};
    e.text = "0";
    tk::TEdit size(e);
    tk::TUpDown::Params u;
    u.parent = form.get();
    u.associate = &size;
    u.min = 0;
    u.max = 100;
    u.position = 8;
    tk::TUpDown arrows(u);
    EXPECT_EQ(size.Text(), "8");
    EXPECT_EQ(arrows.Associate(), &size);
    EXPECT_EQ(arrows.Min(), 0);
    EXPECT_EQ(arrows.Max(), 100);
    // The arrows sit at the edit's right edge.
    EXPECT_EQ(arrows.Top(), size.Top());

    std::vector<std::string> changes;
    std::vector<bool> clicks;
    size.OnChange = [&] { changes.push_back(size.Text()); };
    arrows.OnClick = [&](bool up) { clicks.push_back(up); };
    size.SetFocus();
    Key(size.Handle(), VK_UP);
    EXPECT_EQ(size.Text(), "9");
    EXPECT_EQ(arrows.Position(), 9);
    Key(size.Handle(), VK_DOWN);
    EXPECT_EQ(size.Text(), "8");
    EXPECT_EQ(clicks, (std::vector<bool>{true, false}));
    EXPECT_EQ(changes, (std::vector<std::string>{"9", "8"}));

    // Typed text is the position; the range holds.
    size.SetText("100");
    EXPECT_EQ(arrows.Position(), 100);
    Key(size.Handle(), VK_UP);
    EXPECT_EQ(size.Text(), "100");
    // No thousands separator of the Turkish locale.
    arrows.SetRange(0, 5000);
    arrows.SetPosition(1500);
    EXPECT_EQ(size.Text(), "1500");
}

// ---------------------------------------------------------------- lists

TEST_F(ControlsTest, ListBoxItemsSelectionAndKeys) {
    ShowForm();
    tk::TListBox::Params p;
    p.parent = form.get();
    p.bounds = RECT{10, 10, 200, 150};
    p.items = {"<Giriş>", "Bölüm <2>", "<Son>"};
    p.itemHeight = 13;
    p.border = tk::TBorderStyle::bsSingle;
    tk::TListBox list(p);
    EXPECT_EQ(list.Items(), p.items);
    EXPECT_EQ(list.ItemHeight(), 13);
    EXPECT_TRUE(StyleOf(list) & WS_BORDER);
    EXPECT_EQ(list.IndexOf("<SON>"), 2);
    EXPECT_EQ(list.IndexOf("yok"), -1);
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(list.Item(5), "");

    int clicks = 0, keys = 0;
    list.OnClick = [&] { ++clicks; };
    list.OnKeyDown = [&](WORD& key, UINT) {
        if (key == VK_F5) {
            ++keys;
            key = 0;
        }
    };
    list.SetItemIndex(0); // quiet
    EXPECT_EQ(clicks, 0);
    list.SetFocus();
    Key(list.Handle(), VK_DOWN);
    EXPECT_EQ(list.ItemIndex(), 1);
    EXPECT_EQ(clicks, 1);
    Key(list.Handle(), VK_F5);
    EXPECT_EQ(keys, 1);

    list.SetItemData(2, 42);
    list.DeleteItem(0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.ItemData(1), 42); // the data moves with its item
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(ControlsTest, SortedAndMultiSelectLists) {
    tk::TListBox::Params p;
    p.parent = form.get();
    p.bounds = RECT{10, 10, 200, 150};
    p.sorted = true;
    p.multiSelect = true;
    p.items = {"c", "a"};
    tk::TListBox list(p);
    EXPECT_EQ(list.AddItem("b"), 1);
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"a", "b", "c"}));
    list.SetSelected(0, true);
    list.SetSelected(2, true);
    EXPECT_EQ(list.SelCount(), 2);
    EXPECT_TRUE(list.Selected(2));
    EXPECT_FALSE(list.Selected(1));
    list.SetItemIndex(1);
    EXPECT_EQ(list.SelCount(), 1);
    EXPECT_EQ(list.ItemIndex(), 1);
}

TEST_F(ControlsTest, OwnerDrawnListBoxMeasuresAndDraws) {
    std::vector<int> measured;
    std::vector<int> drawn;
    tk::TListBox::Params p;
    p.parent = form.get();
    p.bounds = RECT{10, 10, 200, 150};
    p.style = tk::TListBoxStyle::lbOwnerDrawVariable;
    p.items = {"kısa", "uzun"};
    p.onMeasureItem = [&](int index, int& height) {
        measured.push_back(index);
        height = index == 1 ? 30 : 15;
    };
    p.onDrawItem = [&](tk::TDrawItem& item) {
        drawn.push_back(item.index);
        EXPECT_EQ(item.text, item.index == 0 ? "kısa" : "uzun");
        tk::DrawItemDefault(item);
    };
    tk::TListBox list(p);
    EXPECT_EQ(measured, (std::vector<int>{0, 1}));
    EXPECT_EQ(SendMessageA(list.Handle(), LB_GETITEMHEIGHT, 1, 0), 30);
    ShowForm();
    UpdateWindow(list.Handle());
    EXPECT_FALSE(drawn.empty());
}

TEST_F(ControlsTest, ComboBoxItemsAndQuietSetters) {
    tk::TComboBox::Params p;
    p.parent = form.get();
    p.bounds = RECT{4, 3, 176, 25};
    p.items = {"C:\\", "D:\\Belgeler\\"};
    tk::TComboBox box(p);
    int changes = 0;
    box.OnChange = [&] { ++changes; };
    EXPECT_EQ(box.Items(), p.items);
    EXPECT_EQ(box.Width(), 172);
    EXPECT_EQ(box.IndexOf("d:\\belgeler\\"), 1);
    box.SetItemIndex(1);
    EXPECT_EQ(box.Text(), "D:\\Belgeler\\");
    box.SetItemData(1, RGB(1, 2, 3));
    EXPECT_EQ(box.ItemData(1), static_cast<LPARAM>(RGB(1, 2, 3)));
    EXPECT_EQ(box.ItemData(7), 0);
    box.SetItems({"x"});
    box.SetTextQuietly("E:\\");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(box.Text(), "E:\\");
    EXPECT_EQ(box.Count(), 1);
    // The dropped list has room for rows; the box itself keeps its height.
    EXPECT_LT(box.Height(), 40);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(box.Handle(), &info));
    RECT dropped{};
    SendMessageA(box.Handle(), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_GT(dropped.bottom - dropped.top, box.Height() + 5 * box.ItemHeight());
}

TEST_F(ControlsTest, ComboBoxReportsTypingAndPicking) {
    ShowForm();
    struct Case {
        tk::TComboBoxStyle style;
        bool editable;
    };
    for (Case c :
         {Case{tk::TComboBoxStyle::csDropDown, true}, Case{tk::TComboBoxStyle::csDropDownList, false},
          Case{tk::TComboBoxStyle::csSimple, true}}) {
        SCOPED_TRACE(static_cast<int>(c.style));
        tk::TComboBox::Params p;
        p.parent = form.get();
        p.bounds = RECT{4, 3, 176, c.style == tk::TComboBoxStyle::csSimple ? 120 : 25};
        p.style = c.style;
        p.items = {"bir", "iki", "üç"};
        tk::TComboBox box(p);
        std::vector<std::string> seen;
        box.OnChange = [&] { seen.push_back(box.Text()); };
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetComboBoxInfo(box.Handle(), &info));
        if (c.editable) {
            ASSERT_TRUE(info.hwndItem);
            SetFocus(info.hwndItem);
            Type(info.hwndItem, "d");
            ASSERT_EQ(seen.size(), 1u);
            EXPECT_EQ(seen.back(), "d");
            Key(info.hwndItem, VK_DOWN);
        } else {
            box.SetFocus();
            Key(box.Handle(), VK_DOWN);
        }
        // Picked by keyboard: the text is the entry's when the event runs.
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(box.ItemIndex(), 0);
        EXPECT_EQ(seen.back(), "bir");
    }
}

TEST_F(ControlsTest, ComboBoxDropDownEvents) {
    ShowForm();
    tk::TComboBox::Params p;
    p.parent = form.get();
    p.bounds = RECT{4, 3, 176, 25};
    p.style = tk::TComboBoxStyle::csDropDownList;
    p.items = {"bir", "iki"};
    tk::TComboBox box(p);
    int drops = 0, closes = 0;
    box.OnDropDown = [&] { ++drops; };
    box.OnCloseUp = [&] { ++closes; };
    box.SetDroppedDown(true);
    EXPECT_TRUE(box.DroppedDown());
    box.SetDroppedDown(false);
    EXPECT_FALSE(box.DroppedDown());
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(closes, 1);
}

TEST_F(ControlsTest, OwnerDrawnComboBoxMeasuresWhileItIsMade) {
    for (auto style : {tk::TComboBoxStyle::csOwnerDrawFixed, tk::TComboBoxStyle::csOwnerDrawVariable}) {
        SCOPED_TRACE(static_cast<int>(style));
        std::vector<int> measured;
        tk::TComboBox::Params p;
        p.parent = form.get();
        p.bounds = RECT{4, 3, 149, 25};
        p.style = style;
        p.onMeasureItem = [&](int index, int& height) {
            measured.push_back(index);
            height = index == -1 ? 19 : 23;
        };
        tk::TComboBox box(p);
        // The selection field is measured by the control's creation, before
        // CreateWindowEx returned.
        ASSERT_FALSE(measured.empty());
        EXPECT_EQ(measured.front(), -1);
        // The field keeps at least the measured height when the font comes.
        EXPECT_GE(box.ItemHeight(-1), 19);
        measured.clear();
        box.AddItem("Kırmızı");
        if (style == tk::TComboBoxStyle::csOwnerDrawVariable) {
            EXPECT_EQ(measured, std::vector<int>{0});
            EXPECT_EQ(box.ItemHeight(0), 23);
        } else {
            EXPECT_EQ(box.ItemHeight(0), 23); // measured once, at creation
        }
    }
}

TEST_F(ControlsTest, OwnerDrawnComboBoxDrawsItsSelectionField) {
    std::vector<tk::TDrawItem> drawn;
    tk::TComboBox::Params p;
    p.parent = form.get();
    p.bounds = RECT{4, 3, 149, 25};
    p.style = tk::TComboBoxStyle::csOwnerDrawFixed;
    p.items = {"Siyah", "Beyaz"};
    p.onDrawItem = [&](tk::TDrawItem& item) {
        drawn.push_back(item);
        tk::DrawItemDefault(item);
    };
    tk::TComboBox box(p);
    box.SetItemIndex(1);
    ShowForm();
    InvalidateRect(box.Handle(), nullptr, TRUE);
    UpdateWindow(box.Handle());
    ASSERT_FALSE(drawn.empty());
    EXPECT_TRUE(drawn.back().comboEdit);
    EXPECT_EQ(drawn.back().index, 1);
    EXPECT_EQ(drawn.back().text, "Beyaz");
}

TEST_F(ControlsTest, KeyDownEventCanSwallowTheKey) {
    ShowForm();
    tk::TEdit::Params p;
    p.parent = form.get();
    p.bounds = RECT{10, 10, 110, 31};
    p.text = "abc";
    tk::TEdit edit(p);
    edit.SetFocus();
    edit.SetSel(3, 0);
    edit.OnKeyDown = [](WORD& key, UINT) {
        if (key == VK_HOME) key = 0;
    };
    Key(edit.Handle(), VK_HOME);
    EXPECT_EQ(edit.SelStart(), 3); // kept from the control
    Key(edit.Handle(), VK_LEFT);
    EXPECT_EQ(edit.SelStart(), 2);
}

} // namespace
