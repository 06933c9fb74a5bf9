#include "net/NMURL.h"

#include "framework/Exception.h"
#include "net/HttpUrl.h"

namespace velloran {

namespace {

bool StaysAsIs(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::string URLEncode(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte == ' ') {
      result += '+';
    } else if (StaysAsIs(byte)) {
      result += c;
    } else {
      result += '%';
      result += HexByte(c);
    }
  }
  return result;
}

std::string TNMURL::Encode() {
  try {
    return URLEncode(inputString_);
  } catch (const Exception& error) {
    if (OnError) OnError(*this, "Error during encode", error.Message());
    return inputString_;
  }
}

}  // namespace velloran
