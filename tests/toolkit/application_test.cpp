#include "toolkit/application.h"

#include <gtest/gtest.h>

#include <string>

#include "support/win32_test_util.h"
#include "toolkit/form.h"

using testing_support::Pump;

namespace {

constexpr UINT kProbe = WM_APP + 7;

class FilterTest : public ::testing::Test {
protected:
    void SetUp() override { tk::Application().Initialize(); }
    void TearDown() override {
        for (int id : ids)
            tk::Application().RemoveMessageFilter(id);
    }
    int Add(tk::TApplication::MessageFilter filter) {
        ids.push_back(tk::Application().AddMessageFilter(std::move(filter)));
        return ids.back();
    }
    std::vector<int> ids;
};

// A form that counts the probe messages that reach it.
class ProbeForm : public tk::TForm {
public:
    ProbeForm() : tk::TForm(Params{}) {}
    int reached = 0;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kProbe) ++reached;
        return tk::TForm::WndProc(msg, wParam, lParam);
    }
};

TEST_F(FilterTest, FiltersRunInOrderUntilOneHandlesTheMessage) {
    ProbeForm form;
    std::string order;
    Add([&](MSG& m) { return m.message == kProbe && (order += "a", m.wParam == 1); });
    Add([&](MSG& m) { return m.message == kProbe && (order += "b", m.wParam == 2); });
    Add([&](MSG& m) { return m.message == kProbe && (order += "c", false); });

    struct Case {
        WPARAM which;
        const char* order;
        int reached;
    };
    const Case cases[] = {{0, "abc", 1}, {1, "a", 0}, {2, "ab", 0}};
    for (const Case& c : cases) {
        order.clear();
        form.reached = 0;
        PostMessageA(form.Handle(), kProbe, c.which, 0);
        Pump();
        EXPECT_EQ(order, c.order) << c.which;
        EXPECT_EQ(form.reached, c.reached) << c.which;
    }
}

TEST_F(FilterTest, RemovedFiltersAreSkippedEvenDuringAWalk) {
    ProbeForm form;
    std::string order;
    int second = 0;
    // The first filter removes the second one while the list is being walked.
    Add([&](MSG& m) {
        if (m.message == kProbe) {
            order += "a";
            tk::Application().RemoveMessageFilter(second);
        }
        return false;
    });
    second = Add([&](MSG& m) { return m.message == kProbe && (order += "b", false); });
    PostMessageA(form.Handle(), kProbe, 0, 0);
    Pump();
    EXPECT_EQ(order, "a");
    EXPECT_EQ(form.reached, 1);
}

TEST_F(FilterTest, FiltersAlsoSeeTheMessagesOfAModalLoop) {
    ProbeForm form;
    int seen = 0;
    Add([&](MSG& m) {
        if (m.message != kProbe) return false;
        ++seen;
        form.SetModalResult(IDOK); // handled here: the form never gets it
        return true;
    });
    PostMessageA(form.Handle(), kProbe, 0, 0);
    EXPECT_EQ(form.ShowModal(), IDOK);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(form.reached, 0);
}

} // namespace
