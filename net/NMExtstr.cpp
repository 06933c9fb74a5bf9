#include "net/NMExtstr.h"

#include <algorithm>

namespace velloran {

namespace {

// The text before the first ":", and whether there is one.
struct HeaderName {
  std::string_view name;
  bool hasColon;
};

HeaderName NameOf(std::string_view line) {
  std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return {line, false};
  return {line.substr(0, colon), true};
}

}  // namespace

int TExStringList::CompareStrings(std::string_view a, std::string_view b) const {
  HeaderName x = NameOf(a);
  HeaderName y = NameOf(b);
  if (int byName = CompareText(x.name, y.name)) return byName;
  // Named lines before a bare word of the same text, so that the bisection
  // lands on a named line whenever there is one.
  if (x.hasColon != y.hasColon) return x.hasColon ? -1 : 1;
  return CompareText(a, b);
}

int TExStringList::IndexOfHeader(std::string_view name) const {
  const auto& lines = Lines();
  if (Sorted()) {
    auto at = std::partition_point(lines.begin(), lines.end(), [name](const std::string& line) {
      return CompareText(NameOf(line).name, name) < 0;
    });
    if (at == lines.end()) return -1;
    HeaderName found = NameOf(*at);
    return found.hasColon && CompareText(found.name, name) == 0
               ? static_cast<int>(at - lines.begin())
               : -1;
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    HeaderName found = NameOf(lines[i]);
    if (found.hasColon && CompareText(found.name, name) == 0) return static_cast<int>(i);
  }
  return -1;
}

void TExStringList::SetHeaderValue(std::string_view name, std::string_view value) {
  int index = IndexOfHeader(name);
  if (value.empty()) {
    if (index >= 0) Delete(index);
    return;
  }
  std::string line = std::string(name) + ": " + std::string(value);
  if (index < 0) {
    Add(std::move(line));
  } else if (Sorted()) {
    Delete(index);
    Add(std::move(line));
  } else {
    SetStrings(index, std::move(line));
  }
}

}  // namespace velloran
