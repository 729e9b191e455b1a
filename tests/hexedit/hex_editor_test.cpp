#include "hexedit/hex_editor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <memory>

#include "hexedit/screenshot.h"
#include "support/panel_host.h"
#include "support/scripted_dialogs.h"
#include "support/win32_test_util.h"
#include "toolkit/form.h"

using namespace velmora::hex;
using testing_support::PanelHost;
using testing_support::Pump;

namespace {

// The keys and buttons the control asks the system about.
void HoldKeys(std::initializer_list<int> down) {
    BYTE state[256];
    GetKeyboardState(state);
    for (int vk : {VK_SHIFT, VK_LSHIFT, VK_RSHIFT, VK_CONTROL, VK_LCONTROL, VK_RCONTROL, VK_MENU, VK_LMENU,
                   VK_RMENU, VK_LBUTTON})
        state[vk] = 0;
    for (int vk : down)
        state[vk] = 0x80;
    SetKeyboardState(state);
}

class HexEditorTest : public PanelHost {
protected:
    void SetUp() override {
        THexEditor::Params ep;
        ep.parent = form;
        ep.align = tk::TAlign::alClient;
        editor = std::make_unique<THexEditor>(ep);
        editor->SetFont("Courier New", 13, true);
        TColors colors = editor->Colors();
        colors.PositionBackground = 0x000080;
        colors.PositionText = 0x0000FF;
        colors.ChangedBackground = clWindow;
        colors.ChangedText = 0x0000FF;
        colors.CursorFrame = 0;
        editor->SetColors(colors);
        editor->SetFocusFrame(false);
        form->Realign();
        editor->SetFocus();
        HoldKeys({});
        Pump(20);
    }
    static void SetUpTestSuite() {
        OpenHost({.caption = "hex", .width = 720, .height = 420, .foreground = true, .left = 0, .top = 0});
    }
    static void TearDownTestSuite() { CloseHost(); }
    void TearDown() override {
        HoldKeys({});
        editor.reset();
    }

