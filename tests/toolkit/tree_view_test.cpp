#include "toolkit/tree_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"
#include "toolkit/form.h"

using testing_support::Pump;
using testing_support::ScriptedDialogs;
using tk::TTreeNode;

namespace {

class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        tk::Application().Initialize();
        tk::TForm::Params fp;
        fp.width = 400;
        fp.height = 500;
        form = std::make_unique<tk::TForm>(fp);
        form->Show();
        tk::TTreeView::Params p;
        p.parent = form.get();
        p.bounds = RECT{0, 0, 300, 400};
        tree = std::make_unique<tk::TTreeView>(p);
    }
    // Groups "Metin Editörü" (.txt, .rtf) and "Hex Editörü" (.bin).
    void Fill() {
        TTreeNode text = tree->AddChild(nullptr, "Metin Editörü", 0, 0);
        tree->AddChild(text, ".txt", 0, 0);
        tree->AddChild(text, ".rtf", 0, 0);
        TTreeNode hex = tree->AddChild(nullptr, "Hex Editörü", 3, 3);
        tree->AddChild(hex, ".bin", 3, 3);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (TTreeNode n = tree->RootNode(); n; n = tree->NextNode(n))
            texts.push_back(std::string(tree->NodeLevel(n), '>') + tree->NodeText(n));
        return texts;
    }
    POINT LabelPoint(TTreeNode node) {
        RECT r{};
        std::memcpy(&r, &node, sizeof node); // TVM_GETITEMRECT takes the node in the rectangle
        SendMessageA(tree->Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
        return POINT{r.left + 3, (r.top + r.bottom) / 2};
    }
    void ClickLabel(TTreeNode node) {
        POINT p = LabelPoint(node);
        // The control waits for the button's release in a loop of its own.
        PostMessageA(tree->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        SendMessageA(tree->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        Pump(20);
    }
    ScriptedDialogs dialogs;
    std::unique_ptr<tk::TForm> form;
    std::unique_ptr<tk::TTreeView> tree;
};

TEST_F(TreeViewTest, StyleFollowsParamsAndProperties) {
    tk::TTreeView::Params p;
    p.parent = form.get();
    p.bounds = RECT{0, 0, 125, 165};
    p.showRoot = false;
    p.hideSelection = false;
    p.indent = 35;
    p.readOnly = true;
    tk::TTreeView ext(p);
    DWORD style = GetWindowLongA(ext.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & TVS_HASLINES);
    EXPECT_TRUE(style & TVS_HASBUTTONS);
    EXPECT_FALSE(style & TVS_LINESATROOT);
    EXPECT_FALSE(style & TVS_EDITLABELS);
    EXPECT_TRUE(style & TVS_SHOWSELALWAYS);
    EXPECT_EQ(ext.Indent(), 35);
    EXPECT_TRUE(ext.ReadOnly());

    struct Toggle {
        const char* name;
        DWORD bit;
        std::function<void(bool)> set;
        std::function<bool()> get;
    };
    const Toggle toggles[] = {
        {"lines", TVS_HASLINES, [&](bool v) { ext.SetShowLines(v); }, [&] { return ext.ShowLines(); }},
        {"buttons", TVS_HASBUTTONS, [&](bool v) { ext.SetShowButtons(v); },
         [&] { return ext.ShowButtons(); }},
        {"root", TVS_LINESATROOT, [&](bool v) { ext.SetShowRoot(v); }, [&] { return ext.ShowRoot(); }},
        {"editing", TVS_EDITLABELS, [&](bool v) { ext.SetReadOnly(!v); }, [&] { return !ext.ReadOnly(); }},
    };
    for (const Toggle& t : toggles) {
        SCOPED_TRACE(t.name);
        for (bool on : {true, false, true}) {
            t.set(on);
            EXPECT_EQ(t.get(), on);
            EXPECT_EQ((GetWindowLongA(ext.Handle(), GWL_STYLE) & t.bit) != 0, on);
        }
    }
}

TEST_F(TreeViewTest, NodesTextsPicturesAndWalks) {
    Fill();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Metin Editörü", ">.txt", ">.rtf", "Hex Editörü", ">.bin"}));
    EXPECT_EQ(tree->Count(), 5);
    TTreeNode hex = tree->FindChild(nullptr, "HEX editÖRÜ");
    ASSERT_TRUE(hex);
    EXPECT_EQ(tree->NodeText(hex), "Hex Editörü");
    TTreeNode bin = tree->FindChild(hex, ".BIN");
    ASSERT_TRUE(bin);
    EXPECT_EQ(tree->ImageIndex(bin), 3);
    EXPECT_EQ(tree->SelectedImageIndex(bin), 3);
    EXPECT_EQ(tree->NodeLevel(bin), 1);
    EXPECT_EQ(tree->ParentNode(bin), hex);
    EXPECT_EQ(tree->FindChild(hex, "yok"), nullptr);

    tree->SetImageIndex(bin, 2, 1);
    EXPECT_EQ(tree->ImageIndex(bin), 2);
    EXPECT_EQ(tree->SelectedImageIndex(bin), 1);
    tree->SetNodeData(bin, 77);
    EXPECT_EQ(tree->NodeData(bin), 77);

    TTreeNode rtf = tree->FindChild(tree->RootNode(), ".rtf");
    TTreeNode doc = tree->InsertAfter(tree->FindChild(tree->RootNode(), ".txt"), ".doc");
    EXPECT_EQ(tree->NextSibling(doc), rtf);
    EXPECT_EQ(tree->PrevSibling(rtf), doc);
    tree->SortChildren(tree->RootNode());
    EXPECT_EQ(tree->NodeText(tree->FirstChild(tree->RootNode())), ".doc");

    tree->RemoveNode(tree->RootNode());
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Hex Editörü", ">.bin"}));
    tree->Clear();
    EXPECT_EQ(tree->Count(), 0);
    EXPECT_EQ(tree->RootNode(), nullptr);
}

TEST_F(TreeViewTest, ExpandingAsksTheHookOnceAndCanBeRefused) {
    Fill();
    TTreeNode text = tree->RootNode();
    TTreeNode hex = tree->NextSibling(text);
    std::vector<TTreeNode> asked;
    tree->OnExpanding = [&](TTreeNode node, bool& allow) {
        asked.push_back(node);
        allow = node != hex;
    };
    tree->Expand(text);
    EXPECT_TRUE(tree->Expanded(text));
    tree->Expand(hex);
    EXPECT_FALSE(tree->Expanded(hex));
    EXPECT_EQ(asked, (std::vector<TTreeNode>{text, hex}));

    // The user's way: the keyboard on the selected node.
    asked.clear();
    tree->Select(hex);
    tree->SetFocus();
    SendMessageA(tree->Handle(), WM_KEYDOWN, VK_ADD, 1);
    EXPECT_EQ(asked, std::vector<TTreeNode>{hex});
    EXPECT_FALSE(tree->Expanded(hex));

    bool refuseCollapse = true;
    tree->OnCollapsing = [&](TTreeNode, bool& allow) { allow = !refuseCollapse; };
    tree->Collapse(text);
    EXPECT_TRUE(tree->Expanded(text));
    refuseCollapse = false;
    tree->FullCollapse();
    EXPECT_FALSE(tree->Expanded(text));
    tree->OnExpanding = nullptr;
    tree->FullExpand();
    EXPECT_TRUE(tree->Expanded(text));
    EXPECT_TRUE(tree->Expanded(hex));
}

TEST_F(TreeViewTest, SelectionChangeAndClickAfterTheControlSelected) {
    Fill();
    tree->FullExpand();
    TTreeNode rtf = tree->FindChild(tree->RootNode(), ".rtf");
    std::vector<TTreeNode> changes;
    TTreeNode selectedAtClick = nullptr;
    int clicks = 0;
    tree->OnChange = [&](TTreeNode node) { changes.push_back(node); };
    tree->OnClick = [&] {
        ++clicks;
        selectedAtClick = tree->Selected();
    };
    ClickLabel(rtf);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(selectedAtClick, rtf);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back(), rtf);
    tree->Select(tree->RootNode());
    EXPECT_EQ(changes.back(), tree->RootNode());
}

TEST_F(TreeViewTest, LabelEditingAsksAndTheHandlerShapesTheText) {
    Fill();
    tree->FullExpand();
    TTreeNode group = tree->RootNode();
    TTreeNode txt = tree->FirstChild(group);
    tree->OnEditing = [&](TTreeNode node, bool& allow) { allow = tree->NodeLevel(node) > 0; };
    tree->OnEdited = [](TTreeNode, std::string& text) {
        if (text.find('.') == std::string::npos) text = "." + text;
    };
    EXPECT_EQ(tree->EditText(group), nullptr); // groups are not edited
    EXPECT_FALSE(tree->IsEditing());

    HWND editor = tree->EditText(txt);
    ASSERT_TRUE(editor);
    EXPECT_TRUE(tree->IsEditing());
    SetWindowTextA(editor, "htm");
    tree->EndEditing(false);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(tree->NodeText(txt), ".htm");

    editor = tree->EditText(txt);
    ASSERT_TRUE(editor);
    SetWindowTextA(editor, "xyz");
    tree->EndEditing(true); // cancelled: the text stays
    EXPECT_EQ(tree->NodeText(txt), ".htm");

    tree->SetReadOnly(true);
    EXPECT_EQ(tree->EditText(txt), nullptr);
}

TEST_F(TreeViewTest, CustomDrawChangesColoursPerItem) {
    Fill();
    std::vector<TTreeNode> drawn;
    tree->OnCustomDrawItem = [&](tk::TTreeItemDraw& item) {
        drawn.push_back(item.node);
        if (tree->NodeLevel(item.node) == 0) item.textColor = RGB(0, 0, 255);
    };
    tree->Repaint();
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), tree->RootNode()), drawn.end());
}

