// The platform's standard controls, each made from a parameter struct that
// starts with the shared TControlParams (parent, bounds, align, visible, font,
// hint): buttons, check boxes, radio buttons, group boxes, labels, edits, memos,
// up-downs, list boxes and combo boxes (also owner-drawn). Their notifications
// come back to the object as events.
//
// Events fire for what the user does and for the same change made in code
// (setting an edit's text fires OnChange, as typing would), except where a
// setter says it is quiet.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/control.h"

namespace tk {

// The modifier keys held now: scShift | scCtrl | scAlt (toolkit/menus.h).
UINT KeyboardShiftState();

// Base of the wrapped platform controls: the key event.
class TWinControl : public TControl {
public:
    // Before the control sees the key; setting key to 0 keeps it from the control.
    std::function<void(WORD& key, UINT shift)> OnKeyDown;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Runs OnKeyDown; controls with key handling of their own override it.
    virtual void KeyDown(WORD& key, UINT shift);
};

// What an owner-drawn list box or combo box hands its drawing event. The event
// draws the whole item inside rect (the background too).
struct TDrawItem {
    int index = -1; // -1: an empty list's selection field
    HDC dc = nullptr;
    RECT rect{};
    bool selected = false;
    bool focused = false;
    bool comboEdit = false; // the selection field of a combo box, not its list
    std::string text;
};
using TDrawItemEvent = std::function<void(TDrawItem&)>;
// index -1 asks for the selection field of a combo box.
using TMeasureItemEvent = std::function<void(int index, int& height)>;

// Draws an item as an unowned list would: the text on the selection colours.
void DrawItemDefault(const TDrawItem& item);

enum class TBorderStyle {
    bsNone,
    bsSingle, // a thin line
    bsSunken  // the sunken 3-D edge
};

// ---- buttons

class TButton : public TWinControl {
public:
    struct Params : TControlParams {
        std::string caption;
        // Non-zero: a click sets the owning form's ModalResult (ending its ShowModal).
        int modalResult = 0;
        bool isDefault = false; // drawn as the default button
    };
    explicit TButton(const Params& params);

    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& caption) { SetText(caption); }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    // What a user's click does: OnClick, then the modal result.
    void Click();

    std::function<void()> OnClick;

protected:
    bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    int modalResult_;
};

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TWinControl {
public:
    struct Params : TControlParams {
        std::string caption;
        bool checked = false;
        bool allowGrayed = false; // clicks go round unchecked, checked, grayed
    };
    explicit TCheckBox(const Params& params);

    std::string Caption() const { return Text(); }
    bool Checked() const { return State() == TCheckBoxState::cbChecked; }
    // Quiet: OnClick is for the user's clicks.
    void SetChecked(bool checked);
    TCheckBoxState State() const;
    void SetState(TCheckBoxState state);
    // What a user's click does: the next state, then OnClick.
    void Click();

    std::function<void()> OnClick;

protected:
    bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool allowGrayed_;
};

// Radio buttons with the same parent form one group: checking one unchecks the others.
class TRadioButton : public TWinControl {
public:
    struct Params : TControlParams {
        std::string caption;
        bool checked = false;
    };
    explicit TRadioButton(const Params& params);

    std::string Caption() const { return Text(); }
    bool Checked() const;
    // Quiet; checking unchecks the group's others.
    void SetChecked(bool checked);
    // What a user's click does: checks this one, then OnClick.
    void Click();

    std::function<void()> OnClick;

protected:
    bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// A framed box with a caption; the controls placed on it are its children.
class TGroupBox : public TWinControl {
public:
    struct Params : TControlParams {
        std::string caption;
    };
    explicit TGroupBox(const Params& params);
    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& caption) { SetText(caption); }
};

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// A static text.
class TLabel : public TWinControl {
public:
    struct Params : TControlParams {
        std::string caption;
        TAlignment alignment = TAlignment::taLeftJustify;
        bool wordWrap = false;
    };
    explicit TLabel(const Params& params);
    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& caption) { SetText(caption); }

    std::function<void()> OnClick;

protected:
    bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// ---- edits

class TEdit : public TWinControl {
public:
    struct Params : TControlParams {
        std::string text;
        bool readOnly = false;
        int maxLength = 0; // 0: no limit of ours
        TBorderStyle border = TBorderStyle::bsSunken;
        bool numbersOnly = false;
        TAlignment alignment = TAlignment::taLeftJustify;
    };
    explicit TEdit(const Params& params);

    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    int MaxLength() const;
    void SetMaxLength(int length);
    bool Modified() const;
    void SetModified(bool modified);
    int SelStart() const;
    int SelLength() const;
    void SetSel(int start, int length);
    std::string SelText() const;
    // Replaces the selection (an undoable edit).
    void SetSelText(const std::string& text);
    void SelectAll() { SetSel(0, -1); }

    // The text changed, typed or set.
    std::function<void()> OnChange;

private:
    bool settingText_ = false;

protected:
    TEdit() = default; // for TMemo
    void CreateEdit(const TControlParams& common, DWORD style, const std::string& text, TBorderStyle border);
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// A multi-line edit.
class TMemo : public TEdit {
public:
    struct Params : TControlParams {
        std::vector<std::string> lines;
        bool readOnly = false;
        bool wordWrap = true;
        bool wantTabs = false;
        TScrollStyle scrollBars = TScrollStyle::ssVertical;
        TBorderStyle border = TBorderStyle::bsSunken;
    };
    explicit TMemo(const Params& params);