    void Load(const std::string& data) {
        path = folder->File("data.bin", data);
        ASSERT_TRUE(editor->LoadFromFile(path));
        Pump(10);
    }
    void Key(WPARAM vk, std::initializer_list<int> held = {}) {
        HoldKeys(held);
        SendMessageA(editor->Handle(), WM_KEYDOWN, vk, 1);
        SendMessageA(editor->Handle(), WM_KEYUP, vk, 0xC0000001);
        HoldKeys({});
    }
    void Type(char c) { SendMessageA(editor->Handle(), WM_CHAR, static_cast<unsigned char>(c), 1); }
    void Click(int32_t col, int32_t row, int dx = 2) {
        RECT r = editor->CellRect(col, row);
        ASSERT_FALSE(IsRectEmpty(&r)) << col << "," << row;
        LPARAM at = MAKELPARAM(r.left + dx, r.top + 2);
        HoldKeys({VK_LBUTTON});
        SendMessageA(editor->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        HoldKeys({});
        SendMessageA(editor->Handle(), WM_LBUTTONUP, 0, at);
    }
    uint8_t Byte(int32_t i) { return editor->Document().ByteAt(i); }
    std::pair<int32_t, int32_t> Cell() { return {editor->Col(), editor->Row()}; }

    std::string path;
    std::unique_ptr<THexEditor> editor;
};

std::string Sequence(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += static_cast<char>(i);
    return s;
}

} // namespace

TEST_F(HexEditorTest, TypingHexDigits) {
    Load("\x3C\x12\x22");
    EXPECT_EQ(Cell(), std::make_pair(2, 0));
    Type('A'); // upper-case letters are not hex digits here
    EXPECT_EQ(Byte(0), 0x3C);
    EXPECT_FALSE(editor->Modified());
    Type('a');
    EXPECT_EQ(Byte(0), 0xAC);
    EXPECT_TRUE(editor->Modified());
    EXPECT_EQ(Cell(), std::make_pair(3, 0));
    EXPECT_TRUE(editor->Document().IsChanged(0));
    // The changed byte shows in the changed colours.
    CellLook look = editor->LookOfCell(2, 0);
    EXPECT_EQ(look.text, "A");
    EXPECT_EQ(look.textColor, 0x0000FFu);
    // Typing the same nibble records nothing.
    Key(VK_LEFT);
    Type('a');
    EXPECT_EQ(editor->Document().UndoRecordCount(), 1);
    // The last nibble of the last byte leaves the caret there.
    Key(VK_END);
    Key(VK_RIGHT);
    EXPECT_EQ(Cell(), std::make_pair(7, 0));
    Type('f');
    EXPECT_EQ(Byte(2), 0x2F);
    EXPECT_EQ(Cell(), std::make_pair(7, 0));
    // Swapped nibbles: the first hex cell shows and edits the low nibble.
    editor->SetSwapNibbles(true);
    EXPECT_EQ(editor->LookOfCell(4, 0).text, "2");
    Key(VK_HOME);
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    EXPECT_EQ(Cell(), std::make_pair(4, 0));
    Type('9');
    EXPECT_EQ(Byte(1), 0x19);
}

TEST_F(HexEditorTest, TypingCharactersThroughTheTranslation) {
    Load("abcdefghijklmnopqr");
    Key(VK_TAB);
    EXPECT_EQ(Cell(), std::make_pair(35, 0));
    Type('Z');
    EXPECT_EQ(Byte(0), 'Z');
    Type('\x07'); // below 32: refused
    EXPECT_EQ(Byte(1), 'b');
    editor->SetTranslation(TTranslationType::ttEBCDIC);
    Type('A');
    EXPECT_EQ(Byte(1), 0xC1);
    Type('[');
    EXPECT_EQ(Byte(2), 'c');
    EXPECT_EQ(editor->LookOfCell(36, 0).text, "A");
    editor->SetTranslation(TTranslationType::ttAnsi);
    // Right after Alt is released a character goes in through the OEM code page, even below 32.
    SendMessageA(editor->Handle(), WM_SYSKEYUP, VK_MENU, 0xC0000001);
    EXPECT_TRUE(editor->AltReleased());
    Type('\x07');
    EXPECT_EQ(Byte(2), 0x07);
    EXPECT_FALSE(editor->AltReleased());
    // The end of the row wraps to the first character of the next row.
    Key(VK_END);
    Type('!');
    EXPECT_EQ(Cell(), std::make_pair(35, 1));
    // Tab goes back to the byte's first hex cell.
    Key(VK_TAB);
    EXPECT_EQ(Cell(), std::make_pair(2, 1));
}

TEST_F(HexEditorTest, EndRightHomeAndBackspace) {
    Load(Sequence(20));
    Key(VK_DOWN);
    Key(VK_END);
    EXPECT_EQ(Cell(), std::make_pair(2 + 2 * 3, 1));
    Key(VK_RIGHT);
    EXPECT_EQ(Cell(), std::make_pair(9, 1));
    Key(VK_RIGHT);
    EXPECT_EQ(Cell(), std::make_pair(9, 1));
    Key(VK_HOME);
    EXPECT_EQ(Cell(), std::make_pair(2, 1));
    Key(VK_BACK); // does not go to the previous row
    EXPECT_EQ(Cell(), std::make_pair(2, 1));
    Key(VK_LEFT);
    EXPECT_EQ(Cell(), std::make_pair(33, 0));
    Key(VK_HOME, {VK_CONTROL});
    EXPECT_EQ(Cell(), std::make_pair(2, 0));
    Key(VK_LEFT);
    EXPECT_EQ(Cell(), std::make_pair(2, 0));
    Key(VK_END, {VK_CONTROL});
    EXPECT_EQ(Cell(), std::make_pair(8, 1));
    Key(VK_DOWN);
    EXPECT_EQ(Cell(), std::make_pair(8, 1));
}

TEST_F(HexEditorTest, ClicksOnTheSeparatorAndPastTheEnd) {
    Load(Sequence(20));
    Click(10, 0);
    EXPECT_EQ(Cell(), std::make_pair(10, 0));
    Click(34, 0); // separator column
    EXPECT_EQ(Cell(), std::make_pair(33, 0));
    Click(40, 0); // character field
    EXPECT_EQ(Cell(), std::make_pair(40, 0));
    Click(45, 1); // after the last byte: the last byte in the caret's field
    EXPECT_EQ(Cell(), std::make_pair(35 + 3, 1));
    Click(4, 1);
    Click(20, 1); // now from the hex field
    EXPECT_EQ(Cell(), std::make_pair(8, 1));
}

TEST_F(HexEditorTest, ShiftSelects) {
    Load(Sequence(40));
    Key(VK_SHIFT, {VK_SHIFT});
    EXPECT_TRUE(editor->Document().Selecting());
    for (int i = 0; i < 3; ++i)
        Key(VK_RIGHT, {VK_SHIFT});
    EXPECT_EQ(editor->Document().SelectionStart(), 0);
    EXPECT_EQ(editor->Document().SelectionEnd(), 1);
    // A selected unchanged hex digit: inverse group colour on the group colour.
    CellLook look = editor->LookOfCell(2, 0);
    EXPECT_EQ(look.background, 0xFF0000u);
    EXPECT_EQ(look.textColor, 0x00FFFFu);
    Key(VK_RIGHT); // a key without modifiers ends selection mode
    EXPECT_FALSE(editor->Document().HasSelection());
    Key(VK_HOME);
    Key(VK_TAB);
    Key(VK_SHIFT, {VK_SHIFT});
    for (int i = 0; i < 3; ++i)
        Key(VK_RIGHT, {VK_SHIFT});
    EXPECT_EQ(editor->Document().SelectionStart(), 0);
    EXPECT_EQ(editor->Document().SelectionEnd(), 3);
    EXPECT_EQ(editor->LookOfCell(36, 0).background, GetSysColor(COLOR_WINDOWTEXT));
    // Mouse: press and drag selects from the pressed byte.
    Click(2, 1);
    EXPECT_FALSE(editor->Document().HasSelection());
    RECT r = editor->CellRect(9, 1);
    HoldKeys({VK_LBUTTON});
    SendMessageA(editor->Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(editor->CellRect(2, 1).left + 1, r.top + 2));
    SendMessageA(editor->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r.left + 1, r.top + 2));
    SendMessageA(editor->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(r.left + 1, r.top + 2));
    HoldKeys({});
    EXPECT_EQ(editor->Document().SelectionStart(), 16);
    EXPECT_EQ(editor->Document().SelectionEnd(), 19);
    // Ctrl+Del removes the selection.
    Key(VK_DELETE, {VK_CONTROL});
    EXPECT_EQ(editor->DataSize(), 36);
    EXPECT_EQ(Byte(16), 20);
    EXPECT_EQ(Cell(), std::make_pair(2, 1));
    Key(VK_DELETE, {VK_CONTROL}); // no selection: the caret byte
    EXPECT_EQ(Byte(16), 21);
}

