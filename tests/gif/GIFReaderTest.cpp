#include "gif/GIFReader.h"

#include <gtest/gtest.h>

#include <random>

#include "gif/GIFCompose.h"
#include "tests/gif/GifWriter.h"

namespace velloran {
namespace {

using test::Bytes;
using test::GifImage;
using test::GifWriter;
using test::Solid;

TGIFPictureData Load(const Bytes& bytes, bool* loaded = nullptr, TGIFReadOptions options = {}) {
  TGIFPictureData picture;
  bool ok = ReadGIF(bytes, options, picture);
  if (loaded) *loaded = ok;
  return picture;
}

Bytes OneFrame(int width, int height) {
  return GifWriter(width, height).Image(Solid(width, height, 1)).Trailer().Data();
}

TEST(GIFReader, ReadsTheVersionFromTheFifthByteAndWantsGIFFirst) {
  struct Case {
    const char* version;
    TGIFVersion expected;
  } cases[] = {{"89a", TGIFVersion::gvGIF89a},
               {"87a", TGIFVersion::gvGIF87a},
               {"8xa", TGIFVersion::gvGIF87a},
               {"99z", TGIFVersion::gvGIF89a}};
  for (const Case& c : cases) {
    bool loaded;
    TGIFPictureData picture =
        Load(GifWriter(2, 2, 2, c.version).Image(Solid(2, 2, 1)).Trailer().Data(), &loaded);
    EXPECT_TRUE(loaded) << c.version;
    EXPECT_EQ(picture.version, c.expected) << c.version;
  }
  Bytes notGif = OneFrame(2, 2);
  notGif[0] = 'J';
  bool loaded = true;
  Load(notGif, &loaded);
  EXPECT_FALSE(loaded);
}

TEST(GIFReader, FailsOnBytesThatEndTooSoon) {
  Bytes whole = GifWriter(4, 4, 3).Image(Solid(4, 4, 1)).Trailer().Data();
  // Header, screen descriptor, global table cut short; and nothing at all.
  for (std::size_t length : {0, 3, 5, 6, 12, 13, 20, 36}) {
    bool loaded = true;
    Load(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)), &loaded);
    EXPECT_FALSE(loaded) << length;
  }
  // A descriptor cut short: no frame could be read.
  bool loaded = true;
  Load(Bytes(whole.begin(), whole.begin() + 13 + 24 + 5), &loaded);
  EXPECT_FALSE(loaded);
}

TEST(GIFReader, TakesTheLoopCountFromTheNetscapeBlock) {
  struct Case {
    int count;  // -1: no block
    int expected;
  } cases[] = {{-1, 1}, {0, 0}, {5, 5}, {65535, 65535}};
  for (const Case& c : cases) {
    GifWriter writer(2, 2);
    if (c.count >= 0) writer.Loop(c.count);
    writer.Image(Solid(2, 2, 1)).Image(Solid(2, 2, 2)).Trailer();
    TGIFPictureData picture = Load(writer.Data());
    EXPECT_EQ(picture.loopCount, c.expected) << c.count;
    EXPECT_EQ(picture.frames.size(), 2u);
  }
}

TEST(GIFReader, AppliesAGraphicControlToTheNextImageOnlyAndReadsDisposal4To7As2) {
  GifWriter writer(4, 4);
  for (int disposal = 0; disposal < 8; ++disposal)
    writer.Control(disposal, 7, disposal == 5 ? 3 : -1).Image(Solid(4, 4, 1));
  writer.Image(Solid(4, 4, 1)).Trailer();
  TGIFPictureData picture = Load(writer.Data());
  ASSERT_EQ(picture.frames.size(), 9u);
  const int expected[] = {0, 1, 2, 3, 2, 2, 2, 2, 0};
  for (int i = 0; i < 9; ++i) {
    const TGIFFrameData& frame = picture.frames[std::size_t(i)];
    EXPECT_EQ(frame.disposal, expected[i]) << i;
    EXPECT_EQ(frame.delay, i < 8 ? 70 : 0) << i;
    EXPECT_EQ(frame.transparent, i == 5) << i;
  }
  EXPECT_EQ(picture.frames[5].transparentIndex, 3);
  EXPECT_TRUE(picture.hasTransparency);
}

