// The address and encoding utilities over any text. The first byte is the
// delimiter for the field functions (its two low bits also choose a proxy and
// a cookie from the parsed server or another), the next two the port before
// ParseURL; the rest is the text.
// - NthWord's fields joined by the delimiter give the text back; NthCharPos
//   points at the N-th delimiter, or one past the end.
// - ParseURL raises only its own errors, and the control-character one
//   exactly when a plain scan finds a byte below 0x20 or 0x7F, naming the
//   first; otherwise the path is 1 to 256 characters from the URL (or "/"),
//   the host a part of it without "/" or ":", the port one a connection can
//   use, and parsing the result again gives the same path, host and port.
// - A request built for a URL that parsed (directly or through a proxy) has no
//   control character in any line, and carries the cookie exactly when its
//   origin is the parsed host and port.
// - URLEncode gives only letters, digits, "+" and "%XX", and decodes back.
// - Base64 and uuencode lines have their lengths and decode back.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Exception.h"
#include "net/HttpRequest.h"
#include "net/HttpUrl.h"
#include "net/NMURL.h"
#include "net/NMUUE.h"
#include "tests/fuzz/FuzzCheck.h"

namespace velloran {
namespace {

// Field checks walk at most this many fields, so that a long text stays quick.
constexpr int MaxFields = 64;

void CheckFields(std::string_view text, char delimiter) {
  std::string joined;
  int n = 1;
  for (; n <= MaxFields; ++n) {
    const std::string word = NthWord(text, delimiter, n);
    VELLORAN_FUZZ_CHECK(word.find(delimiter) == std::string::npos);
    if (n > 1) joined += delimiter;
    joined += word;
    const std::size_t position = NthCharPos(text, delimiter, n);
    VELLORAN_FUZZ_CHECK(position >= 1 && position <= text.size() + 1);
    if (position <= text.size()) {
      VELLORAN_FUZZ_CHECK(text[position - 1] == delimiter);
      VELLORAN_FUZZ_CHECK(position < text.size());
      VELLORAN_FUZZ_CHECK(position == joined.size() + 1);
    } else if (joined.size() == text.size()) {
      break;  // no more delimiters: every field is taken
    }
  }
  if (n <= MaxFields) {
    VELLORAN_FUZZ_CHECK(joined == text);
    VELLORAN_FUZZ_CHECK(NthWord(text, delimiter, n + 1).empty());
  } else {
    VELLORAN_FUZZ_CHECK(text.starts_with(joined));
  }
}

// The first byte below 0x20 or 0x7F, or npos: the scan that FindControlCharacter must agree with.
std::size_t FirstControlByte(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte <= 0x1F || byte == 0x7F) return i;
  }
  return std::string_view::npos;
}

void CheckRequest(const RequestTarget& target, bool viaProxy, bool cookieFromThere) {
  RequestFields fields;
  fields.URL = target.URL;
  fields.RequestPath = target.RequestPath;
  fields.Host = target.Host;
  fields.Port = target.Port;
  if (viaProxy) fields.Proxy = "proxy";
  THeaderInfo info;
  info.Cookie = "id=7";
  info.CookieOrigin = OriginOf(target.Host, cookieFromThere ? target.Port : target.Port + 1);
  TExStringList header;
  BuildRequestHeader(fields, info, header);
  bool cookieSent = false;
  for (int i = 0; i < header.Count(); ++i) {
    VELLORAN_FUZZ_CHECK(FirstControlByte(header.Strings(i)) == std::string_view::npos);
    cookieSent = cookieSent || header.Strings(i) == "Cookie: id=7";
  }
  VELLORAN_FUZZ_CHECK(cookieSent == cookieFromThere);
}

void CheckParse(const std::string& url, std::int32_t port, bool viaProxy, bool cookieFromThere) {
  RequestTarget target{url, "old", "prev", port};
  const std::size_t control = FirstControlByte(url);
  VELLORAN_FUZZ_CHECK(FindControlCharacter(url) == control);
  try {
    ParseURL(target);
  } catch (const EConvertError& error) {
    VELLORAN_FUZZ_CHECK(control == std::string::npos);
    VELLORAN_FUZZ_CHECK(error.Message().find("' is not a valid ") != std::string::npos);
    return;
  } catch (const Exception& error) {
    if (control != std::string::npos) {
      VELLORAN_FUZZ_CHECK(error.Message() == ControlCharacterText("address", url[control]));
      VELLORAN_FUZZ_CHECK(target.RequestPath == "old" && target.Host == "prev");
    } else {
      VELLORAN_FUZZ_CHECK(error.Message() == EmptyURLText || error.Message() == SecureSocketText);
    }
    return;
  }
  VELLORAN_FUZZ_CHECK(control == std::string::npos);
  VELLORAN_FUZZ_CHECK(target.URL == url || target.URL == url + "/");
  VELLORAN_FUZZ_CHECK(!target.RequestPath.empty() && target.RequestPath.size() <= 256);
  VELLORAN_FUZZ_CHECK(target.RequestPath.front() == '/');
  VELLORAN_FUZZ_CHECK(target.URL.find(target.RequestPath) != std::string::npos);
  VELLORAN_FUZZ_CHECK(target.Port >= 0 && target.Port <= 65535);
  if (target.Host != "prev") {
    VELLORAN_FUZZ_CHECK(!target.Host.empty() && url.find(target.Host) != std::string::npos);
    VELLORAN_FUZZ_CHECK(target.Host.find_first_of("/:") == std::string::npos);
  }
  RequestTarget again = target;
  ParseURL(again);
  VELLORAN_FUZZ_CHECK(again.RequestPath == target.RequestPath);
  VELLORAN_FUZZ_CHECK(again.Host == target.Host);
  VELLORAN_FUZZ_CHECK(again.Port == target.Port);
  CheckRequest(target, viaProxy, cookieFromThere);
}

