#include "gif/GIFLzw.h"

#include <cstring>
#include <memory>
#include <vector>

namespace velloran {
namespace {

constexpr unsigned TableSize = 4096;

// Codes least significant bit first from the concatenated data sub-blocks. A
// code is taken only when the buffered bits reach beyond its last bit;
// otherwise the next sub-block is loaded first, and when none can be, the
// data have ended.
class CodeReader {
 public:
  explicit CodeReader(GIFByteReader& reader) : reader_(reader) {}

  bool Next(unsigned width, unsigned& code) {
    while (bits_ + 8 * static_cast<std::size_t>(end_ - at_) <= width) {
      while (at_ < end_) Shift();
      if (!Load()) return false;
    }
    while (bits_ < width) Shift();
    code = buffer_ & ((1u << width) - 1);
    buffer_ >>= width;
    bits_ -= width;
    return true;
  }
  // Reads the remaining sub-blocks up to and including the terminator.
  void SkipRest() {
    while (Load()) {
    }
  }

 private:
  void Shift() {
    buffer_ |= static_cast<std::uint32_t>(*at_++) << bits_;
    bits_ += 8;
  }
  bool Load() {
    if (ended_) return false;
    int size = reader_.ReadByte();
    if (size <= 0) {
      ended_ = true;
      return false;
    }
    auto block = reader_.Take(static_cast<std::size_t>(size));
    if (block.size() != static_cast<std::size_t>(size)) {
      ended_ = true;
      return false;
    }
    at_ = block.data();
    end_ = at_ + block.size();
    return true;
  }

  GIFByteReader& reader_;
  const std::uint8_t* at_ = nullptr;
  const std::uint8_t* end_ = nullptr;
  std::uint32_t buffer_ = 0;
  unsigned bits_ = 0;
  bool ended_ = false;
};

// The string table with, for every entry whose string is an ordinary chain
// (built from literals since the last clear code), its length, its first
// value and where the string was last placed: such a string is copied from
// there instead of walked. Every other entry (length 0) is walked link by
// link, with the stack bound and the self-reference check.
// Links of entries never made are 0, so that a walk through one ends; the
// other arrays are read only for entries made since the last clear code.
struct Table {
  std::vector<std::uint16_t> prefix = std::vector<std::uint16_t>(TableSize);
  std::vector<std::uint16_t> suffix = std::vector<std::uint16_t>(TableSize);
  std::unique_ptr<std::uint16_t[]> length =
      std::make_unique_for_overwrite<std::uint16_t[]>(TableSize);
  std::unique_ptr<std::uint16_t[]> first =
      std::make_unique_for_overwrite<std::uint16_t[]>(TableSize);
  std::unique_ptr<std::uint32_t[]> offset =
      std::make_unique_for_overwrite<std::uint32_t[]>(TableSize);
  std::unique_ptr<std::uint16_t[]> stack =
      std::make_unique_for_overwrite<std::uint16_t[]>(TableSize);
};

class Decoder {
 public:
  Decoder(GIFByteReader& reader, const TGIFImageTarget& target, unsigned minCodeSize)
      : codes_(reader),
        target_(target),
        out_(target.pixels),
        mask_(target.mask),
        count_(target.count),
        clear_(1u << minCodeSize),
        minCodeSize_(minCodeSize) {
    for (unsigned i = 0; i < clear_; ++i) table_.suffix[i] = static_cast<std::uint16_t>(i);
    nextRow_ = target.rowsDone && target.rowLength ? target.rowLength : SIZE_MAX;
    Reset();
  }

  std::size_t Run() {
    const unsigned end = clear_ + 1;
    // At the start and after every clear code the next code is a value of
    // its own; clear codes in a row all reset, so none of them is that value.
    bool fresh = true;
    unsigned code;
    for (;;) {
      if (!codes_.Next(width_, code)) break;
      if (code == clear_) {
        Reset();
        fresh = true;
        continue;
      }
      if (code == end) {
        codes_.SkipRest();
        break;
      }
      if (fresh) {
        StartString(code);
        fresh = false;
      } else if (!Expand(code)) {
        codes_.SkipRest();
        break;
      }
      if (pos_ >= nextRow_) ReportRows();
    }
    return Placed();
  }

 private:
  std::size_t Placed() const { return pos_ < count_ ? pos_ : count_; }

  void Reset() {
    nextFree_ = clear_ + 2;
    width_ = minCodeSize_ + 1;
    limit_ = 2 * clear_;
  }

  bool Regular(unsigned code) const {
    return code < clear_ || (code >= clear_ + 2 && code < nextFree_ && table_.length[code] != 0);
  }
  unsigned LengthOf(unsigned code) const { return code < clear_ ? 1 : table_.length[code]; }
  unsigned FirstOf(unsigned code) const { return code < clear_ ? code : table_.first[code]; }

