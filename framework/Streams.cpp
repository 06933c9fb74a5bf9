#include "framework/Streams.h"

#include <algorithm>
#include <cstring>

namespace velloran {

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  if (position_ >= bytes_.size()) return 0;
  std::size_t n = std::min<std::uint64_t>(count, bytes_.size() - position_);
  std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

void TMemoryStream::Write(const void* data, std::size_t count) {
  if (count == 0) return;
  std::uint64_t end = position_ + count;
  // A position past the end fills the gap with zero bytes.
  if (end > bytes_.size()) bytes_.resize(end);
  std::memcpy(bytes_.data() + position_, data, count);
  position_ = end;
}

}  // namespace velloran
