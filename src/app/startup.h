// Program entry steps, callable from tests so that they run the real forms.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/options_form.h"
#include "app/report_form.h"
#include "app/topics_form.h"

namespace velmora::app {

// The program's windows. The options, report and topics windows are made when
// first asked for: a start makes only the window it shows.
struct Forms {
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2; // none until Options()
    std::unique_ptr<TForm3> form3; // none until Report()
    std::unique_ptr<TForm4> form4; // none until Topics()

    TForm2& Options();
    TForm3& Report();
    TForm4& Topics();
};

// Initialises the application object and creates the main window, which
// becomes the application's main form. Nothing is shown yet.
std::unique_ptr<Forms> CreateForms();
// Shows the main window (its show step runs) without entering the loop.
void ShowMainForm(Forms& forms);
// The whole program: create, show, run the loop until the main window closes.
int RunProgram();

// Files an instance that ended without tidying up (a crash, the end of the
// session) left behind: the hex editor's working copies ("0123ABCD.KWTF") and
// their undo files ("0123ABCD.KWTF.undo", "….undo7") in the temp folder, and
// the safe writer's new files ("~vlm0123ABCD.tmp") there and in the other
// folders given. Only names of exactly those forms are looked at, and only
// files that no process holds open are removed: a running instance keeps its
// working copy and the file it is writing open. Returns how many went.
int RemoveLeftoverFiles(const std::string& tempFolder, const std::vector<std::string>& otherFolders);
// Whether a file name has one of those forms (the working copy's two only
// when `hexFiles`).
bool IsLeftoverName(const std::string& name, bool hexFiles);

} // namespace velmora::app
