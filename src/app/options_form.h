// The options window: the extension table and the display and filter options.
#pragma once
#include "toolkit/form.h"

namespace velmora::app {

class TForm2 : public tk::TForm {
public:
    TForm2();
};

} // namespace velmora::app
