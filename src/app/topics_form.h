// The topics window: the lines of the text written as "<title>", to jump to.
#pragma once
#include "toolkit/form.h"

namespace velmora::app {

class TForm4 : public tk::TForm {
public:
    TForm4();
};

} // namespace velmora::app
