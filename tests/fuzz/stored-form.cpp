// The stored form of cell texts over any bytes.
// - Reading any bytes as a stored form ends, and gives text.
// - A text's stored form holds no CR: the text is cut at every CR (an LF cuts
//   it only where no CR follows, so a quoted line may keep one).
// - A text read back from its stored form reads back the same once more.
// - Text whose line breaks are all CR LF comes back unchanged; text without
//   CR comes back with each LF as CR LF.

#include <cstdint>
#include <string>
#include <string_view>

#include "grid/KStrings.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzInput.h"

namespace velloran {
namespace {

bool OnlyPairedBreaks(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  }
  return true;
}

std::string WithPairedBreaks(std::string_view text) {
  std::string paired;
  for (char c : text) {
    if (c == '\n') paired += '\r';
    paired += c;
  }
  return paired;
}

}  // namespace
}  // namespace velloran

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  const std::string_view bytes = fuzz::BytesOf(data, size);

  StoredToText(bytes);

  const std::string stored = TextToStored(bytes);
  VELLORAN_FUZZ_CHECK(stored.find('\r') == std::string::npos);
  const std::string text = StoredToText(stored);
  VELLORAN_FUZZ_CHECK(StoredToText(TextToStored(text)) == text);
  VELLORAN_FUZZ_CHECK(NormalizeCellText(std::string(bytes)) == text);
  if (OnlyPairedBreaks(bytes)) VELLORAN_FUZZ_CHECK(text == bytes);
  if (bytes.find('\r') == std::string_view::npos)
    VELLORAN_FUZZ_CHECK(text == WithPairedBreaks(bytes));
  return 0;
}
