#include "app/GridCompare.h"

#include <cstdint>

namespace velloran {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::int64_t ReadWholeNumber(std::string_view text) {
  size_t p = 0;
  while (p < text.size() && text[p] == ' ') ++p;
  bool negative = false;
  if (p < text.size() && (text[p] == '-' || text[p] == '+')) {
    negative = text[p] == '-';
    ++p;
  }
  bool hex = false;
  if (p < text.size() && (text[p] == '$' || text[p] == 'x' || text[p] == 'X')) {
    hex = true;
    ++p;
  } else if (p + 1 < text.size() && text[p] == '0' && (text[p + 1] == 'x' || text[p + 1] == 'X')) {
    hex = true;
    p += 2;
  }
  // A 32-bit integer: decimal up to 2147483647 (2147483648 with a minus), hexadecimal
  // up to 8 digits, read as the signed value of those 32 bits.
  const std::uint64_t limit = hex ? 0xFFFFFFFFu : (negative ? 2147483648u : 2147483647u);
  std::uint64_t value = 0;
  size_t digits = 0;
  bool complete = true;
  for (; p < text.size(); ++p) {
    int digit = hex ? HexDigit(text[p]) : (text[p] >= '0' && text[p] <= '9' ? text[p] - '0' : -1);
    if (digit < 0) {
      complete = false;
      break;
    }
    std::uint64_t next = value * (hex ? 16 : 10) + digit;
    if (next > limit) {
      complete = false;
      break;
    }
    value = next;
    ++digits;
  }
  if (digits == 0) complete = false;
  if (hex) {
    auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    if (!complete) return static_cast<std::int64_t>(value);
    return negative ? -static_cast<std::int64_t>(bits) : bits;
  }
  if (!complete) return static_cast<std::int64_t>(value);
  return negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
}

void GridCompareRows(const TKGridColumnList& sortedColumns, int index1, int index2, int& result) {
  TKGridColumn* column = sortedColumns[0];
  if (column->GridIndex() < 4) return;
  std::int64_t first = column->CellNumber(index1, &ReadWholeNumber);
  std::int64_t second = column->CellNumber(index2, &ReadWholeNumber);
  result = first > second ? -1 : first == second ? 0 : 1;
  if (column->SortOrder() == TColumnSorting::csDsc) result = -result;
}

}  // namespace velloran