TEST(GIFReader, GrowsThePictureToCoverEveryFrame) {
  TGIFPictureData picture =
      Load(GifWriter(16, 16).Image(Solid(20, 20, 1, 10, 10)).Trailer().Data());
  EXPECT_EQ(picture.width, 30);
  EXPECT_EQ(picture.height, 30);
  TGIFComposer composer(picture);
  composer.DrawFrame(1);
  EXPECT_EQ(composer.Pixels()[29 * 30 + 29], test::TestColor(1));
  EXPECT_EQ(composer.Pixels()[9 * 30 + 9], 0u);
}

TEST(GIFReader, PutsInterlacedRowsInPlace) {
  for (int height : {1, 2, 3, 5, 8, 9, 17}) {
    GifImage image;
    image.width = 3;
    image.height = height;
    for (int y = 0; y < height; ++y) image.pixels.insert(image.pixels.end(), 3, std::uint8_t(y));
    image.interlaced = true;
    TGIFPictureData picture = Load(GifWriter(3, height).Image(image).Trailer().Data());
    ASSERT_EQ(picture.frames.size(), 1u) << height;
    EXPECT_TRUE(picture.frames[0].interlaced);
    EXPECT_EQ(picture.frames[0].pixels, image.pixels) << height;
  }
  // Raw data in stream order 0..7 must land as rows 0, 4, 2, 6, 1, 3, 5, 7.
  GifImage raw;
  raw.width = 1;
  raw.height = 8;
  raw.pixels = {0, 1, 2, 3, 4, 5, 6, 7};
  raw.interlaced = true;
  Bytes data = {8};
  Bytes blocks = test::SubBlocks(test::LzwEncode(raw.pixels, 8));
  data.insert(data.end(), blocks.begin(), blocks.end());
  TGIFPictureData picture = Load(GifWriter(1, 8).ImageWithData(raw, data).Trailer().Data());
  ASSERT_EQ(picture.frames.size(), 1u);
  EXPECT_EQ(picture.frames[0].pixels, (std::vector<std::uint8_t>{0, 4, 2, 5, 1, 6, 3, 7}));
}

TEST(GIFReader, DecodesWhatOurEncoderWrites) {
  std::mt19937 random(7);
  struct Case {
    int width, height, bits, modulo;
  } cases[] = {{1, 1, 2, 2},       {5, 3, 2, 4},     {64, 64, 4, 16},
               {300, 200, 8, 256}, {517, 389, 8, 7}, {1000, 40, 1, 2}};
  for (const Case& c : cases) {
    GifImage image;
    image.width = c.width;
    image.height = c.height;
    image.minCodeSize = std::max(2, c.bits);
    // Noise fills the table to its end (clear codes); patterns bring long runs.
    for (int i = 0; i < c.width * c.height; ++i)
      image.pixels.push_back(
          static_cast<std::uint8_t>(i % 3 == 0 ? random() % c.modulo : (i / 97) % c.modulo));
    TGIFPictureData picture =
        Load(GifWriter(c.width, c.height, c.bits).Image(image).Trailer().Data());
    ASSERT_EQ(picture.frames.size(), 1u);
    EXPECT_EQ(picture.frames[0].pixels, image.pixels) << c.width << "x" << c.height;
  }
}

TEST(GIFReader, MarksTheRestTransparentWhenTheDataEndEarly) {
  GifImage image = Solid(1000, 1000, 5);
  // The first row and a little more, then the data stop.
  Bytes codes = test::LzwEncode(std::vector<std::uint8_t>(1000, 5), 8);
  codes.pop_back();
  codes.pop_back();
  Bytes data = {8};
  Bytes blocks = test::SubBlocks(codes);
  data.insert(data.end(), blocks.begin(), blocks.end());
  TGIFPictureData picture =
      Load(GifWriter(1000, 1000).Control(0, 0, 5).ImageWithData(image, data).Trailer().Data());
  ASSERT_EQ(picture.frames.size(), 1u);
  const TGIFFrameData& frame = picture.frames[0];
  for (std::size_t i = 1000; i < frame.pixels.size(); i += 997) {
    EXPECT_EQ(frame.pixels[i], 0) << i;
    EXPECT_EQ(frame.mask[i], 1) << i;
  }
  EXPECT_EQ(frame.mask[999 * 1000 + 999], 1);
  // What was decoded of the first row is index 5, the transparent one.
  EXPECT_EQ(frame.pixels[0], 5);
  EXPECT_EQ(frame.mask[0], 1);
}

