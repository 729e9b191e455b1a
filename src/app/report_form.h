// The report form: the page layout that prints the text document. Never shown itself.
#pragma once
#include "toolkit/form.h"

namespace velmora::app {

class TForm3 : public tk::TForm {
public:
    TForm3();
};

} // namespace velmora::app
