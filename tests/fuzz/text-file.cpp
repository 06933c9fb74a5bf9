// The text-reading rules over any bytes. The first byte picks the reader's
// block size and the second the order of reads; the rest is the file.
// - Reading it line by line gives the lines that the rules cut it into: up to
//   the first 1A, ended by CR, an LF right after a CR dropped, any other LF kept.
// - Any mix of number, line and skip reads gives the same results, errors
//   included, whatever the block size, so block edges change nothing.
// - Those lines, written out and read again, come back unchanged.
// - A number reads back from its decimal and hexadecimal forms.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Exception.h"
#include "framework/TextFile.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzInput.h"

namespace velloran {
namespace {

std::vector<std::string> LinesByTheRules(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\x1A'));
  std::vector<std::string> lines;
  while (!bytes.empty()) {
    const std::size_t cr = bytes.find('\r');
    lines.emplace_back(bytes.substr(0, cr));
    if (cr == std::string_view::npos) break;
    bytes.remove_prefix(cr + 1);
    if (bytes.starts_with('\n')) bytes.remove_prefix(1);
  }
  return lines;
}

std::vector<std::string> ReadLines(std::string_view bytes, std::size_t blockSize) {
  MemorySource source(bytes);
  TextReader reader(source, blockSize);
  std::vector<std::string> lines;
  while (!reader.Eof()) {
    lines.push_back(reader.ReadLine());
    VELLORAN_FUZZ_CHECK(reader.Position() <= bytes.size());
  }
  return lines;
}

// What one read gave: a number, a text, or the error's message.
struct Outcome {
  std::optional<std::int32_t> number;
  std::string text;
  std::string error;
  std::uint64_t position = 0;
  bool operator==(const Outcome&) const = default;
};

std::vector<Outcome> ReadMixed(std::string_view bytes, std::size_t blockSize, unsigned order) {
  MemorySource source(bytes);
  TextReader reader(source, blockSize);
  std::vector<Outcome> outcomes;
  // Two bits of Order per read, used over and over; the reads end with the file.
  for (int step = 0; step < 4096 && !reader.Eof(); ++step) {
    Outcome outcome;
    try {
      switch ((order >> (2 * (step % 4))) & 3) {
        case 0:
        case 1:
          outcome.number = reader.ReadInteger();
          break;
        case 2:
          reader.ReadLine(outcome.text);
          break;
        default:
          reader.SkipLine();
          break;
      }
    } catch (const EInOutError& error) {
      outcome.error = error.what();
      VELLORAN_FUZZ_CHECK(outcome.error == InvalidNumericInputText);
    }
    outcome.position = reader.Position();
    outcomes.push_back(outcome);
    // An error ends a load, so it ends the reads here too.
    if (!outcome.error.empty()) break;
  }
  return outcomes;
}

void CheckNumberForms(std::string_view bytes) {
  if (bytes.size() < 4) return;
  std::int32_t number;
  std::memcpy(&number, bytes.data(), sizeof number);
  const auto magnitude = static_cast<std::uint32_t>(number < 0 ? -std::int64_t{number} : number);
  char hex[16];
  std::snprintf(hex, sizeof hex, "%X", magnitude);
  const std::string sign = number < 0 ? "-" : "";
  for (const std::string& word : {std::to_string(number), sign + "$" + hex, sign + "0x" + hex}) {
    std::int32_t parsed = 0;
    VELLORAN_FUZZ_CHECK(ParseIntegerWord(word, parsed));
    VELLORAN_FUZZ_CHECK(parsed == number);
  }
}

}  // namespace
}  // namespace velloran

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  if (size < 2) return 0;
  const std::size_t blockSize = 1 + data[0] % 16;
  const unsigned order = data[1];
  const std::string_view bytes = fuzz::BytesOf(data + 2, size - 2);

  const std::vector<std::string> lines = LinesByTheRules(bytes);
  VELLORAN_FUZZ_CHECK(ReadLines(bytes, blockSize) == lines);
  VELLORAN_FUZZ_CHECK(ReadLines(bytes, 1 << 16) == lines);

  VELLORAN_FUZZ_CHECK(ReadMixed(bytes, blockSize, order) == ReadMixed(bytes, 1 << 16, order));

  fuzz::StringSink sink;
  TextWriter writer(sink, blockSize);
  for (const std::string& line : lines) writer.WriteLine(line);
  writer.Flush();
  VELLORAN_FUZZ_CHECK(ReadLines(sink.bytes, blockSize) == lines);

  CheckNumberForms(bytes);
  return 0;
}
