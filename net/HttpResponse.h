#pragma once
// Reading the status line and header lines of a response, line by line from
// a LineSource (the connection's ReadLn, or a scripted byte stream in tests).
//
// Values come from fixed positions of the lines: a name test needs the colon
// right after the name and one blank after it ("Location:/x" is not a Location
// line), and a value starts right after that blank, so a second blank begins
// the value. Only the last Set-Cookie line counts. Location and Set-Cookie
// values are cut to 256 characters.
//
// Bounds: a header ends at a line that is LF alone, CR LF alone, or empty
// (the peer closed). A header of more than 1000 lines or 1 MiB (status line
// and final empty line included), or a line longer than the line buffer, ends
// the reading with ESockError at the first line beyond; nothing more is read.
//
// Threading: none; runs on the caller's thread.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/TextFile.h"
#include "net/LineSplitter.h"

namespace velloran {

struct HeaderLimits {
  std::size_t lineLength = LineBufferSize;
  std::size_t lines = 1000;
  std::size_t bytes = 1024 * 1024;
};

// "HTTP header has more than 1000 lines"
std::string TooManyHeaderLinesText(std::size_t limit = HeaderLimits{}.lines);
// "HTTP header longer than 1048576 bytes"
std::string HeaderTooLongText(std::size_t limit = HeaderLimits{}.bytes);

// What the header of a response sets on the client.
struct ResponseHeaderFields {
  // The status code: the status line's second blank-separated field; 0
  // without a status line or when that field is no integer. Any 32-bit
  // value: "HTTP/1.0 65736 OK" is 65736. A number beyond the 32-bit range
  // counts as the largest 32-bit value: a failure, never a success.
  std::int32_t ReplyNumber = 0;
  // The first run of digits after "Content-Length:", 0 without one; capped at
  // the largest 32-bit value. It announces, and never sizes anything.
  std::int32_t BytesTotal = 0;
  // Whether a Content-Length line with digits came: a length of 0 is a
  // length, and only a reply that gave one can be told to have been cut short.
  bool HasContentLength = false;
  // Whether the header ended with its empty line, not with the peer's close.
  bool Complete = false;
  // The last Set-Cookie line's value as it came, attributes and all.
  std::string CookieIn;
  // Kept as it was when the response has no Location line. As it came: a CR
  // inside the line stays (ParseURL refuses it as the next pass's address).
  std::string Location;
};

// Sets ReplyNumber, BytesTotal, HasContentLength, Complete and CookieIn afresh, Location when a
// line names it, and writes every line read (with its line end, the final empty one included) to
// Header. (Tests and fuzzing set smaller Limits, to reach them with small inputs.)
void ReadResponseHeader(LineSource& lines, ByteSink& header, ResponseHeaderFields& fields,
                        const HeaderLimits& limits = {});

// The cookie to send back from a Set-Cookie value: its name=value pair, the
// text before the first ";", without the blanks (spaces and tabs) around it.
// The attributes after it ("Path=/", "HttpOnly", ...) are for the client,
// and sent back they would pose as cookies of their own. Empty when there is
// no pair. A pair holding a control character raises ESockError
// (ControlCharacterText("reply's cookie", ...)): sent back, a CR or LF would
// make a header line of the reply's choosing.
std::string CookiePair(std::string_view setCookieValue);

}  // namespace velloran
