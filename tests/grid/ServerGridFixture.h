#pragma once
// A grid set up like the main window's, sized like it, with a few helpers to
// fill it and read it back.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ServerGrid.h"
#include "grid/kstrgrid.h"

namespace velloran::test {

using Rows = std::vector<std::vector<std::string>>;

class ServerGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUpServerGrid(grid);
    grid.SetClientSize(700, 253);
  }

  void Fill(const Rows& rows) {
    grid.SetRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
      for (int c = 0; c < static_cast<int>(rows[r].size()); ++c) grid.SetCells(c, r, rows[r][c]);
  }

  std::vector<std::string> Column(int col) const {
    std::vector<std::string> values;
    for (int r = 0; r < grid.RowCount(); ++r) values.push_back(grid.Cells(col, r));
    return values;
  }

  // A click on the header at X: press and release without moving.
  void ClickHeader(int x) {
    grid.MouseDown(TMouseButton::mbLeft, 0, x, 8);
    grid.MouseUp(TMouseButton::mbLeft, 0, x, 8);
  }

  // Centres of the header cells of the main window's columns.
  static constexpr int ServerX = 100, IPX = 250, PortX = 330, UsersX = 530, FilesX = 600;

  TKStringGrid grid;
};

}  // namespace velloran::test
