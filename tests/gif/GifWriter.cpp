#include "tests/gif/GifWriter.h"

#include <unordered_map>

namespace velloran::test {
namespace {

void Put16(Bytes& bytes, int value) {
  bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

class BitWriter {
 public:
  void Put(unsigned code, int width) {
    buffer_ |= std::uint64_t(code) << bits_;
    bits_ += width;
    while (bits_ >= 8) {
      bytes_.push_back(static_cast<std::uint8_t>(buffer_ & 0xFF));
      buffer_ >>= 8;
      bits_ -= 8;
    }
  }
  Bytes Finish() {
    if (bits_ > 0) bytes_.push_back(static_cast<std::uint8_t>(buffer_ & 0xFF));
    bits_ = 0;
    buffer_ = 0;
    return bytes_;
  }

 private:
  Bytes bytes_;
  std::uint64_t buffer_ = 0;
  int bits_ = 0;
};

std::vector<std::uint8_t> InterlaceRows(const std::vector<std::uint8_t>& pixels, int width,
                                        int height) {
  std::vector<std::uint8_t> result;
  static constexpr int starts[] = {0, 4, 2, 1};
  static constexpr int steps[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int row = starts[pass]; row < height; row += steps[pass])
      result.insert(result.end(), pixels.begin() + row * width, pixels.begin() + (row + 1) * width);
  return result;
}

}  // namespace

std::uint32_t TestColor(int index) {
  // Spread over the cube so that neighbouring indices differ in every channel.
  unsigned i = static_cast<unsigned>(index);
  unsigned r = (i * 37 + 11) & 0xFF, g = (i * 91 + 53) & 0xFF, b = (i * 157 + 101) & 0xFF;
  return (r << 16) | (g << 8) | b;
}

Bytes TestPalette(int bits) {
  Bytes palette;
  for (int i = 0; i < (1 << bits); ++i) {
    std::uint32_t color = TestColor(i);
    palette.push_back(static_cast<std::uint8_t>(color >> 16));
    palette.push_back(static_cast<std::uint8_t>(color >> 8));
    palette.push_back(static_cast<std::uint8_t>(color));
  }
  return palette;
}

Bytes LzwEncode(const std::vector<std::uint8_t>& indices, int minCodeSize) {
  const unsigned clear = 1u << minCodeSize, end = clear + 1;
  BitWriter out;
  std::unordered_map<std::uint32_t, unsigned> table;
  unsigned nextCode = 0;
  // The decoder's view: how many entries it holds and how wide codes are.
  unsigned decoderNext = 0, width = 0, limit = 0;
  bool firstSinceClear = true;
  auto reset = [&] {
    table.clear();
    nextCode = clear + 2;
    decoderNext = clear + 2;
    width = static_cast<unsigned>(minCodeSize) + 1;
    limit = 2 * clear;
    firstSinceClear = true;
  };
  auto emit = [&](unsigned code) {
    out.Put(code, static_cast<int>(width));
    if (firstSinceClear) {
      firstSinceClear = false;
      return;
    }
    if (decoderNext < 4096) {
      ++decoderNext;
      if (decoderNext >= limit && limit < 4096) {
        limit *= 2;
        ++width;
      }
    }
  };
  reset();
  out.Put(clear, static_cast<int>(width));
  if (indices.empty()) {
    out.Put(end, static_cast<int>(width));
    return out.Finish();
  }
  unsigned current = indices[0] & (clear - 1);
  for (std::size_t i = 1; i < indices.size(); ++i) {
    unsigned next = indices[i] & (clear - 1);
    std::uint32_t key = (current << 12) | next;
    auto found = table.find(key);
    if (found != table.end()) {
      current = found->second;
      continue;
    }
    emit(current);
    if (nextCode < 4096) {
      table.emplace(key, nextCode++);
    } else {
      out.Put(clear, static_cast<int>(width));
      reset();
    }
    current = next;
  }
  emit(current);
  out.Put(end, static_cast<int>(width));
  return out.Finish();
}

Bytes PackCodes(const std::vector<unsigned>& codes, const std::vector<int>& widths) {
  BitWriter out;
  for (std::size_t i = 0; i < codes.size(); ++i) out.Put(codes[i], widths[i]);
  return out.Finish();
}

Bytes SubBlocks(const Bytes& data, int blockSize) {
  Bytes blocks;
  for (std::size_t at = 0; at < data.size(); at += static_cast<std::size_t>(blockSize)) {
    std::size_t size = std::min(data.size() - at, static_cast<std::size_t>(blockSize));
    blocks.push_back(static_cast<std::uint8_t>(size));
    blocks.insert(blocks.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                  data.begin() + static_cast<std::ptrdiff_t>(at + size));
  }
  blocks.push_back(0);
  return blocks;
}

GifWriter::GifWriter(int width, int height, int globalBits, const std::string& version,
                     Bytes palette) {
  for (char c : "GIF" + version) bytes_.push_back(static_cast<std::uint8_t>(c));
  Put16(bytes_, width);
  Put16(bytes_, height);
  bytes_.push_back(globalBits > 0 ? static_cast<std::uint8_t>(0x80 | 0x70 | (globalBits - 1)) : 0);
  bytes_.push_back(0);  // background index
  bytes_.push_back(0);  // aspect
  if (globalBits > 0) {
    if (palette.empty()) palette = TestPalette(globalBits);
    palette.resize(std::size_t(3) << globalBits);
    bytes_.insert(bytes_.end(), palette.begin(), palette.end());
  }
}

GifWriter& GifWriter::Control(int disposal, int delayHundredths, int transparentIndex) {
  Raw({0x21, 0xF9, 4,
       static_cast<std::uint8_t>(((disposal & 7) << 2) | (transparentIndex >= 0 ? 1 : 0))});
  Put16(bytes_, delayHundredths);
  Raw({static_cast<std::uint8_t>(transparentIndex >= 0 ? transparentIndex : 0), 0});
  return *this;
}

GifWriter& GifWriter::Loop(int count) {
  Raw({0x21, 0xFF, 11});
  for (char c : std::string("NETSCAPE2.0")) bytes_.push_back(static_cast<std::uint8_t>(c));
  Raw({3, 1});
  Put16(bytes_, count);
  bytes_.push_back(0);
  return *this;
}

GifWriter& GifWriter::Comment(const std::string& text) {
  Raw({0x21, 0xFE});
  Bytes blocks = SubBlocks(Bytes(text.begin(), text.end()));
  bytes_.insert(bytes_.end(), blocks.begin(), blocks.end());
  return *this;
}

void GifWriter::Descriptor(const GifImage& image) {
  bytes_.push_back(',');
  Put16(bytes_, image.left);
  Put16(bytes_, image.top);
  Put16(bytes_, image.width);
  Put16(bytes_, image.height);
  std::uint8_t packed = image.interlaced ? 0x40 : 0;
  if (image.localBits > 0) packed |= static_cast<std::uint8_t>(0x80 | (image.localBits - 1));
  bytes_.push_back(packed);
  if (image.localBits > 0) {
    Bytes palette = image.localPalette.empty() ? TestPalette(image.localBits) : image.localPalette;
    bytes_.insert(bytes_.end(), palette.begin(), palette.end());
  }
}

GifWriter& GifWriter::Image(const GifImage& image) {
  std::vector<std::uint8_t> pixels = image.pixels;
  pixels.resize(std::size_t(image.width) * std::size_t(image.height));
  if (image.interlaced) pixels = InterlaceRows(pixels, image.width, image.height);
  Bytes data = {static_cast<std::uint8_t>(image.minCodeSize)};
  Bytes blocks = SubBlocks(LzwEncode(pixels, image.minCodeSize));
  data.insert(data.end(), blocks.begin(), blocks.end());
  return ImageWithData(image, data);
}

GifWriter& GifWriter::ImageWithData(const GifImage& image, const Bytes& data) {
  Descriptor(image);
  return Raw(data);
}

GifWriter& GifWriter::Raw(const Bytes& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

GifWriter& GifWriter::Trailer() {
  bytes_.push_back(';');
  return *this;
}

GifImage Solid(int width, int height, std::uint8_t index, int left, int top) {
  GifImage image;
  image.left = left;
  image.top = top;
  image.width = width;
  image.height = height;
  image.pixels.assign(std::size_t(width) * std::size_t(height), index);
  return image;
}

std::vector<std::uint8_t> PatternPixels(int width, int height, int modulo) {
  std::vector<std::uint8_t> pixels(std::size_t(width) * std::size_t(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
          static_cast<std::uint8_t>((x * 7 + y * 13 + (x * y) / 3) % modulo);
  return pixels;
}

}  // namespace velloran::test
