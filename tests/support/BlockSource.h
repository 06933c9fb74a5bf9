#pragma once
// Bytes in memory handed out a few at a time, as a file read in small blocks
// may come: for readers that must not lose what lies across a block's end.
// Portable.

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "framework/TextFile.h"

namespace velloran::test {

class BlockSource : public ByteSource {
 public:
  // The bytes must outlive the source; Block is at least 1.
  BlockSource(std::string_view bytes, std::size_t block)
      : rest_(bytes), block_(std::max<std::size_t>(block, 1)) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min({size, block_, rest_.size()});
    std::copy_n(rest_.data(), count, buffer);
    rest_.remove_prefix(count);
    return count;
  }

 private:
  std::string_view rest_;
  std::size_t block_;
};

}  // namespace velloran::test
