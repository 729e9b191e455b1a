// The name bar across the top of every viewer panel.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "toolkit/control.h"
#include "toolkit/form.h"

namespace velmora::widgets {

// A strip across the top of a viewer panel: the shown file's name, its folder
// as the tooltip, the hand cursor; a click fires OnClick.
class TFileNameBar : public tk::TControl {
public:
    TFileNameBar(tk::TControl* parent, int height);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    // The file's name as the caption and its folder (with the trailing
    // backslash) as the tooltip; "" empties both.
    void ShowFile(const std::string& path);
    std::function<void()> OnClick;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::string caption_;
    tk::FontHandle font_;
};

} // namespace velmora::widgets
