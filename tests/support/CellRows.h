#pragma once
// A grid's cells as rows of texts, for comparing in tests. Portable.

#include <string>
#include <vector>

#include "grid/CellTable.h"

namespace velloran::test {

using Rows = std::vector<std::vector<std::string>>;

inline Rows RowsOf(const CellTable& grid) {
  Rows rows;
  for (int row = 0; row < grid.RowCount(); ++row) {
    rows.emplace_back();
    for (int column = 0; column < grid.ColumnCount(); ++column)
      rows.back().push_back(grid.Cell(column, row));
  }
  return rows;
}

}  // namespace velloran::test
