#pragma once
// A plain table of cells in memory, for tests, benchmarks and fuzz targets that need a grid
// without a window. Bad indices fail as the server grid's do.

#include <string>
#include <vector>

#include "framework/Exception.h"
#include "grid/CellTable.h"

namespace velloran {

class MemoryCellTable : public CellTable {
 public:
  explicit MemoryCellTable(int columns = 7) : columns_(columns > 0 ? columns : 0) {}

  int ColumnCount() const override { return columns_; }
  int RowCount() const override { return rows_; }

  void SetRowCount(int rows) override {
    if (rows < 0) throw EKGridError("Wrong row index");
    const std::size_t used = CellCount(rows_);
    const std::size_t wanted = CellCount(rows);
    if (cells_.size() < wanted) cells_.resize(wanted);
    // Cells of removed rows stay allocated for the rows a refill adds again.
    for (std::size_t i = used; i < wanted; ++i) cells_[i].clear();
    rows_ = rows;
  }

  std::string Cell(int column, int row) const override { return cells_[Index(column, row)]; }

  void SetCell(int column, int row, const std::string& text) override {
    cells_[Index(column, row)] = text;
  }

  void Clear() override { SetRowCount(0); }

 private:
  std::size_t CellCount(int rows) const {
    return static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns_);
  }

  std::size_t Index(int column, int row) const {
    if (column < 0 || column >= columns_) throw EKGridError("Wrong column index");
    if (row < 0 || row >= rows_) throw EKGridError("Wrong row index");
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
           static_cast<std::size_t>(column);
  }

  int columns_;
  int rows_ = 0;
  // Row by row, so that a new row is one step at the end; the first
  // RowCount * ColumnCount entries are the table.
  std::vector<std::string> cells_;
};

}  // namespace velloran
