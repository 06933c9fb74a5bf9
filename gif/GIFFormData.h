#pragma once
// The form-data form of a picture: a 32-bit little-endian signed length N,
// then N bytes, the GIF file unchanged. N of 0 or less carries no bytes.

#include <cstdint>
#include <span>
#include <vector>

namespace velloran {

// The GIF bytes of form data. Raises "Stream read error" when fewer than N bytes follow.
std::vector<std::uint8_t> ReadGIFFormData(std::span<const std::uint8_t> formData);
std::vector<std::uint8_t> WriteGIFFormData(std::span<const std::uint8_t> gif);

// An animation step's interval in milliseconds: a frame's delay, at least
// 50 ms, scaled by Speed percent, and never below 1 ms.
int GIFFrameInterval(int delay, int speed);

}  // namespace velloran
