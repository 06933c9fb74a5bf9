#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "app/GridCompare.h"
#include "framework/Exception.h"
#include "tests/grid/FakeRegistry.h"
#include "tests/grid/ServerGridFixture.h"
#include "tests/support/MemoryCellTable.h"

namespace velloran {
namespace {

using test::Rows;
using test::ServerGridTest;

TEST(StringGrid, NewGridIsEmptyWithTwoFrameRows) {
  TKStringGrid grid;
  EXPECT_TRUE(grid.Empty());
  EXPECT_EQ(grid.RowCount(), 0);
  EXPECT_EQ(grid.FrameRowCount(), 2);
  EXPECT_EQ(grid.Columns().Count(), 0);
  EXPECT_EQ(grid.CurrentCol(), -1);
  EXPECT_EQ(grid.CurrentRow(), -1);
  EXPECT_EQ(grid.DefaultRowHeight(), 18);
  EXPECT_EQ(grid.CellFlags(0, 0), 0u);  // no checks on an empty grid
}

TEST_F(ServerGridTest, RowCountAddsEmptyRowsAndRemovesFromTheEnd) {
  grid.SetRowCount(3);
  EXPECT_FALSE(grid.Empty());
  EXPECT_EQ(grid.FrameRowCount(), 4);
  EXPECT_EQ(grid.Cells(6, 2), "");
  grid.SetCells(0, 0, "first");
  grid.SetCells(0, 2, "third");
  grid.SetRowCount(2);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"first", ""}));
  grid.SetRowCount(0);
  EXPECT_TRUE(grid.Empty());
  EXPECT_EQ(grid.FrameRowCount(), 2);
  grid.SetRowCount(1);
  EXPECT_EQ(grid.Cells(0, 0), "");  // a removed row leaves nothing behind
}

TEST_F(ServerGridTest, BadIndicesRaiseTheGridsErrors) {
  grid.SetRowCount(2);
  struct Case {
    int col, row;
    const char* message;
  } cases[] = {{7, 0, "Wrong column index"},
               {-1, 0, "Wrong column index"},
               {0, 2, "Wrong row index"},
               {0, -1, "Wrong row index"},
               {7, 9, "Wrong column index"}};
  for (const auto& c : cases) {
    try {
      grid.Cells(c.col, c.row);
      ADD_FAILURE() << c.col << "," << c.row;
    } catch (const EKGridError& error) {
      EXPECT_EQ(error.Message(), c.message);
    }
    EXPECT_THROW(grid.SetCells(c.col, c.row, "x"), EKGridError);
  }
  grid.Clear();
  EXPECT_THROW(grid.SetCellFlags(0, 0, 1), EKGridError);
}

TEST_F(ServerGridTest, ClearKeepsColumnsAndSortOrders) {
  Fill({{"b"}, {"a"}});
  ClickHeader(ServerX);
  grid.Clear();
  EXPECT_TRUE(grid.Empty());
  EXPECT_EQ(grid.Columns().Count(), 7);
  EXPECT_EQ(grid.Columns()[0]->SortOrder(), TColumnSorting::csAsc);
  // Refilling after a sort keeps the arrow but does not sort the new rows.
  Fill({{"z"}, {"y"}});
  EXPECT_EQ(Column(0), (std::vector<std::string>{"z", "y"}));
}

TEST_F(ServerGridTest, DeleteRowRemovesOneRowInEveryColumn) {
  Fill({{"a", "1"}, {"b", "2"}, {"c", "3"}});
  grid.DeleteRow(1);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"1", "3"}));
  EXPECT_THROW(grid.DeleteRow(2), EKGridError);
}

TEST_F(ServerGridTest, MultiLineTextsReadBackWithCrLfAndSetTheFlag) {
  grid.SetRowCount(1);
  grid.SetCells(0, 0, "a\nb");
  EXPECT_EQ(grid.Cells(0, 0), "a\r\nb");
  EXPECT_EQ(grid.CellFlags(0, 0), MultiLineFlag);
  grid.SetCells(0, 0, "single");  // a text without breaks does not clear the flag
  EXPECT_EQ(grid.CellFlags(0, 0), MultiLineFlag);
  grid.SetCells(1, 0, "x y");
  grid.SetCellFlags(1, 0, 0);
  EXPECT_EQ(grid.CellFlags(1, 0), 0u);
}