TEST(GIFReader, StopsAfterTheFirstImageWhenAskedTo) {
  Bytes bytes = GifWriter(2, 2).Image(Solid(2, 2, 1)).Image(Solid(2, 2, 2)).Trailer().Data();
  TGIFReadOptions options;
  options.firstImageOnly = true;
  EXPECT_EQ(Load(bytes, nullptr, options).frames.size(), 1u);
  EXPECT_EQ(Load(bytes).frames.size(), 2u);
}

TEST(GIFReader, DropsImagesTooLargeOrEmptyAsTheRulesSay) {
  // A second frame one pixel wider than 16384: the first stands alone.
  bool loaded;
  TGIFPictureData picture = Load(
      GifWriter(4, 4).Image(Solid(4, 4, 1)).Image(Solid(16385, 1, 1)).Trailer().Data(), &loaded);
  EXPECT_TRUE(loaded);
  EXPECT_EQ(picture.frames.size(), 1u);
  EXPECT_EQ(picture.width, 4);
  // Too large as the first frame: nothing to show.
  Load(GifWriter(4, 4).Image(Solid(1, 16385, 1)).Trailer().Data(), &loaded);
  EXPECT_FALSE(loaded);
  // An empty image fails the whole load, even after a good one.
  GifImage empty = Solid(1, 1, 1);
  empty.width = 0;
  Load(GifWriter(4, 4).Image(Solid(4, 4, 1)).Image(empty).Trailer().Data(), &loaded);
  EXPECT_FALSE(loaded);
  // 16384 x 1 is fine.
  picture = Load(GifWriter(16384, 1).Image(Solid(16384, 1, 3)).Trailer().Data(), &loaded);
  EXPECT_TRUE(loaded);
  EXPECT_EQ(picture.width, 16384);
}

TEST(GIFReader, KeepsTheFirst256Images) {
  GifWriter writer(1, 1);
  for (int i = 0; i < 260; ++i) writer.Image(Solid(1, 1, static_cast<std::uint8_t>(i)));
  TGIFPictureData picture = Load(writer.Trailer().Data());
  ASSERT_EQ(picture.frames.size(), 256u);
  EXPECT_EQ(picture.frames[255].pixels[0], 255);
}

TEST(GIFReader, BoundsThePictureInMemory) {
  bool loaded;
  // A screen of 65535 x 65535 with one pixel in it would take 20 GB.
  Load(GifWriter(65535, 65535).Image(Solid(1, 1, 1)).Trailer().Data(), &loaded);
  EXPECT_FALSE(loaded);
  // A small first frame, then one far away that would grow the picture past the bound.
  TGIFPictureData picture = Load(
      GifWriter(8, 8).Image(Solid(8, 8, 1)).Image(Solid(1, 1, 1, 65535, 65535)).Trailer().Data(),
      &loaded);
  EXPECT_TRUE(loaded);
  EXPECT_EQ(picture.frames.size(), 1u);
  EXPECT_EQ(picture.width, 8);
  // Frames that add up past the bound: those before it stay.
  TGIFReadOptions options;
  options.memoryBound = 40960;
  GifWriter big(64, 64);
  for (int i = 0; i < 8; ++i) big.Image(Solid(64, 64, 1));
  picture = Load(big.Trailer().Data(), &loaded, options);
  EXPECT_TRUE(loaded);
  // The composed pair takes 5 bytes a pixel, each frame 1.
  EXPECT_EQ(picture.frames.size(), 5u);
  // An ordinary animated banner loads whole.
  GifWriter banner(468, 60);
  banner.Loop(0);
  for (int i = 0; i < 40; ++i)
    banner.Control(i % 2 ? 2 : 3, 10, 0).Image(Solid(468, 60, static_cast<std::uint8_t>(i + 1)));
  picture = Load(banner.Trailer().Data(), &loaded);
  EXPECT_TRUE(loaded);
  EXPECT_EQ(picture.frames.size(), 40u);
}

// Image data written code by code: minimum code size 2 (clear 4, end 5).
Bytes CodesImage(const std::vector<unsigned>& codes, const std::vector<int>& widths, int width,
                 int height, int transparentIndex = -1, int minCodeSize = 2) {
  Bytes data = {static_cast<std::uint8_t>(minCodeSize)};
  Bytes blocks = test::SubBlocks(test::PackCodes(codes, widths));
  data.insert(data.end(), blocks.begin(), blocks.end());
  GifImage image = Solid(width, height, 0);
  GifWriter writer(width, height, 2);
  if (transparentIndex >= 0) writer.Control(0, 0, transparentIndex);
  return writer.ImageWithData(image, data).Trailer().Data();
}