TEST_F(HexEditorTest, Markers) {
    Load(Sequence(100));
    Key(VK_DOWN);
    Key(VK_DOWN);
    Key(VK_RIGHT);
    Key('3', {VK_CONTROL, VK_SHIFT});
    CellLook look = editor->LookOfCell(1, 2);
    EXPECT_EQ(look.text, "3");
    EXPECT_TRUE(look.markerFont);
    EXPECT_EQ(look.background, 0x000080u);
    EXPECT_EQ(look.textColor, 0x0000FFu);
    EXPECT_EQ(editor->MarkerFontPoints(), 8); // 10 points at three quarters, 7.5 to even
    Key(VK_UP);
    Key(VK_UP);
    Key('3', {VK_CONTROL});
    EXPECT_EQ(Cell(), std::make_pair(2, 2));
    Key(VK_DOWN);
    Key(VK_RIGHT);
    Key('4', {VK_CONTROL}); // unset: the caret row
    EXPECT_EQ(Cell(), std::make_pair(2, 3));
    // Shrink below the marker: Ctrl+3 moves the marker to row 1 and leaves the caret.
    editor->Document().SetSelStart(0);
    editor->Document().SetSelEnd(90);
    editor->DeleteSelection();
    EXPECT_EQ(editor->DataSize(), 9);
    Key('3', {VK_CONTROL});
    EXPECT_EQ(editor->Document().RawMarker(3), 1);
    EXPECT_EQ(Cell(), std::make_pair(2, 0));
}

