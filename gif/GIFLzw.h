#pragma once
// The variable-length LZW decoding of one image's data sub-blocks.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "gif/GIFByteReader.h"

namespace velloran {

// A minimum code size of 12 to 15 would run past the 4096-entry string table.
class EGIFCorruptFrame : public std::exception {
 public:
  const char* what() const noexcept override { return "Corrupt image data"; }
};

struct TGIFImageTarget {
  // Count colour indices in the order the data hold them (interlaced rows
  // still interlaced); both arrays come zero-filled.
  std::uint8_t* pixels = nullptr;
  // Transparent frames only: 1 where the value was TransparentIndex.
  std::uint8_t* mask = nullptr;
  std::size_t count = 0;
  int transparentIndex = -1;
  // Told each time the values reach the end of another Rowlength values;
  // may raise to stop the decoding.
  std::size_t rowLength = 0;
  std::function<void(std::size_t rowsDone)> rowsDone;
};

// Reads the minimum code size byte and the data sub-blocks that follow it and
// fills Target. Returns how many values were placed; the rest keep index 0
// and are transparent (mask 1). The reader is left after the image's block
// terminator, unless the code size was above 15 (then only that byte is read
// and nothing is placed or marked) or the data broke off.
std::size_t ReadImageData(GIFByteReader& reader, const TGIFImageTarget& target);

}  // namespace velloran
