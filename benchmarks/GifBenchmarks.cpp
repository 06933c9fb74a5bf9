// Decoding and composing a 2048 x 2048, 256-colour single-frame GIF, beside
// giflib's DGifSlurp (decoding only, into indices) on the same bytes.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstring>
#include <random>

#include "gif/GIFCompose.h"
#include "gif/GIFReader.h"
#include "tests/gif/GifWriter.h"

namespace velloran {
namespace {

const test::Bytes& Picture() {
  static const test::Bytes bytes = [] {
    constexpr int side = 2048;
    // Smooth bands with noise, so that strings are of every length, as in photographs.
    std::mt19937 random(2048);
    test::GifImage image;
    image.width = image.height = side;
    image.pixels.resize(std::size_t(side) * side);
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x)
        image.pixels[std::size_t(y) * side + x] = static_cast<std::uint8_t>(
            (x / 9 + y / 13 + (random() % 4 == 0 ? random() % 7 : 0)) & 0xFF);
    return test::GifWriter(side, side, 8).Image(image).Trailer().Data();
  }();
  return bytes;
}

void OursDecodeAndCompose(benchmark::State& state) {
  const test::Bytes& bytes = Picture();
  for (auto _ : state) {
    TGIFPictureData picture;
    if (!ReadGIF(bytes, {}, picture)) state.SkipWithError("load failed");
    TGIFComposer composer(picture);
    composer.DrawFrame(1);
    benchmark::DoNotOptimize(composer.Pixels().data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
}
BENCHMARK(OursDecodeAndCompose)->Unit(benchmark::kMillisecond);

struct Memory {
  const test::Bytes* bytes;
  std::size_t at;
};

int ReadMemory(GifFileType* file, GifByteType* target, int count) {
  auto* memory = static_cast<Memory*>(file->UserData);
  std::size_t n = std::min<std::size_t>(std::size_t(count), memory->bytes->size() - memory->at);
  std::memcpy(target, memory->bytes->data() + memory->at, n);
  memory->at += n;
  return static_cast<int>(n);
}

void GiflibSlurp(benchmark::State& state) {
  const test::Bytes& bytes = Picture();
  for (auto _ : state) {
    Memory memory{&bytes, 0};
    int error = 0;
    GifFileType* file = DGifOpen(&memory, &ReadMemory, &error);
    if (!file || DGifSlurp(file) != GIF_OK) state.SkipWithError("giflib failed");
    benchmark::DoNotOptimize(file->SavedImages[0].RasterBits);
    DGifCloseFile(file, &error);
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
}
BENCHMARK(GiflibSlurp)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velloran
