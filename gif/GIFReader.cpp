#include "gif/GIFReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "gif/GIFByteReader.h"
#include "gif/GIFLzw.h"

namespace velloran {

std::uint64_t GIFFrameCost(int width, int height, bool transparent, bool interlaced,
                           std::uint8_t disposal) {
  std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(height);
  // Indices, mask bytes, the interlaced rows before they are put in order,
  // and the area saved for disposal 3 (composed colours and mask).
  return pixels * (1 + (transparent ? 1 : 0) + (interlaced ? 1 : 0) + (disposal == 3 ? 5 : 0));
}

std::uint64_t GIFComposedCost(std::uint64_t width, std::uint64_t height) {
  return width * height * 5;
}

int GIFPercentage(std::size_t processed, std::size_t total) {
  if (total == 0) return 0;
  return static_cast<int>((std::uint64_t(processed) * 200 + total) / (std::uint64_t(total) * 2));
}

namespace {

// A frame that would take the picture past its memory bound.
class EGIFTooLarge : public std::exception {
 public:
  const char* what() const noexcept override { return "Picture too large"; }
};

unsigned U16(const std::uint8_t* bytes) {
  return bytes[0] | (unsigned(bytes[1]) << 8);
}

// The rows in the order interlaced data hold them.
std::vector<int> InterlacedRows(int height) {
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(height));
  static constexpr int starts[] = {0, 4, 2, 1};
  static constexpr int steps[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int row = starts[pass]; row < height; row += steps[pass]) rows.push_back(row);
  return rows;
}

class Reader {
 public:
  Reader(std::span<const std::uint8_t> bytes, const TGIFReadOptions& options,
         TGIFPictureData& picture)
      : in_(bytes), options_(options), picture_(picture) {}

  bool Read() {
    std::uint8_t header[6];
    in_.ReadExact(header, sizeof header);
    if (std::memcmp(header, "GIF", 3) != 0) return false;
    picture_.version = header[4] == '9' ? TGIFVersion::gvGIF89a : TGIFVersion::gvGIF87a;

    std::uint8_t screen[7];
    in_.ReadExact(screen, sizeof screen);
    grownWidth_ = picture_.width = static_cast<int>(U16(screen));
    grownHeight_ = picture_.height = static_cast<int>(U16(screen + 2));
    if (screen[4] & 0x80) {
      picture_.colorBits = (screen[4] & 7) + 1;
      in_.ReadExact(picture_.globalPalette.data(), std::size_t(3) << picture_.colorBits);
    }

    if (!BlockLoop()) return false;
    Progress();
    if (picture_.frames.empty()) return false;
    picture_.width = grownWidth_;
    picture_.height = grownHeight_;
    return true;
  }

 private:
  // False when an image may not be shown at all.
  bool BlockLoop() {
    while (!in_.AtEnd() && keepOnProcessing_) {
      Progress();
      std::uint8_t block[2] = {0, 0};
      std::size_t got = in_.Read(block, sizeof block);
      if (block[0] == '!') {
        Extension(block[1]);
      } else if (block[0] == ',') {
        in_.StepBack(got);
        if (static_cast<int>(picture_.frames.size()) >= GIFMaxFrames) break;
        picture_.frames.emplace_back();
        bool read;
        try {
          read = ReadFrame(picture_.frames.back());
        } catch (const std::exception&) {
          // The picture ends with the frames before this one.
          picture_.frames.pop_back();
          break;
        }
        if (!read) {
          in_.ToEnd();
          Progress();
          return false;
        }
        const TGIFFrameData& frame = picture_.frames.back();
        picture_.colorBits = std::max(picture_.colorBits, frame.colorBits);
        picture_.hasTransparency = picture_.hasTransparency || frame.transparent;
        if (options_.firstImageOnly) {
          in_.ToEnd();
          break;
        }
        std::memset(control_, 0, sizeof control_);
      } else if (block[0] == ';') {
        break;
      }
      // Anything else: both bytes are dropped and scanning goes on.
    }
    return true;
  }

  void Extension(std::uint8_t label) {
    switch (label) {
      case 0xF9:
        std::memset(control_, 0, sizeof control_);
        in_.Read(control_, sizeof control_);
        break;
      case 0xFE:
      case 0x01:
        in_.SkipSubBlocks();
        break;
      case 0xFF:
        Application();
        break;
      default:
        // Its contents meet the block loop as ordinary bytes.
        break;
    }
  }

  void Application() {
    int size = in_.ReadByte();
    if (size <= 0) return;
    std::uint8_t identifier[255] = {};
    in_.Read(identifier, static_cast<std::size_t>(size));
    int next = in_.ReadByte();
    if (std::memcmp(identifier, "NETSCAPE", 8) == 0 && std::memcmp(identifier + 8, "2.0", 3) == 0 &&
        next > 0) {
      std::uint8_t data[255] = {};
      in_.Read(data, static_cast<std::size_t>(next));
      picture_.loopCount = static_cast<int>(U16(data + 1));
      next = in_.ReadByte();
    }
    while (next > 0) {
      if (!in_.Skip(static_cast<std::size_t>(next))) return;
      next = in_.ReadByte();
    }
  }

