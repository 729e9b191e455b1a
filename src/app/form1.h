// The main window.
#pragma once
#include "toolkit/form.h"

namespace velmora::app {

class TForm1 : public tk::TForm {
public:
    TForm1();

    static constexpr const char* kCaption = "velmora Version 3.10";

private:
    void FormCreate();
    void FormShow();
};

} // namespace velmora::app
