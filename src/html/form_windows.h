// The windows that show a page's form controls: real edits, buttons, check
// boxes, radio buttons, lists, drop-down lists and memos on the viewer's
// drawing surface, moved to their place when the page is painted. Reset and
// submission (the name=value pairs) work on what the windows hold.
#pragma once
#include "html/document.h"
#include "html/forms.h"
#include "toolkit/control.h"
#include "toolkit/gdi.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace velmora::html {

class TFormWindows {
public:
    struct Hooks {
        // A control was clicked (or a drop-down list changed): its ONCLICK text.
        std::function<void(TFormControlObj& control)> Clicked;
        // A submit button, Enter in an edit box or an image button.
        std::function<void(ThtmlForm& form, TFormControlObj* submitter)> Submit;
        std::function<void(TFormControlObj& control)> Focused;
        // The focus went to something that is not one of the page's controls.
        std::function<void()> FocusLeft;
    };
    explicit TFormWindows(Hooks hooks) : hooks_(std::move(hooks)) {}
    ~TFormWindows();
    TFormWindows(const TFormWindows&) = delete;
    TFormWindows& operator=(const TFormWindows&) = delete;

    // Windows for the document's controls (hidden, off-screen until placed).
    void Create(TSectionList& document, tk::TControl& surface, const std::string& preFontName,
                int32_t fontSize);
    void Clear();
    // Lets go of the windows of controls the document no longer holds (a
    // table removed by layout takes its controls with it).
    void Prune(const TSectionList& document);
    // Sizes from the windows' fonts, where they differ from the fixed rules.
    void Size(TSectionList& document);
    void Place(const TFormControlObj& control, int32_t x, int32_t y);
    void HideAll();
    // Shows the controls that are not on screen out of sight, so that Tab
    // reaches them (while a control has the focus).
    void ShowOutOfSight();
    bool Owns(HWND window) const;
    tk::TControl* Window(const TFormControlObj& control) const;
    // Whether the control's window was placed since the last HideAll.
    bool Placed(const TFormControlObj& control) const;

    void ResetForm(ThtmlForm& form);
    void Reset(TFormControlObj& control);
    // Every non-empty name=value pair of the form, then the submit button's.
    std::vector<std::string> Submission(ThtmlForm& form, TFormControlObj* submitter);
    // The click point of an image button (kept until the next submission).
    void SetClickPoint(TFormControlObj& control, int32_t x, int32_t y);

private:
    struct Entry {
        std::unique_ptr<tk::TControl> Holder; // the radio button's panel
        std::unique_ptr<tk::TControl> Window;
        tk::TControl* Shown = nullptr; // what is moved: the holder or the window
        bool Placed = false;
        bool HasClick = false;
        int32_t ClickX = 0, ClickY = 0;
    };
    std::vector<std::string> Strings(TFormControlObj& control, Entry* entry);
    void MakeWindow(TFormControlObj& control, tk::TControl& surface);

    Hooks hooks_;
    std::map<const TFormControlObj*, Entry> entries_;
    tk::FontHandle preFont_;
};

} // namespace velmora::html
