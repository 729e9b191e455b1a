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

class TControl;

// What every control's parameter struct starts with.
struct TControlParams {
    TControl* parent = nullptr;
    RECT bounds{0, 0, 0, 0};
    TAlign align = TAlign::alNone;
    bool visible = true;
    HFONT font = nullptr; // not owned; null: the parent's font
    std::string hint{};   // shown as a tooltip
};

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
    // The font the control draws with (its parent's unless set); not owned.
    HFONT Font() const;
    void SetFont(HFONT font);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
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
    // Creates the control from the shared parameters: parent, bounds, WS_VISIBLE,
    // font (the parent's when none), hint and alignment. A child without an id
    // gets one of its own, so notifications that carry only the id find it.
    void CreateControl(const TControlParams& common, WindowParams params);
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void HandleDestroyed() override;
    // The area the aligned children share (the client rectangle by default).
    virtual RECT AlignRect() const;
    // Notifications a platform control sends to its parent (WM_NOTIFY, WM_COMMAND,
    // WM_DRAWITEM, WM_MEASUREITEM, WM_DELETEITEM, WM_COMPAREITEM, WM_CTLCOLOR*,
    // WM_HSCROLL, WM_VSCROLL) are handed
    // back to the control's own object first; return true when handled.
    virtual bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void UpdateBoundsFromWindow();
    TControl* ChildWithId(UINT id) const;

    TControl* parent_ = nullptr;
    std::vector<TControl*> children_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = TAlign::alNone;
    TPopupMenu* popupMenu_ = nullptr;
    HFONT font_ = nullptr; // what WM_SETFONT gave a window of our own class
    std::string hint_;
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
