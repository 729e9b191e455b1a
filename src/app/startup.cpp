#include "app/startup.h"

#include "explorer/file_list_view.h"
#include "toolkit/application.h"

namespace velmora::app {

std::unique_ptr<Forms> CreateForms() {
    tk::Application().Initialize();
    auto forms = std::make_unique<Forms>();
    forms->form1 = std::make_unique<TForm1>();
    tk::Application().SetMainForm(forms->form1.get());
    forms->form2 = std::make_unique<TForm2>(*forms->form1);
    forms->form3 = std::make_unique<TForm3>();
    forms->form4 = std::make_unique<TForm4>(*forms->form1);
    return forms;
}

void ShowMainForm(Forms& forms) {
    forms.form1->Show();
}

int RunProgram() {
    explorer::TFileListView::PrepareImagesAhead();
    auto forms = CreateForms();
    ShowMainForm(*forms);
    tk::Application().Run();
    forms.reset();
    tk::Application().Finalize();
    return 0;
}

} // namespace velmora::app