TEST_F(HexEditorTest, OffsetsGroupsAndWidths) {
    const int cw = editor->CharWidth();
    EXPECT_EQ(cw, 8);
    EXPECT_EQ(editor->RowHeightPixels(), 17);
    Load(Sequence(255));
    EXPECT_EQ(editor->ColWidth(0), 5 * cw);
    EXPECT_EQ(editor->LookOfCell(0, 15).text, "0xF0:");
    Load(Sequence(256));
    EXPECT_EQ(editor->ColWidth(0), 6 * cw);
    EXPECT_EQ(editor->LookOfCell(0, 0).text, "0x000:");
    Load(std::string(1000, 'x'));
    editor->SetOffsetDisplay(TOffsetDisplayStyle::odDec);
    EXPECT_EQ(editor->ColWidth(0), 5 * cw);
    EXPECT_EQ(editor->LookOfCell(0, 1).text, "0016:");
    editor->SetOffsetDisplay(TOffsetDisplayStyle::odHex);
    // Groups of two bytes: blue, navy, blue...; a blank character after each group.
    EXPECT_EQ(editor->ColWidth(1), cw);
    EXPECT_EQ(editor->ColWidth(2), cw);
    EXPECT_EQ(editor->ColWidth(5), 2 * cw);
    EXPECT_EQ(editor->ColWidth(34), cw);
    EXPECT_EQ(editor->LookOfCell(2, 0).textColor, 0xFF0000u);
    EXPECT_EQ(editor->LookOfCell(5, 0).textColor, 0xFF0000u);
    EXPECT_EQ(editor->LookOfCell(6, 0).textColor, 0x800000u);
    EXPECT_EQ(editor->LookOfCell(10, 0).textColor, 0xFF0000u);
    EXPECT_EQ(editor->LookOfCell(2, 0).text, "7");
    EXPECT_EQ(editor->LookOfCell(3, 0).text, "8");
    EXPECT_EQ(editor->LookOfCell(35, 0).text, "x");
    EXPECT_EQ(editor->LookOfCell(34, 0).text, " ");
    // The caret's twin cell is framed.
    editor->SetFocus();
    ASSERT_TRUE(editor->Focused());
    EXPECT_TRUE(editor->LookOfCell(35, 0).twinFrame);
    // Past the end: blanks.
    EXPECT_EQ(editor->LookOfCell(20, 62).text, " ");
}

TEST_F(HexEditorTest, EmptyDocument) {
    Load("");
    EXPECT_EQ(editor->LookOfCell(0, 0).text, "0x0:");
    EXPECT_EQ(editor->LookOfCell(5, 0).text, "   ");
    EXPECT_EQ(editor->RowCount(), 1);
    Key(VK_RIGHT);
    Key(VK_TAB);
    Type('a');
    EXPECT_EQ(Cell(), std::make_pair(2, 0));
    EXPECT_FALSE(editor->Modified());
    const uint8_t ff = 0xFF;
    editor->AppendBytes(&ff, 1);
    EXPECT_EQ(editor->DataSize(), 1);
    EXPECT_EQ(editor->LookOfCell(2, 0).text, "F");
    EXPECT_EQ(editor->LastUndoText(), "Append buffer");
}

