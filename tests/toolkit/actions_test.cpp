// Actions bound to menu items and speed buttons, driven through real windows.
#include "toolkit/actions.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "support/panel_host.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/menus.h"
#include "toolkit/std_controls.h"

using testing_support::PanelHost;
using testing_support::PressKey;
using testing_support::Pump;

namespace {

class ActionsTest : public PanelHost {
protected:
    static void SetUpTestSuite() {
        OpenHost({"actions", 400, 200});
        Pump(10);
    }
    static void TearDownTestSuite() { CloseHost(); }
    void SetUp() override { bar = std::make_unique<tk::TToolBar>(form, 30); }
    void TearDown() override {
        form->SetMenu(nullptr);
        form->SetActions(nullptr);
        bar.reset();
        Pump(10);
    }

    std::unique_ptr<tk::TSpeedButton> Button(tk::TAction* action, int left) {
        tk::TSpeedButton::Params p;
        p.parent = bar.get();
        p.left = left;
        p.action = action;
        return std::make_unique<tk::TSpeedButton>(p);
    }
    // The native menu's view of an item.
    static UINT NativeState(const tk::TMenuItem& item) {
        HMENU menu = GetSubMenu(form->Menu()->Handle(), 0);
        return GetMenuState(menu, item.Command(), MF_BYCOMMAND);
    }
    std::unique_ptr<tk::TToolBar> bar;
    static std::string NativeText(const tk::TMenuItem& item) {
        char text[128] = {};
        GetMenuStringA(GetSubMenu(form->Menu()->Handle(), 0), item.Command(), text, sizeof text,
                       MF_BYCOMMAND);
        return text;
    }
};

// Ends the loop should the idle step never come.
void CALLBACK EndTheLoop(HWND, UINT, UINT_PTR, DWORD) {
    tk::Application().Terminate();
}

} // namespace

TEST_F(ActionsTest, MenuItemAndButtonShowTheActionsState) {
    tk::TActionList actions;
    HBITMAP glyph = testing_support::MakeTestGlyph();
    tk::TAction* cut = actions.Add({.name = "Kes",
                                    .caption = "Kes",
                                    .hint = "Kesip al",
                                    .shortcut = tk::ShortCut('X', tk::scCtrl),
                                    .picture = glyph});
    tk::TMainMenu menu;
    menu.Load({{0, "Duzen1", "Dü&zen"}, {1, "Kes1", nullptr, 0, "Kes"}}, &actions);
    form->SetMenu(&menu);
    auto button = Button(cut, 0);
    tk::TMenuItem& item = *menu.Find("Kes1");

    EXPECT_EQ(item.Caption(), "Kes");
    EXPECT_EQ(item.Shortcut(), tk::ShortCut('X', tk::scCtrl));
    EXPECT_EQ(NativeText(item), "Kes\tCtrl+X");
    EXPECT_EQ(button->Hint(), "Kesip al");
    EXPECT_EQ(button->Glyph(), glyph);
    // The main menu shows no pictures unless asked to.
    EXPECT_EQ(item.ShownPicture(), nullptr);

    cut->SetEnabled(false);
    EXPECT_FALSE(item.Enabled());
    EXPECT_TRUE(NativeState(item) & MF_GRAYED);
    EXPECT_FALSE(button->Enabled());
    cut->SetEnabled(true);
    EXPECT_FALSE(NativeState(item) & MF_GRAYED);
    EXPECT_TRUE(button->Enabled());

    // Caption, shortcut and hint changes reach the native item and the tooltip's owner.
    cut->SetCaption("Kes ve al");
    cut->SetShortcut(tk::ShortCut(VK_DELETE, tk::scShift));
    cut->SetHint("Başka");
    EXPECT_EQ(NativeText(item), "Kes ve al\tShift+Del");
    EXPECT_EQ(button->Hint(), "Başka");

    // A click on either runs the action once.
    int runs = 0;
    cut->OnExecute = [&] { ++runs; };
    button->Click();
    item.Click();
    EXPECT_EQ(runs, 2);
    cut->SetEnabled(false);
    button->Click();
    item.Click();
    EXPECT_EQ(runs, 2);

    button.reset();
    EXPECT_EQ(cut->Clients().size(), 1u);
    DeleteObject(glyph);
}

