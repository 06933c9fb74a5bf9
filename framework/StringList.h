#pragma once
// An ordered list of text lines, optionally kept sorted.
//
// A sorted list keeps its lines in the order of CompareStrings (ASCII letters
// compared without regard to case, other bytes by value; no locale is
// consulted, the texts being 8-bit bytes in whatever code page they came in).
// Add puts a line where that order wants it, after lines that compare equal;
// Insert and writing Strings(i) would break the order and raise there.
// Duplicates are kept.
//
// Threading: none of its own; one thread at a time.

#include <string>
#include <string_view>
#include <vector>

namespace velloran {

class TStringList {
 public:
  TStringList() = default;
  virtual ~TStringList() = default;
  TStringList(const TStringList&) = default;
  TStringList& operator=(const TStringList&) = default;

  int Count() const { return static_cast<int>(lines_.size()); }
  // A bad Index raises ERangeError "List index out of bounds (Index)".
  const std::string& Strings(int index) const;
  // Replaces line Index; raises on a sorted list.
  void SetStrings(int index, std::string text);

  // Returns the index the line got.
  int Add(std::string text);
  // Index may be Count (append); raises on a sorted list.
  void Insert(int index, std::string text);
  void Delete(int index);
  void Clear() { lines_.clear(); }

  // The first line equal to Text under CompareStrings, or -1. A sorted list
  // finds it by bisection.
  int IndexOf(std::string_view text) const;

  bool Sorted() const { return sorted_; }
  // Sorting is stable: lines that compare equal keep their order.
  void SetSorted(bool sorted);

  // Every line followed by CR LF.
  std::string Text() const;

  // Negative, 0 or positive as A sorts before, with or after B.
  virtual int CompareStrings(std::string_view a, std::string_view b) const;

 protected:
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  void CheckIndex(int index, int limit) const;
  void CheckUnsorted() const;

  std::vector<std::string> lines_;
  bool sorted_ = false;
};

// ASCII letters folded to one case, other bytes compared as unsigned values.
int CompareText(std::string_view a, std::string_view b);
// ASCII letters "a" to "z" made upper case; other bytes kept.
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);

}  // namespace velloran
