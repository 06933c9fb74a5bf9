// The decisions of in-place editing, with a stand-in for the editor window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ServerGrid.h"
#include "framework/Exception.h"
#include "grid/kstrgrid.h"

namespace velloran {
namespace {

class FakeEditor : public GridEditor {
 public:
  void ShowAt(const TRect& rect) override {
    shown = true;
    place = rect;
    ++shows;
  }
  void Move(const TRect& rect) override { place = rect; }
  void Hide() override { shown = false; }
  bool Shown() const override { return shown; }
  std::string Text() const override { return text; }
  void SetText(const std::string& value) override { text = value; }
  void TypeChar(char key) override { text = std::string(1, key); }  // typing replaces all

  bool shown = false;
  int shows = 0;
  TRect place;
  std::string text;
};

class FakeHost : public GridHost {
 public:
  void InvalidateRect(const TRect&) override {}
  void InvalidateAll() override {}
  void ScrollRangeChanged() override {}
  void SetCursor(TCursorKind) override {}
  bool Visible() const override { return true; }
  void SetVisible(bool) override {}
  bool Focused() const override { return true; }
  TPoint ClientToScreen(TPoint point) const override { return point; }
  GridEditor& Editor() override {
    ++editorsAsked;
    return editor;
  }

  FakeEditor editor;
  int editorsAsked = 0;
};

class GridEditing : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* caption : {"Name", "Value", "Id"}) {
      TKGridColumn& column = grid.Columns().AddColumn();
      column.SetCaption(caption);
      column.SetWidth(100);
    }
    grid.Columns()[2]->SetReadOnly(true);
    grid.SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goEditing);
    grid.SetClientSize(400, 200);
    grid.SetRowCount(3);
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) {
        std::string text = "r";
        text += std::to_string(r);
        text += 'c';
        text += std::to_string(c);
        grid.SetCells(c, r, text);
      }
    }
    grid.SetHost(&host);
    grid.OnSetEditText = [&](TKStringGrid&, int col, int row, const std::string& value) {
      events.push_back("set " + std::to_string(col) + "," + std::to_string(row) + " " + value +
                       " over " + grid.Cells(col, row));
    };
    grid.OnCancelEdit = [&](TKStringGrid&, int col, int row, const std::string& value) {
      events.push_back("cancel " + std::to_string(col) + "," + std::to_string(row) + " " + value);
    };
  }
  void TearDown() override { grid.SetHost(nullptr); }

  void Key(int key, unsigned shift = 0) { grid.KeyDown(key, shift); }
  void Char(char key) { grid.CharInput(key); }
  FakeEditor& editor() { return host.editor; }

  FakeHost host;
  TKStringGrid grid;
  std::vector<std::string> events;
};

TEST_F(GridEditing, F2ReturnAndTypingOpenTheEditorOverTheFocusedCell) {
  grid.FocusCell(1, 2, true);  // data row 1, column Value
  Key(VK_F2Key);
  ASSERT_TRUE(grid.EditorMode());
  EXPECT_TRUE(editor().shown);
  EXPECT_EQ(editor().place, grid.CellRect(1, 2));
  EXPECT_EQ(editor().text, "r1c1");
  char enter = '\r';
  grid.KeyPress(enter);  // Return with nothing changed stores the same text
  EXPECT_FALSE(editor().shown);
  EXPECT_EQ(events, (std::vector<std::string>{"set 1,1 r1c1 over r1c1"}));

  events.clear();
  enter = '\r';
  grid.KeyPress(enter);  // Return opens it too
  EXPECT_TRUE(editor().shown);
  editor().text = "changed";
  enter = '\r';
  grid.KeyPress(enter);
  EXPECT_EQ(grid.Cells(1, 1), "changed");
  EXPECT_EQ(events, (std::vector<std::string>{"set 1,1 changed over r1c1"}));

  // Typing opens it with the character in it; OnGetEditText may change what it starts with.
  grid.OnGetEditText = [](TKStringGrid&, int, int row, std::string& value) {
    value += " of row " + std::to_string(row);
  };
  Char('x');
  EXPECT_TRUE(editor().shown);
  EXPECT_EQ(editor().text, "x");
  Key(VK_F2Key);  // already open: stays as typed
  EXPECT_EQ(editor().text, "x");
  EXPECT_EQ(host.editorsAsked, 1);  // one editor, made once

  // Leaving the cell stores the text and closes the editor.
  events.clear();
  Key(VK_Down);
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_FALSE(editor().shown);
  EXPECT_EQ(grid.Cells(1, 1), "x");
  EXPECT_EQ(grid.CurrentRow(), 2);
  Key(VK_F2Key);
  EXPECT_EQ(editor().text, "r2c1 of row 2");
}

