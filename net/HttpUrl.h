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
// appends "/" to a URL without a path ("http://host" becomes "http://host/",
// which stays as it is); parsing the result again gives the same fields:
// - "Empty URL" (Exception) for an empty URL; Port 0 becomes 80 first;
// - a URL with ":" has a scheme (the text before it, any case): "gopher" sets
//   Port 70, "ftp" 21, "https" raises "HTTP Secure Socket is not supported",
//   anything else 80; a URL without ":" keeps the Port it had;
// - a port after the host ("host:8080") wins; a port text that is no integer,
//   or one outside 0 to 65535, raises EConvertError;
// - a URL holding a control character raises ControlCharacterText("address",
//   the first one) (Exception) before anything else is looked at: a CR or LF
//   would end the request line and start a header line of its own, and a
//   redirect's Location comes here as the next pass's URL.
void ParseURL(RequestTarget& target);

// Whether Byte is a control character (0x00-0x1F or 0x7F), which no line of a
// request may hold.
constexpr bool IsControlCharacter(char byte) {
  return static_cast<unsigned char>(byte) < 0x20 || byte == 0x7F;
}
// Byte as two upper-case hexadecimal digits ("0D").
std::string HexByte(char byte);
// The position of the first control character in Text, or npos.
std::size_t FindControlCharacter(std::string_view text);
// "The WHAT holds a control character (0x0D); nothing was sent", naming Byte.
std::string ControlCharacterText(std::string_view what, char byte);
// Raises Exception(ControlCharacterText(What, ...)) when Text holds a control character.
void RefuseControlCharacters(std::string_view text, std::string_view what);

// The 1-based position of the N-th Character in Text; the length plus 1 when
// there are fewer, or when the N-th is the last character.
std::size_t NthCharPos(std::string_view text, char character, int n);
// The N-th field (from 1) of Text split at every Character; empty when there
// is no such field.
std::string NthWord(std::string_view text, char character, int n);

}  // namespace velloran
