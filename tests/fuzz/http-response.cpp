// Reading a response's header from a connection that delivers the bytes in
// any blocks. The first four bytes pick the block sizes, the next two the
// limits (small ones, so that every bound is reached); the rest is the reply.
// - The outcome (values, header, body, or the error) is the same whatever the
//   blocks: block edges change nothing.
// - The header is the reply's first bytes, every line within the limits, and
//   header and body together are the reply; only a close in the middle of a
//   line drops its bytes.
// - An error names a bound the reply really passes.
// - The status code is the second field's number, not cut to 16 bits, and a
//   number too large for 32 bits is the largest value, never 0 (success).
// - Values are at most 256 characters, on one line.
// - The cookie sent back is CookieIn's text before its first ";" without the
//   blanks around it, and holds no control character: a pair that holds one
//   is refused, naming the first. A Location that holds one is refused as an
//   address.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Exception.h"
#include "framework/Streams.h"
#include "net/HttpResponse.h"
#include "net/HttpUrl.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/net/ScriptedSource.h"

namespace velloran {
namespace {

const char* const Unchanged = "<unchanged>";

struct Outcome {
  ResponseHeaderFields fields;
  std::string header;
  std::string body;
  std::string error;
  bool operator==(const Outcome& other) const {
    return fields.ReplyNumber == other.fields.ReplyNumber &&
           fields.BytesTotal == other.fields.BytesTotal &&
           fields.HasContentLength == other.fields.HasContentLength &&
           fields.Complete == other.fields.Complete && fields.CookieIn == other.fields.CookieIn &&
           fields.Location == other.fields.Location && header == other.header &&
           body == other.body && error == other.error;
  }
};

Outcome Read(const std::string& reply, std::vector<std::size_t> splits,
             const HeaderLimits& limits) {
  test::ScriptedSource source(reply, std::move(splits));
  StreamLines lines(source, LineBufferSize, limits.lineLength);
  Outcome outcome;
  outcome.fields.Location = Unchanged;
  outcome.fields.ReplyNumber = -7;
  StringSink sink(outcome.header);
  try {
    ReadResponseHeader(lines, sink, outcome.fields, limits);
    outcome.body = lines.ReadRest(reply.size());
  } catch (const ESockError& error) {
    outcome.error = error.Message();
  }
  return outcome;
}

std::vector<std::string_view> LinesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t lf = text.find('\n');
    std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return lines;
}

void CheckStatus(const Outcome& outcome) {
  if (outcome.header.empty()) {
    VELLORAN_FUZZ_CHECK(outcome.fields.ReplyNumber == 0);
    return;
  }
  std::string_view status = LinesOf(outcome.header).front();
  status.remove_suffix(1);  // every stored line ends with its LF
  if (status.ends_with('\r')) status.remove_suffix(1);
  const std::string field = NthWord(status, ' ', 2);
  const bool digits = !field.empty() && std::all_of(field.begin(), field.end(),
                                                    [](char c) { return c >= '0' && c <= '9'; });
  if (!digits) return;
  const std::size_t significant =
      field.size() - std::min(field.find_first_not_of('0'), field.size());
  if (significant <= 9) {
    VELLORAN_FUZZ_CHECK(outcome.fields.ReplyNumber == std::stoi(field));
  } else if (significant >= 11) {
    VELLORAN_FUZZ_CHECK(outcome.fields.ReplyNumber == std::numeric_limits<std::int32_t>::max());
  }
}

bool IsControlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte <= 0x1F || byte == 0x7F;
}

void CheckCookie(const std::string& cookieIn) {
  std::string expected = cookieIn.substr(0, cookieIn.find(';'));
  while (!expected.empty() && (expected.back() == ' ' || expected.back() == '\t')) {
    expected.pop_back();
  }
  while (!expected.empty() && (expected.front() == ' ' || expected.front() == '\t')) {
    expected.erase(0, 1);
  }
  const auto control = std::find_if(expected.begin(), expected.end(), IsControlByte);
  std::string pair;
  try {
    pair = CookiePair(cookieIn);
  } catch (const ESockError& error) {
    VELLORAN_FUZZ_CHECK(control != expected.end());
    VELLORAN_FUZZ_CHECK(error.Message() == ControlCharacterText("reply's cookie", *control));
    return;
  }
  VELLORAN_FUZZ_CHECK(control == expected.end());
  VELLORAN_FUZZ_CHECK(pair == expected);
  VELLORAN_FUZZ_CHECK(pair.find(';') == std::string::npos);
}

