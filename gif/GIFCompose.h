#pragma once
// The composed pair of a picture: its colours as composed so far, and where
// transparent pixels still show what lies beneath. Frames are drawn onto it
// and disposed of in turn while a picture animates.
//
// Invariant: wherever Mask is 1 (transparent), Pixels is black (0).
//
// Threading: one thread at a time.

#include <cstdint>
#include <functional>
#include <vector>

#include "gif/GIFData.h"

namespace velloran {

// A colour as 0x00RRGGBB.
using TGIFColor = std::uint32_t;

// The colour of one of a frame's indices: its table's entry, or black for an
// index at or past the frame's colour count.
TGIFColor GIFFrameColor(const TGIFFrameData& frame, std::uint8_t index);

class TGIFComposer {
 public:
  // Starts composing Picture (which must outlive this): all black, and all
  // transparent when some frame is. Throws std::bad_alloc when memory runs out.
  explicit TGIFComposer(const TGIFPictureData& picture);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool HasMask() const { return picture_.hasTransparency; }
  // Width x height colours, the top row first.
  const std::vector<TGIFColor>& Pixels() const { return pixels_; }
  // Width x height bytes, 1 = transparent; empty when no frame is transparent.
  const std::vector<std::uint8_t>& Mask() const { return mask_; }

  // Frame K (1-based) onto the pair: its opaque pixels replace what is there,
  // its transparent ones leave it. Nothing for K out of range.
  void DrawFrame(int k);
  // Frame K's disposal: 2 makes its area transparent (black without a mask),
  // 3 puts back what it covered before it was drawn. Nothing for K out of range.
  void DisposeFrame(int k);

 private:
  struct SavedArea {
    std::vector<TGIFColor> pixels;
    std::vector<std::uint8_t> mask;
  };

  bool InRange(int k) const { return k >= 1 && k <= static_cast<int>(picture_.frames.size()); }

  const TGIFPictureData& picture_;
  int width_;
  int height_;
  std::vector<TGIFColor> pixels_;
  std::vector<std::uint8_t> mask_;
  // Per frame; filled only for frames with disposal 3.
  std::vector<SavedArea> saved_;
};

// Runs a picture through one pass of its animation and back to its start:
// Each sees the pair after frame 1 is drawn, after each later frame k is
// drawn (frame k-1 disposed first), and, when there is more than one frame,
// after the last frame is disposed and frame 1 drawn again over what remains.
void ComposeEveryFrame(const TGIFPictureData& picture,
                       const std::function<void(const TGIFComposer&)>& each);

}  // namespace velloran
