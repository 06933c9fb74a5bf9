#pragma once
// Lines out of a byte stream that arrives in blocks of any size, cut as the
// socket layer's ReadLn cuts them: a line ends right after its LF and keeps
// the CR before it, if any. A line (its LF included) may fill the whole line
// buffer of 65,536 bytes; when that many bytes wait without a LF, the line
// is too long and reading it raises ESockError LineTooLongText(). (Tests and
// fuzzing set a smaller limit, to reach it with small inputs.)
//
// LineSplitter is the cutting alone: feed it what arrives, take lines, and
// hand what stays behind the last line (the start of a body) to whoever reads
// on. StreamLines pulls the blocks from a ByteSource itself.
//
// Threading: none of their own; one thread at a time.

#include <cstddef>
#include <string>
#include <string_view>

#include "framework/TextFile.h"

namespace velloran {

inline constexpr std::size_t LineBufferSize = 65536;
// "Line longer than 65536 bytes"
std::string LineTooLongText(std::size_t limit = LineBufferSize);

// Reads lines one by one; each comes with its line end.
class LineSource {
 public:
  virtual ~LineSource() = default;
  // The next line with its line end; empty when the peer closed (a line the
  // close cut short is dropped).
  virtual std::string ReadLn() = 0;
};

class LineSplitter {
 public:
  explicit LineSplitter(std::size_t lineLimit = LineBufferSize);
  // Bytes that arrived, behind those fed before.
  void Feed(std::string_view bytes);
  // Moves the next complete line into Line and returns true; false while its
  // LF has not arrived. Raises when the line is too long.
  bool NextLine(std::string& line);
  // The bytes fed but not taken as lines.
  std::string_view Pending() const { return std::string_view(buffer_).substr(start_); }
  // Pending bytes, handed over and forgotten.
  std::string TakePending();

 private:
  std::size_t lineLimit_;
  std::string buffer_;
  // Where the bytes not yet taken begin.
  std::size_t start_ = 0;
  // How far past start_ no LF was found.
  std::size_t scanned_ = 0;
};

// Lines read from a ByteSource (a connection, bytes in memory), which must
// outlive it. The source's end is the peer's close.
class StreamLines : public LineSource {
 public:
  explicit StreamLines(ByteSource& source, std::size_t blockSize = LineBufferSize,
                       std::size_t lineLimit = LineBufferSize);
  std::string ReadLn() override;
  // Up to Limit bytes behind the last line read: the pending ones first, then
  // the source's until its end.
  std::string ReadRest(std::size_t limit);

 private:
  ByteSource& source_;
  LineSplitter splitter_;
  std::string block_;
  bool closed_ = false;
};

}  // namespace velloran
