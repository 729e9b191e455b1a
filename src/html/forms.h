// Forms and form controls as the builder creates them: their kind, name,
// initial value, options and checked state. The windowed controls that show
// them belong to the viewer.
#pragma once
#include "html/tokenizer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velmora::html {

class TSectionList;
class ThtmlForm;
class TImageObj;

enum class TControlKind : uint8_t { Edit, Button, CheckBox, Radio, Hidden, Image, ListBox, Combo, TextArea };

const char* ControlKindName(TControlKind kind);

struct TSelectOption {
    std::string Text;
    std::string Value; // empty when not given
    bool Selected = false;
};

class TFormControlObj {
public:
    TFormControlObj(TControlKind kind, TSectionList* document, ThtmlForm* form,
                    const TAttributeList& attributes);
    virtual ~TFormControlObj() = default;

    TControlKind Kind;
    int32_t Pos = -1; // index of its code in the section text; -1 when not placed
    TSectionList* Document;
    ThtmlForm* Form;
    std::string Value, Name, OnClick;
    int32_t YValue = 0;
    // Size (set before layout from the fonts; the viewer may set its own)
    // and where layout put it, in document coordinates.
    int32_t Width = 0, Height = 0;
    int32_t XValue = 0;
    bool ShownSinceScroll = false;
    bool OnBaseline = false; // check boxes and radio buttons sit on the baseline

    // Edit boxes.
    bool Password = false;
    int32_t EditSize = 20; // characters
    int32_t MaxLength = 0; // 0: no limit
    // Buttons: "submit", "reset" or "button", and the caption shown.
    std::string ButtonType;
    std::string Caption;
    // Check boxes and radio buttons.
    bool Checked = false;
    // Image buttons: the image placed in the text.
    TImageObj* Image = nullptr;
    // SELECT.
    std::vector<TSelectOption> Options;
    bool Multiple = false;
    int32_t ListSize = 0; // SIZE, 0 when not given
    // TEXTAREA.
    std::vector<std::string> Lines;
    int32_t Rows = 5, Cols = 30;
    bool WordWrap = false;

    // Number of rows a list box shows.
    int32_t VisibleRows() const;
};

class ThtmlForm {
public:
    ThtmlForm(TSectionList* document, const TAttributeList* attributes);

    TSectionList* Document;
    std::string Method = "Get";
    std::string Action, Target, EncType;
    std::vector<std::unique_ptr<TFormControlObj>> Controls;
    int32_t NonHiddenCount = 0;

    // Creates the control an INPUT, SELECT or TEXTAREA tag asks for; it is
    // registered in this form and in the document's control list.
    TFormControlObj* AddControl(Sy tag, const TAttributeList& attributes);
};

} // namespace velmora::html
