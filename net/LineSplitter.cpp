#include "net/LineSplitter.h"

#include <algorithm>

#include "framework/Exception.h"

namespace velloran {

std::string LineTooLongText(std::size_t limit) {
  return "Line longer than " + std::to_string(limit) + " bytes";
}

LineSplitter::LineSplitter(std::size_t lineLimit)
    : lineLimit_(std::max<std::size_t>(lineLimit, 1)) {}

void LineSplitter::Feed(std::string_view bytes) {
  // Drop the taken lines once they outweigh what waits, so the buffer stays
  // near the size of one line and a block.
  if (start_ > 0 && start_ >= buffer_.size() - start_) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  buffer_.append(bytes);
}

bool LineSplitter::NextLine(std::string& line) {
  std::string_view pending = Pending();
  std::string_view window = pending.substr(0, lineLimit_);
  std::size_t lf = window.find('\n', scanned_);
  if (lf == std::string_view::npos) {
    if (window.size() == lineLimit_) throw ESockError(LineTooLongText(lineLimit_));
    scanned_ = window.size();
    return false;
  }
  line.assign(window.substr(0, lf + 1));
  start_ += lf + 1;
  scanned_ = 0;
  return true;
}

std::string LineSplitter::TakePending() {
  std::string rest(Pending());
  buffer_.clear();
  start_ = 0;
  scanned_ = 0;
  return rest;
}

StreamLines::StreamLines(ByteSource& source, std::size_t blockSize, std::size_t lineLimit)
    : source_(source), splitter_(lineLimit), block_(std::max<std::size_t>(blockSize, 1), '\0') {}

std::string StreamLines::ReadLn() {
  std::string line;
  while (!splitter_.NextLine(line)) {
    std::size_t n = closed_ ? 0 : source_.Read(block_.data(), block_.size());
    if (n == 0) {
      // The close cut the line short: it is dropped, and so is every later read.
      closed_ = true;
      splitter_.TakePending();
      return {};
    }
    splitter_.Feed(std::string_view(block_).substr(0, n));
  }
  return line;
}

std::string StreamLines::ReadRest(std::size_t limit) {
  std::string rest = splitter_.TakePending();
  if (rest.size() > limit) rest.resize(limit);
  while (!closed_ && rest.size() < limit) {
    std::size_t n = source_.Read(block_.data(), std::min(block_.size(), limit - rest.size()));
    if (n == 0) {
      closed_ = true;
      break;
    }
    rest.append(block_, 0, n);
  }
  return rest;
}

}  // namespace velloran
