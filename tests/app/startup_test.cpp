#include <gtest/gtest.h>

#include "app/startup.h"
#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/application.h"

using namespace velmora::app;

TEST(StartUp, MainWindowCreatedFirstAndCaptionSetWhenShown) {
    testing_support::ScriptedDialogs dialogs;
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
    // Without an "ini" folder beside the program the archive file cannot be written:
    // an error box with the system's text, and the window still opens.
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_FALSE(dialogs.Calls()[0].text.empty());

    // Closing the main window ends the loop.
    PostMessageA(forms->form1->Handle(), WM_CLOSE, 0, 0);
    tk::Application().Run();
    EXPECT_TRUE(tk::Application().Terminated());
}
