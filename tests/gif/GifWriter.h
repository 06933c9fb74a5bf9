#pragma once
// Our own GIF encoder for tests and benchmarks: builds files block by block,
// well formed or broken on purpose.

#include <cstdint>
#include <string>
#include <vector>

namespace velloran::test {

using Bytes = std::vector<std::uint8_t>;

// Colour I of a test palette: distinct, easy to tell apart in a failure.
std::uint32_t TestColor(int index);
// A table of 2^Bits entries of TestColor, 3 bytes each.
Bytes TestPalette(int bits);

// The LZW code stream of Indices (clear code first, end code last),
// before it is cut into sub-blocks.
Bytes LzwEncode(const std::vector<std::uint8_t>& indices, int minCodeSize);
// Codes of the given widths packed least significant bit first.
Bytes PackCodes(const std::vector<unsigned>& codes, const std::vector<int>& widths);
// Data cut into sub-blocks of at most BlockSize bytes, with the terminator.
Bytes SubBlocks(const Bytes& data, int blockSize = 255);

struct GifImage {
  int left = 0;
  int top = 0;
  int width = 1;
  int height = 1;
  // Width x height indices, top row first; written interlaced when Interlaced.
  std::vector<std::uint8_t> pixels;
  int localBits = 0;   // 0: no local table
  Bytes localPalette;  // empty: TestPalette(localBits)
  bool interlaced = false;
  int minCodeSize = 8;
};

class GifWriter {
 public:
  // "GIF89a" (or Version) and a screen descriptor, with a global table of 2^GlobalBits
  // entries (TestPalette unless Palette is given) when GlobalBits > 0.
  GifWriter(int width, int height, int globalBits = 8, const std::string& version = "89a",
            Bytes palette = {});

  GifWriter& Control(int disposal, int delayHundredths, int transparentIndex = -1);
  GifWriter& Loop(int count);
  GifWriter& Comment(const std::string& text);
  GifWriter& Image(const GifImage& image);
  // An image descriptor and local table as Image writes them, then Data as they are.
  GifWriter& ImageWithData(const GifImage& image, const Bytes& data);
  GifWriter& Raw(const Bytes& bytes);
  GifWriter& Trailer();

  const Bytes& Data() const { return bytes_; }

 private:
  void Descriptor(const GifImage& image);
  Bytes bytes_;
};

// An image of Width x Height at (Left, Top), every pixel Index.
GifImage Solid(int width, int height, std::uint8_t index, int left = 0, int top = 0);

// An image of Width x Height whose index at (x, y) is Pattern(x, y).
std::vector<std::uint8_t> PatternPixels(int width, int height, int modulo);

}  // namespace velloran::test
