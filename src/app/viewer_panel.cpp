#include "app/viewer_panel.h"

#include <windows.h>

#include "toolkit/control.h"

namespace velmora::app {

tk::BitmapHandle DrawButtonGlyph(const std::function<void(HDC)>& draw) {
    tk::ScreenDC screen;
    tk::BitmapHandle bitmap(CreateCompatibleBitmap(screen, 16, 16));
    {
        tk::MemoryDC dc(screen);
        dc.Select(bitmap.get());
        RECT all{0, 0, 16, 16};
        tk::BrushHandle clear(CreateSolidBrush(kGlyphClear));
        FillRect(dc, &all, clear.get());
        draw(dc);
    } // the bitmap leaves the DC before it is used
    return bitmap;
}

bool RaiseOpenFind(const std::unique_ptr<tk::FindSession>& find) {
    if (!find || !find->Active()) return false;
    if (HWND dialog = find->Window()) SetForegroundWindow(dialog);
    return true;
}

bool FocusWithin(const tk::TControl* control) {
    HWND focus = GetFocus();
    return focus && control && control->Handle() &&
           (focus == control->Handle() || IsChild(control->Handle(), focus));
}

bool OpensReadOnly(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY);
}

} // namespace velmora::app
