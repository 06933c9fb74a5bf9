#include "gif/GIFBitmapFile.h"

#include "gif/GIFCompose.h"

namespace velloran {
namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// Headers and colour table of a bitmap file; the rows follow.
std::vector<std::uint8_t> Headers(int width, int height, int bits,
                                  const std::vector<std::uint32_t>& colors, std::size_t rowLength) {
  const std::uint32_t imageSize = static_cast<std::uint32_t>(rowLength * std::size_t(height));
  const std::uint32_t offset =
      static_cast<std::uint32_t>(BitmapFileHeaderSize + BitmapInfoHeaderSize + 4 * colors.size());
  std::vector<std::uint8_t> out;
  out.reserve(offset + imageSize);
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + imageSize);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, BitmapInfoHeaderSize);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);
  Put16(out, static_cast<std::uint32_t>(bits));
  Put32(out, 0);  // no compression
  Put32(out, imageSize);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, static_cast<std::uint32_t>(colors.size()));
  Put32(out, 0);
  for (std::uint32_t color : colors) Put32(out, color);  // 0x00RRGGBB is blue, green, red, 0
  return out;
}

}  // namespace

std::vector<std::uint8_t> FrameBitmapFile(const TGIFFrameData& frame) {
  std::vector<std::uint32_t> colors(256);
  for (int i = 0; i < 256; ++i)
    colors[std::size_t(i)] = GIFFrameColor(frame, static_cast<std::uint8_t>(i));
  const std::size_t width = static_cast<std::size_t>(frame.width);
  const std::size_t rowLength = (width + 3) / 4 * 4;
  std::vector<std::uint8_t> out = Headers(frame.width, frame.height, 8, colors, rowLength);
  for (int y = frame.height - 1; y >= 0; --y) {
    const std::uint8_t* row = frame.pixels.data() + std::size_t(y) * width;
    out.insert(out.end(), row, row + width);
    out.insert(out.end(), rowLength - width, 0);
  }
  return out;
}

std::vector<std::uint8_t> FrameMaskFile(const TGIFFrameData& frame) {
  const std::size_t width = static_cast<std::size_t>(frame.width);
  const std::size_t rowLength = (width + 31) / 32 * 4;
  std::vector<std::uint8_t> out =
      Headers(frame.width, frame.height, 1, {0x000000, 0xFFFFFF}, rowLength);
  std::vector<std::uint8_t> row(rowLength);
  for (int y = frame.height - 1; y >= 0; --y) {
    std::fill(row.begin(), row.end(), 0);
    const std::uint8_t* mask = frame.mask.data() + std::size_t(y) * width;
    for (std::size_t x = 0; x < width; ++x)
      if (mask[x]) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace velloran