TEST_F(GridEditing, EscapeRestoresTheCellAndFiresOnlyOnCancelEdit) {
  grid.FocusCell(0, 1, true);
  Char('z');
  int key = VK_Escape;
  grid.KeyDown(key, 0);
  EXPECT_EQ(key, 0);  // consumed
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_FALSE(editor().shown);
  EXPECT_EQ(grid.Cells(0, 0), "r0c0");
  EXPECT_EQ(events, (std::vector<std::string>{"cancel 0,0 r0c0"}));
  // Escape without an editor, or with Ctrl, is an ordinary key.
  events.clear();
  key = VK_Escape;
  grid.KeyDown(key, 0);
  EXPECT_EQ(key, VK_Escape);
  Char('z');
  key = VK_Escape;
  grid.KeyDown(key, ssCtrl);
  EXPECT_TRUE(grid.EditorMode());
  EXPECT_TRUE(events.empty());
}

TEST_F(GridEditing, NoEditorWhereTheGridMayNotEdit) {
  auto opensNothing = [&](const char* where) {
    Key(VK_F2Key);
    char enter = '\r';
    grid.KeyPress(enter);
    Char('a');
    EXPECT_FALSE(grid.EditorMode()) << where;
    EXPECT_FALSE(editor().shown) << where;
  };
  grid.FocusCell(2, 1, true);
  opensNothing("ReadOnly column");
  grid.FocusCell(1, 1, true);
  grid.Clear();
  opensNothing("empty grid");
  grid.SetRowCount(2);
  grid.SetOptions(grid.Options() & ~goEditing);
  opensNothing("editing off");
  EXPECT_EQ(host.editorsAsked, 0);
  EXPECT_EQ(grid.Cells(1, 0), "");
}

TEST_F(GridEditing, SortingOrChangingTheRowsStoresTheTextInItsOwnRowFirst) {
  grid.FocusCell(0, 1, true);  // r0c0
  Char('z');
  grid.MouseDown(TMouseButton::mbLeft, 0, 150, 8);  // Value's header: sorts
  grid.MouseUp(TMouseButton::mbLeft, 0, 150, 8);
  EXPECT_FALSE(editor().shown);
  EXPECT_EQ(grid.Columns()[1]->SortOrder(), TColumnSorting::csAsc);
  EXPECT_EQ(grid.Cells(0, 0), "z");
  EXPECT_EQ(grid.Cells(1, 0), "r0c1");
  Char('y');
  grid.SetRowCount(2);
  EXPECT_FALSE(editor().shown);
  EXPECT_EQ(grid.Cells(0, 0), "y");
}

TEST(GridEditingMainWindow, TheServerGridNeverOpensAnEditor) {
  TKStringGrid grid;
  SetUpServerGrid(grid);
  FakeHost host;
  grid.SetClientSize(700, 253);
  grid.SetHost(&host);
  grid.SetRowCount(5);
  int f2 = VK_F2Key;
  grid.KeyDown(f2, 0);
  char enter = '\r';
  grid.KeyPress(enter);
  grid.CharInput('a');
  grid.CharInput('\b');
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_EQ(host.editorsAsked, 0);
  EXPECT_EQ(grid.Cells(0, 0), "");
  grid.SetHost(nullptr);
}

TEST_F(GridEditing, AlwaysShownEditorFollowsTheFocusAndReturnKeepsItOpen) {
  grid.SetOptions(grid.Options() | goAlwaysShowEditor);
  grid.FocusCell(0, 2, true);
  EXPECT_TRUE(editor().shown);
  EXPECT_EQ(editor().place, grid.CellRect(0, 2));
  editor().text = "kept";
  char enter = '\r';
  grid.KeyPress(enter);
  EXPECT_TRUE(editor().shown);
  int key = VK_Escape;
  grid.KeyDown(key, 0);  // no cancelling an editor that is always there
  EXPECT_TRUE(events.empty());
  Key(VK_Right);
  EXPECT_EQ(grid.Cells(0, 1), "kept");
  EXPECT_TRUE(editor().shown);
  EXPECT_EQ(editor().place, grid.CellRect(1, 2));
}

TEST_F(GridEditing, AFailedStoreKeepsTheEditorOpenAndTheFocusWhereItWas) {
  grid.OnSetEditText = [](TKStringGrid&, int, int, const std::string&) {
    throw Exception("no such value");
  };
  grid.FocusCell(1, 1, true);
  Char('q');
  EXPECT_THROW(Key(VK_Down), Exception);
  EXPECT_TRUE(editor().shown);
  EXPECT_TRUE(grid.EditorMode());
  EXPECT_EQ(grid.CurrentRow(), 0);
  EXPECT_EQ(grid.Cells(1, 0), "r0c1");
  // Scrolled out of sight, the editor closes (and stores; here that fails again).
  grid.OnSetEditText = nullptr;
  grid.SetRowCount(40);
  grid.SetTopRow(20);
  EXPECT_FALSE(editor().shown);
  EXPECT_EQ(grid.Cells(1, 0), "q");
}

}  // namespace
}  // namespace velloran
