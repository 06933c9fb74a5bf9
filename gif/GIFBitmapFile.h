#pragma once
// A frame's image and mask as Windows bitmap files in memory: a 14-byte file
// header, a 40-byte information header, the colour table (blue, green, red,
// 0 per entry), then the rows bottom-up, each padded to 4 bytes.
//
// The image has 8 bits a pixel and 256 table entries: the frame's colours,
// then black for every index at or past its colour count, so that no index
// can reach a colour the frame does not define. The mask has 1 bit a pixel
// (the most significant bit leftmost), entry 0 black and 1 white; a set bit
// marks a transparent pixel.

#include <cstdint>
#include <vector>

#include "gif/GIFData.h"

namespace velloran {

std::vector<std::uint8_t> FrameBitmapFile(const TGIFFrameData& frame);
// Only for a transparent frame.
std::vector<std::uint8_t> FrameMaskFile(const TGIFFrameData& frame);

// Where the pixel rows of such a file start.
constexpr std::size_t BitmapFileHeaderSize = 14;
constexpr std::size_t BitmapInfoHeaderSize = 40;

}  // namespace velloran
