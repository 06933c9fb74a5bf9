// The server grid's in-place editor in a real window under Wine, given the
// messages a key press brings it: the key, the character TranslateMessage
// makes of it, the release.
#include "grid/KSGInplaceEdit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/Application.h"
#include "framework/Form.h"
#include "tests/support/WinTestSupport.h"

namespace velloran {
namespace {

constexpr unsigned BaseOptions =
    goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goEditing;

class EditorKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    application.SetTitle("Velloran");
    grid.SetOptions(BaseOptions);
    for (const char* caption : {"Name", "Value", "Notes"}) {
      TKGridColumn& column = grid.Columns().AddColumn();
      column.SetCaption(caption);
      column.SetWidth(100);
    }
    FormArgs args;
    args.caption = "Editor test";
    args.clientWidth = 400;
    args.clientHeight = 200;
    form = &application.Create<TForm>(args);
    ControlArgs place;
    place.width = 380;
    place.height = 180;
    control = &form->Create<TKStringGridControl>(grid, place);
    form->Show();
    application.ProcessMessages();
  }
  void TearDown() override { application.FreeComponent(*form); }

  // Fresh cells, the focus on data row 0 of column Col, the editor opened with F2.
  HWND EditAt(int col, unsigned options) {
    grid.HideEditor();
    grid.SetOptions(BaseOptions | options);
    grid.SetRowCount(3);
    for (int row = 0; row < 3; ++row) {
      grid.SetCells(0, row, "name" + std::to_string(row));
      grid.SetCells(1, row, std::to_string(row * 10));
      grid.SetCells(2, row, "first\r\nsecond");
    }
    grid.FocusCell(col, 1, true);
    ::SetFocus(control->Handle());
    SendMessageA(control->Handle(), WM_KEYDOWN, VK_F2, 1);
    return Editor();
  }
  // The open editor's window, or none.
  HWND Editor() const {
    auto* editor = dynamic_cast<TInplaceEdit*>(grid.OpenEditor());
    return editor && editor->Shown() ? editor->Handle() : nullptr;
  }
  void Press(HWND window, WORD key, char character, bool ctrl = false) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(state);
    SendMessageA(window, WM_KEYDOWN, key, 1);
    if (character) SendMessageA(window, WM_CHAR, static_cast<unsigned char>(character), 1);
    SendMessageA(window, WM_KEYUP, key, 0xC0000001);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
  }
  void Type(HWND window, char character) { SendMessageA(window, WM_CHAR, character, 1); }

  TApplication application{GetModuleHandleA(nullptr)};
  TKStringGrid grid;
  TForm* form = nullptr;
  TKStringGridControl* control = nullptr;
};

TEST_F(EditorKeys, TabMovesOnWhereTheGridSaysSoAndNeverReachesTheText) {
  struct Case {
    const char* what;
    unsigned options;
    int col;              // where the focus is afterwards
    const char* editing;  // what the open editor holds afterwards; null: closed
    const char* stored;   // cell 0 of data row 0 afterwards
  } cases[] = {
      {"no goTabs: the editor keeps the cell", 0, 0, "x", "name0"},
      {"goTabs: the text is stored, the editor closes", goTabs, 1, nullptr, "x"},
      {"goTabs, editor always shown: it opens over the next cell", goTabs | goAlwaysShowEditor, 1,
       "0", "x"},
  };
  for (const Case& c : cases) {
    HWND editor = EditAt(0, c.options);
    ASSERT_TRUE(editor) << c.what;
    Type(editor, 'x');
    Press(editor, VK_TAB, '\t');
    EXPECT_EQ(grid.CurrentCol(), c.col) << c.what;
    EXPECT_EQ(grid.Cells(0, 0), c.stored) << c.what;
    if (c.editing) {
      ASSERT_EQ(Editor(), editor) << c.what;
      EXPECT_EQ(test::WindowText(editor), c.editing) << c.what;
    } else {
      EXPECT_EQ(Editor(), nullptr) << c.what;
    }
  }
}

TEST_F(EditorKeys, ReturnBreaksTheLineOfAMultiLineCellAndCtrlReturnStoresIt) {
  HWND editor = EditAt(2, 0);
  ASSERT_TRUE(editor);
  SendMessageA(editor, EM_SETSEL, 13, 13);
  Press(editor, VK_RETURN, '\r');
  Type(editor, '!');
  ASSERT_EQ(Editor(), editor);
  EXPECT_EQ(test::WindowText(editor), "first\r\nsecond\r\n!");
  // Ctrl+Return's character is a line feed.
  Press(editor, VK_RETURN, '\n', true);
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_EQ(grid.Cells(2, 0), "first\r\nsecond\r\n!");
  // In a single-line cell Return stores.
  editor = EditAt(1, 0);
  ASSERT_TRUE(editor);
  Type(editor, '7');
  Press(editor, VK_RETURN, '\r');
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_EQ(grid.Cells(1, 0), "7");
}

}  // namespace
}  // namespace velloran