TEST_F(ActionsTest, CheckedGroupFollowsOnButtonsAndMenuItems) {
    tk::TActionList actions;
    actions.Load({
        {"Icon", "Geniş ikon", "", 0, nullptr, 2},
        {"List", "Listele", "", 0, nullptr, 2},
        {"Detail", "Detaylı", "", 0, nullptr, 2, true},
        {"Tree", "Klasör Kutusu", "", 0, nullptr, 3, false, true},
    });
    tk::TMainMenu menu;
    menu.Load({{0, "Gorunum1", "Görünü&m"},
               {1, "Icon1", nullptr, 0, "Icon"},
               {1, "List1", nullptr, 0, "List"},
               {1, "Detail1", nullptr, 0, "Detail"}},
              &actions);
    form->SetMenu(&menu);
    auto icon = Button(actions.Find("Icon"), 0);
    auto list = Button(actions.Find("List"), 23);
    auto detail = Button(actions.Find("Detail"), 46);
    auto tree = Button(actions.Find("Tree"), 69);
    int iconRuns = 0;
    actions.Get("Icon").OnExecute = [&] { ++iconRuns; };

    EXPECT_TRUE(detail->Down());
    EXPECT_TRUE(NativeState(*menu.Find("Detail1")) & MF_CHECKED);
    EXPECT_EQ(detail->GroupIndex(), 2);

    // A click puts the button down, releases the others of its group, runs the action.
    icon->Click();
    EXPECT_EQ(iconRuns, 1);
    EXPECT_TRUE(actions.Get("Icon").Checked());
    EXPECT_TRUE(icon->Down());
    EXPECT_FALSE(detail->Down());
    EXPECT_FALSE(actions.Get("Detail").Checked());
    EXPECT_TRUE(NativeState(*menu.Find("Icon1")) & MF_CHECKED);
    EXPECT_FALSE(NativeState(*menu.Find("Detail1")) & MF_CHECKED);
    // A down button of a group without all-up stays down.
    icon->Click();
    EXPECT_TRUE(icon->Down());
    EXPECT_EQ(iconRuns, 2);
    // Checking from the program moves the group too.
    actions.Get("List").SetChecked(true);
    EXPECT_TRUE(list->Down());
    EXPECT_FALSE(icon->Down());
    EXPECT_TRUE(menu.Find("List1")->Checked());
    // SetDown on a bound button goes through its action.
    detail->SetDown(true);
    EXPECT_TRUE(actions.Get("Detail").Checked());
    EXPECT_FALSE(list->Down());

    // A group of one with all-up: clicks toggle the button.
    tree->Click();
    EXPECT_TRUE(tree->Down());
    tree->Click();
    EXPECT_FALSE(tree->Down());
    // Other groups are untouched.
    EXPECT_TRUE(detail->Down());
}

TEST_F(ActionsTest, ShortcutRunsTheActionOnceAndADisabledOneClaimsItsKey) {
    tk::TActionList actions;
    tk::TAction* copy =
        actions.Add({.name = "Kopyala", .caption = "Kopyala", .shortcut = tk::ShortCut('C', tk::scCtrl)});
    tk::TAction* only =
        actions.Add({.name = "Yalniz", .caption = "Yalnız", .shortcut = tk::ShortCut('Q', tk::scCtrl)});
    tk::TMainMenu menu;
    menu.Load({{0, "Duzen1", "Dü&zen"}, {1, "Kopyala1", nullptr, 0, "Kopyala"}}, &actions);
    form->SetMenu(&menu);
    form->SetActions(&actions); // the action is both the menu's and the list's: it must still run once
    auto button = Button(copy, 0);
    int copies = 0, onlies = 0, updates = 0;
    copy->OnExecute = [&] { ++copies; };
    only->OnExecute = [&] { ++onlies; };
    bool allowed = true;
    copy->OnUpdate = [&](tk::TAction& a) {
        ++updates;
        a.SetEnabled(allowed);
    };
    SetForegroundWindow(form->Handle());
    SetFocus(form->Handle());

    PressKey(form->Handle(), 'C', true);
    EXPECT_EQ(copies, 1);
    EXPECT_GE(updates, 1); // the state is asked for before it runs
    // An action of the list alone is reached after the menus.
    PressKey(form->Handle(), 'Q', true);
    EXPECT_EQ(onlies, 1);

    // Disabled: the key is still claimed and nothing runs.
    allowed = false;
    EXPECT_TRUE(tk::ResolveShortCut(*form, form->Handle(), tk::ShortCut('C', tk::scCtrl)));
    EXPECT_EQ(copies, 1);
    EXPECT_FALSE(button->Enabled());
    EXPECT_FALSE(menu.Find("Kopyala1")->Enabled());
    only->SetEnabled(false);
    EXPECT_TRUE(tk::ResolveShortCut(*form, form->Handle(), tk::ShortCut('Q', tk::scCtrl)));
    EXPECT_EQ(onlies, 1);
    EXPECT_FALSE(tk::ResolveShortCut(*form, form->Handle(), tk::ShortCut('W', tk::scCtrl)));
}

