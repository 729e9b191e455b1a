// What the viewer control's source files share: the drawing surface's
// window, the scroll steps and a few small helpers.
#pragma once
#include "html/html_view.h"

#include <string>

namespace velmora::html {

namespace view_internal {

constexpr int32_t kVLineStep = 16;
constexpr int32_t kHLineStep = 15;

inline std::string FullPathOf(const std::string& name) {
    if (name.empty()) return name;
    char buffer[MAX_PATH * 2];
    const DWORD n = GetFullPathNameA(name.c_str(), sizeof buffer, buffer, nullptr);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : name;
}

inline int32_t Clamp(int32_t v, int32_t lo, int32_t hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

inline images::TGIFImage* AnimationOf(const TImageObj& image) {
    auto* picture = dynamic_cast<const TCachedPicture*>(image.Picture.get());
    return picture ? picture->Animation() : nullptr;
}

} // namespace view_internal

// The window the document is drawn on; it hands its messages to the view.
class THtmlView::Surface : public tk::TControl {
public:
    explicit Surface(THtmlView& view);

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    THtmlView& view_;
};

} // namespace velmora::html
