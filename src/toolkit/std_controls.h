// Controls of the program's windows drawn or arranged by the toolkit: the tool
// bar with its flat speed buttons, glyphs and hints, and the status bar. The
// platform's standard controls are in toolkit/controls.h.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/actions.h"
#include "toolkit/control.h"
#include "toolkit/controls.h"
#include "toolkit/gdi.h"

namespace tk {

// Shows `text` as the tooltip of the window (one tooltip control per top-level window).
void SetHint(HWND window, const std::string& text);
// The tooltip control of the window's top-level window, made on first use.
HWND HintWindow(HWND window);

class TToolBar;

// A flat button with a glyph: an item of its tool bar, which draws it and
// handles its mouse (no window of its own, so it never takes the focus).
// Bound to an action it shows the action's hint, picture, enabled state and
// group, is down while the action is checked, and runs the action when clicked.
class TSpeedButton : public TActionClient {
public:
    struct Params {
        TToolBar* parent = nullptr;
        std::string name{};
        int left = 0, top = 0, width = 23, height = 22;
        std::string hint{};
        std::string caption{};      // centred alone, or beside the glyph when there is one
        HBITMAP glyph = nullptr;    // not owned; 16x16, the bottom-left pixel's colour is transparent
        bool dropDownArrow = false; // a small arrow at the right: the button opens a menu
        int groupIndex = 0;
        bool down = false;
        bool allowAllUp = false;
        bool flat = true;
        bool visible = true;
        TAction* action = nullptr; // when set, hint, glyph, group and down come from it
    };
    explicit TSpeedButton(const Params& params);
    ~TSpeedButton();
    TSpeedButton(const TSpeedButton&) = delete;
    TSpeedButton& operator=(const TSpeedButton&) = delete;

    // The bar it belongs to (null once the bar is gone).
    TToolBar* ToolBar() const { return bar_; }
    const std::string& Name() const { return name_; }
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    const std::string& Caption() const { return caption_; }
    int GroupIndex() const { return groupIndex_; }
    bool AllowAllUp() const { return allowAllUp_; }
    bool Down() const { return down_; }
    // Pressing a grouped button releases the others of its group. A bound
    // button checks or unchecks its action instead (its group follows).
    void SetDown(bool down);
    bool Flat() const { return flat_; }
    HBITMAP Glyph() const { return glyph_; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Same as a mouse click: group handling, then the action (or OnClick).
    void Click();
    // A drop-down button is drawn pressed while its menu is open.
    bool MenuOpen() const { return menuOpen_; }
    void SetMenuOpen(bool open);
    // The mouse is over it; the left button went down on it and is still held.
    bool Hot() const;
    bool Pressed() const;

    // Where it stands in its bar's client area, and on the screen.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    RECT ScreenRect() const;
    void SetBounds(int left, int top, int width, int height);
    // The id of its tool in the bar's tooltip control (with the bar's window).
    UINT_PTR ToolId() const { return toolId_; }
    void Invalidate() const;

    std::function<void()> OnClick;

protected:
    void ActionChanged() override;

private:
    friend class TToolBar;
    void Paint(HDC dc, HFONT font, bool hot, bool pressed) const;

    TToolBar* bar_;
    std::string name_, hint_, caption_;
    HBITMAP glyph_;
    int left_, top_, width_, height_;
    int groupIndex_;
    bool down_, allowAllUp_, flat_, dropDownArrow_;
    bool enabled_ = true, visible_, menuOpen_ = false;
    UINT_PTR toolId_ = 0;
};

// A tool bar: a top-aligned strip whose dividers are etched vertical lines.
// It draws its speed buttons and tracks the mouse over them, and shows their
// hints through one tool per button in the top-level window's tooltip control.
class TToolBar : public TControl {
public:
    TToolBar(TControl* parent, int height);
    ~TToolBar() override;
    void AddDivider(int x);
    const std::vector<int>& Dividers() const { return dividers_; }
    // Its buttons, in the order they were made.
    const std::vector<TSpeedButton*>& Buttons() const { return buttons_; }
    // The visible button at a point of the client area, or null.
    TSpeedButton* ButtonAt(POINT pt) const;
    // The tooltip control holding the buttons' hints.
    HWND HintWindow() const;

    // One button of a row bound to an action (hint, glyph, group and state come
    // from the action); an etched divider may stand before it.
    struct ButtonRow {
        const char* name;
        const char* action;
        bool dividerBefore;
    };
    static constexpr int kButtonWidth = 23, kButtonHeight = 22;
    static constexpr int kDividerSpace = 8; // room for an etched line between groups
    // Adds the row's buttons from x on, centred in the bar's height, to `out`;
    // returns the x after the last one.
    int AddActionButtons(int x, const std::vector<ButtonRow>& rows, TActionList& actions,
                         std::vector<std::unique_ptr<TSpeedButton>>& out);

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    friend class TSpeedButton;
    void Attach(TSpeedButton* button);
    void Detach(TSpeedButton* button);
    // Adds, moves or retexts the button's tool.
    void UpdateTool(const TSpeedButton& button, bool text);
    void RemoveTool(const TSpeedButton& button);
    void SetHot(TSpeedButton* button);
    // Paints the update rectangle through one off-screen buffer.
    void PaintTo(HDC dc, const RECT& update);
    // Draws the dividers and the visible buttons meeting `area` on the DC,
    // whose logical coordinates are the client area's.
    void Draw(HDC dc, const RECT& area, bool background) const;
    // The buffer for a paint of width x height like the DC (kept between paints).
    HBITMAP Buffer(HDC like, int width, int height);
    void MouseMove(POINT pt);
    void TrackLeave();

    std::vector<int> dividers_;
    std::vector<TSpeedButton*> buttons_;
    TSpeedButton* hot_ = nullptr;     // under the mouse
    TSpeedButton* pressed_ = nullptr; // the left button went down on it; the bar holds the capture
    bool tracking_ = false;           // a WM_MOUSELEAVE is asked for
    UINT_PTR nextToolId_ = 1;
    BitmapHandle buffer_;
    int bufferWidth_ = 0, bufferHeight_ = 0, bufferBits_ = 0;
};

class TStatusBar : public TControl {
public:
    TStatusBar(TControl* parent, const std::vector<int>& widths, HFONT font);
    void SetPanelText(int index, const std::string& text);
    std::string PanelText(int index) const;
    std::vector<int> PanelWidths() const { return widths_; }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void ApplyParts();
    std::vector<int> widths_;
};

} // namespace tk
