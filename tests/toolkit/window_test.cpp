#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"
#include "toolkit/exceptions.h"
#include "toolkit/form.h"

using testing_support::Pump;
using testing_support::ScriptedDialogs;

namespace {

class ThrowingForm : public tk::TForm {
public:
    ThrowingForm() : tk::TForm(Params{}) {}
    enum class Throw { Nothing, Runtime, Abort };
    Throw what = Throw::Nothing;
    int handled = 0;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_APP) {
            ++handled;
            if (what == Throw::Runtime) throw std::runtime_error("List index out of bounds (3)");
            if (what == Throw::Abort) tk::Abort();
            return 0;
        }
        return tk::TForm::WndProc(msg, wParam, lParam);
    }
};

// A platform control that records the messages its object sees; it may make a
// sibling while it is being created.
class RecordingEdit : public tk::TControl {
public:
    explicit RecordingEdit(tk::TControl* parent, bool makeSibling = false) : makeSibling_(makeSibling) {
        tk::WindowParams wp;
        wp.className = "EDIT";
        wp.style = WS_CHILD;
        CreateControl(parent, wp);
    }
    std::vector<UINT> seen;
    std::unique_ptr<RecordingEdit> sibling;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(msg);
        if (msg == WM_CREATE && makeSibling_) sibling = std::make_unique<RecordingEdit>(Parent());
        return tk::TControl::WndProc(msg, wParam, lParam);
    }

private:
    bool makeSibling_;
};

bool Saw(const std::vector<UINT>& seen, UINT msg) {
    for (UINT m : seen)
        if (m == msg) return true;
    return false;
}

class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override { tk::Application().Initialize(); }
};

} // namespace

TEST_F(ToolkitTest, CodePageIs1254) {
    EXPECT_EQ(GetACP(), 1254u);
}

TEST_F(ToolkitTest, ExceptionInHandlerIsShownAndLoopGoesOn) {
    ScriptedDialogs dialogs;
    ThrowingForm form;
    form.what = ThrowingForm::Throw::Runtime;
    PostMessageA(form.Handle(), WM_APP, 0, 0);
    Pump();
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].text, "List index out of bounds (3).");
    EXPECT_EQ(dialogs.Calls()[0].caption, "velmora");
    EXPECT_EQ(dialogs.Calls()[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));
    // The next message is handled as usual.
    form.what = ThrowingForm::Throw::Nothing;
    PostMessageA(form.Handle(), WM_APP, 0, 0);
    Pump();
    EXPECT_EQ(form.handled, 2);
    EXPECT_EQ(dialogs.Calls().size(), 1u);
}

TEST_F(ToolkitTest, AbortIsSilent) {
    ScriptedDialogs dialogs;
    ThrowingForm form;
    form.what = ThrowingForm::Throw::Abort;
    SendMessageA(form.Handle(), WM_APP, 0, 0);
    EXPECT_EQ(form.handled, 1);
    EXPECT_TRUE(dialogs.Calls().empty());
}