// A refused load empties the control: no rows of the previous file stay on
// screen under the new name, and typing changes nothing.
TEST_F(HexEditorTest, RefusedLoadEmptiesTheControl) {
    Load(std::string(100, 'p'));
    Type('a');
    ASSERT_TRUE(editor->Modified());
    EXPECT_FALSE(editor->LoadFromFile(path + ".missing"));
    EXPECT_EQ(editor->LastError(), HexError::NotFound);
    EXPECT_FALSE(editor->LastErrorText().empty());
    EXPECT_EQ(editor->DataSize(), 0);
    EXPECT_EQ(editor->RowCount(), 1);
    EXPECT_EQ(editor->LookOfCell(0, 0).text, "0x0:");
    EXPECT_EQ(editor->LookOfCell(5, 0).text, "   ");
    EXPECT_EQ(editor->FileName(), "");
    EXPECT_TRUE(editor->ReadOnlyDoc());
    EXPECT_FALSE(editor->Modified());
    Type('b');
    EXPECT_EQ(editor->DataSize(), 0);
    EXPECT_FALSE(editor->Modified());
}

TEST_F(HexEditorTest, SystemCaretFollowsTheCurrentCell) {
    Load(std::string(4000, 'c'));
    editor->SetFocus();
    ASSERT_TRUE(editor->Focused());
    for (TCaretStyle style : {TCaretStyle::csLeftLine, TCaretStyle::csBottomLine, TCaretStyle::csFull}) {
        editor->SetCaretStyle(style);
        Key(VK_RIGHT);
        Key(VK_DOWN);
        Pump(10);
        POINT at;
        ASSERT_TRUE(GetCaretPos(&at));
        RECT r = editor->CellRect(editor->Col(), editor->Row());
        EXPECT_EQ(at.x, r.left);
        EXPECT_EQ(at.y, r.top);
    }
    // Scrolled away from the current cell: the caret waits off-screen.
    SendMessageA(editor->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
    SendMessageA(editor->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
    POINT at;
    ASSERT_TRUE(GetCaretPos(&at));
    EXPECT_EQ(at.x, -50);
    EXPECT_EQ(at.y, -50);
    EXPECT_EQ(editor->Row(), 3);
}

TEST_F(HexEditorTest, StateChangesArePosted) {
    Load(Sequence(40));
    int calls = 0;
    editor->OnStateChanged = [&](THexEditor&) { ++calls; };
    editor->Document().ExtendSelection(0, 3);
    editor->Document().ClearSelection(false);
    EXPECT_EQ(calls, 0);
    Pump(20);
    EXPECT_EQ(calls, 2);
}

TEST_F(HexEditorTest, PaintingAScreenReadsOneWindow) {
    Load(std::string(1 << 20, 'q'));
    editor->SetSelStart(600000);
    UpdateWindow(editor->Handle());
    int64_t before = editor->Document().WindowLoads();
    editor->SetTopRow(editor->TopRow() + 3000); // far away: one new window
    UpdateWindow(editor->Handle());
    EXPECT_LE(editor->Document().WindowLoads() - before, 1);
    before = editor->Document().WindowLoads();
    editor->SetTopRow(editor->TopRow() + 20); // near: none
    UpdateWindow(editor->Handle());
    EXPECT_EQ(editor->Document().WindowLoads(), before);
}

TEST_F(HexEditorTest, Screenshot) {
    // VELMORA_HEX_SHOT=C:\\prefix saves what the control looks like.
    std::string data = "MZ\x90\x00\x03 velmora hex editor: bytes, groups and characters.";
    for (int i = 0; i < 300; ++i)
        data += static_cast<char>(i * 37);
    Load(data);
    editor->Document().ChangeByte(Byte(5), 0x41, 5);
    Key('2', {VK_CONTROL, VK_SHIFT});
    Key(VK_DOWN);
    Key(VK_SHIFT, {VK_SHIFT});
    for (int i = 0; i < 9; ++i)
        Key(VK_RIGHT, {VK_SHIFT});
    Pump(30);
    SaveWindowShot(editor->Handle(), "_editor");
}
