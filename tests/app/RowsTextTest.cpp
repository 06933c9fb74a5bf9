#include "app/RowsText.h"

#include <gtest/gtest.h>

#include "tests/support/MemoryCellTable.h"

namespace velloran {
namespace {

TEST(RowsText, TabsBetweenCellsAndCrLfAfterEveryRow) {
  MemoryCellTable table(3);
  table.SetRowCount(3);
  const char* cells[3][3] = {{"a", "1.2.3.4", "8888"}, {"", "", ""}, {"c d", "x", "9"}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) table.SetCell(c, r, cells[r][c]);
  EXPECT_EQ(RowsText(table, 0, 2), "a\t1.2.3.4\t8888\r\n\t\t\r\nc d\tx\t9\r\n");
  EXPECT_EQ(RowsText(table, 2, 2), "c d\tx\t9\r\n");
  EXPECT_EQ(RowsText(table, 1, 0), "");
  EXPECT_THROW(RowsText(table, 2, 3), EKGridError);
}

}  // namespace
}  // namespace velloran
