// The mouse on a THtmlView's surface (header only: for tests that link the HTML viewer).
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "html/html_view.h"
#include "support/win32_test_util.h"

namespace testing_support {

// Where the text starts on the surface (scrolled into view first).
inline POINT TextPoint(velmora::html::THtmlView& view, const std::string& text, int dx = 2) {
    velmora::html::TSectionList& doc = view.Document();
    const int32_t pos = doc.SearchText(text, true, 0);
    EXPECT_GE(pos, 0) << text;
    int32_t x = 0, y = 0;
    EXPECT_TRUE(doc.CaretPosToXY(pos, x, y)) << text;
    if (y < view.Position() || y + 10 > view.Position() + view.SurfaceHeight()) view.SetPosition(y - 20);
    return POINT{x + view.OriginX() + dx, y - view.Position() + 5};
}

// A mouse message at a point of the surface, posted.
inline void PostMouse(velmora::html::THtmlView& view, UINT msg, WPARAM keys, POINT p) {
    PostMessageA(view.SurfaceHandle(), msg, keys, MAKELPARAM(p.x, p.y));
}

// The mouse moved to the point and its left button pressed and let go there, then handled.
inline void ClickAt(velmora::html::THtmlView& view, POINT p) {
    PostMouse(view, WM_MOUSEMOVE, 0, p);
    PostMouse(view, WM_LBUTTONDOWN, MK_LBUTTON, p);
    PostMouse(view, WM_LBUTTONUP, 0, p);
    Pump(30);
}

} // namespace testing_support
