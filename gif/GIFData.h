#pragma once
// What one GIF file holds once decoded: the picture's facts and its frames
// with their colour indices and transparency, free of any device. The picture
// control turns these into bitmaps; tools and tests read them as they are.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velloran {

enum class TGIFVersion { gvGIF87a, gvGIF89a };

// A colour table: 256 entries of red, green, blue.
using TGIFPalette = std::array<std::uint8_t, 768>;

// What one picture may hold in memory, frames and composed pair together
// (see GIFFrameCost and GIFComposedCost). Files of a few kilobytes can ask for
// a picture of 81920 x 81920 pixels; this keeps the largest real pictures
// (about 6500 x 6500 in one frame) and every ordinary animation.
constexpr std::uint64_t GIFMemoryBound = std::uint64_t{256} << 20;

// The most frames a picture keeps; later images are left out.
constexpr int GIFMaxFrames = 256;
// The largest width or height of one image.
constexpr int GIFMaxImageSide = 16384;

struct TGIFFrameData {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  // Size exponent of the frame's own colour table; 0 without one.
  int colorBits = 0;
  int delay = 0;              // milliseconds
  std::uint8_t disposal = 0;  // 0 none, 1 leave, 2 background, 3 previous
  bool hasLocalPalette = false;
  bool interlaced = false;
  bool transparent = false;
  std::uint8_t transparentIndex = 0;
  // The colours its indices stand for: its own table, or the global one.
  TGIFPalette palette{};
  // Entries of Palette in the frame's bitmap; an index at or past it is drawn black.
  int colorCount = 1;
  // Width x height colour indices, the top row first.
  std::vector<std::uint8_t> pixels;
  // When Transparent: one byte a pixel as Pixels, 1 where the pixel is transparent.
  std::vector<std::uint8_t> mask;
};

struct TGIFPictureData {
  TGIFVersion version = TGIFVersion::gvGIF87a;
  // The screen descriptor's size, grown to cover every frame.
  int width = 0;
  int height = 0;
  TGIFPalette globalPalette{};
  int colorBits = 0;
  int loopCount = 1;  // 0 = endless
  bool hasTransparency = false;
  std::vector<TGIFFrameData> frames;
};

// Bytes a frame of this shape takes while decoded and composed.
std::uint64_t GIFFrameCost(int width, int height, bool transparent, bool interlaced,
                           std::uint8_t disposal);
// Bytes the composed pair of a picture of this size takes.
std::uint64_t GIFComposedCost(std::uint64_t width, std::uint64_t height);

}  // namespace velloran
