#pragma once
// The cells of a grid as the cache file, the page scraper and the add-servers
// run see them: columns by display index, data rows counted from 0.
//
// The server grid implements it; tests and tools use a plain table
// (tests/support/MemoryCellTable.h).

#include <string>

namespace velloran {

class CellTable {
 public:
  virtual ~CellTable() = default;
  // The display columns: the visible ones, in the order the grid shows them.
  // A hidden column is not among them, so it is neither saved nor loaded.
  virtual int ColumnCount() const = 0;
  virtual int RowCount() const = 0;
  // Adds empty rows at the end or removes rows from the end.
  virtual void SetRowCount(int rows) = 0;
  // Column is a display column, 0 .. ColumnCount() - 1; errors for bad indices
  // are the grid's ("Wrong column index", "Wrong row index").
  virtual std::string Cell(int column, int row) const = 0;
  virtual void SetCell(int column, int row, const std::string& text) = 0;
  // The text of a cell for a reader that needs it no more: a table may hand
  // its own over instead of a copy, the cell's text being unspecified after.
  virtual std::string TakeCell(int column, int row) { return Cell(column, row); }
  // Removes every data row; the columns stay.
  virtual void Clear() = 0;
};

}  // namespace velloran
