// Program entry steps, callable from tests so that they run the real forms.
#pragma once
#include <memory>

#include "app/form1.h"
#include "app/options_form.h"
#include "app/report_form.h"
#include "app/topics_form.h"

namespace velmora::app {

struct Forms {
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm3> form3;
    std::unique_ptr<TForm4> form4;
};

// Initialises the application object and creates the four windows in order;
// the main window becomes the application's main form. Nothing is shown yet.
std::unique_ptr<Forms> CreateForms();
// Shows the main window (its show step runs) without entering the loop.
void ShowMainForm(Forms& forms);
// The whole program: create, show, run the loop until the main window closes.
int RunProgram();

} // namespace velmora::app