TEST_F(ServerGridTest, SelectionIsInDataRowsAndFocusesItsBottomRow) {
  grid.SetRowCount(10);
  grid.SetSelection({0, 0, 6, 5});
  EXPECT_EQ(grid.Selection(), (TGridRect{0, 0, 6, 5}));
  EXPECT_EQ(grid.CurrentRow(), 5);
  grid.SetSelection({0, 3, 6, 3});
  EXPECT_EQ(grid.Selection(), (TGridRect{0, 3, 6, 3}));
}

TEST_F(ServerGridTest, KeyboardAndMouseSelectRangesOfWholeRows) {
  grid.SetRowCount(100);
  int key = VK_Down;
  grid.KeyDown(key, 0);
  key = VK_Down;
  grid.KeyDown(key, ssShift);
  key = VK_Down;
  grid.KeyDown(key, ssShift);
  EXPECT_EQ(grid.Selection(), (TGridRect{0, 1, 6, 3}));
  key = VK_End;
  grid.KeyDown(key, 0);
  EXPECT_EQ(grid.CurrentRow(), 99);
  EXPECT_EQ(grid.TopRow(), grid.MaxTopRow());  // scrolled to show it
  key = VK_Home;
  grid.KeyDown(key, 0);
  EXPECT_EQ(grid.CurrentRow(), 0);
  EXPECT_EQ(grid.TopRow(), 1);

  // Press on data row 2 (y of grid row 3), drag to data row 5.
  const int step = grid.DefaultRowHeight() + 1;
  grid.MouseDown(TMouseButton::mbLeft, 0, 50, 3 * step + 5);
  grid.MouseMove(0, 50, 6 * step + 5);
  grid.MouseUp(TMouseButton::mbLeft, 0, 50, 6 * step + 5);
  EXPECT_EQ(grid.Selection(), (TGridRect{0, 2, 6, 5}));
  grid.MouseDown(TMouseButton::mbLeft, ssShift, 50, 1 * step + 5);
  grid.MouseUp(TMouseButton::mbLeft, ssShift, 50, 1 * step + 5);
  EXPECT_EQ(grid.Selection(), (TGridRect{0, 0, 6, 2}));
}

TEST_F(ServerGridTest, HeaderClicksCycleTheSortOrderOfOneColumn) {
  Fill({{"beta"}, {"Alpha"}, {"gamma"}, {"alpha2"}});
  ClickHeader(ServerX);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"Alpha", "alpha2", "beta", "gamma"}));
  ClickHeader(ServerX);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"gamma", "beta", "alpha2", "Alpha"}));
  ClickHeader(ServerX);
  EXPECT_EQ(grid.Columns()[0]->SortOrder(), TColumnSorting::csAsc);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"Alpha", "alpha2", "beta", "gamma"}));
  ClickHeader(IPX);  // another header clears the first one's order
  EXPECT_EQ(grid.Columns()[0]->SortOrder(), TColumnSorting::csNone);
  EXPECT_EQ(grid.Columns()[1]->SortOrder(), TColumnSorting::csAsc);
}

