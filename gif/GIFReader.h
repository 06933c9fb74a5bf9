#pragma once
// Turns the bytes of a GIF file into a picture's facts and frames. Bad input
// never reads or writes outside the bytes or the picture: every size read from
// the file is checked against GIFMemoryBound before anything is sized from it,
// and every loop is bounded by the bytes left or by a fixed table size.
//
// Threading: any thread; one call works on its own data only.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "gif/GIFData.h"

namespace velloran {

// The stop a progress handler asks for: never shown to the user.
class EGIFAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

struct TGIFReadOptions {
  // Stop after the first image.
  bool firstImageOnly = false;
  std::uint64_t memoryBound = GIFMemoryBound;
  // Told how far the load is at each block and, in images of more than
  // 100000 pixels, every 64 rows (32 for images wider than 320). Leaving
  // KeepOnProcessing false stops the load (it comes in as it was left).
  std::function<void(std::size_t processed, std::size_t total, bool& keepOnProcessing)> progress;
};

// Decodes Bytes into Picture (emptied first). False when they hold no picture
// that loads; no error leaves it, the progress handler's included. Picture may
// hold partial facts after a failure, but no frames.
bool ReadGIF(std::span<const std::uint8_t> bytes, const TGIFReadOptions& options,
             TGIFPictureData& picture);

// The percentage of a progress report: 100 x processed / total, rounded.
int GIFPercentage(std::size_t processed, std::size_t total);

}  // namespace velloran