void CheckLocation(const std::string& location) {
  const auto control = std::find_if(location.begin(), location.end(), IsControlByte);
  RequestTarget next{location, "", "prev", 80};
  std::string error;
  try {
    ParseURL(next);
  } catch (const Exception& e) {
    error = e.Message();
  }
  if (control != location.end()) {
    VELLORAN_FUZZ_CHECK(error == ControlCharacterText("address", *control));
  } else {
    VELLORAN_FUZZ_CHECK(error.find("control character") == std::string::npos);
  }
}

void CheckOutcome(const std::string& reply, const Outcome& outcome, const HeaderLimits& limits) {
  const std::vector<std::string_view> replyLines = LinesOf(reply);
  if (!outcome.error.empty()) {
    if (outcome.error == LineTooLongText(limits.lineLength)) {
      VELLORAN_FUZZ_CHECK(std::any_of(replyLines.begin(), replyLines.end(), [&](auto line) {
        return line.size() > limits.lineLength ||
               (!line.ends_with('\n') && line.size() == limits.lineLength);
      }));
    } else if (outcome.error == TooManyHeaderLinesText(limits.lines)) {
      VELLORAN_FUZZ_CHECK(static_cast<std::size_t>(std::count(reply.begin(), reply.end(), '\n')) >
                          limits.lines);
    } else {
      VELLORAN_FUZZ_CHECK(outcome.error == HeaderTooLongText(limits.bytes));
      VELLORAN_FUZZ_CHECK(reply.size() > limits.bytes);
    }
    return;
  }
  VELLORAN_FUZZ_CHECK(reply.starts_with(outcome.header));
  if (outcome.header + outcome.body != reply) {
    // Closed in the middle of the header: its complete lines are all there is.
    const std::size_t lastLineFeed = reply.rfind('\n');
    VELLORAN_FUZZ_CHECK(outcome.body.empty());
    VELLORAN_FUZZ_CHECK(outcome.header ==
                        reply.substr(0, lastLineFeed == std::string::npos ? 0 : lastLineFeed + 1));
  }
  const std::vector<std::string_view> headerLines = LinesOf(outcome.header);
  VELLORAN_FUZZ_CHECK(headerLines.size() <= limits.lines);
  VELLORAN_FUZZ_CHECK(outcome.header.size() <= limits.bytes);
  for (auto line : headerLines) {
    VELLORAN_FUZZ_CHECK(line.size() <= limits.lineLength);
    VELLORAN_FUZZ_CHECK(line.ends_with('\n'));
  }
  for (const std::string& value : {outcome.fields.CookieIn, outcome.fields.Location}) {
    VELLORAN_FUZZ_CHECK(value.size() <= 256);
    VELLORAN_FUZZ_CHECK(value.find('\n') == std::string::npos);
  }
  if (outcome.fields.Location != Unchanged) {
    VELLORAN_FUZZ_CHECK(outcome.header.find(outcome.fields.Location) != std::string::npos);
  }
  VELLORAN_FUZZ_CHECK(outcome.fields.BytesTotal >= 0);
  // A header that ended with its empty line, not with the close: its last
  // line, after the status line, is that empty one.
  const bool endsWithEmptyLine =
      outcome.header.ends_with("\n\n") || outcome.header.ends_with("\n\r\n");
  VELLORAN_FUZZ_CHECK(outcome.fields.Complete == endsWithEmptyLine);
  if (!outcome.fields.HasContentLength) VELLORAN_FUZZ_CHECK(outcome.fields.BytesTotal == 0);
  CheckStatus(outcome);
  CheckCookie(outcome.fields.CookieIn);
  if (outcome.fields.Location != Unchanged) CheckLocation(outcome.fields.Location);
}

}  // namespace
}  // namespace velloran

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  if (size < 6) return 0;
  std::vector<std::size_t> splits;
  for (int i = 0; i < 4; ++i) splits.push_back(1 + data[i] % 64);
  HeaderLimits limits;
  if (data[4] < 0xF0) {
    limits.lineLength = 4 + data[4];
    limits.lines = 1 + data[5] % 32;
    limits.bytes = 8 + data[5] * 4;
  }
  const std::string reply(reinterpret_cast<const char*>(data) + 6, size - 6);

  const Outcome split = Read(reply, splits, limits);
  const Outcome whole = Read(reply, {}, limits);
  VELLORAN_FUZZ_CHECK(split == whole);
  CheckOutcome(reply, whole, limits);
  return 0;
}