TEST_F(ServerGridTest, APressDraggedOffTheHeaderDoesNotSort) {
  Fill({{"b"}, {"a"}});
  int clicks = 0;
  grid.OnHeaderClick = [&](TKStringGrid&, int) { ++clicks; };
  grid.MouseDown(TMouseButton::mbLeft, 0, ServerX, 8);
  grid.MouseMove(ssShift, ServerX, 60);
  grid.MouseUp(TMouseButton::mbLeft, 0, ServerX, 60);
  grid.MouseDown(TMouseButton::mbLeft, 0, ServerX, 8);
  grid.MouseUp(TMouseButton::mbLeft, 0, IPX, 8);  // released over another header
  EXPECT_EQ(Column(0), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(clicks, 0);
  // A press moves neither focus nor selection.
  grid.SetSelection({0, 1, 6, 1});
  grid.MouseDown(TMouseButton::mbLeft, 0, ServerX, 8);
  EXPECT_EQ(grid.CurrentRow(), 1);
  grid.MouseMove(0, ServerX + 2, 9);  // a hand's tremble is no drag
  grid.MouseUp(TMouseButton::mbLeft, 0, ServerX + 2, 9);
  EXPECT_EQ(clicks, 1);
}

TEST_F(ServerGridTest, WithoutAutoSortAHeaderClickOnlyReports) {
  Fill({{"b"}, {"a"}});
  grid.SetAutoSort(false);
  std::vector<int> clicked;
  grid.OnHeaderClick = [&](TKStringGrid&, int col) { clicked.push_back(col); };
  ClickHeader(UsersX);
  EXPECT_EQ(clicked, std::vector<int>{4});
  EXPECT_EQ(grid.Columns()[4]->SortOrder(), TColumnSorting::csNone);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"b", "a"}));
}

TEST_F(ServerGridTest, NumericColumnsPutTheLargestFirstWhenAscending) {
  Fill({{"a", "", "", "", "12"},
        {"b", "", "", "", "n/a"},
        {"c", "", "", "", "100"},
        {"d", "", "", "", ""},
        {"e", "", "", "", "9"}});
  ClickHeader(UsersX);
  std::vector<std::string> users = Column(4);
  EXPECT_EQ(std::vector<std::string>(users.begin(), users.begin() + 3),
            (std::vector<std::string>{"100", "12", "9"}));
  EXPECT_EQ(ReadWholeNumber(users[3]) + ReadWholeNumber(users[4]), 0);  // "n/a" and "" are 0
  ClickHeader(UsersX);
  users = Column(4);
  EXPECT_EQ(std::vector<std::string>(users.begin() + 2, users.end()),
            (std::vector<std::string>{"9", "12", "100"}));
}

TEST_F(ServerGridTest, CtrlReturnShowsTheStoredForm) {
  Fill({{"two words"}});
  grid.FocusCell(0, 1, true);
  int key = VK_Return;
  grid.KeyDown(key, ssCtrl);
  EXPECT_EQ(key, 0);
  char lineFeed = '\n';
  grid.KeyPress(lineFeed);
  EXPECT_EQ(grid.CellFlags(0, 0), MultiLineFlag);
  EXPECT_EQ(grid.Columns()[0]->StoredCell(0), "\"two words\"");
  grid.Clear();
  lineFeed = '\n';
  EXPECT_THROW(grid.KeyPress(lineFeed), EKGridError);
}

// The sort as written: rows swapped in place, every comparison reading the
// rows as they stand. The grid must give exactly this order.
class ReferenceSort {
 public:
  ReferenceSort(Rows rows, int column, TColumnSorting order)
      : rows_(std::move(rows)), column_(column), order_(order) {}
  Rows Sorted() {
    if (!rows_.empty()) Sort(0, static_cast<int>(rows_.size()) - 1);
    return rows_;
  }

 private:
  int Compare(int a, int b) {
    if (column_ >= 4) {
      auto x = ReadWholeNumber(rows_[a][column_]);
      auto y = ReadWholeNumber(rows_[b][column_]);
      int result = x > y ? -1 : x == y ? 0 : 1;
      return order_ == TColumnSorting::csDsc ? -result : result;
    }
    std::string x = rows_[a][column_], y = rows_[b][column_];
    for (auto* s : {&x, &y})
      for (char& ch : *s)
        if (ch >= 'a' && ch <= 'z') ch -= 32;
    int result = x < y ? -1 : x == y ? 0 : 1;
    return order_ == TColumnSorting::csDsc ? -result : result;
  }
  void Sort(int l, int r) {
    if (l >= r) return;
    int p = (l + r) / 2, i = l, j = r;
    do {
      while (Compare(i, p) < 0) ++i;
      while (Compare(j, p) > 0) --j;
      if (j > i) {
        std::swap(rows_[i], rows_[j]);
        if (p == i)
          p = j;
        else if (p == j)
          p = i;
        ++i;
        --j;
      } else if (j == i) {
        if (i < r)
          ++i;
        else
          --j;
      }
    } while (j >= i);
    Sort(l, j);
    Sort(i, r);
  }
  Rows rows_;
  int column_;
  TColumnSorting order_;
};

