#include "app/options_form.h"

namespace velmora::app {

namespace {
tk::TForm::Params OptionsParams() {
    tk::TForm::Params p;
    p.caption = "Seçenekler";
    p.clientWidth = 470;
    p.clientHeight = 230;
    p.position = tk::TPosition::poMainFormCenter;
    p.style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; // fixed single border, only the close box
    return p;
}
} // namespace

TForm2::TForm2() : tk::TForm(OptionsParams()) {}

} // namespace velmora::app