bool IsLetterOrDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // lower case is not what the encoder writes
}

void CheckUrlEncode(std::string_view text) {
  const std::string encoded = URLEncode(text);
  std::string decoded;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    const char c = encoded[i];
    if (c == '+') {
      decoded += ' ';
    } else if (c == '%') {
      VELLORAN_FUZZ_CHECK(i + 2 < encoded.size());
      const int high = HexValue(encoded[i + 1]);
      const int low = HexValue(encoded[i + 2]);
      VELLORAN_FUZZ_CHECK(high >= 0 && low >= 0);
      const char byte = static_cast<char>(high * 16 + low);
      VELLORAN_FUZZ_CHECK(!IsLetterOrDigit(byte) && byte != ' ');
      decoded += byte;
      i += 2;
    } else {
      VELLORAN_FUZZ_CHECK(IsLetterOrDigit(c));
      decoded += c;
    }
  }
  VELLORAN_FUZZ_CHECK(decoded == text);
}

// The lines of Encoded without their CR LF; each must have one.
std::vector<std::string_view> EncodedLines(std::string_view encoded) {
  std::vector<std::string_view> lines;
  while (!encoded.empty()) {
    const std::size_t end = encoded.find("\r\n");
    VELLORAN_FUZZ_CHECK(end != std::string_view::npos);
    lines.push_back(encoded.substr(0, end));
    encoded.remove_prefix(end + 2);
  }
  return lines;
}

// Groups of four alphabet characters (fewer at the end) back into bytes.
std::string DecodeGroups(std::string_view characters, std::string_view alphabet) {
  std::string bytes;
  unsigned bits = 0;
  int count = 0;
  for (char c : characters) {
    const std::size_t value = alphabet.find(c);
    VELLORAN_FUZZ_CHECK(value != std::string_view::npos);
    bits = (bits << 6) | static_cast<unsigned>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      bytes += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return bytes;
}

void CheckLineEncoding(std::string_view bytes) {
  const std::string mimeText = EncodeLines(bytes, uuMime);
  const std::vector<std::string_view> mime = EncodedLines(mimeText);
  VELLORAN_FUZZ_CHECK(mime.size() == (bytes.size() + 44) / 45);
  std::string decoded;
  for (std::size_t i = 0; i < mime.size(); ++i) {
    std::string_view line = mime[i];
    VELLORAN_FUZZ_CHECK(line.size() % 4 == 0 && line.size() <= 60);
    if (i + 1 < mime.size()) VELLORAN_FUZZ_CHECK(line.size() == 60);
    while (line.ends_with('=')) line.remove_suffix(1);
    VELLORAN_FUZZ_CHECK(mime[i].size() - line.size() <= 2);
    decoded += DecodeGroups(line, AlphabetOf(uuMime));
  }
  VELLORAN_FUZZ_CHECK(decoded == bytes);

  const std::string uuText = EncodeLines(bytes, uuCode);
  const std::vector<std::string_view> uu = EncodedLines(uuText);
  VELLORAN_FUZZ_CHECK(uu.size() == (bytes.size() + 44) / 45 + 1);
  VELLORAN_FUZZ_CHECK(uu.back() == "`");
  decoded.clear();
  for (std::size_t i = 0; i + 1 < uu.size(); ++i) {
    const std::size_t count = AlphabetOf(uuCode).find(uu[i].front());
    VELLORAN_FUZZ_CHECK(count >= 1 && count <= 45);
    VELLORAN_FUZZ_CHECK(uu[i].size() == 1 + (count * 4 + 2) / 3);
    const std::string line = DecodeGroups(uu[i].substr(1), AlphabetOf(uuCode));
    VELLORAN_FUZZ_CHECK(line.size() == count);
    decoded += line;
  }
  VELLORAN_FUZZ_CHECK(decoded == bytes);
}

}  // namespace
}  // namespace velloran

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  if (size < 3) return 0;
  const char delimiter = static_cast<char>(data[0]);
  const std::int32_t port = (data[1] << 8 | data[2]) % 65536;
  const std::string text(reinterpret_cast<const char*>(data) + 3, size - 3);
  CheckFields(text, delimiter);
  CheckFields(text, '/');
  CheckParse(text, port, data[0] & 1, data[0] & 2);
  CheckUrlEncode(text);
  CheckLineEncoding(text);
  return 0;
}
