// The viewer dispatch against a stand-in for its window: panels that record
// what they are asked, the session, and the questions of the save step.
#include "app/viewer_dispatch.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"

using namespace velmora::app;
using testing_support::ScriptedDialogs;
using testing_support::TempFolder;

namespace {

class FakePanel : public IViewerPanel {
public:
    bool LoadFile(const std::string& path) override {
        if (refuse) {
            file.clear();
            return false;
        }
        file = path;
        modified = false;
        return true;
    }
    bool Open(const std::string& path, TViewerKind kind) override {
        opened.push_back({path, kind});
        return LoadFile(path);
    }
    bool Save() override {
        ++saves;
        if (saveWorks) modified = false;
        return saveWorks;
    }
    bool Modified() const override { return modified; }
    void Clear() override {
        file.clear();
        modified = false;
    }
    std::string FileName() const override { return file; }
    bool ShownBeforeLoading() const override { return shownBefore; }
    void SetModified(bool value) override { modified = value; }
    void SetFileName(const std::string& path) override { file = path; }

    struct Opened {
        std::string path;
        TViewerKind kind;
        bool operator==(const Opened&) const = default;
    };
    std::vector<Opened> opened;
    std::string file;
    bool modified = false, refuse = false, saveWorks = true, shownBefore = true;
    int saves = 0;
};

class FakeViewerHost : public IViewerHost {
public:
    TSession& Model() override { return session; }
    IViewerPanel* Viewer(TViewerKind kind) const override {
        switch (kind) {
        case TViewerKind::vkText:
            return &text;
        case TViewerKind::vkHtml:
        case TViewerKind::vkPicture:
            return &html;
        case TViewerKind::vkHex:
            return &hex;
        case TViewerKind::vkNone:
            break;
        }
        return nullptr;
    }
    IViewerPanel* MakeViewer(TViewerKind kind) override { return Viewer(kind); }
    void ShowViewerPanel(TViewerKind kind) override {
        shown.push_back(kind);
        visible = kind == TViewerKind::vkPicture ? TViewerKind::vkHtml : kind;
    }
    TViewerKind ShownPanel() const override { return visible; }
    void PressPanelButton(TViewerKind) override {}
    std::string SelectedFile() const override { return selected; }
    void SetBtnMenuState() override { ++statusUpdates; }
    void ShowInList(const std::string&, const std::string&) override {}

    TSession session;
    mutable FakePanel text, html, hex;
    std::vector<TViewerKind> shown;
    TViewerKind visible = TViewerKind::vkText;
    std::string selected;
    int statusUpdates = 0;
};

class ViewerDispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.session.Extensions.Load(
            "Metin\r\n\t.txt\r\nHtml\r\n\t.htm\r\nResim\r\n\t.gif\r\nHex\r\n\t.bin\r\n");
    }
    void Click(const std::string& path) {
        host.selected = path;
        FileListClick(host);
    }
    std::vector<std::string> Questions() const {
        std::vector<std::string> texts;
        for (const auto& call : dialogs.Calls())
            if (call.kind == "message") texts.push_back(call.text);
        return texts;
    }

    ScriptedDialogs dialogs;
    TempFolder temp;
    FakeViewerHost host;
};

} // namespace