TEST_F(ToolkitTest, ObjectFoundFromHandleAndDetachedOnDestroy) {
    auto form = std::make_unique<ThrowingForm>();
    HWND hwnd = form->Handle();
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(tk::TWindow::FromHandle(hwnd), form.get());
    form.reset();
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(ToolkitTest, AlignedChildrenShareTheClientArea) {
    tk::TForm form(tk::TForm::Params{});
    SetWindowPos(form.Handle(), nullptr, 0, 0, 400, 300, SWP_NOZORDER);
    auto panel = [&](tk::TAlign align, int w, int h) {
        tk::TPanel::Params p;
        p.parent = &form;
        p.bounds = RECT{0, 0, w, h};
        p.align = align;
        return std::make_unique<tk::TPanel>(p);
    };
    auto top = panel(tk::TAlign::alTop, 10, 30);
    auto bottom = panel(tk::TAlign::alBottom, 10, 19);
    auto left = panel(tk::TAlign::alLeft, 100, 10);
    auto left2 = panel(tk::TAlign::alLeft, 7, 10);
    auto client = panel(tk::TAlign::alClient, 10, 10);
    form.AlignControls();
    int cw = form.ClientWidth(), ch = form.ClientHeight();
    EXPECT_EQ(top->BoundsRect().bottom, 30);
    EXPECT_EQ(top->Width(), cw);
    EXPECT_EQ(bottom->Top(), ch - 19);
    EXPECT_EQ(left->Left(), 0);
    EXPECT_EQ(left->Top(), 30);
    EXPECT_EQ(left->Height(), ch - 49);
    EXPECT_EQ(left2->Left(), 100);
    EXPECT_EQ(client->Left(), 107);
    EXPECT_EQ(client->Width(), cw - 107);
    // Collapsing the first left control moves the rest over.
    left->SetWidth(0);
    EXPECT_EQ(left2->Left(), 0);
    EXPECT_EQ(client->Left(), 7);
}

TEST_F(ToolkitTest, TurningAlignmentSwapsWidthAndHeight) {
    tk::TForm form(tk::TForm::Params{});
    SetWindowPos(form.Handle(), nullptr, 0, 0, 400, 300, SWP_NOZORDER);
    tk::TPanel::Params p;
    p.parent = &form;
    p.bounds = RECT{0, 0, 120, 10};
    p.align = tk::TAlign::alLeft;
    tk::TPanel panel(p);
    ASSERT_EQ(panel.Width(), 120);
    panel.SetAlign(tk::TAlign::alTop);
    EXPECT_EQ(panel.Height(), 120);
    EXPECT_EQ(panel.Width(), form.ClientWidth());
    panel.SetAlign(tk::TAlign::alBottom); // same axis: no swap
    EXPECT_EQ(panel.Height(), 120);
    panel.SetAlign(tk::TAlign::alRight);
    EXPECT_EQ(panel.Width(), 120);
    EXPECT_EQ(panel.Height(), form.ClientHeight());
}

TEST_F(ToolkitTest, InputQueryThroughTheSeam) {
    ScriptedDialogs dialogs;
    dialogs.AnswerInput(true, "0x10");
    std::string value = "x";
    EXPECT_TRUE(tk::CurrentDialogs().InputQuery({"Git", "Adres"}, value));
    EXPECT_EQ(value, "0x10");
    EXPECT_FALSE(tk::CurrentDialogs().InputQuery({"Git", "Adres"}, value));
    EXPECT_EQ(value, "0x10");
    ASSERT_EQ(dialogs.Calls().size(), 2u);
    EXPECT_EQ(dialogs.Calls()[0].caption, "Git");
}

TEST_F(ToolkitTest, PlatformControlIsAttachedBeforeItsFirstMessage) {
    tk::TForm form(tk::TForm::Params{});
    RecordingEdit edit(&form);
    ASSERT_TRUE(IsWindow(edit.Handle()));
    EXPECT_EQ(tk::TWindow::FromHandle(edit.Handle()), &edit);
    EXPECT_TRUE(Saw(edit.seen, WM_NCCREATE));
    EXPECT_TRUE(Saw(edit.seen, WM_CREATE));
}

TEST_F(ToolkitTest, ControlMadeDuringAnothersCreationIsAttachedToItself) {
    tk::TForm form(tk::TForm::Params{});
    RecordingEdit outer(&form, true);
    ASSERT_TRUE(outer.sibling);
    EXPECT_EQ(tk::TWindow::FromHandle(outer.Handle()), &outer);
    EXPECT_EQ(tk::TWindow::FromHandle(outer.sibling->Handle()), outer.sibling.get());
    EXPECT_NE(outer.Handle(), outer.sibling->Handle());
    EXPECT_TRUE(Saw(outer.sibling->seen, WM_CREATE));
    // The subclassing is undone with the window: messages after it reach no object.
    HWND hwnd = outer.sibling->Handle();
    outer.sibling.reset();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(tk::TWindow::FromHandle(hwnd), nullptr);
}
