#include "framework/TextFile.h"

#include <algorithm>
#include <cstring>

#include "framework/Exception.h"

namespace velloran {

namespace {

constexpr char EndOfFileMark = '\x1A';
constexpr std::size_t MaxNumberWord = 32;

// Blanks, tabs and line ends: every byte up to 20 hexadecimal.
bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9')
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value < base ? value : -1;
}

}  // namespace

std::size_t MemorySource::Read(char* buffer, std::size_t size) {
  std::size_t count = std::min(size, rest_.size());
  std::memcpy(buffer, rest_.data(), count);
  rest_.remove_prefix(count);
  return count;
}

bool ParseIntegerWord(std::string_view word, std::int32_t& value) {
  bool negative = false;
  if (!word.empty() && (word.front() == '+' || word.front() == '-')) {
    negative = word.front() == '-';
    word.remove_prefix(1);
  }
  int base = 10;
  if (word.starts_with('$')) {
    base = 16;
    word.remove_prefix(1);
  } else if (word.starts_with("0x")) {
    base = 16;
    word.remove_prefix(2);
  }
  if (word.empty()) return false;
  // One past the largest magnitude, so that the negative limit fits too.
  constexpr std::int64_t limit = std::int64_t{1} << 31;
  std::int64_t magnitude = 0;
  for (char c : word) {
    int digit = DigitValue(c, base);
    if (digit < 0) return false;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return false;
  }
  if (!negative && magnitude == limit) return false;
  value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return true;
}

TextReader::TextReader(ByteSource& source, std::size_t blockSize)
    : source_(source), buffer_(std::max<std::size_t>(blockSize, 1)) {}

bool TextReader::Fill() {
  if (pos_ < end_) return true;
  if (finished_) return false;
  consumed_ += end_;
  pos_ = end_ = 0;
  std::size_t count = source_.Read(buffer_.data(), buffer_.size());
  if (count == 0) {
    finished_ = true;
    return false;
  }
  // Looking for the mark once per block keeps the per-line searches to one byte value.
  if (const void* mark = std::memchr(buffer_.data(), EndOfFileMark, count)) {
    count = static_cast<const char*>(mark) - buffer_.data();
    finished_ = true;
  }
  end_ = count;
  return end_ > 0;
}

bool TextReader::Eof() {
  return !Fill();
}

void TextReader::SkipLineFeed() {
  if (Fill() && buffer_[pos_] == '\n') ++pos_;
}

void TextReader::ReadLine(std::string& text) {
  text.clear();
  while (Fill()) {
    const char* start = buffer_.data() + pos_;
    const char* cr = static_cast<const char*>(std::memchr(start, '\r', end_ - pos_));
    if (cr) {
      text.append(start, cr);
      pos_ += cr - start + 1;
      SkipLineFeed();
      return;
    }
    text.append(start, end_ - pos_);
    pos_ = end_;
  }
}

std::string TextReader::ReadLine() {
  std::string text;
  ReadLine(text);
  return text;
}

void TextReader::SkipLine() {
  while (Fill()) {
    const char* start = buffer_.data() + pos_;
    const char* cr = static_cast<const char*>(std::memchr(start, '\r', end_ - pos_));
    if (cr) {
      pos_ += cr - start + 1;
      SkipLineFeed();
      return;
    }
    pos_ = end_;
  }
}

std::int32_t TextReader::ReadInteger() {
  while (Fill() && IsBlank(buffer_[pos_])) ++pos_;
  std::string word;
  while (word.size() < MaxNumberWord && Fill() && !IsBlank(buffer_[pos_])) word += buffer_[pos_++];
  if (word.empty()) return 0;
  std::int32_t value = 0;
  if (!ParseIntegerWord(word, value)) throw EInOutError(InvalidNumericInputText);
  return value;
}

TextWriter::TextWriter(ByteSink& sink, std::size_t blockSize)
    : sink_(sink), blockSize_(std::max<std::size_t>(blockSize, 1)) {
  buffer_.reserve(blockSize_);
}

void TextWriter::Write(std::string_view text) {
  if (buffer_.size() + text.size() > blockSize_) {
    Flush();
    // A text larger than a block goes out directly instead of through the buffer.
    if (text.size() >= blockSize_) {
      sink_.Write(text.data(), text.size());
      return;
    }
  }
  buffer_.append(text);
}

void TextWriter::WriteLine(std::string_view text) {
  Write(text);
  Write("\r\n");
}

void TextWriter::Flush() {
  if (buffer_.empty()) return;
  sink_.Write(buffer_.data(), buffer_.size());
  buffer_.clear();
}

}  // namespace velloran