    int LineCount() const;
    std::string Line(int index) const;
    std::vector<std::string> Lines() const;
    void SetLines(const std::vector<std::string>& lines);
    bool WantTabs() const { return wantTabs_; }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool wantTabs_ = false;
};

// Up and down arrows beside an edit, whose text they step as a number.
class TUpDown : public TWinControl {
public:
    struct Params : TControlParams {
        TControl* associate = nullptr; // the edit; the arrows sit inside its right edge
        int min = 0, max = 100, position = 0, increment = 1;
        bool wrap = false;
        bool arrowKeys = true;
        bool horizontal = false;
    };
    explicit TUpDown(const Params& params);

    int Position() const;
    // Also writes the associated edit's text.
    void SetPosition(int position);
    int Min() const;
    int Max() const;
    void SetRange(int min, int max);
    int Increment() const;
    void SetIncrement(int increment);
    TControl* Associate() const { return associate_; }

    // An arrow was pressed (the position has moved already).
    std::function<void(bool up)> OnClick;

protected:
    bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    TControl* associate_;
    int pendingDelta_ = 0;
};

// ---- lists

enum class TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

class TListBox : public TWinControl {
public:
    struct Params : TControlParams {
        std::vector<std::string> items;
        TListBoxStyle style = TListBoxStyle::lbStandard;
        int itemHeight = 0; // 0: the font's
        bool sorted = false;
        bool multiSelect = false;
        TBorderStyle border = TBorderStyle::bsSunken;
        // Creation-time events (an owner-drawn list measures while it is made).
        TMeasureItemEvent onMeasureItem;
        TDrawItemEvent onDrawItem;
    };
    explicit TListBox(const Params& params);

    int Count() const;
    std::string Item(int index) const;
    std::vector<std::string> Items() const;
    void SetItems(const std::vector<std::string>& items);
    // Returns the new item's index (its sorted place in a sorted list).
    int AddItem(const std::string& text);
    void DeleteItem(int index);
    void Clear();
    // A value the owner keeps with an item (a colour, an index).
    LPARAM ItemData(int index) const;
    void SetItemData(int index, LPARAM data);
    // The item whose text equals text ignoring case, or -1.
    int IndexOf(const std::string& text) const;
    // Quiet; -1 for none.
    int ItemIndex() const;
    void SetItemIndex(int index);
    bool Selected(int index) const; // for multi-select lists
    void SetSelected(int index, bool selected);
    int SelCount() const;
    int TopIndex() const;
    void SetTopIndex(int index);
    int ItemHeight() const;
    void SetItemHeight(int height);

    // The selection changed by mouse or keyboard.
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    TMeasureItemEvent OnMeasureItem;
    TDrawItemEvent OnDrawItem;

protected:
    bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    int itemHeight_;
};

enum class TComboBoxStyle {
    csDropDown,         // an edit with a drop-down list
    csSimple,           // an edit with the list always shown below it
    csDropDownList,     // a drop-down list without an edit
    csOwnerDrawFixed,   // a drop-down list the owner draws, items of one height
    csOwnerDrawVariable // the same, items measured one by one
};

class TComboBox : public TWinControl {
public:
    struct Params : TControlParams {
        std::vector<std::string> items;
        TComboBoxStyle style = TComboBoxStyle::csDropDown;
        int dropDownCount = 8; // items the dropped list shows
        int itemHeight = 0;    // 0: measured (the font's height for owner-drawn lists)
        bool sorted = false;
        int maxLength = 0;
        // Creation-time events (an owner-drawn combo box measures while it is made).
        TMeasureItemEvent onMeasureItem;
        TDrawItemEvent onDrawItem;
    };
    explicit TComboBox(const Params& params);

    TComboBoxStyle Style() const { return style_; }
    int Count() const;
    std::string Item(int index) const;
    std::vector<std::string> Items() const;
    // Quiet.
    void SetItems(const std::vector<std::string>& items);
    int AddItem(const std::string& text);
    void DeleteItem(int index);
    void Clear();
    // A value the owner keeps with an item (a colour, an index).
    LPARAM ItemData(int index) const;
    void SetItemData(int index, LPARAM data);
    // Exact text ignoring case, or -1.
    int IndexOf(const std::string& text) const;
    // Quiet; -1 for none.
    int ItemIndex() const;
    void SetItemIndex(int index);
    // Sets the edit's text without running OnChange.
    void SetTextQuietly(const std::string& text);
    bool DroppedDown() const;
    void SetDroppedDown(bool dropped);
    // index -1: the selection field.
    int ItemHeight(int index = 0) const;

    // The user typed or picked an entry.
    std::function<void()> OnChange;
    std::function<void()> OnDropDown;
    std::function<void()> OnCloseUp;
    TMeasureItemEvent OnMeasureItem;
    TDrawItemEvent OnDrawItem;

protected:
    bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    TComboBoxStyle style_;
    int itemHeight_;
    int fieldHeight_ = 0; // what the owner measured for the selection field
    bool quiet_ = false;
};

} // namespace tk
