#include "app/topics_form.h"

namespace velmora::app {

namespace {
tk::TForm::Params TopicsParams() {
    tk::TForm::Params p;
    p.caption = "<Konular>";
    p.width = 289;
    p.height = 351;
    p.left = 37;
    p.top = 192;
    p.position = tk::TPosition::poDesigned;
    p.style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; // only the close box
    p.exStyle = WS_EX_TOPMOST;
    return p;
}
} // namespace

TForm4::TForm4() : tk::TForm(TopicsParams()) {}

} // namespace velmora::app