TEST_F(TreeViewTest, AHintAskedWhileDrawingIsSetAfterThePaint) {
    Fill();
    int paintsAskedFor = 0;
    tree->OnCustomDrawItem = [&](tk::TTreeItemDraw& item) {
        if (item.node != tree->RootNode()) return;
        ++paintsAskedFor;
        tree->SetHintLater(paintsAskedFor == 1 ? "ilk" : "son");
        // Not while the tree paints.
        EXPECT_EQ(tree->Hint(), "");
    };
    tree->Repaint();
    ASSERT_GE(paintsAskedFor, 1);
    EXPECT_EQ(tree->Hint(), "");
    Pump(20);
    EXPECT_EQ(tree->Hint(), paintsAskedFor == 1 ? "ilk" : "son");
    tree->OnCustomDrawItem = nullptr;

    // Asked twice before the messages run: the last one stands.
    tree->SetHintLater("bir");
    tree->SetHintLater("");
    Pump(20);
    EXPECT_EQ(tree->Hint(), "");
    tree->SetHintLater("iki");
    Pump(20);
    EXPECT_EQ(tree->Hint(), "iki");
}

// ---------------------------------------------------------------- indented text

TEST_F(TreeViewTest, SavedTextLoadsBackTheSameTree) {
    Fill();
    tree->AddChild(tree->FindChild(nullptr, "Hex Editörü"), "");
    std::string saved = tree->SaveToText();
    EXPECT_EQ(saved, "Metin Editörü\r\n\t.txt\r\n\t.rtf\r\nHex Editörü\r\n\t.bin\r\n\t\r\n");
    std::vector<std::string> before = Texts();
    tree->Clear();
    tree->LoadFromText(saved);
    EXPECT_EQ(Texts(), before);
}

