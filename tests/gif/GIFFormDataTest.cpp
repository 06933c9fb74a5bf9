#include "gif/GIFFormData.h"

#include <gtest/gtest.h>

#include "framework/Exception.h"
#include "gif/GIFBitmapFile.h"
#include "gif/GIFReader.h"
#include "tests/gif/GifWriter.h"

namespace velloran {
namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
         (std::uint32_t(bytes[at + 3]) << 24);
}

TEST(GIFFormData, IsTheFilePrecededByItsLengthInFourBytes) {
  std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 2, 3};
  std::vector<std::uint8_t> data = WriteGIFFormData(gif);
  ASSERT_EQ(data.size(), 13u);
  EXPECT_EQ(U32(data, 0), 9u);
  EXPECT_EQ(ReadGIFFormData(data), gif);
  // More bytes after the file are not its own.
  data.push_back(0x3B);
  EXPECT_EQ(ReadGIFFormData(data), gif);
}

TEST(GIFFormData, ALengthOfZeroOrLessCarriesNothingAndOneTooLongFails) {
  EXPECT_TRUE(ReadGIFFormData(std::vector<std::uint8_t>{0, 0, 0, 0, 'G'}).empty());
  EXPECT_TRUE(ReadGIFFormData(std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 'G'}).empty());
  EXPECT_THROW(ReadGIFFormData(std::vector<std::uint8_t>{5, 0, 0, 0, 'G'}), Exception);
  EXPECT_THROW(ReadGIFFormData(std::vector<std::uint8_t>{5, 0}), Exception);
}

TEST(GIFFormData, IntervalsCountShortDelaysAs50MsAndFollowTheSpeed) {
  struct Case {
    int delay, speed, expected;
  } cases[] = {{0, 100, 50}, {30, 100, 50}, {100, 100, 100}, {100, 200, 50},
               {0, 1, 5000}, {70, 0, 7000}, {10, 100000, 1}};
  for (const Case& c : cases)
    EXPECT_EQ(GIFFrameInterval(c.delay, c.speed), c.expected) << c.delay << " " << c.speed;
}

TEST(GIFBitmapFile, HoldsTheFramesIndicesBottomUpWithItsColoursThenBlack) {
  test::GifImage image;
  image.width = 3;
  image.height = 2;
  image.pixels = {0, 1, 3, 3, 3, 1};
  test::GifWriter writer(3, 2, 2);
  writer.Control(0, 0, 3).Image(image).Trailer();
  TGIFPictureData picture;
  ASSERT_TRUE(ReadGIF(writer.Data(), {}, picture));
  const TGIFFrameData& frame = picture.frames[0];

  std::vector<std::uint8_t> file = FrameBitmapFile(frame);
  const std::size_t offset = 14 + 40 + 4 * 256;
  ASSERT_EQ(file.size(), offset + 4 * 2);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(U32(file, 2), file.size());
  EXPECT_EQ(U32(file, 10), offset);
  EXPECT_EQ(U32(file, 14), 40u);
  EXPECT_EQ(U32(file, 18), 3u);
  EXPECT_EQ(U32(file, 22), 2u);
  EXPECT_EQ(file[28], 8);
  EXPECT_EQ(U32(file, 34), 8u);    // image size: 2 rows of 4 bytes
  EXPECT_EQ(U32(file, 46), 256u);  // colours used
  EXPECT_EQ(U32(file, 54 + 4 * 1), test::TestColor(1));
  EXPECT_EQ(U32(file, 54 + 4 * 4), 0u);  // past the table of 4
  // The last row first.
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + offset, file.end()),
            (std::vector<std::uint8_t>{3, 3, 1, 0, 0, 1, 3, 0}));

  std::vector<std::uint8_t> mask = FrameMaskFile(frame);
  ASSERT_EQ(mask.size(), 14u + 40 + 8 + 8);
  EXPECT_EQ(U32(mask, 46), 2u);
  EXPECT_EQ(U32(mask, 54), 0x000000u);
  EXPECT_EQ(U32(mask, 58), 0xFFFFFFu);
  // Index 3 is transparent: the bottom row's first two pixels, the top row's last.
  EXPECT_EQ(mask[62], 0xC0);
  EXPECT_EQ(mask[66], 0x20);
}

}  // namespace
}  // namespace velloran
