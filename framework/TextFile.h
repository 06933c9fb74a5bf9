#pragma once
// Text files as the program reads and writes them: 8-bit bytes, CR LF line
// ends on writing, and on reading the rules that files written by other tools
// must meet too:
// - a line ends at CR, and an LF right after that CR belongs to the line end;
//   an LF on its own is part of the text;
// - the byte 1A (Ctrl+Z) is the end of the file;
// - a number is a word after skipped blanks and line ends: decimal with an
//   optional sign, or hexadecimal after "$" or "0x"; at the end of the file it
//   reads as 0.
// Reading and writing go through byte sources and sinks, so that the rules
// work the same on files (framework/FileAccess.h) and on bytes in memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velloran {

// The message of the error that a word which is no number raises.
inline constexpr const char* InvalidNumericInputText = "Invalid numeric input";

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to Size bytes into Buffer; returns how many, 0 only at the end.
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all Size bytes or raises.
  virtual void Write(const char* data, std::size_t size) = 0;
};

// Bytes in memory as a source; the bytes must outlive it.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : rest_(bytes) {}
  std::size_t Read(char* buffer, std::size_t size) override;

 private:
  std::string_view rest_;
};

class TextReader {
 public:
  // Reads from Source in large blocks; Source must outlive the reader.
  explicit TextReader(ByteSource& source, std::size_t blockSize = 256 * 1024);

  // Reads a number (see above) and leaves the reader right after its word.
  // A word that is no number raises EInOutError "Invalid numeric input".
  std::int32_t ReadInteger();
  // Reads the rest of the current line into Text and moves past its line end.
  // At the end of the file Text is empty.
  void ReadLine(std::string& text);
  std::string ReadLine();
  // Moves past the end of the current line.
  void SkipLine();
  bool Eof();
  // Bytes consumed from the source so far.
  std::uint64_t Position() const { return consumed_ + pos_; }

 private:
  // Makes bytes available at pos_; false at the end of the file.
  bool Fill();
  // Consumes an LF that directly follows a consumed CR.
  void SkipLineFeed();

  ByteSource& source_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  std::uint64_t consumed_ = 0;
  // A Ctrl+Z was met or the source is exhausted: nothing more is read.
  bool finished_ = false;
};

class TextWriter {
 public:
  // Writes to Sink in large blocks; Sink must outlive the writer. Whatever is
  // not flushed when the writer goes is dropped: a writer that ends early
  // never completes its file.
  explicit TextWriter(ByteSink& sink, std::size_t blockSize = 256 * 1024);

  void Write(std::string_view text);
  // Text, then CR LF.
  void WriteLine(std::string_view text);
  void Flush();

 private:
  ByteSink& sink_;
  std::string buffer_;
  std::size_t blockSize_;
};

// Parses one word as the reader reads numbers. False when it is no number or
// lies outside the range of a 32-bit signed integer.
bool ParseIntegerWord(std::string_view word, std::int32_t& value);

}  // namespace velloran