TEST_F(ActionsTest, OnUpdateRunsWhenTheLoopFallsIdle) {
    tk::TActionList actions;
    tk::TAction* paste = actions.Add({.name = "Yapistir", .caption = "Yapıştır"});
    auto button = Button(paste, 0);
    bool allowed = false;
    paste->OnUpdate = [&](tk::TAction& a) { a.SetEnabled(allowed); };

    tk::Application().Idle();
    EXPECT_FALSE(button->Enabled());

    // The real loop: a posted message changes the program's state; when the
    // queue has emptied the button follows, and the loop is ended from there.
    UINT_PTR guard = SetTimer(nullptr, 0, 3000, EndTheLoop);
    form->OnMessage = [&](UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != WM_APP + 7) return false;
        allowed = true;
        result = 0;
        return true;
    };
    bool enabledAtIdle = false;
    paste->OnUpdate = [&](tk::TAction& a) {
        a.SetEnabled(allowed);
        if (allowed && !enabledAtIdle) {
            enabledAtIdle = button->Enabled();
            tk::Application().Terminate();
        }
    };
    PostMessageA(form->Handle(), WM_APP + 7, 0, 0);
    tk::Application().Run();
    KillTimer(nullptr, guard);
    form->OnMessage = nullptr;
    // Leave no quit message behind for the next test.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    tk::Application().Initialize();
    EXPECT_TRUE(enabledAtIdle);
    EXPECT_TRUE(button->Enabled());
}

TEST_F(ActionsTest, MenuTablesOfAnyDepthWithPicturesAndActions) {
    tk::TActionList actions;
    HBITMAP glyph = testing_support::MakeTestGlyph();
    actions.Add({.name = "Bul", .caption = "Klasör ve Dosya Ara", .picture = glyph});
    tk::TPopupMenu menu;
    menu.SetShowPictures(true);
    menu.Load({{0, "Baslik", "velmora"},
               {0, "Ara", nullptr},
               {1, "Bul1", "Bul", 0, "Bul"}, // an own caption over the action's
               {1, "Derin", "Derin"},
               {2, "EnDerin", "En derin", tk::ShortCut(VK_F3)},
               {1, "Bul2", nullptr, 0, "Bul"},
               {0, "Son", "Son"}},
              &actions);
    const auto& top = menu.Root().Items();
    ASSERT_EQ(top.size(), 3u);
    ASSERT_EQ(top[1]->Items().size(), 3u);
    EXPECT_EQ(top[1]->Items()[0]->Caption(), "Bul");
    EXPECT_EQ(top[1]->Items()[2]->Caption(), "Klasör ve Dosya Ara");
    ASSERT_EQ(top[1]->Items()[1]->Items().size(), 1u);
    EXPECT_EQ(menu.FindShortCut(tk::ShortCut(VK_F3)), menu.Find("EnDerin"));
    EXPECT_EQ(GetMenuItemCount(menu.Handle()), 3);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu.Handle(), 1)), 3);
    // A menu with pictures shows the action's picture on the menu's colour.
    HBITMAP shown = menu.Find("Bul1")->ShownPicture();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(menu.Find("Baslik")->ShownPicture(), nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, shown);
    EXPECT_EQ(GetPixel(dc, 0, 15), GetNearestColor(dc, GetSysColor(COLOR_MENU)));
    EXPECT_EQ(GetPixel(dc, 8, 8), RGB(0, 0, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    // A caption change of the action passes an own caption by.
    actions.Get("Bul").SetCaption("Ara");
    EXPECT_EQ(menu.Find("Bul1")->Caption(), "Bul");
    EXPECT_EQ(menu.Find("Bul2")->Caption(), "Ara");

    // A misspelt action name fails at once.
    tk::TPopupMenu wrong;
    EXPECT_THROW(wrong.Load({{0, "X", nullptr, 0, "Bull"}}, &actions), std::logic_error);
    EXPECT_THROW(actions.Get("Bull"), std::logic_error);
    DeleteObject(glyph);
}

TEST_F(ActionsTest, ClientsAndActionsMayGoInEitherOrder) {
    auto actions = std::make_unique<tk::TActionList>();
    tk::TAction* a = actions->Add({.name = "A", .caption = "A"});
    auto button = Button(a, 0);
    {
        tk::TPopupMenu menu;
        menu.Load({{0, "A1", nullptr, 0, "A"}}, actions.get());
        EXPECT_EQ(a->Clients().size(), 2u);
    }
    EXPECT_EQ(a->Clients().size(), 1u);
    actions.reset();
    EXPECT_EQ(button->Action(), nullptr);
    button->Click(); // unbound now: nothing to run, nothing to crash
    tk::Application().Idle();
}
