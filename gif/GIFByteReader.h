#pragma once
// Reading GIF bytes from memory: short reads are either tolerated (Read
// returns what there was) or raise EGIFReadError (ReadExact).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <span>

namespace velloran {

class EGIFReadError : public std::exception {
 public:
  const char* what() const noexcept override { return "Stream read error"; }
};

class GIFByteReader {
 public:
  explicit GIFByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t Position() const { return position_; }
  std::size_t Size() const { return bytes_.size(); }
  bool AtEnd() const { return position_ >= bytes_.size(); }
  void ToEnd() { position_ = bytes_.size(); }
  void StepBack(std::size_t count) { position_ -= std::min(count, position_); }

  std::size_t Read(void* target, std::size_t count) {
    count = std::min(count, bytes_.size() - position_);
    if (count) std::memcpy(target, bytes_.data() + position_, count);
    position_ += count;
    return count;
  }
  void ReadExact(void* target, std::size_t count) {
    if (Read(target, count) != count) throw EGIFReadError();
  }
  // The next byte, or -1 at the end.
  int ReadByte() { return position_ < bytes_.size() ? bytes_[position_++] : -1; }
  // Skips Count bytes; false when fewer were left (the position is then the end).
  bool Skip(std::size_t count) {
    if (count > bytes_.size() - position_) {
      ToEnd();
      return false;
    }
    position_ += count;
    return true;
  }
  // A view of the next Count bytes, or of fewer at the end; the position moves past them.
  std::span<const std::uint8_t> Take(std::size_t count) {
    count = std::min(count, bytes_.size() - position_);
    auto view = bytes_.subspan(position_, count);
    position_ += count;
    return view;
  }
  // Reads and drops a chain of sub-blocks up to and including its zero-length
  // terminator; the end of the bytes ends the chain too.
  void SkipSubBlocks() {
    for (int size = ReadByte(); size > 0; size = ReadByte())
      if (!Skip(static_cast<std::size_t>(size))) return;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

}  // namespace velloran
