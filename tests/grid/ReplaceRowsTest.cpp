// A whole list into the grid in one step: the same grid as the cell-by-cell
// fill it replaces, and untouched when building the new rows fails.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "app/ListFile.h"
#include "app/ServerGrid.h"
#include "grid/kstrgrid.h"
#include "tests/support/CellRows.h"
#include "tests/support/MemoryCellTable.h"

namespace velloran {
namespace {

using test::Rows;

class StandInEditor : public GridEditor {
 public:
  void ShowAt(const TRect&) override { shown = true; }
  void Move(const TRect&) override {}
  void Hide() override { shown = false; }
  bool Shown() const override { return shown; }
  std::string Text() const override { return text; }
  void SetText(const std::string& value) override { text = value; }
  void TypeChar(char key) override { text += key; }

  bool shown = false;
  std::string text;
};

// Counts what the grid asks of its window.
class CountingHost : public GridHost {
 public:
  void InvalidateRect(const TRect&) override {}
  void InvalidateAll() override { ++repaints; }
  void ScrollRangeChanged() override { ++rangeChanges; }
  void SetCursor(TCursorKind) override {}
  bool Visible() const override { return true; }
  void SetVisible(bool) override {}
  bool Focused() const override { return true; }
  TPoint ClientToScreen(TPoint point) const override { return point; }
  GridEditor& Editor() override { return editor; }

  StandInEditor editor;
  int repaints = 0;
  int rangeChanges = 0;
};

// Fails like a full heap on the FailAt-th cell read.
class FailingTable : public MemoryCellTable {
 public:
  using MemoryCellTable::MemoryCellTable;
  std::string Cell(int column, int row) const override {
    if (++reads_ == failAt) throw std::bad_alloc();
    return MemoryCellTable::Cell(column, row);
  }
  int failAt = 0;

 private:
  mutable int reads_ = 0;
};

void FillTable(MemoryCellTable& table, const Rows& rows) {
  table.SetRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < table.RowCount(); ++r)
    for (int c = 0; c < table.ColumnCount(); ++c)
      table.SetCell(c, r, c < static_cast<int>(rows[r].size()) ? rows[r][c] : "");
}

std::vector<std::string> ServerRow(int r, const std::string& prefix) {
  const std::string n = std::to_string(r);
  return {prefix + " server " + n,
          "10.0." + n + ".1",
          "8888",
          "Net " + n,
          std::to_string(r * 7 % 100),
          std::to_string(r * 31),
          std::to_string(r % 9)};
}

Rows ServerRows(int count, const std::string& prefix) {
  Rows rows;
  for (int r = 0; r < count; ++r) rows.push_back(ServerRow(r, prefix));
  return rows;
}

// Everything a caller can see of the grid, as text, so that two grids compare
// in one assertion and a difference shows where it is.
std::string Observed(const TKStringGrid& grid) {
  std::string out;
  auto add = [&](const std::string& name, long long value) {
    out += name + " " + std::to_string(value) + "\n";
  };
  add("empty", grid.Empty());
  add("rows", grid.RowCount());
  add("frame rows", grid.FrameRowCount());
  add("focus col", grid.Col());
  add("focus row", grid.Row());
  add("anchor col", grid.Anchor().X);
  add("anchor row", grid.Anchor().Y);
  add("top row", grid.TopRow());
  add("left col", grid.LeftCol());
  add("active column", grid.ActiveColumn() ? grid.ActiveColumn()->Index() : -1);
  add("editor", grid.EditorMode());
  add("stores", grid.StoredRowCount());
  const TKGridColumns& columns = grid.Columns();
  for (int c = 0; c < columns.Count(); ++c)
    add("sort order of column " + std::to_string(c), static_cast<int>(columns[c]->SortOrder()));
  for (int r = 0; r < grid.RowCount(); ++r) {
    out += "row " + std::to_string(r) + " store " + std::to_string(grid.StoredRow(r)) + ":";
    // Hidden columns too, through the collection; the stored form shows line breaks.
    for (int c = 0; c < columns.Count(); ++c)
      out +=
          " [" + columns[c]->StoredCell(r) + " " + std::to_string(columns[c]->CellFlags(r)) + "]";
    out += "\n";
  }
  return out;
}

// A grid in use: an old list sorted by a column, scrolled down, a block of
// cells selected, and handlers that log what the selection hooks are told.
class UsedGrid {
 public:
  explicit UsedGrid(int hiddenColumn = -1) {
    SetUpServerGrid(grid);
    grid.SetOptions((grid.Options() & ~goRowSelect) | goEditing);
    grid.SetClientSize(700, 253);
    if (hiddenColumn >= 0) grid.Columns()[hiddenColumn]->SetVisible(false);
    MemoryCellTable old(grid.ColumnCount());
    FillTable(old, ServerRows(60, "old"));
    CopyRows(old, grid);
    grid.Columns()[0]->SetSortOrder(TColumnSorting::csDsc);
    grid.SetHost(&host);
    grid.SetTopRow(30);
    grid.SetSelection({1, 35, 3, 38});
    grid.OnSelectCell = [this](TKStringGrid&, int col, int row, bool&) {
      events.push_back("select " + std::to_string(col) + "," + std::to_string(row));
    };
    grid.OnActiveColChanged = [this](TKStringGrid&, TKGridColumn*, TKGridColumn* now) {
      events.push_back("active column " + std::to_string(now ? now->Index() : -1));
    };
    events.clear();
    host.repaints = 0;
    host.rangeChanges = 0;
  }

