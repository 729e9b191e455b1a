// Controls with the toolkit's alignment: children aligned top, bottom, left,
// right or client are laid out in that order whenever the parent changes size.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/window.h"

namespace tk {

class TPopupMenu;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TControl : public TWindow {
public:
    ~TControl() override;

    TControl* Parent() const { return parent_; }
    const std::vector<TControl*>& Controls() const { return children_; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    int ClientWidth() const;
    int ClientHeight() const;

    TAlign Align() const { return align_; }
    virtual void SetAlign(TAlign align);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);

    std::string Text() const;
    void SetText(const std::string& text);
    void SetFocus();
    bool Focused() const;
    void Invalidate();
    void Repaint();

    // Lays out the aligned children (the toolkit's order: top, bottom, left, right, client).
    virtual void AlignControls();
    void Realign();

    // The context menu shown on a right click (and searched first for shortcuts). Not owned.
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }

    std::function<void()> OnResize;

protected:
    // parent may be null for top-level windows.
    void CreateControl(TControl* parent, const WindowParams& params);
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void HandleDestroyed() override;
    // The area the aligned children share (the client rectangle by default).
    virtual RECT AlignRect() const;
    // Notifications a platform control sends to its parent (WM_NOTIFY, WM_COMMAND,
    // WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR*, WM_HSCROLL, WM_VSCROLL) are handed
    // back to the control's own object first; return true when handled.
    virtual bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void UpdateBoundsFromWindow();

    TControl* parent_ = nullptr;
    std::vector<TControl*> children_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = TAlign::alNone;
    TPopupMenu* popupMenu_ = nullptr;
    bool visible_ = true;
    bool aligning_ = false;
};

// A panel with the toolkit's bevels: a raised inner and a lowered outer bevel.
enum class TBevel { bvNone, bvLowered, bvRaised };

class TPanel : public TControl {
public:
    struct Params {
        TControl* parent = nullptr;
        RECT bounds{0, 0, 100, 100};
        TAlign align = TAlign::alNone;
        TBevel bevelInner = TBevel::bvNone;
        TBevel bevelOuter = TBevel::bvRaised;
        std::string caption;
        bool visible = true;
    };
    explicit TPanel(const Params& params);
    int BevelWidth() const;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    RECT AlignRect() const override;

private:
    TBevel inner_, outer_;
};

} // namespace tk
