#include "gif/GIFFormData.h"

#include <algorithm>

#include "framework/Exception.h"

namespace velloran {

std::vector<std::uint8_t> ReadGIFFormData(std::span<const std::uint8_t> formData) {
  if (formData.size() < 4) throw Exception("Stream read error");
  std::int32_t length = static_cast<std::int32_t>(formData[0] | (std::uint32_t(formData[1]) << 8) |
                                                  (std::uint32_t(formData[2]) << 16) |
                                                  (std::uint32_t(formData[3]) << 24));
  if (length <= 0) return {};
  if (static_cast<std::uint64_t>(length) > formData.size() - 4)
    throw Exception("Stream read error");
  return std::vector<std::uint8_t>(formData.begin() + 4, formData.begin() + 4 + length);
}

std::vector<std::uint8_t> WriteGIFFormData(std::span<const std::uint8_t> gif) {
  const std::uint32_t length = static_cast<std::uint32_t>(gif.size());
  std::vector<std::uint8_t> data(4 + gif.size());
  for (int i = 0; i < 4; ++i) data[std::size_t(i)] = static_cast<std::uint8_t>(length >> (8 * i));
  std::copy(gif.begin(), gif.end(), data.begin() + 4);
  return data;
}

int GIFFrameInterval(int delay, int speed) {
  long long interval = static_cast<long long>(std::max(delay, 50)) * 100 / std::max(speed, 1);
  return static_cast<int>(std::clamp(interval, 1LL, 0x7FFFFFFFLL));
}

}  // namespace velloran
