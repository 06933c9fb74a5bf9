#include "app/ListCheck.h"

#include <string>

namespace velloran {
namespace {

constexpr std::string_view TableStartText = "Gigabytes";
constexpr std::string_view NonBreakingSpace = "&nbsp;";

// The text as the scraper compares it: every "&nbsp;" gone in one pass.
bool IsTableStart(const std::string& text) {
  std::string kept;
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, NonBreakingSpace.size(), NonBreakingSpace) == 0) {
      i += NonBreakingSpace.size();
    } else {
      kept += text[i++];
    }
  }
  return kept == TableStartText;
}

}  // namespace

bool HoldsServerTable(std::string_view body) {
  // The first such text always lies outside a table, so the first one decides.
  bool inText = false;
  std::string text;
  for (char c : body) {
    if (c == '>') {
      inText = true;
    } else if (c == '<') {
      if (!text.empty() && IsTableStart(text)) return true;
      inText = false;
      text.clear();
    } else if (inText && static_cast<unsigned char>(c) > 0x20) {
      text += c;
    }
  }
  // A text that no "<" ends is lost, as in the scraper.
  return false;
}

}  // namespace velloran