TEST_F(ViewerDispatchTest, EachFileGoesToThePanelOfItsKind) {
    struct Case {
        const char* name;
        FakePanel FakeViewerHost::*panel; // nullptr: no association
        TViewerKind kind;
    };
    const Case cases[] = {
        {"a.txt", &FakeViewerHost::text, TViewerKind::vkText},
        {"b.HTM", &FakeViewerHost::html, TViewerKind::vkHtml},
        {"c.gif", &FakeViewerHost::html, TViewerKind::vkPicture},
        {"d.bin", &FakeViewerHost::hex, TViewerKind::vkHex},
        {"e.xyz", nullptr, TViewerKind::vkNone},
    };
    for (const Case& c : cases) {
        const std::string path = temp.File(c.name, "x");
        const std::string before = host.session.CurrentFile;
        host.shown.clear();
        Click(path);
        EXPECT_EQ(host.session.ViewerKind, c.kind) << c.name;
        if (c.panel) {
            const FakePanel& panel = host.*c.panel;
            ASSERT_FALSE(panel.opened.empty()) << c.name;
            EXPECT_EQ(panel.opened.back(), (FakePanel::Opened{path, c.kind})) << c.name;
            EXPECT_EQ(host.shown, std::vector<TViewerKind>{c.kind}) << c.name;
            EXPECT_EQ(host.session.CurrentFile, path) << c.name;
        } else {
            // No association: the panels and CurrentFile stay.
            EXPECT_TRUE(host.shown.empty()) << c.name;
            EXPECT_EQ(host.session.CurrentFile, before) << c.name;
        }
    }
    EXPECT_EQ(host.text.opened.size() + host.html.opened.size() + host.hex.opened.size(), 4u);
    // A click on something that is no file only updates the status line.
    const int updates = host.statusUpdates;
    Click(temp.Path() + "yok.txt");
    EXPECT_EQ(host.statusUpdates, updates + 1);
    EXPECT_EQ(host.text.opened.size(), 1u);
}

TEST_F(ViewerDispatchTest, APageTheViewerRefusesChangesNothing) {
    const std::string text = temp.File("a.txt", "x");
    Click(text);
    host.html.shownBefore = false;
    host.html.refuse = true;
    host.shown.clear();
    Click(temp.File("bozuk.htm", "x"));
    EXPECT_TRUE(host.shown.empty());
    EXPECT_EQ(host.session.CurrentFile, text);
}

TEST_F(ViewerDispatchTest, TheSaveStepAsksOnlyWithTheWarningOn) {
    const std::string a = temp.File("a.txt", "a"), b = temp.File("b.txt", "b");
    Click(a);
    host.text.modified = true;
    Click(b);
    EXPECT_EQ(host.text.saves, 1);
    EXPECT_TRUE(Questions().empty());

    // With the session's warning on: "no" keeps the text unsaved and goes on.
    host.session.Options.SaveWarning = true;
    host.text.modified = true;
    dialogs.AnswerMessage(IDNO);
    Click(a);
    EXPECT_EQ(Questions(), std::vector<std::string>{b + " dosya kaydedilsin mi?"});
    EXPECT_EQ(host.text.saves, 1);
    EXPECT_EQ(host.text.FileName(), a);

    // The hex document is closed after its save, and CurrentFile with it.
    const std::string data = temp.File("d.bin", "d");
    Click(data);
    host.hex.modified = true;
    dialogs.AnswerMessage(IDYES);
    PanelButtonClick(host, TViewerKind::vkText);
    EXPECT_EQ(host.hex.saves, 1);
    EXPECT_EQ(host.hex.FileName(), "");
    EXPECT_EQ(host.session.CurrentFile, "");
    EXPECT_EQ(host.visible, TViewerKind::vkText);
}

TEST_F(ViewerDispatchTest, AFailedSaveKeptByTheUserStopsTheClick) {
    const std::string a = temp.File("a.txt", "a"), b = temp.File("b.txt", "b");
    Click(a);
    host.text.modified = true;
    host.text.saveWorks = false;
    dialogs.AnswerMessage(IDNO); // keep the edits
    Click(b);
    EXPECT_EQ(host.text.FileName(), a);
    EXPECT_TRUE(host.text.Modified());
    EXPECT_EQ(host.session.CurrentFile, a);
    // The panel buttons too: the shown panel stays, its button down again.
    dialogs.AnswerMessage(IDNO);
    host.shown.clear();
    PanelButtonClick(host, TViewerKind::vkHex);
    EXPECT_EQ(host.shown, std::vector<TViewerKind>{TViewerKind::vkText});
}
