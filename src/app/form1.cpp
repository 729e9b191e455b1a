#include "app/form1.h"

namespace velmora::app {

namespace {
tk::TForm::Params MainWindowParams() {
    tk::TForm::Params p;
    p.caption = "velmora";
    p.width = 955;
    p.height = 418;
    p.position = tk::TPosition::poDesktopCenter;
    return p;
}
} // namespace

TForm1::TForm1() : tk::TForm(MainWindowParams()) {
    OnShow = [this] { FormShow(); };
    FormCreate();
}

void TForm1::FormCreate() {}

void TForm1::FormShow() { SetCaption(kCaption); }

} // namespace velmora::app
