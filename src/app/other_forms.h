// The options window, the report form and the topics window.
#pragma once
#include "toolkit/form.h"

namespace velmora::app {

class TForm2 : public tk::TForm {
public:
    TForm2();
};

class TForm3 : public tk::TForm {
public:
    TForm3();
};

class TForm4 : public tk::TForm {
public:
    TForm4();
};

} // namespace velmora::app
