// The GIF decoder over any bytes: the load, every frame composed and
// disposed, and the wrap back to frame 1.
// - A loaded picture holds 1 to 256 frames, each inside the picture, no side
//   over 16384, with as many indices (and mask bytes) as pixels, a disposal of
//   0-3 and a colour count that is a power of two up to 256; it stays within
//   the memory bound, and it is transparent when one of its frames is.
// - The composed pair keeps its invariant after every step: transparent
//   pixels are black.
// - Loading the first image only gives that same first frame.
// - Frame 1's indices, encoded again by our encoder, decode to themselves.

#include <cstdint>

#include "gif/GIFCompose.h"
#include "gif/GIFReader.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/gif/GifWriter.h"

namespace velloran {
namespace {

void CheckPicture(const TGIFPictureData& picture, std::uint64_t bound) {
  VELLORAN_FUZZ_CHECK(!picture.frames.empty() && picture.frames.size() <= 256);
  VELLORAN_FUZZ_CHECK(picture.loopCount >= 0 && picture.loopCount <= 65535);
  std::uint64_t cost = GIFComposedCost(picture.width, picture.height);
  bool transparent = false;
  for (const TGIFFrameData& frame : picture.frames) {
    VELLORAN_FUZZ_CHECK(frame.width >= 1 && frame.width <= GIFMaxImageSide);
    VELLORAN_FUZZ_CHECK(frame.height >= 1 && frame.height <= GIFMaxImageSide);
    VELLORAN_FUZZ_CHECK(frame.left + frame.width <= picture.width);
    VELLORAN_FUZZ_CHECK(frame.top + frame.height <= picture.height);
    const std::size_t count = std::size_t(frame.width) * std::size_t(frame.height);
    VELLORAN_FUZZ_CHECK(frame.pixels.size() == count);
    VELLORAN_FUZZ_CHECK(frame.mask.size() == (frame.transparent ? count : 0));
    VELLORAN_FUZZ_CHECK(frame.disposal <= 3);
    VELLORAN_FUZZ_CHECK(frame.colorCount >= 1 && frame.colorCount <= 256 &&
                        (frame.colorCount & (frame.colorCount - 1)) == 0);
    transparent = transparent || frame.transparent;
    cost += GIFFrameCost(frame.width, frame.height, frame.transparent, frame.interlaced,
                         frame.disposal);
  }
  VELLORAN_FUZZ_CHECK(transparent == picture.hasTransparency);
  VELLORAN_FUZZ_CHECK(cost <= bound);
}

// The invariant inside frame K's area (or everywhere for K = 0).
void CheckInvariant(const TGIFComposer& composer, const TGIFPictureData& picture, std::size_t k) {
  int left = 0, top = 0, width = composer.Width(), height = composer.Height();
  if (k > 0) {
    const TGIFFrameData& frame = picture.frames[k - 1];
    left = frame.left;
    top = frame.top;
    width = frame.width;
    height = frame.height;
  }
  for (int y = top; y < top + height; ++y)
    for (int x = left; x < left + width; ++x) {
      std::size_t at = std::size_t(y) * std::size_t(composer.Width()) + std::size_t(x);
      VELLORAN_FUZZ_CHECK(!composer.Mask()[at] || composer.Pixels()[at] == 0);
    }
}

void CheckComposition(const TGIFPictureData& picture) {
  const std::size_t count = picture.frames.size();
  std::size_t step = 0;
  ComposeEveryFrame(picture, [&](const TGIFComposer& composer) {
    ++step;
    VELLORAN_FUZZ_CHECK(composer.HasMask() == picture.hasTransparency);
    if (!composer.HasMask()) return;
    // Only the areas this step drew on or disposed of can have changed.
    const std::size_t drawn = step <= count ? step : 1;
    const std::size_t disposed = step <= count ? step - 1 : count;
    CheckInvariant(composer, picture, drawn);
    if (disposed > 0) CheckInvariant(composer, picture, disposed);
    if (step == count) CheckInvariant(composer, picture, 0);
  });
  VELLORAN_FUZZ_CHECK(step == count + (count > 1 ? 1 : 0));
}

void CheckReencoded(const TGIFFrameData& frame) {
  test::GifImage image;
  image.width = frame.width;
  image.height = frame.height;
  image.pixels = frame.pixels;
  TGIFPictureData again;
  VELLORAN_FUZZ_CHECK(ReadGIF(
      test::GifWriter(frame.width, frame.height, 0).Image(image).Trailer().Data(), {}, again));
  VELLORAN_FUZZ_CHECK(again.frames.size() == 1 && again.frames[0].pixels == frame.pixels);
}

}  // namespace
}  // namespace velloran

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  // A smaller bound than the program's keeps each run quick; the rules are the same.
  TGIFReadOptions options;
  options.memoryBound = 2 << 20;
  TGIFPictureData picture;
  const bool loaded = ReadGIF({data, size}, options, picture);
  if (!loaded) {
    VELLORAN_FUZZ_CHECK(picture.frames.empty());
    return 0;
  }
  CheckPicture(picture, options.memoryBound);
  CheckComposition(picture);

  TGIFReadOptions first = options;
  first.firstImageOnly = true;
  TGIFPictureData alone;
  VELLORAN_FUZZ_CHECK(ReadGIF({data, size}, first, alone));
  VELLORAN_FUZZ_CHECK(alone.frames.size() == 1);
  VELLORAN_FUZZ_CHECK(alone.frames[0].pixels == picture.frames[0].pixels);
  VELLORAN_FUZZ_CHECK(alone.frames[0].mask == picture.frames[0].mask);

  if (picture.frames[0].pixels.size() <= 4096) CheckReencoded(picture.frames[0]);
  return 0;
}
