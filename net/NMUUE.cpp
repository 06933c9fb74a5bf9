#include "net/NMUUE.h"

#include <cstdint>

#include "framework/Exception.h"

namespace velloran {

namespace {

constexpr std::string_view MimeAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::string_view UUAlphabet =
    "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_";

constexpr std::size_t BytesPerLine = 45;

// One output line (with its CR LF) for up to 45 input bytes.
void AppendLine(std::string& out, const unsigned char* in, std::size_t count, UUMethods method) {
  std::string_view alphabet = AlphabetOf(method);
  auto put = [&](unsigned value) { out += alphabet[value & 63]; };
  if (method == uuCode) put(static_cast<unsigned>(count));
  std::size_t i = 0;
  for (; i + 3 <= count; i += 3) {
    put(in[i] >> 2);
    put((in[i] << 4) | (in[i + 1] >> 4));
    put((in[i + 1] << 2) | (in[i + 2] >> 6));
    put(in[i + 2]);
  }
  if (count - i == 1) {
    put(in[i] >> 2);
    put(in[i] << 4);
    if (method == uuMime) out += "==";
  } else if (count - i == 2) {
    put(in[i] >> 2);
    put((in[i] << 4) | (in[i + 1] >> 4));
    put(in[i + 1] << 2);
    if (method == uuMime) out += '=';
  }
  out += "\r\n";
}

}  // namespace

std::string_view AlphabetOf(UUMethods method) {
  return method == uuCode ? UUAlphabet : MimeAlphabet;
}

std::string EncodeLines(std::string_view bytes, UUMethods method) {
  TMemoryStream input{std::string(bytes)};
  TMemoryStream output;
  TNMUUProcessor encoder(nullptr);
  encoder.SetMethod(method);
  encoder.InputStream = &input;
  encoder.OutputStream = &output;
  encoder.EncodeStream();
  return output.Bytes();
}

void TNMUUProcessor::EncodeStream() {
  if (!InputStream || !OutputStream)
    throw Exception("Encoding needs an input and an output stream");
  InputStream->SetPosition(0);
  if (OnBeginEncode) OnBeginEncode(*this);
  alphabet_ = AlphabetOf(method_);
  // However encoding ends, the reader of OutputStream starts at its beginning.
  auto finish = [this] {
    OutputStream->SetPosition(0);
    if (OnEndEncode) OnEndEncode(*this);
  };
  try {
    unsigned char block[BytesPerLine];
    std::string line;
    while (InputStream->Position() < InputStream->Size()) {
      std::size_t count = InputStream->Read(block, BytesPerLine);
      if (count == 0) break;
      line.clear();
      AppendLine(line, block, count, method_);
      OutputStream->Write(line.data(), line.size());
    }
    if (method_ == uuCode) OutputStream->Write("`\r\n", 3);
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

}  // namespace velloran