TEST(GIFReader, StopsAtACorruptCodeAndKeepsWhatCameBefore) {
  struct Case {
    const char* what;
    std::vector<unsigned> codes;
    std::vector<int> widths;
    std::vector<std::uint8_t> pixels;
  } cases[] = {
      {"end code early", {4, 1, 2, 5}, {3, 3, 3, 3}, {1, 2, 0, 0, 0, 0}},
      // After a clear, code 6 (= next free) is read as a value: the entry
      // made next points to itself, and reading it is corrupt.
      {"self-reference", {4, 1, 4, 6, 3, 6, 2}, {3, 3, 3, 3, 3, 3, 3}, {1, 6, 3, 0, 0, 0}},
      {"repeat of the previous string", {4, 1, 7, 5}, {3, 3, 3, 3}, {1, 1, 1, 0, 0, 0}},
      {"data end without end code", {4, 3, 3, 3}, {3, 3, 3, 3}, {3, 3, 3, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    TGIFPictureData picture = Load(CodesImage(c.codes, c.widths, 3, 2, 0));
    ASSERT_EQ(picture.frames.size(), 1u) << c.what;
    EXPECT_EQ(picture.frames[0].pixels, c.pixels) << c.what;
  }
}

TEST(GIFReader, TakesNoClearOrEndCodeForAValue) {
  // Every clear code resets the table; the value after them is the first
  // code that is neither clear nor end.
  struct Case {
    const char* what;
    std::vector<unsigned> codes;
    std::vector<std::uint8_t> pixels;
    std::size_t placed;
  } cases[] = {
      {"two clear codes in a row", {4, 1, 1, 4, 4, 2, 3, 5}, {1, 1, 2, 3, 0, 0}, 4},
      {"a fresh table after them", {4, 1, 1, 4, 4, 2, 6, 5}, {1, 1, 2, 2, 2, 0}, 5},
      {"end after a clear code", {4, 1, 4, 5, 3, 3}, {1, 0, 0, 0, 0, 0}, 1},
      {"end as the first code", {4, 5, 1, 1}, {0, 0, 0, 0, 0, 0}, 0},
  };
  for (const Case& c : cases) {
    // Transparent index 7 is no value here: the mask marks what was not placed.
    TGIFPictureData picture =
        Load(CodesImage(c.codes, std::vector<int>(c.codes.size(), 3), 3, 2, 7));
    ASSERT_EQ(picture.frames.size(), 1u) << c.what;
    EXPECT_EQ(picture.frames[0].pixels, c.pixels) << c.what;
    std::vector<std::uint8_t> unplaced(6, 0);
    for (std::size_t i = c.placed; i < unplaced.size(); ++i) unplaced[i] = 1;
    EXPECT_EQ(picture.frames[0].mask, unplaced) << c.what;
  }
}

TEST(GIFReader, TreatsCodeSizes12To15AsCorruptAndLeavesLargerOnesToTheBlockLoop) {
  for (int size : {12, 13, 14, 15}) {
    bool loaded = true;
    Bytes bytes = GifWriter(2, 2).Image(Solid(2, 2, 1)).Data();
    Bytes second = CodesImage({4, 1, 5}, {13, 13, 13}, 2, 2, -1, size);
    // Only the image part of the second file.
    bytes.insert(bytes.end(), second.begin() + 13 + 12, second.end());
    TGIFPictureData picture = Load(bytes, &loaded);
    EXPECT_TRUE(loaded) << size;
    EXPECT_EQ(picture.frames.size(), 1u) << size;
  }
  // Above 15: the frame has no pixel rows; its sub-blocks are scanned as stray bytes.
  bool loaded = false;
  TGIFPictureData picture = Load(CodesImage({4, 1, 2, 5}, {3, 3, 3, 3}, 2, 2, -1, 16), &loaded);
  EXPECT_TRUE(loaded);
  ASSERT_EQ(picture.frames.size(), 1u);
  EXPECT_EQ(picture.frames[0].pixels, (std::vector<std::uint8_t>{0, 0, 0, 0}));
}

TEST(GIFReader, DrawsIndicesBeyondTheColourTableBlack) {
  // A table of 4 entries, pixels 0..7.
  GifImage image;
  image.width = 8;
  image.pixels = {0, 1, 2, 3, 4, 5, 6, 7};
  image.minCodeSize = 3;
  TGIFPictureData picture = Load(GifWriter(8, 1, 2).Image(image).Trailer().Data());
  ASSERT_EQ(picture.frames.size(), 1u);
  EXPECT_EQ(picture.frames[0].colorCount, 4);
  TGIFComposer composer(picture);
  composer.DrawFrame(1);
  for (int x = 0; x < 8; ++x)
    EXPECT_EQ(composer.Pixels()[std::size_t(x)], x < 4 ? test::TestColor(x) : 0u) << x;
  // Without any colour table every index is black.
  picture = Load(GifWriter(8, 1, 0).Image(image).Trailer().Data());
  TGIFComposer blank(picture);
  blank.DrawFrame(1);
  for (TGIFColor color : blank.Pixels()) EXPECT_EQ(color, 0u);
}

TEST(GIFReader, ToleratesALocalTableCutShortAndScansStrayBytes) {
  // Unknown extension label and stray bytes before the image.
  Bytes bytes = GifWriter(2, 1)
                    .Raw({0x21, 0x99, 'x', 'y', 0x00, 0x00})
                    .Image(Solid(2, 1, 1))
                    .Trailer()
                    .Data();
  TGIFPictureData picture = Load(bytes);
  ASSERT_EQ(picture.frames.size(), 1u);
  EXPECT_EQ(picture.frames[0].pixels, (std::vector<std::uint8_t>{1, 1}));
  // A local table of 256 entries cut after 2: the file ends in it, the
  // missing entries are black and the missing data index 0.
  GifImage image = Solid(2, 1, 1);
  image.localBits = 8;
  bytes = GifWriter(2, 1, 0).Image(image).Data();
  bytes.resize(13 + 10 + 6);
  bool loaded;
  picture = Load(bytes, &loaded);
  EXPECT_TRUE(loaded);
  ASSERT_EQ(picture.frames.size(), 1u);
  EXPECT_EQ(picture.frames[0].colorCount, 256);
  EXPECT_EQ(GIFFrameColor(picture.frames[0], 1), test::TestColor(1));
  EXPECT_EQ(GIFFrameColor(picture.frames[0], 2), 0u);
  TGIFComposer composer(picture);
  composer.DrawFrame(1);
  EXPECT_EQ(composer.Pixels()[0], test::TestColor(0));
}

TEST(GIFReader, ReportsProgressAndStopsWhenTheHandlerSaysSo) {
  GifWriter writer(400, 400);
  writer.Comment("a comment").Image(Solid(400, 400, 1)).Image(Solid(400, 400, 2)).Trailer();
  std::vector<int> percentages;
  TGIFReadOptions options;
  options.progress = [&](std::size_t processed, std::size_t total, bool&) {
    percentages.push_back(GIFPercentage(processed, total));
  };
  bool loaded;
  Load(writer.Data(), &loaded, options);
  EXPECT_TRUE(loaded);
  // Blocks, and every 32nd row of the two 400 x 400 images.
  EXPECT_GE(percentages.size(), 2u * 13u);
  EXPECT_EQ(percentages.back(), 100);
  EXPECT_TRUE(std::is_sorted(percentages.begin(), percentages.end()));

  // Stopped inside the second image: that frame is dropped, but the handler
  // still sees the flag it left at the end, and so the load fails.
  int calls = 0;
  options.progress = [&](std::size_t processed, std::size_t total, bool& keep) {
    ++calls;
    if (processed > total * 3 / 4) keep = false;
  };
  Load(writer.Data(), &loaded, options);
  EXPECT_FALSE(loaded);
  // Stopped inside the second image, then allowed again: one frame.
  bool stopped = false;
  options.progress = [&](std::size_t processed, std::size_t total, bool& keep) {
    if (!stopped && processed > total * 3 / 4) {
      stopped = true;
      keep = false;
    } else {
      keep = true;
    }
  };
  TGIFPictureData picture = Load(writer.Data(), &loaded, options);
  EXPECT_TRUE(loaded);
  EXPECT_EQ(picture.frames.size(), 1u);
}

}  // namespace
}  // namespace velloran
