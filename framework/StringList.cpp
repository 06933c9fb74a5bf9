#include "framework/StringList.h"

#include <algorithm>

#include "framework/Exception.h"

namespace velloran {

namespace {

char FoldCase(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char LowerChar(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

int CompareText(std::string_view a, std::string_view b) {
  std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    auto x = static_cast<unsigned char>(FoldCase(a[i]));
    auto y = static_cast<unsigned char>(FoldCase(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string UpperCase(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), FoldCase);
  return result;
}

std::string LowerCase(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), LowerChar);
  return result;
}

int TStringList::CompareStrings(std::string_view a, std::string_view b) const {
  return CompareText(a, b);
}

void TStringList::CheckIndex(int index, int limit) const {
  if (index < 0 || index >= limit) {
    throw ERangeError("List index out of bounds (" + std::to_string(index) + ")");
  }
}

void TStringList::CheckUnsorted() const {
  if (sorted_) throw Exception("Operation not allowed on a sorted list");
}

const std::string& TStringList::Strings(int index) const {
  CheckIndex(index, Count());
  return lines_[index];
}

void TStringList::SetStrings(int index, std::string text) {
  CheckIndex(index, Count());
  CheckUnsorted();
  lines_[index] = std::move(text);
}

int TStringList::Add(std::string text) {
  auto at = lines_.end();
  if (sorted_) {
    at = std::upper_bound(
        lines_.begin(), lines_.end(), text,
        [this](const std::string& a, const std::string& b) { return CompareStrings(a, b) < 0; });
  }
  return static_cast<int>(lines_.insert(at, std::move(text)) - lines_.begin());
}

void TStringList::Insert(int index, std::string text) {
  CheckIndex(index, Count() + 1);
  CheckUnsorted();
  lines_.insert(lines_.begin() + index, std::move(text));
}

void TStringList::Delete(int index) {
  CheckIndex(index, Count());
  lines_.erase(lines_.begin() + index);
}

int TStringList::IndexOf(std::string_view text) const {
  if (sorted_) {
    auto at = std::lower_bound(lines_.begin(), lines_.end(), text,
                               [this](const std::string& line, std::string_view key) {
                                 return CompareStrings(line, key) < 0;
                               });
    if (at != lines_.end() && CompareStrings(*at, text) == 0)
      return static_cast<int>(at - lines_.begin());
    return -1;
  }
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (CompareStrings(lines_[i], text) == 0) return static_cast<int>(i);
  }
  return -1;
}

void TStringList::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  if (sorted_) {
    std::stable_sort(
        lines_.begin(), lines_.end(),
        [this](const std::string& a, const std::string& b) { return CompareStrings(a, b) < 0; });
  }
}

std::string TStringList::Text() const {
  std::size_t size = 0;
  for (const auto& line : lines_) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const auto& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace velloran
