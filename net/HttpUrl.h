#pragma once
// The address of a request: splitting URL into the path for the request
// line, the host and the port, by the client's fixed rules.
//
// Threading: none; pure functions.

#include <cstdint>
#include <string>
#include <string_view>

namespace velloran {

inline constexpr const char* EmptyURLText = "Empty URL";
inline constexpr const char* SecureSocketText = "HTTP Secure Socket is not supported";

// The client's fields that ParseURL reads and sets.
struct RequestTarget {
  std::string URL;
  std::string RequestPath;
  // Left as it was when URL names no host ("/list.php" asks the same host again).
  std::string Host;
  std::int32_t Port = 0;
};

// Sets RequestPath (at most 256 characters), Host and Port from URL, and
// appends "/" to a URL without a path:
// - "Empty URL" (Exception) for an empty URL; Port 0 becomes 80 first;
// - a URL with ":" has a scheme (the text before it, any case): "gopher" sets
//   Port 70, "ftp" 21, "https" raises "HTTP Secure Socket is not supported",
//   anything else 80; a URL without ":" keeps the Port it had;
// - a port after the host ("host:8080") wins; a port text that is no integer,
//   or one outside 0 to 65535, raises EConvertError.
void ParseURL(RequestTarget& target);

// The 1-based position of the N-th Character in Text; the length plus 1 when
// there are fewer, or when the N-th is the last character.
std::size_t NthCharPos(std::string_view text, char character, int n);
// The N-th field (from 1) of Text split at every Character; empty when there
// is no such field.
std::string NthWord(std::string_view text, char character, int n);

}  // namespace velloran
