#include "app/RowsText.h"

namespace velloran {

std::string RowsText(const CellTable& table, int first, int last) {
  std::string text;
  for (int row = first; row <= last; ++row) {
    for (int column = 0; column < table.ColumnCount(); ++column) {
      if (column > 0) text += '\t';
      text += table.Cell(column, row);
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace velloran
