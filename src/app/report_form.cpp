#include "app/report_form.h"

namespace velmora::app {

namespace {
tk::TForm::Params ReportParams() {
    tk::TForm::Params p;
    p.caption = "Rapor";
    p.width = 400;
    p.height = 300;
    p.position = tk::TPosition::poScreenCenter;
    p.style = WS_OVERLAPPEDWINDOW;
    return p;
}
} // namespace

TForm3::TForm3() : tk::TForm(ReportParams()) {}

} // namespace velmora::app
