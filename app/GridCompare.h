#pragma once
// The main window's row comparison: Users, Files and Gigabytes compare as
// whole numbers, the other columns keep the grid's text comparison.

#include <cstdint>
#include <string_view>

#include "grid/KGridColumn.h"

namespace velloran {

// A cell text read as a whole number: leading blanks, an optional sign, then
// decimal digits, or hexadecimal ones after "$", "x", "X" or "0x". A text that
// is a number in full counts as that number; otherwise the digits before the
// first byte that does not fit count, without the sign (so "" and "n/a" are 0,
// "12 34" is 12, "-5kB" is 5). Values are those of a 32-bit integer.
std::int64_t ReadWholeNumber(std::string_view text);

// The handler of the grid's OnCompareRows.
void GridCompareRows(const TKGridColumnList& sortedColumns, int index1, int index2, int& result);

}  // namespace velloran
