#pragma once
// Streams of bytes with a position, as the encoders read and write them, and
// a byte sink that collects into a text.
//
// Threading: none of their own; one thread at a time.

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/TextFile.h"

namespace velloran {

class TStream {
 public:
  virtual ~TStream() = default;
  // Reads up to Count bytes from the position on and moves past them; returns
  // how many, fewer only at the end.
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // Writes Count bytes at the position, growing the stream as needed, and
  // moves past them.
  virtual void Write(const void* data, std::size_t count) = 0;
  virtual std::uint64_t Position() const = 0;
  // A position past the end is allowed; reading there gives nothing.
  virtual void SetPosition(std::uint64_t position) = 0;
  virtual std::uint64_t Size() const = 0;
};

// Bytes in memory.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}

  std::size_t Read(void* buffer, std::size_t count) override;
  void Write(const void* data, std::size_t count) override;
  std::uint64_t Position() const override { return position_; }
  void SetPosition(std::uint64_t position) override { position_ = position; }
  std::uint64_t Size() const override { return bytes_.size(); }

  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
  std::uint64_t position_ = 0;
};

// Appends every write to a text the caller owns.
class StringSink : public ByteSink {
 public:
  explicit StringSink(std::string& text) : text_(text) {}
  void Write(const char* data, std::size_t size) override { text_.append(data, size); }

 private:
  std::string& text_;
};

}  // namespace velloran
