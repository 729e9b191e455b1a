#include "widgets/file_name_bar.h"

namespace velmora::widgets {

namespace {
const char* const kNameBarClass = "VelmoraFileNameBar";
} // namespace

TFileNameBar::TFileNameBar(tk::TControl* parent, int height) : font_(tk::MakeFont("Tahoma", 8)) {
    RegisterWindowClass(kNameBarClass, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, LoadCursor(nullptr, IDC_HAND),
                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    tk::WindowParams p;
    p.className = kNameBarClass;
    p.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    p.bounds = RECT{0, 0, 100, height};
    CreateControl(parent, p);
    SetAlign(tk::TAlign::alTop);
}

void TFileNameBar::SetCaption(const std::string& caption) {
    caption_ = caption;
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TFileNameBar::ShowFile(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    SetCaption(slash == std::string::npos ? path : path.substr(slash + 1));
    SetHint(slash == std::string::npos ? std::string() : path.substr(0, slash + 1));
}

LRESULT TFileNameBar::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        RECT r;
        GetClientRect(Handle(), &r);
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT); // the 2-pixel border
        InflateRect(&r, -2, -2);
        r.left += 1;
        HGDIOBJ old = SelectObject(dc, font_.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(dc, old);
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_LBUTTONUP:
        if (OnClick) OnClick();
        return 0;
    }
    return tk::TControl::WndProc(msg, wParam, lParam);
}

} // namespace velmora::widgets
