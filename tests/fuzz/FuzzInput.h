#pragma once
// Small helpers that fuzz targets share.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/TextFile.h"

namespace velloran::fuzz {

inline std::string_view BytesOf(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Collects what is written, for reading it back.
class StringSink : public ByteSink {
 public:
  void Write(const char* data, std::size_t size) override { bytes.append(data, size); }
  std::string bytes;
};

}  // namespace velloran::fuzz