TEST_F(ServerGridTest, SortGivesExactlyTheQuicksortsOrderOfEqualRows) {
  std::mt19937 random(42);
  Rows rows;
  for (int r = 0; r < 3000; ++r) {
    // Few distinct values: many ties, whose order only the algorithm decides.
    std::vector<std::string> row(7);
    row[0] = (random() % 2 ? "Host" : "host") + std::to_string(random() % 5);
    for (int c = 1; c < 7; ++c) {
      int v = random() % 7;
      row[c] = c == 4 && v == 0 ? "n/a" : std::to_string(v);
    }
    rows.push_back(row);
  }
  for (int column : {0, 4}) {
    for (TColumnSorting order : {TColumnSorting::csAsc, TColumnSorting::csDsc}) {
      Fill(rows);
      grid.Columns()[column]->SetSortOrder(order);
      Rows expected = ReferenceSort(rows, column, order).Sorted();
      Rows actual;
      for (int r = 0; r < grid.RowCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < 7; ++c) row.push_back(grid.Cells(c, r));
        actual.push_back(row);
      }
      ASSERT_EQ(actual, expected) << "column " << column;
      grid.Columns()[column]->SetSortOrder(TColumnSorting::csNone);
    }
  }
}

TEST_F(ServerGridTest, HandlerSeesRowsAsMovedSoFarAndAnErrorKeepsThem) {
  Fill({{"c"}, {"a"}, {"b"}, {"d"}});
  std::vector<std::pair<std::string, std::string>> seen;
  grid.OnCompareRows = [&](const TKGridColumnList& columns, int a, int b, int& result) {
    seen.push_back({columns[0]->Cells(a), columns[0]->Cells(b)});
    EXPECT_EQ(result, (columns[0]->Cells(a) > columns[0]->Cells(b)) -
                          (columns[0]->Cells(a) < columns[0]->Cells(b)));
  };
  ClickHeader(ServerX);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_FALSE(seen.empty());

  int calls = 0;
  grid.OnCompareRows = [&](const TKGridColumnList&, int, int, int&) {
    if (++calls == 3) throw Exception("handler failed");
  };
  Fill({{"c"}, {"a"}, {"b"}, {"d"}});
  EXPECT_THROW(ClickHeader(IPX), Exception);
  EXPECT_EQ(grid.RowCount(), 4);
  std::vector<std::string> values = Column(0);
  std::sort(values.begin(), values.end());
  EXPECT_EQ(values, (std::vector<std::string>{"a", "b", "c", "d"}));  // moved, not lost
}

