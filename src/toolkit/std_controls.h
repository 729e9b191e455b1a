// Controls of the program's windows drawn or arranged by the toolkit: flat
// speed buttons with glyphs and hints, the tool bar that holds them and the
// status bar. The platform's standard controls are in toolkit/controls.h.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/actions.h"
#include "toolkit/control.h"
#include "toolkit/controls.h"

namespace tk {

// Shows `text` as the tooltip of the window (one tooltip control per top-level window).
void SetHint(HWND window, const std::string& text);

// A flat button with a glyph. Bound to an action it shows the action's hint,
// picture, enabled state and group, is down while the action is checked, and
// runs the action when clicked.
class TSpeedButton : public TControl, public TActionClient {
public:
    struct Params {
        TControl* parent = nullptr;
        std::string name;
        int left = 0, top = 0, width = 23, height = 22;
        std::string hint;
        std::string caption;        // centred alone, or beside the glyph when there is one
        HBITMAP glyph = nullptr;    // not owned; 16x16, the bottom-left pixel's colour is transparent
        bool dropDownArrow = false; // a small arrow at the right: the button opens a menu
        int groupIndex = 0;
        bool down = false;
        bool allowAllUp = false;
        bool flat = true;
        TAction* action = nullptr; // when set, hint, glyph, group and down come from it
    };
    explicit TSpeedButton(const Params& params);
    ~TSpeedButton() override;

    const std::string& Name() const { return name_; }
    const std::string& Hint() const { return hint_; }
    int GroupIndex() const { return groupIndex_; }
    bool AllowAllUp() const { return allowAllUp_; }
    bool Down() const { return down_; }
    // Pressing a grouped button releases the others of its group. A bound
    // button checks or unchecks its action instead (its group follows).
    void SetDown(bool down);
    bool Flat() const { return flat_; }
    HBITMAP Glyph() const { return glyph_; }
    // Same as a mouse click: group handling, then the action (or OnClick).
    void Click();
    // A drop-down button is drawn pressed while its menu is open.
    bool MenuOpen() const { return menuOpen_; }
    void SetMenuOpen(bool open);

    std::function<void()> OnClick;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void ActionChanged() override;

private:
    void Paint(HDC dc);
    std::string name_, hint_, caption_;
    HBITMAP glyph_;
    int groupIndex_;
    bool down_, allowAllUp_, flat_, dropDownArrow_;
    bool hot_ = false, pressed_ = false, menuOpen_ = false;
};

// A tool bar: a top-aligned strip whose dividers are etched vertical lines.
class TToolBar : public TControl {
public:
    TToolBar(TControl* parent, int height);
    void AddDivider(int x);
    const std::vector<int>& Dividers() const { return dividers_; }

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
    std::vector<int> dividers_;
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
