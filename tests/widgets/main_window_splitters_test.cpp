// The two bars of the main window, driven with real mouse messages.
#include <gtest/gtest.h>

#include <memory>

#include "app/startup.h"
#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "widgets/click_splitter.h"

using testing_support::Pump;
using velmora::app::TForm1;
using velmora::widgets::ArrowState;
using velmora::widgets::TClickSplitter;

namespace {

class MainWindowSplittersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The start-up's archive step reports the missing "ini" folder beside the test program.
        dialogs_ = std::make_unique<testing_support::ScriptedDialogs>();
        forms_ = velmora::app::CreateForms();
        velmora::app::ShowMainForm(*forms_);
        Pump(100);
    }
    static void TearDownTestSuite() {
        forms_.reset();
        dialogs_.reset();
    }
    TForm1& Main() { return *forms_->form1; }

    // A click in the middle of the bar, where the grip is.
    static void ClickGrip(TClickSplitter& bar) {
        bool vertical = bar.Align() == tk::TAlign::alLeft || bar.Align() == tk::TAlign::alRight;
        int x = vertical ? 3 : bar.Width() / 2, y = vertical ? bar.Height() / 2 : 3;
        PostMessageA(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageA(bar.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        Pump(30);
    }

    static inline std::unique_ptr<testing_support::ScriptedDialogs> dialogs_;
    static inline std::unique_ptr<velmora::app::Forms> forms_;
};

} // namespace

TEST_F(MainWindowSplittersTest, TreeCollapsesAndComesBack) {
    TForm1& f = Main();
    TClickSplitter& bar = *f.ClickSplitter1;
    ASSERT_EQ(bar.NeighbourBefore(), f.DirTree1.get());
    ASSERT_EQ(bar.NeighbourAfter(), f.FileListView1.get());
    EXPECT_EQ(bar.Width(), 7);
    EXPECT_EQ(bar.HandleSize(), 40);
    int listLeft = f.FileListView1->Left();

    ClickGrip(bar);
    EXPECT_EQ(f.DirTree1->Width(), 0);
    EXPECT_EQ(bar.Arrows(), ArrowState::Right);
    EXPECT_EQ(f.FileListView1->Left(), listLeft - 195);

    ClickGrip(bar);
    EXPECT_EQ(f.DirTree1->Width(), 195);
    EXPECT_EQ(bar.Arrows(), ArrowState::Left);
    EXPECT_EQ(f.FileListView1->Left(), listLeft);
}

TEST_F(MainWindowSplittersTest, LeftHalfCollapsesAndComesBack) {
    TForm1& f = Main();
    TClickSplitter& bar = *f.ClickSplitter2;
    ASSERT_EQ(bar.NeighbourBefore(), f.Panel3.get());
    int viewerLeft = f.TextPanel->Left();

    ClickGrip(bar);
    EXPECT_EQ(f.Panel3->Width(), 0);
    EXPECT_EQ(bar.Left(), 0);
    EXPECT_EQ(f.TextPanel->Left(), 7);
    EXPECT_EQ(bar.Arrows(), ArrowState::Right);

    ClickGrip(bar);
    EXPECT_EQ(f.Panel3->Width(), 376);
    EXPECT_EQ(f.TextPanel->Left(), viewerLeft);
    // The panes inside the left half are laid out again as they were.
    EXPECT_EQ(f.DirTree1->Width(), 195);
    EXPECT_EQ(f.ClickSplitter1->Left(), f.DirTree1->Left() + 195);
}

// The options window's "Alt alta" and "Yan yana": the tree above the list and back.
TEST_F(MainWindowSplittersTest, TreeAboveTheListAndBack) {
    TForm1& f = Main();
    TClickSplitter& bar = *f.ClickSplitter1;
    f.DirTree1->SetAlign(tk::TAlign::alTop);
    bar.SetAlign(tk::TAlign::alTop);
    EXPECT_EQ(f.DirTree1->Height(), 195);
    EXPECT_EQ(bar.Height(), 7);
    EXPECT_EQ(bar.Top(), f.DirTree1->Top() + 195);
    EXPECT_EQ(f.FileListView1->Top(), bar.Top() + 7);
    EXPECT_EQ(bar.Arrows(), ArrowState::Up);

    ClickGrip(bar);
    EXPECT_EQ(f.DirTree1->Height(), 0);
    EXPECT_EQ(bar.Arrows(), ArrowState::Down);
    EXPECT_EQ(f.FileListView1->Top(), bar.Top() + 7);
    ClickGrip(bar);
    EXPECT_EQ(f.DirTree1->Height(), 195);
    EXPECT_EQ(bar.Arrows(), ArrowState::Up);

    bar.SetAlign(tk::TAlign::alLeft);
    f.DirTree1->SetAlign(tk::TAlign::alLeft);
    EXPECT_EQ(f.DirTree1->Width(), 195);
    EXPECT_EQ(bar.Width(), 7);
    EXPECT_EQ(bar.Left(), f.DirTree1->Left() + 195);
    EXPECT_EQ(f.FileListView1->Left(), bar.Left() + 7);
    EXPECT_EQ(bar.Arrows(), ArrowState::Left);
}