  // A value read as it is: the first of the data, or the first after clear codes.
  void StartString(unsigned code) {
    prevPos_ = pos_;
    Put(code);
    prev_ = code;
    first_ = code;
    prevLength_ = 1;
  }

  void Put(unsigned value) {
    if (pos_ < count_) {
      out_[pos_] = static_cast<std::uint8_t>(value);
      if (mask_) mask_[pos_] = value == static_cast<unsigned>(target_.transparentIndex);
    }
    ++pos_;
  }

  // Places Length values copied from Source onward (a string placed before).
  void Copy(std::size_t source, std::size_t length) {
    if (pos_ >= count_) {
      pos_ += length;
      return;
    }
    std::size_t room = count_ - pos_;
    std::size_t n = length < room ? length : room;
    // The source string ends before Pos: the ranges never overlap.
    std::memcpy(out_ + pos_, out_ + source, n);
    if (mask_) std::memcpy(mask_ + pos_, mask_ + source, n);
    pos_ += length;
  }

  // One code that is neither clear nor end: its string is placed, a new
  // entry is added. False for a corrupt code.
  bool Expand(unsigned code) {
    const unsigned inCode = code;
    const std::size_t start = pos_;
    const bool prevRegular = Regular(prev_);
    std::size_t length;
    if (code < clear_) {
      Put(code);
      first_ = code;
      length = 1;
    } else if (code < nextFree_ && table_.length[code] != 0) {
      length = table_.length[code];
      first_ = table_.first[code];
      Copy(table_.offset[code], length);
    } else if (code >= nextFree_ && prevRegular) {
      // The previous string once more, and its own first value after it.
      length = prevLength_ + 1;
      Copy(prevPos_, prevLength_);
      Put(first_);
    } else {
      unsigned sp = 0;
      auto& stack = table_.stack;
      if (code >= nextFree_) {
        stack[sp++] = static_cast<std::uint16_t>(first_);
        code = prev_;
      }
      while (code >= clear_) {
        if (sp >= TableSize - 1 || table_.prefix[code] == code) return false;
        stack[sp++] = table_.suffix[code];
        code = table_.prefix[code];
      }
      first_ = code;
      stack[sp++] = static_cast<std::uint16_t>(code);
      length = sp;
      while (sp > 0) Put(stack[--sp]);
    }
    if (nextFree_ < TableSize) {
      table_.prefix[nextFree_] = static_cast<std::uint16_t>(prev_);
      table_.suffix[nextFree_] = static_cast<std::uint16_t>(first_);
      if (prevRegular && LengthOf(prev_) + 1 < TableSize) {
        table_.length[nextFree_] = static_cast<std::uint16_t>(LengthOf(prev_) + 1);
        table_.first[nextFree_] = static_cast<std::uint16_t>(FirstOf(prev_));
        table_.offset[nextFree_] = static_cast<std::uint32_t>(prevPos_);
      } else {
        table_.length[nextFree_] = 0;
      }
      ++nextFree_;
      if (nextFree_ >= limit_ && limit_ < TableSize) {
        limit_ *= 2;
        ++width_;
      }
    }
    prev_ = inCode;
    prevPos_ = start;
    prevLength_ = length;
    return true;
  }

  void ReportRows() {
    std::size_t rows = Placed() / target_.rowLength;
    nextRow_ = (rows + 1) * target_.rowLength;
    if (nextRow_ > count_) nextRow_ = SIZE_MAX;
    target_.rowsDone(rows);
  }

  CodeReader codes_;
  const TGIFImageTarget& target_;
  std::uint8_t* out_;
  std::uint8_t* mask_;
  std::size_t count_;
  const unsigned clear_;
  const unsigned minCodeSize_;
  Table table_;
  unsigned nextFree_ = 0;
  unsigned width_ = 0;
  unsigned limit_ = 0;
  unsigned prev_ = 0;
  unsigned first_ = 0;
  std::size_t pos_ = 0;
  std::size_t prevPos_ = 0;
  std::size_t prevLength_ = 0;
  std::size_t nextRow_ = SIZE_MAX;
};

}  // namespace

std::size_t ReadImageData(GIFByteReader& reader, const TGIFImageTarget& target) {
  int minCodeSize = reader.ReadByte();
  // Above 15 the data are left for the block loop to scan, and nothing is placed.
  if (minCodeSize > 15) return 0;
  if (minCodeSize < 0) {
    if (target.mask)
      for (std::size_t i = 0; i < target.count; ++i) target.mask[i] = 1;
    return 0;
  }
  if (minCodeSize >= 12) throw EGIFCorruptFrame();
  Decoder decoder(reader, target, static_cast<unsigned>(minCodeSize));
  std::size_t placed = decoder.Run();
  // Pixels the values did not reach keep index 0 and, in a transparent frame, are transparent.
  if (target.mask)
    for (std::size_t i = placed; i < target.count; ++i) target.mask[i] = 1;
  return placed;
}

}  // namespace velloran
