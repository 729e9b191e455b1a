#include <gtest/gtest.h>

#include "app/messages.h"
#include "support/scripted_dialogs.h"
#include "toolkit/exceptions.h"

using namespace velmora::app;
using testing_support::ScriptedDialogs;

TEST(Messages, MesajAsksYesNoInTurkish) {
    ScriptedDialogs dialogs;
    dialogs.AnswerMessage(IDYES);
    dialogs.AnswerMessage(IDNO);
    EXPECT_EQ(Mesaj_("Kaydedilsin mi?"), 6);
    EXPECT_EQ(Mesaj_("Kaydedilsin mi?"), 7);
    ASSERT_EQ(dialogs.Calls().size(), 2u);
    const auto& call = dialogs.Calls()[0];
    EXPECT_EQ(call.caption, "Dikkat!");
    EXPECT_EQ(call.text, "Kaydedilsin mi?");
    EXPECT_EQ(call.flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(call.languageId, 0x1F);
}

TEST(Messages, ErrorMesajShowsStopBoxThenAbortsSilently) {
    ScriptedDialogs dialogs;
    EXPECT_THROW(ErrorMesaj_("Olmadı"), tk::EAbort);
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
}

TEST(Messages, ExecuteFileReportsFailuresWithTheFileName) {
    ScriptedDialogs dialogs;
    dialogs.AnswerShell(2);
    dialogs.AnswerShell(33);
    EXPECT_EQ(ExecuteFile("Open", "C:\\yok.exe", "", "C:\\", SW_SHOWNORMAL), 2);
    EXPECT_EQ(ExecuteFile("Open", "C:\\var.exe", "-x", "C:\\", SW_SHOWNORMAL), 33);
    ASSERT_EQ(dialogs.Calls().size(), 3u);
    EXPECT_EQ(dialogs.Calls()[0].kind, "shell");
    EXPECT_EQ(dialogs.Calls()[0].verb, "Open");
    EXPECT_EQ(dialogs.Calls()[1].kind, "message");
    EXPECT_EQ(dialogs.Calls()[1].text, "Bu dosya işletilemedi.  C:\\yok.exe");
    EXPECT_EQ(dialogs.Calls()[1].caption, "Error");
    EXPECT_EQ(dialogs.Calls()[2].parameters, "-x");
}
