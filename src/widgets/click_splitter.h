// TClickSplitter: a thin bar between two aligned controls of one parent.
// Dragging it resizes the control on its aligned side within limits; a click on
// the raised grip in its middle collapses that control to 0 or restores it.
#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "toolkit/control.h"
#include "toolkit/exceptions.h"
#include "toolkit/gdi.h"
#include "widgets/splitter_geometry.h"

namespace velmora::widgets {

class TClickSplitter : public tk::TControl {
public:
    static constexpr const char* kClassName = "TClickSplitter";
    static constexpr const char* kVersion = "Version 0.7";
    static constexpr int kMinHandledThickness = 7;

    struct Params {
        tk::TControl* parent = nullptr;
        // Where the bar starts; its place decides its order among the aligned controls.
        int left = 0, top = 0;
        int width = 7, height = 100;
        tk::TAlign align = tk::TAlign::alLeft;
        bool handled = true;
        int handleSize = 80;
        THandleAlign handleAlign = THandleAlign::haCenter;
        int minSize = 30;
        bool visible = true;
    };
    explicit TClickSplitter(const Params& params);
    ~TClickSplitter() override;

    // Left, right, top or bottom; none and client raise an error.
    void SetAlign(tk::TAlign align) override;
    SplitSide Side() const;

    // A handled bar is at least 7 pixels thick.
    void SetWidth(int width);
    void SetHeight(int height);

    bool Handled() const { return handled_; }
    void SetHandled(bool handled);
    int HandleSize() const { return handleSize_; }
    void SetHandleSize(int size);
    THandleAlign HandleAlign() const { return handleAlign_; }
    void SetHandleAlign(THandleAlign align);
    int MinSize() const { return minSize_; }
    void SetMinSize(int size) { minSize_ = size < 0 ? 0 : size; }
    // The parent's colour until one is set.
    COLORREF Color() const;
    void SetColor(COLORREF color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool parentColor);
    // Read-only in effect: every value written becomes "Version 0.7".
    const std::string& Version() const { return version_; }
    void SetVersion(const std::string&) { version_ = kVersion; }

    // Finds the controls on either side once the parent is laid out. Runs by
    // itself when the message loop first gets to the bar; never searches again.
    void Loaded();
    tk::TControl* NeighbourBefore() const { return before_; }
    tk::TControl* NeighbourAfter() const { return after_; }

    ArrowState Arrows() const { return collapse_.Arrow(); }
    // The grip's extent along the bar for the bar's present size and settings.
    Span Grip() const;
    bool Dragging() const { return resized_ != nullptr; }
    bool DragBarShown() const { return dragBarShown_; }
    // Whether the last mouse point lies on the grip.
    bool MouseOverGrip() const;

    // May change the proposed size or refuse it.
    std::function<void(int& newSize, bool& accept)> OnCanResize;
    // After a resize and at the end of every drag.
    std::function<void()> OnMoved;
    // After the bar has painted itself.
    std::function<void(HDC)> OnPaint;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The resize question: OnCanResize.
    virtual bool CanResize(int& newSize);
    // The resize question, then the lower limit.
    virtual bool DoCanResize(int& newSize);
    virtual void Paint(HDC dc);

private:
    using Bitmap = tk::BitmapHandle;

    void CheckThickness(int width, int height) const;
    void MouseDown(Point p);
    void MouseMove(Point p, bool leftHeld);
    void MouseUp(Point p);
    void UpdateCursor();
    void ApplyNewSize();
    void EndDrag();
    void DrawDragBar();
    int ResizedExtent() const;
    void HookFocusedKeys();
    void UnhookFocusedKeys();
    static LRESULT CALLBACK FocusedKeyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    bool handled_ = true;
    int handleSize_ = 80;
    THandleAlign handleAlign_ = THandleAlign::haCenter;
    int minSize_ = 30;
    bool parentColor_ = true;
    COLORREF color_ = 0;
    std::string version_ = kVersion;
    std::array<Bitmap, 4> arrows_;

    bool loaded_ = false;
    tk::TControl* before_ = nullptr;
    tk::TControl* after_ = nullptr;
    tk::TControl* resized_ = nullptr;
    Point mouseDown_;
    Point lastMouse_{-1, -1};
    int dragOffset_ = 0;
    int newSize_ = 0;
    int largest_ = 0;
    CollapseState collapse_;
    bool dragBarShown_ = false;
    HDC dragDc_ = nullptr;
    HWND hookedWindow_ = nullptr;
    WNDPROC hookedProc_ = nullptr;
};

} // namespace velmora::widgets
