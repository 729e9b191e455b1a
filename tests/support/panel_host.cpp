#include "support/panel_host.h"

#include "toolkit/application.h"

namespace testing_support {

tk::TForm* PanelHost::form = nullptr;
TempFolder* PanelHost::folder = nullptr;

void PanelHost::OpenHost(const HostParams& params) {
    tk::Application().Initialize();
    folder = new TempFolder();
    tk::TForm::Params fp;
    fp.caption = params.caption;
    fp.width = params.width;
    fp.height = params.height;
    fp.left = params.left;
    fp.top = params.top;
    form = new tk::TForm(fp);
    form->Show();
    if (params.foreground) SetForegroundWindow(form->Handle());
}

void PanelHost::CloseHost() {
    delete form;
    form = nullptr;
    delete folder;
    folder = nullptr;
}

} // namespace testing_support
