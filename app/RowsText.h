#pragma once
// Rows of the grid as text for other programs: what "Copy" puts on the clipboard.

#include <string>

#include "grid/CellTable.h"

namespace velloran {

// Rows First to Last (data rows, in display order) with their display
// columns separated by tabs, each row ending in CR LF.
std::string RowsText(const CellTable& table, int first, int last);

}  // namespace velloran