  // False when the bytes are no image descriptor or the image is empty.
  bool ReadFrame(TGIFFrameData& frame) {
    std::uint8_t descriptor[10];
    in_.ReadExact(descriptor, sizeof descriptor);
    if (descriptor[0] != ',') return false;
    frame.left = static_cast<int>(U16(descriptor + 1));
    frame.top = static_cast<int>(U16(descriptor + 3));
    frame.width = static_cast<int>(U16(descriptor + 5));
    frame.height = static_cast<int>(U16(descriptor + 7));
    const std::uint8_t packed = descriptor[9];
    if (frame.width == 0 || frame.height == 0) return false;
    if (frame.width > GIFMaxImageSide || frame.height > GIFMaxImageSide) throw EGIFAbort();

    frame.interlaced = (packed & 0x40) != 0;
    const unsigned disposal = (control_[1] >> 2) & 7;
    frame.disposal = static_cast<std::uint8_t>(disposal <= 3 ? disposal : 2);
    frame.delay = static_cast<int>(U16(control_ + 2)) * 10;
    frame.transparent = (control_[1] & 1) != 0;
    frame.transparentIndex = control_[4];

    // Nothing is sized from the descriptor before the whole picture is known to fit.
    const int width = std::max(grownWidth_, frame.left + frame.width);
    const int height = std::max(grownHeight_, frame.top + frame.height);
    const std::uint64_t frameCost = GIFFrameCost(frame.width, frame.height, frame.transparent,
                                                 frame.interlaced, frame.disposal);
    if (framesCost_ + frameCost + GIFComposedCost(width, height) > options_.memoryBound)
      throw EGIFTooLarge();

    if (packed & 0x80) {
      frame.hasLocalPalette = true;
      frame.colorBits = (packed & 7) + 1;
      in_.Read(frame.palette.data(), std::size_t(3) << frame.colorBits);
      frame.colorCount = 1 << frame.colorBits;
    } else {
      frame.palette = picture_.globalPalette;
      frame.colorCount = 1 << picture_.colorBits;
    }

    const std::size_t count = std::size_t(frame.width) * std::size_t(frame.height);
    frame.pixels.assign(count, 0);
    if (frame.transparent) frame.mask.assign(count, 0);
    if (frame.interlaced) {
      ReadInterlaced(frame, count);
    } else {
      ReadImageData(in_, Target(frame, frame.pixels.data(), frame.mask.data(), nullptr));
    }
    framesCost_ += frameCost;
    grownWidth_ = width;
    grownHeight_ = height;
    return true;
  }

  void ReadInterlaced(TGIFFrameData& frame, std::size_t count) {
    const std::vector<int> rows = InterlacedRows(frame.height);
    std::vector<std::uint8_t> pixels(count, 0);
    std::vector<std::uint8_t> mask(frame.transparent ? count : 0, 0);
    ReadImageData(in_,
                  Target(frame, pixels.data(), frame.transparent ? mask.data() : nullptr, &rows));
    const std::size_t width = static_cast<std::size_t>(frame.width);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      std::size_t to = static_cast<std::size_t>(rows[i]) * width;
      std::memcpy(frame.pixels.data() + to, pixels.data() + i * width, width);
      if (frame.transparent) std::memcpy(frame.mask.data() + to, mask.data() + i * width, width);
    }
  }

  TGIFImageTarget Target(const TGIFFrameData& frame, std::uint8_t* pixels, std::uint8_t* mask,
                         const std::vector<int>* rows) {
    TGIFImageTarget target;
    target.pixels = pixels;
    target.mask = mask;
    target.count = std::size_t(frame.width) * std::size_t(frame.height);
    target.transparentIndex = frame.transparent ? frame.transparentIndex : -1;
    if (options_.progress && target.count > 100000) {
      target.rowLength = static_cast<std::size_t>(frame.width);
      const int every = frame.width <= 320 ? 64 : 32;
      target.rowsDone = [this, rows, every, done = std::size_t(0)](std::size_t rowsDone) mutable {
        for (; done < rowsDone; ++done) {
          int row = rows ? (*rows)[done] : static_cast<int>(done);
          if (row % every == 0) Progress();
        }
      };
    }
    return target;
  }

  void Progress() {
    if (!options_.progress) return;
    options_.progress(in_.Position(), in_.Size(), keepOnProcessing_);
    if (!keepOnProcessing_) throw EGIFAbort();
  }

  GIFByteReader in_;
  const TGIFReadOptions& options_;
  TGIFPictureData& picture_;
  // The pending graphic control record: it applies to the next image only.
  std::uint8_t control_[6] = {};
  bool keepOnProcessing_ = true;
  int grownWidth_ = 0;
  int grownHeight_ = 0;
  std::uint64_t framesCost_ = 0;
};

}  // namespace

bool ReadGIF(std::span<const std::uint8_t> bytes, const TGIFReadOptions& options,
             TGIFPictureData& picture) {
  picture = TGIFPictureData();
  if (bytes.empty()) return false;
  bool loaded = false;
  try {
    loaded = Reader(bytes, options, picture).Read();
  } catch (const std::exception&) {
    // A short header, an abort, a handler's own error: the load fails, silently.
    loaded = false;
  }
  if (!loaded) picture.frames.clear();
  return loaded;
}

}  // namespace velloran
