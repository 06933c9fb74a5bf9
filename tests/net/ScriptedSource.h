#pragma once
// A connection's bytes from a script, delivered in blocks of the given sizes
// in turn (a size never exceeds what the reader asks for), then the close.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "framework/TextFile.h"

namespace velloran::test {

class ScriptedSource : public ByteSource {
 public:
  explicit ScriptedSource(std::string bytes, std::vector<std::size_t> splits = {})
      : bytes_(std::move(bytes)), splits_(std::move(splits)) {}

  std::size_t Read(char* buffer, std::size_t size) override {
    std::size_t n = std::min(size, bytes_.size() - at_);
    if (!splits_.empty())
      n = std::min(n, std::max<std::size_t>(splits_[turn_++ % splits_.size()], 1));
    std::memcpy(buffer, bytes_.data() + at_, n);
    at_ += n;
    return n;
  }
  // Bytes the reader has taken from the connection.
  std::size_t Delivered() const { return at_; }

 private:
  std::string bytes_;
  std::vector<std::size_t> splits_;
  std::size_t at_ = 0;
  std::size_t turn_ = 0;
};

}  // namespace velloran::test
