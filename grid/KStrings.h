#pragma once
// The stored form of a cell text: its lines as one comma-separated line, each
// line quoted when it holds a blank, a control byte, a double quote or a comma.
// Every line break reads back as CR LF.

#include <string>
#include <string_view>

namespace velloran {

std::string TextToStored(std::string_view text);
std::string StoredToText(std::string_view stored);

// What a cell shows after a write of Text: the text read back from its stored
// form. A text without line breaks comes back unchanged, so only texts with
// CR or LF need the round trip.
std::string NormalizeCellText(std::string text);

inline bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace velloran