TEST_F(ServerGridTest, ChangingRowsOrColumnsFromInsideASortIsRefused) {
  test::FakeKey root;
  grid.SetRegistry([&] { return std::make_unique<test::FakeRegistry>(root); });
  TKGridColumns& columns = grid.Columns();
  struct Change {
    const char* name;
    std::function<void()> run;
  } changes[] = {
      {"RowCount", [&] { grid.SetRowCount(1); }},
      {"Clear", [&] { grid.Clear(); }},
      {"ReplaceRows", [&] { grid.ReplaceRows(MemoryCellTable(7)); }},
      {"DeleteRow", [&] { grid.DeleteRow(0); }},
      {"InsertRow", [&] { grid.InsertRow(0); }},
      {"AddColumn", [&] { columns.AddColumn(); }},
      {"Delete", [&] { columns.Delete(6); }},
      {"Columns.Clear", [&] { columns.Clear(); }},
      {"LoadFromRegistry", [&] { columns.LoadFromRegistry(ServerListKey, 2); }},
      {"Visible", [&] { columns[6]->SetVisible(false); }},
      {"GridIndex", [&] { columns[6]->SetGridIndex(0); }},
      {"Index", [&] { columns[6]->SetIndex(0); }},
      {"SortOrder", [&] { columns[1]->SetSortOrder(TColumnSorting::csAsc); }},
      {"Sort", [&] { grid.Sort(); }},
  };
  for (const Change& change : changes) {
    Fill({{"c", "1"}, {"a", "2"}, {"d", "3"}, {"b", "4"}});
    std::string refused;
    bool tried = false;
    grid.OnCompareRows = [&](const TKGridColumnList&, int a, int, int&) {
      // Writing a cell stays allowed.
      grid.SetCells(2, a, "seen");
      if (tried) return;
      tried = true;
      try {
        change.run();
      } catch (const EKGridError& error) {
        refused = error.what();
      }
    };
    ClickHeader(ServerX);
    EXPECT_EQ(refused, SortRunningError) << change.name;
    // The sort went on over the same rows and columns.
    EXPECT_EQ(Column(0), (std::vector<std::string>{"a", "b", "c", "d"})) << change.name;
    EXPECT_EQ(columns.Count(), 7) << change.name;
    EXPECT_EQ(grid.VisibleColumns().Count(), 7) << change.name;
    EXPECT_EQ(columns[6]->GridIndex(), 6) << change.name;
    EXPECT_EQ(columns[1]->SortOrder(), TColumnSorting::csNone) << change.name;
    grid.OnCompareRows = nullptr;
    columns[0]->SetSortOrder(TColumnSorting::csNone);
  }
  // After the sort the same changes work again.
  grid.SetRowCount(1);
  columns.Delete(6);
  EXPECT_EQ(columns.Count(), 6);
}

TEST_F(ServerGridTest, ContradictoryHandlerCannotRunOffTheRows) {
  Fill({{"a"}, {"b"}, {"c"}});
  grid.OnCompareRows = [](const TKGridColumnList&, int, int, int& result) { result = -1; };
  ClickHeader(ServerX);
  EXPECT_EQ(grid.RowCount(), 3);
  grid.OnCompareRows = [](const TKGridColumnList&, int, int, int& result) { result = 1; };
  ClickHeader(ServerX);
  EXPECT_EQ(grid.RowCount(), 3);
}

TEST_F(ServerGridTest, SortedInputOf100000RowsDoesNotExhaustTheStack) {
  Rows rows;
  grid.SetRowCount(100000);
  for (int r = 0; r < 100000; ++r) grid.SetCells(4, r, std::to_string(r));
  ClickHeader(UsersX);
  EXPECT_EQ(grid.Cells(4, 0), "99999");
  EXPECT_EQ(grid.Cells(4, 99999), "0");
}

TEST_F(ServerGridTest, StoredRowsTravelWithTheirRowsAndMoveToTheTopInOrder) {
  Fill({{"d"}, {"b"}, {"e"}, {"a"}, {"c"}});
  auto idOf = [this](const std::string& server) {
    for (int r = 0; r < grid.RowCount(); ++r)
      if (grid.Cells(0, r) == server) return grid.StoredRow(r);
    return -1;
  };
  const int a = idOf("a"), c = idOf("c"), e = idOf("e");
  EXPECT_EQ(grid.StoredRowCount(), 5);
  ClickHeader(ServerX);
  ASSERT_EQ(Column(0), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(grid.StoredRow(0), a);
  EXPECT_EQ(grid.StoredRow(2), c);
  EXPECT_EQ(grid.StoredRow(4), e);

  // e and c to the top, in the order they are in.
  const int moved = grid.MoveRowsToTop([&](int stored) { return stored == e || stored == c; });
  EXPECT_EQ(moved, 2);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"c", "e", "a", "b", "d"}));
  EXPECT_EQ(grid.StoredRow(1), e);
  EXPECT_EQ(grid.MoveRowsToTop([](int) { return false; }), 0);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"c", "e", "a", "b", "d"}));
  grid.OnCompareRows = [&](const TKGridColumnList&, int, int, int&) {
    EXPECT_THROW(grid.MoveRowsToTop([](int) { return true; }), EKGridError);
  };
  ClickHeader(ServerX);
}

}  // namespace
}  // namespace velloran