  TKStringGrid grid;
  CountingHost host;
  std::vector<std::string> events;
};

TEST(ReplaceRows, LeavesTheGridAsClearingAndFillingCellByCellDoes) {
  struct Case {
    const char* name;
    int tableColumns;
    Rows rows;
    int hiddenColumn = -1;
  } cases[] = {
      {"seven columns", 7, ServerRows(40, "new")},
      {"texts with line breaks",
       7,
       {{"a\nb", "x\r\n y", "\n", "tab\there", "\r", "", "last\r\n"},
        {"two  blanks", "\"quoted\"", "a,b", "\r\n\r\n", "9", "0", "single"}}},
      {"fewer columns than the grid", 3, ServerRows(5, "narrow")},
      {"more columns than the grid", 9, ServerRows(5, "wide")},
      {"no rows", 7, {}},
      {"a hidden column", 7, ServerRows(20, "new"), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryCellTable table(c.tableColumns);
    FillTable(table, c.rows);

    UsedGrid expected(c.hiddenColumn);
    UsedGrid actual(c.hiddenColumn);
    for (UsedGrid* used : {&expected, &actual}) {
      used->grid.ShowEditor();
      ASSERT_TRUE(used->host.editor.shown);
      used->events.clear();
    }
    CopyRows(table, expected.grid);
    actual.grid.ReplaceRows(table);

    EXPECT_EQ(Observed(actual.grid), Observed(expected.grid));
    EXPECT_EQ(actual.events, expected.events);
    EXPECT_FALSE(actual.host.editor.shown);
    EXPECT_GT(actual.host.repaints, 0);
    EXPECT_GT(actual.host.rangeChanges, 0);
  }
}

TEST(ReplaceRows, AFailureWhileBuildingLeavesTheOldRowsAndSelection) {
  MemoryCellTable source(7);
  FillTable(source, ServerRows(25, "new"));
  const int reads = 25 * 7;
  for (int failAt : {1, 2, reads / 2, reads}) {
    SCOPED_TRACE(failAt);
    UsedGrid used;
    const std::string before = Observed(used.grid);
    FailingTable table(7);
    FillTable(table, ServerRows(25, "new"));
    table.failAt = failAt;
    EXPECT_THROW(used.grid.ReplaceRows(table), std::bad_alloc);
    EXPECT_EQ(Observed(used.grid), before);
    EXPECT_EQ(used.grid.Selection(), (TGridRect{1, 35, 3, 38}));
    EXPECT_EQ(used.host.repaints + used.host.rangeChanges, 0);
    EXPECT_TRUE(used.events.empty());
    // The grid is not stuck halfway: the next list goes in.
    used.grid.ReplaceRows(source);
    EXPECT_EQ(test::RowsOf(used.grid), test::RowsOf(source));
  }
}

TEST(ReplaceRows, AGridTakesItsOwnRowsInTheOrderShown) {
  UsedGrid used;
  const Rows shown = test::RowsOf(used.grid);
  used.grid.ReplaceRows(used.grid);
  EXPECT_EQ(test::RowsOf(used.grid), shown);
}

// The size of a big directory's list, arriving after a download.
TEST(ReplaceRows, AHundredThousandRowsArriveWhole) {
  const int rows = 100000;
  MemoryCellTable table(7);
  table.SetRowCount(rows);
  for (int r = 0; r < rows; ++r) {
    std::vector<std::string> row = ServerRow(r, "big");
    for (int c = 0; c < 7; ++c) table.SetCell(c, r, row[c]);
  }
  TKStringGrid grid;
  SetUpServerGrid(grid);
  grid.ReplaceRows(table);
  ASSERT_EQ(grid.RowCount(), rows);
  int wrong = 0;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < 7; ++c) wrong += grid.VisibleColumns()[c]->Cells(r) != table.Cell(c, r);
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace velloran