TEST_F(TreeViewTest, LoadingReadsLevelsAsTheTextGivesThem) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> nodes; // '>' per level
    };
    const Case cases[] = {
        {"line ends of every kind", "a\r\n\tb\rc\n\td", {"a", ">b", "c", ">d"}},
        {"spaces count as levels too", "a\n b\n \tc\n\t d", {"a", ">b", ">>c", ">>d"}},
        {"climbing back several levels",
         "a\n\tb\n\t\tc\n\t\t\td\ne\n\tf",
         {"a", ">b", ">>c", ">>>d", "e", ">f"}},
        {"climbing to a middle level", "a\n\tb\n\t\tc\n\td", {"a", ">b", ">>c", ">d"}},
        {"the first line is a top-level node", "\t\tx\ny", {"x", "y"}},
        {"an empty line is a node without a name", "a\n\ny", {"a", "", "y"}},
        {"an empty text gives no nodes", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tree->LoadFromText(c.text);
        EXPECT_EQ(Texts(), c.nodes);
    }
}

TEST_F(TreeViewTest, LoadingStopsAtALevelTooDeep) {
    try {
        tree->LoadFromText("Metin Editörü\r\n\t.txt\r\n\t\t\t.bad\r\n\t.rtf\r\n");
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Invalid level (3) for item \".bad\"");
    }
    // What was read before the faulty line stays.
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Metin Editörü", ">.txt"}));
}

} // namespace
