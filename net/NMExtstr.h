#pragma once
// A list of header lines, each the name, ": " and the value without a line
// end, that can be looked up and set by name. Names compare without regard to
// case; a line without ":" has no name and is never found.
//
// Sorted, the list orders its lines by name first (then by the whole line),
// so that a bisection over the names finds every line: ordered by whole lines,
// "Host-X: 1" would come before "Host: 2" while "Host" sorts before "Host-X".
//
// Threading: none of its own; one thread at a time.

#include <string>
#include <string_view>

#include "framework/StringList.h"

namespace velloran {

class TExStringList : public TStringList {
 public:
  // The first line with that name, or -1.
  int IndexOfHeader(std::string_view name) const;
  // With a value: the line of that name becomes Name + ": " + Value, in place
  // (on a sorted list: where the order wants it), else as a new last line.
  // With an empty value: the line of that name goes, if there is one.
  void SetHeaderValue(std::string_view name, std::string_view value);

  int CompareStrings(std::string_view a, std::string_view b) const override;
};

}  // namespace velloran
