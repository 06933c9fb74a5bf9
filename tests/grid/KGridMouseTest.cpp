// The wheel and the loss of the mouse capture, on the main window's grid.
#include <gtest/gtest.h>

#include "tests/grid/ServerGridFixture.h"

namespace velloran {
namespace {

using test::ServerGridTest;

class GridWheel : public ServerGridTest {
 protected:
  void SetUp() override {
    ServerGridTest::SetUp();
    grid.SetRowCount(500);
    grid.SetTopRow(100);
  }
  // Rows scrolled down (negative: up) by a run of wheel messages.
  int Scroll(std::initializer_list<int> deltas, int linesPerNotch) {
    int before = grid.TopRow();
    for (int delta : deltas) grid.MouseWheel(delta, linesPerNotch);
    return grid.TopRow() - before;
  }
};

TEST_F(GridWheel, SmallDeltasAddUpToTheRowsOfAWholeNotch) {
  const int page = grid.VisibleRowCount();
  struct Case {
    std::initializer_list<int> deltas;
    int lines;
    int rows;
  } cases[] = {
      {{120}, 3, -3},
      {{-120}, 3, 3},
      {{10, 10, 10}, 3, 0},                                       // a quarter notch is no row yet
      {{10, 10, 10, 10}, 3, -1},                                  // but a third of one is
      {{10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10}, 3, -3},  // twelve make a notch
      {{10, 10, 10, -10, -10, -10, -10}, 3, 1},                   // turning back starts afresh
      {{-10, -10}, 6, 1},
      {{120}, 1, -1},
      {{120}, 0, 0},                        // the user turned wheel scrolling off
      {{60, 60}, WheelScrollsPage, -page},  // one screen a notch
  };
  for (const Case& c : cases) {
    grid.SetTopRow(100);
    grid.MouseWheel(-10, 1);  // leaves no remainder behind: turning starts afresh
    grid.SetTopRow(100);
    EXPECT_EQ(Scroll(c.deltas, c.lines), c.rows) << "lines " << c.lines;
  }
  // The edges hold, and a huge delta does not overflow.
  grid.SetTopRow(2);
  EXPECT_EQ(Scroll({1200}, 3), -1);
  EXPECT_EQ(Scroll({-120 * 1000}, 1000), grid.MaxTopRow() - 1);
}

TEST_F(ServerGridTest, LosingTheCaptureEndsWhatTheMouseWasDoing) {
  grid.SetRowCount(100);
  const int step = grid.DefaultRowHeight() + 1;
  int clicks = 0;
  grid.OnHeaderClick = [&](TKStringGrid&, int) { ++clicks; };

  // A selection drag: moves after the loss select nothing more.
  grid.MouseDown(TMouseButton::mbLeft, 0, 50, 3 * step + 5);
  grid.MouseMove(0, 50, 4 * step + 5);
  grid.CancelMouse();
  grid.MouseMove(0, 50, 9 * step + 5);
  EXPECT_EQ(grid.Selection(), (TGridRect{0, 2, 6, 3}));

  // A header press: the release that follows is no click.
  grid.MouseDown(TMouseButton::mbLeft, 0, ServerX, 8);
  grid.CancelMouse();
  grid.MouseUp(TMouseButton::mbLeft, 0, ServerX, 8);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(grid.Columns()[0]->SortOrder(), TColumnSorting::csNone);

  // Sizing a fixed column: it keeps the width it had and the column learns it.
  grid.SetFixedCols(1);
  const int edge = grid.ColWidth(0);
  grid.MouseDown(TMouseButton::mbLeft, 0, edge, 8);
  grid.MouseMove(0, edge + 30, 8);
  grid.CancelMouse();
  grid.MouseMove(0, edge + 60, 8);
  EXPECT_EQ(grid.ColWidth(0), edge + 30);
  EXPECT_EQ(grid.VisibleColumns()[0]->Width(), edge + 30);
}

}  // namespace
}  // namespace velloran
