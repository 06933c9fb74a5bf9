#include "grid/KStrings.h"

namespace velloran {
namespace {

bool NeedsQuotes(std::string_view line) {
  for (char c : line) {
    auto byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || c == '"' || c == ',') return true;
  }
  return false;
}

void AppendQuoted(std::string& out, std::string_view line) {
  out += '"';
  for (char c : line) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

bool IsBlank(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte >= 1 && byte <= ' ';
}

}  // namespace

std::string TextToStored(std::string_view text) {
  std::string stored;
  size_t position = 0;
  while (position < text.size()) {
    std::string_view rest = text.substr(position);
    size_t separator = rest.find('\r');
    if (separator == std::string_view::npos) separator = rest.find('\n');
    std::string_view line = rest.substr(0, separator);
    if (NeedsQuotes(line))
      AppendQuoted(stored, line);
    else
      stored += line;
    if (separator == std::string_view::npos) break;
    stored += ',';
    bool crlf =
        rest[separator] == '\r' && separator + 1 < rest.size() && rest[separator + 1] == '\n';
    position += separator + (crlf ? 2 : 1);
  }
  return stored;
}

std::string StoredToText(std::string_view stored) {
  std::string text;
  size_t p = 0;
  const size_t end = stored.size();
  auto skipBlanks = [&] {
    while (p < end && IsBlank(stored[p])) ++p;
  };
  skipBlanks();
  while (p < end) {
    if (stored[p] == '"') {
      // Runs to the closing quote; a doubled quote is one quote.
      ++p;
      while (p < end) {
        if (stored[p] == '"') {
          if (p + 1 < end && stored[p + 1] == '"') {
            text += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        text += stored[p++];
      }
    } else {
      size_t start = p;
      while (p<end&& static_cast<unsigned char>(stored[p])> ' ' && stored[p] != ',') ++p;
      text.append(stored, start, p - start);
      // A NUL is no blank and no item byte: step over it so that the loop ends.
      if (p < end && stored[p] == '\0' && p == start) ++p;
    }
    skipBlanks();
    if (p < end && stored[p] == ',') {
      text += "\r\n";
      ++p;
      skipBlanks();
    }
  }
  return text;
}

std::string NormalizeCellText(std::string text) {
  if (!HasLineBreak(text)) return text;
  return StoredToText(TextToStored(text));
}

}  // namespace velloran
