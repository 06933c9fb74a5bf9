#include "gif/GIFCompose.h"

#include <algorithm>
#include <array>

namespace velloran {

TGIFColor GIFFrameColor(const TGIFFrameData& frame, std::uint8_t index) {
  if (index >= frame.colorCount) return 0;
  const std::uint8_t* rgb = frame.palette.data() + 3 * index;
  return (TGIFColor(rgb[0]) << 16) | (TGIFColor(rgb[1]) << 8) | rgb[2];
}

TGIFComposer::TGIFComposer(const TGIFPictureData& picture)
    : picture_(picture), width_(picture.width), height_(picture.height) {
  const std::size_t count = std::size_t(width_) * std::size_t(height_);
  pixels_.assign(count, 0);
  if (picture.hasTransparency) mask_.assign(count, 1);
  saved_.resize(picture.frames.size());
  for (std::size_t i = 0; i < picture.frames.size(); ++i) {
    const TGIFFrameData& frame = picture.frames[i];
    if (frame.disposal != 3) continue;
    const std::size_t area = std::size_t(frame.width) * std::size_t(frame.height);
    saved_[i].pixels.assign(area, 0);
    if (picture.hasTransparency) saved_[i].mask.assign(area, 1);
  }
}

void TGIFComposer::DrawFrame(int k) {
  if (!InRange(k)) return;
  const TGIFFrameData& frame = picture_.frames[static_cast<std::size_t>(k - 1)];
  SavedArea& saved = saved_[static_cast<std::size_t>(k - 1)];
  std::array<TGIFColor, 256> colors;
  for (int i = 0; i < 256; ++i) colors[i] = GIFFrameColor(frame, static_cast<std::uint8_t>(i));
  const std::size_t pictureWidth = static_cast<std::size_t>(width_);
  const std::size_t width = static_cast<std::size_t>(frame.width);
  // Every frame lies inside the picture, which grew to cover it.
  for (int y = 0; y < frame.height; ++y) {
    const std::size_t to = std::size_t(frame.top + y) * pictureWidth + std::size_t(frame.left);
    const std::size_t from = std::size_t(y) * width;
    TGIFColor* target = pixels_.data() + to;
    std::uint8_t* targetMask = mask_.empty() ? nullptr : mask_.data() + to;
    if (frame.disposal == 3) {
      std::copy_n(target, width, saved.pixels.data() + from);
      if (targetMask) std::copy_n(targetMask, width, saved.mask.data() + from);
    }
    const std::uint8_t* source = frame.pixels.data() + from;
    if (frame.transparent) {
      const std::uint8_t* sourceMask = frame.mask.data() + from;
      for (std::size_t x = 0; x < width; ++x) {
        if (sourceMask[x]) continue;
        target[x] = colors[source[x]];
        if (targetMask) targetMask[x] = 0;
      }
    } else {
      for (std::size_t x = 0; x < width; ++x) target[x] = colors[source[x]];
      if (targetMask) std::fill_n(targetMask, width, std::uint8_t{0});
    }
  }
}

void TGIFComposer::DisposeFrame(int k) {
  if (!InRange(k)) return;
  const TGIFFrameData& frame = picture_.frames[static_cast<std::size_t>(k - 1)];
  if (frame.disposal != 2 && frame.disposal != 3) return;
  const SavedArea& saved = saved_[static_cast<std::size_t>(k - 1)];
  const std::size_t width = static_cast<std::size_t>(frame.width);
  for (int y = 0; y < frame.height; ++y) {
    const std::size_t to =
        std::size_t(frame.top + y) * std::size_t(width_) + std::size_t(frame.left);
    const std::size_t from = std::size_t(y) * width;
    if (frame.disposal == 2) {
      std::fill_n(pixels_.data() + to, width, TGIFColor{0});
      if (!mask_.empty()) std::fill_n(mask_.data() + to, width, std::uint8_t{1});
    } else {
      std::copy_n(saved.pixels.data() + from, width, pixels_.data() + to);
      if (!mask_.empty()) std::copy_n(saved.mask.data() + from, width, mask_.data() + to);
    }
  }
}

void ComposeEveryFrame(const TGIFPictureData& picture,
                       const std::function<void(const TGIFComposer&)>& each) {
  TGIFComposer composer(picture);
  const int count = static_cast<int>(picture.frames.size());
  for (int k = 1; k <= count; ++k) {
    composer.DisposeFrame(k - 1);
    composer.DrawFrame(k);
    each(composer);
  }
  if (count > 1) {
    composer.DisposeFrame(count);
    composer.DrawFrame(1);
    each(composer);
  }
}

}  // namespace velloran
