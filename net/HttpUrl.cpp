#include "net/HttpUrl.h"

#include "framework/Exception.h"
#include "framework/StringList.h"
#include "framework/TextFile.h"

namespace velloran {

namespace {

constexpr std::size_t MaxRequestPath = 256;

// The port after a host, read as the run-time library reads integers. A
// number outside the 16 bits of a port would silently name another port.
std::int32_t PortNumber(const std::string& text) {
  std::int32_t value = 0;
  if (!ParseIntegerWord(text, value)) {
    throw EConvertError("'" + text + "' is not a valid integer value");
  }
  if (value < 0 || value > 65535) throw EConvertError("'" + text + "' is not a valid port number");
  return value;
}

std::int32_t SchemePort(const std::string& scheme) {
  if (scheme == "gopher") return 70;
  if (scheme == "ftp") return 21;
  if (scheme == "https") throw Exception(SecureSocketText);
  return 80;
}

}  // namespace

std::size_t NthCharPos(std::string_view text, char character, int n) {
  const std::size_t notThere = text.size() + 1;
  if (n < 1) return notThere;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == character && --n == 0) return i + 1 == text.size() ? notThere : i + 1;
  }
  return notThere;
}

std::string NthWord(std::string_view text, char character, int n) {
  if (n < 1) return {};
  std::size_t start = 0;
  for (int field = 1; field < n; ++field) {
    std::size_t next = text.find(character, start);
    if (next == std::string_view::npos) return {};
    start = next + 1;
  }
  std::size_t end = text.find(character, start);
  return std::string(text.substr(start, end == std::string_view::npos ? end : end - start));
}

std::size_t FindControlCharacter(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsControlCharacter(text[i])) return i;
  }
  return std::string_view::npos;
}

std::string HexByte(char byte) {
  static constexpr char digits[] = "0123456789ABCDEF";
  const auto value = static_cast<unsigned char>(byte);
  return {digits[value >> 4], digits[value & 0xF]};
}

std::string ControlCharacterText(std::string_view what, char byte) {
  return "The " + std::string(what) + " holds a control character (0x" + HexByte(byte) +
         "); nothing was sent";
}

void RefuseControlCharacters(std::string_view text, std::string_view what) {
  const std::size_t at = FindControlCharacter(text);
  if (at != std::string_view::npos) throw Exception(ControlCharacterText(what, text[at]));
}

void ParseURL(RequestTarget& target) {
  const std::string& url = target.URL;
  if (url.empty()) throw Exception(EmptyURLText);
  RefuseControlCharacters(url, "address");
  if (target.Port == 0) target.Port = 80;

  const bool hasAuthority = url.find("//") != std::string::npos;
  if (hasAuthority) {
    std::size_t from = NthCharPos(url, '/', 3) - 1;
    target.RequestPath = from < url.size() ? url.substr(from, MaxRequestPath) : std::string();
  } else if (std::size_t slash = url.find('/'); slash != std::string::npos) {
    target.RequestPath = url.substr(slash, MaxRequestPath);
  } else {
    target.RequestPath.clear();
  }

  if (std::size_t colon = url.find(':'); colon != std::string::npos) {
    target.Port = SchemePort(LowerCase(url.substr(0, colon)));
  }

  std::string host;
  if (hasAuthority) {
    host = NthWord(url, '/', 3);
  } else if (url.front() != '/') {
    host = NthWord(url, '/', 1);
  }
  if (std::size_t colon = host.find(':'); colon != std::string::npos) {
    target.Port = PortNumber(NthWord(host, ':', 2));
    host.resize(colon);
  }
  if (!host.empty()) target.Host = host;

  if (target.RequestPath.empty()) {
    target.RequestPath.assign(1, '/');  // not = "/": GCC 12 warns of a false overlap
    // "http://host/" has its path already: NthCharPos does not count a last
    // "/". A second "/" would make the next pass (or a proxy) ask for "//".
    if (!url.ends_with('/')) target.URL += "/";
  }
}

}  // namespace velloran
