#include "net/HttpResponse.h"

#include <limits>
#include <string_view>

#include "framework/Exception.h"
#include "framework/StringList.h"
#include "net/HttpUrl.h"

namespace velloran {

namespace {

constexpr std::size_t MaxValueLength = 256;
constexpr std::int32_t Largest = std::numeric_limits<std::int32_t>::max();

std::string_view WithoutLineEnd(std::string_view line) {
  if (line.ends_with('\n')) line.remove_suffix(1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

bool IsHeaderEnd(std::string_view line) {
  return line.empty() || line == "\n" || line == "\r\n";
}

// The value of a named line, which starts at a fixed position.
std::string ValueFrom(std::string_view line, std::size_t position) {
  line = WithoutLineEnd(line);
  if (position >= line.size()) return {};
  return std::string(line.substr(position, MaxValueLength));
}

// Whether Text has the form of an integer as the run-time library reads one,
// whatever its size.
bool LooksLikeInteger(std::string_view text) {
  if (text.starts_with('+') || text.starts_with('-')) text.remove_prefix(1);
  bool hex = false;
  if (text.starts_with('$')) {
    hex = true;
    text.remove_prefix(1);
  } else if (text.starts_with("0x")) {
    hex = true;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  for (char c : text) {
    bool digit = c >= '0' && c <= '9';
    bool hexDigit = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!digit && !(hex && hexDigit)) return false;
  }
  return true;
}

std::int32_t StatusCode(std::string_view field) {
  std::int32_t value = 0;
  if (ParseIntegerWord(field, value)) return value;
  // A code too large for 32 bits must not come out as 0, which means success.
  return LooksLikeInteger(field) ? Largest : 0;
}

// The first run of decimal digits from Position on, or 0; capped at the largest 32-bit value.
std::int32_t DigitsFrom(std::string_view line, std::size_t position) {
  std::size_t at = line.find_first_of("0123456789", position);
  if (at == std::string_view::npos) return 0;
  std::int64_t value = 0;
  for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at) {
    value = std::min<std::int64_t>(value * 10 + (line[at] - '0'), Largest);
  }
  return static_cast<std::int32_t>(value);
}

// ReadLn with the header's bounds.
class BoundedLines {
 public:
  BoundedLines(LineSource& source, const HeaderLimits& limits) : source_(source), limits_(limits) {}
  std::string Next() {
    std::string line = source_.ReadLn();
    if (line.size() > limits_.lineLength) throw ESockError(LineTooLongText(limits_.lineLength));
    if (!line.empty() && ++lines_ > limits_.lines) {
      throw ESockError(TooManyHeaderLinesText(limits_.lines));
    }
    bytes_ += line.size();
    if (bytes_ > limits_.bytes) throw ESockError(HeaderTooLongText(limits_.bytes));
    return line;
  }

 private:
  LineSource& source_;
  const HeaderLimits& limits_;
  std::size_t lines_ = 0;
  std::size_t bytes_ = 0;
};

void TakeValue(std::string_view line, ResponseHeaderFields& fields) {
  std::string name = UpperCase(NthWord(line, ' ', 1));
  if (name == "SET-COOKIE:") {
    fields.CookieIn = ValueFrom(line, 12);
  } else if (name == "LOCATION:") {
    fields.Location = ValueFrom(line, 10);
  } else if (name == "CONTENT-LENGTH:") {
    fields.BytesTotal = DigitsFrom(line, name.size());
    fields.HasContentLength =
        line.find_first_of("0123456789", name.size()) != std::string_view::npos;
  }
}

}  // namespace

std::string CookiePair(std::string_view setCookieValue) {
  std::string_view pair = setCookieValue.substr(0, setCookieValue.find(';'));
  const std::size_t first = pair.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  pair = pair.substr(first, pair.find_last_not_of(" \t") + 1 - first);
  if (const std::size_t at = FindControlCharacter(pair); at != std::string_view::npos) {
    throw ESockError(ControlCharacterText("reply's cookie", pair[at]));
  }
  return std::string(pair);
}

std::string TooManyHeaderLinesText(std::size_t limit) {
  return "HTTP header has more than " + std::to_string(limit) + " lines";
}

std::string HeaderTooLongText(std::size_t limit) {
  return "HTTP header longer than " + std::to_string(limit) + " bytes";
}

void ReadResponseHeader(LineSource& lines, ByteSink& header, ResponseHeaderFields& fields,
                        const HeaderLimits& limits) {
  fields.ReplyNumber = 0;
  fields.BytesTotal = 0;
  fields.HasContentLength = false;
  fields.Complete = false;
  fields.CookieIn.clear();
  BoundedLines bounded(lines, limits);

  std::string line = bounded.Next();
  if (!line.empty()) fields.ReplyNumber = StatusCode(NthWord(WithoutLineEnd(line), ' ', 2));
  header.Write(line.data(), line.size());

  do {
    line = bounded.Next();
    TakeValue(line, fields);
    header.Write(line.data(), line.size());
  } while (!IsHeaderEnd(line));
  fields.Complete = !line.empty();
}

}  // namespace velloran
