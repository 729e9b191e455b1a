#include "app/other_forms.h"

namespace velmora::app {

namespace {
tk::TForm::Params Shell(const char* caption, int width, int height, DWORD style) {
    tk::TForm::Params p;
    p.caption = caption;
    p.width = width;
    p.height = height;
    p.position = tk::TPosition::poScreenCenter;
    p.style = style;
    return p;
}
} // namespace

TForm2::TForm2() : tk::TForm(Shell("Seçenekler", 420, 360, WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN)) {}

TForm3::TForm3() : tk::TForm(Shell("Rapor", 400, 300, WS_OVERLAPPEDWINDOW)) {}

TForm4::TForm4() : tk::TForm(Shell("Konular", 260, 400, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN)) {}

} // namespace velmora::app
