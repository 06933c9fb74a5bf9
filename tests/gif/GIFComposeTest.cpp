#include "gif/GIFCompose.h"

#include <gtest/gtest.h>

#include "gif/GIFReader.h"
#include "tests/gif/GifWriter.h"

namespace velloran {
namespace {

using test::GifImage;
using test::GifWriter;

// A 4 x 1 picture as text: a digit is a colour index (TestColor), "." transparent, "k" black.
std::string Show(const TGIFComposer& composer) {
  std::string text;
  for (std::size_t i = 0; i < composer.Pixels().size(); ++i) {
    TGIFColor color = composer.Pixels()[i];
    if (composer.HasMask() && composer.Mask()[i]) {
      // The invariant: transparent pixels are black.
      EXPECT_EQ(color, 0u) << i;
      text += '.';
      continue;
    }
    char shown = '?';
    if (color == 0) shown = 'k';
    for (int index = 0; index < 10; ++index)
      if (color == test::TestColor(index)) shown = static_cast<char>('0' + index);
    text += shown;
  }
  return text;
}

GifImage Row(int left, const std::vector<std::uint8_t>& pixels) {
  GifImage image;
  image.left = left;
  image.width = static_cast<int>(pixels.size());
  image.pixels = pixels;
  return image;
}

TGIFPictureData Picture(const GifWriter& writer) {
  TGIFPictureData picture;
  EXPECT_TRUE(ReadGIF(writer.Data(), {}, picture));
  return picture;
}

TEST(GIFCompose, StartsTransparentAndDrawsOnlyOpaquePixelsOfATransparentFrame) {
  GifWriter writer(4, 1);
  writer.Control(1, 0, 9).Image(Row(1, {2, 9}));
  writer.Control(1, 0, 9).Image(Row(0, {9, 3, 3, 9}));
  TGIFPictureData picture = Picture(writer.Trailer());
  TGIFComposer composer(picture);
  EXPECT_EQ(Show(composer), "....");
  composer.DrawFrame(1);
  EXPECT_EQ(Show(composer), ".2..");
  composer.DrawFrame(2);
  EXPECT_EQ(Show(composer), ".33.");
}

TEST(GIFCompose, OpaqueFramesMakeTheirAreaOpaqueInATransparentPicture) {
  GifWriter writer(4, 1);
  writer.Control(0, 0, 9).Image(Row(0, {1, 9, 9, 9}));
  writer.Image(Row(2, {4, 5}));
  TGIFPictureData picture = Picture(writer.Trailer());
  TGIFComposer composer(picture);
  composer.DrawFrame(1);
  composer.DrawFrame(2);
  EXPECT_EQ(Show(composer), "1.45");
}

TEST(GIFCompose, DisposesToBackgroundOrToWhatWasThereBefore) {
  struct Case {
    int disposal;
    const char* afterDispose;
  } cases[] = {{0, "1234"}, {1, "1234"}, {2, "1..4"}, {3, "1884"}, {4, "1..4"}, {7, "1..4"}};
  for (const Case& c : cases) {
    GifWriter writer(4, 1);
    writer.Control(1, 0, 0).Image(Row(0, {1, 8, 8, 4}));
    writer.Control(c.disposal, 0, 0).Image(Row(1, {2, 3}));
    TGIFPictureData picture = Picture(writer.Trailer());
    TGIFComposer composer(picture);
    composer.DrawFrame(1);
    composer.DrawFrame(2);
    EXPECT_EQ(Show(composer), "1234") << c.disposal;
    composer.DisposeFrame(2);
    EXPECT_EQ(Show(composer), c.afterDispose) << c.disposal;
  }
}

TEST(GIFCompose, DisposesToBlackWithoutTransparencyAndWrapsOverWhatIsLeft) {
  GifWriter writer(4, 1);
  writer.Image(Row(0, {1, 1, 1, 1}));
  writer.Control(2, 0).Image(Row(2, {5, 6}));
  TGIFPictureData picture = Picture(writer.Trailer());
  ASSERT_FALSE(picture.hasTransparency);
  TGIFComposer composer(picture);
  composer.DrawFrame(1);
  composer.DrawFrame(2);
  composer.DisposeFrame(2);
  EXPECT_EQ(Show(composer), "11kk");
  EXPECT_TRUE(composer.Mask().empty());
  // Out-of-range frames change nothing.
  composer.DrawFrame(0);
  composer.DrawFrame(3);
  composer.DisposeFrame(3);
  EXPECT_EQ(Show(composer), "11kk");
}

}  // namespace
}  // namespace velloran
