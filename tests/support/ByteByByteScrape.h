#pragma once
// The page scraper's rules read as plainly as possible, one byte after the
// other: what the scraper's fast scan is compared with. Portable.

#include <string>
#include <string_view>

#include "tests/support/CellRows.h"

namespace velloran::test {

// TableStarts, when given, learns how often "Gigabytes" started the table.
inline Rows ByteByByteScrape(std::string_view body, int* tableStarts = nullptr) {
  if (tableStarts) *tableStarts = 0;
  Rows rows;
  bool inText = false;
  bool inTable = false;
  long counter = 0;
  std::string text;
  for (char c : body) {
    if (c == '>') {
      inText = true;
    } else if (c == '<') {
      inText = false;
      if (text == "PrivacyPolicy") inTable = false;
      std::string cell;
      for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, 6, "&nbsp;") == 0) {
          i += 6;
        } else {
          cell += text[i++];
        }
      }
      if (inTable && !cell.empty()) {
        if (counter % 7 == 0) rows.emplace_back(7);
        rows.back()[counter % 7] = cell;
        ++counter;
      } else if (cell == "Gigabytes") {
        inTable = true;
        counter = 0;
        if (tableStarts) ++*tableStarts;
      }
      text.clear();
    } else if (inText && static_cast<unsigned char>(c) > 0x20) {
      text += c;
    }
  }
  return rows;
}

}  // namespace velloran::test
