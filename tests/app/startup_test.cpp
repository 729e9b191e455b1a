#include <gtest/gtest.h>

#include "app/startup.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"

using namespace velmora::app;

TEST(StartUp, MainWindowCreatedFirstAndCaptionSetWhenShown) {
    auto forms = CreateForms();
    ASSERT_TRUE(forms->form1 && forms->form2 && forms->form3 && forms->form4);
    EXPECT_EQ(tk::Application().MainForm(), forms->form1.get());
    EXPECT_NE(forms->form1->Caption(), TForm1::kCaption);
    RECT r;
    GetWindowRect(forms->form1->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 955);
    EXPECT_EQ(r.bottom - r.top, 418);
    // Centred on the desktop.
    EXPECT_NEAR(r.left + (r.right - r.left) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR(r.top + (r.bottom - r.top) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    ShowMainForm(*forms);
    testing_support::Pump();
    EXPECT_TRUE(IsWindowVisible(forms->form1->Handle()));
    EXPECT_EQ(forms->form1->Caption(), "velmora Version 3.10");
    EXPECT_FALSE(IsWindowVisible(forms->form2->Handle()));

    // Closing the main window ends the loop.
    PostMessageA(forms->form1->Handle(), WM_CLOSE, 0, 0);
    tk::Application().Run();
    EXPECT_TRUE(tk::Application().Terminated());
}
