#include <cstdio>
#include <string>

#include "framework/Exception.h"
#include "framework/FileAccess.h"
#include "gif/GIFCompose.h"
#include "gif/GIFReader.h"
#include "tools/velloran-tool/Commands.h"

namespace velloran::tool {
namespace {

constexpr std::uint64_t MaxPamBytes = std::uint64_t{1} << 30;

void PrintFacts(const TGIFPictureData& picture) {
  std::printf("load ok\n");
  std::printf("version %s\n", picture.version == TGIFVersion::gvGIF89a ? "89a" : "87a");
  std::printf("size %dx%d\n", picture.width, picture.height);
  std::printf("frames %d\n", static_cast<int>(picture.frames.size()));
  std::printf("loop %d\n", picture.loopCount);
  int k = 0;
  for (const TGIFFrameData& frame : picture.frames) {
    std::string transparent = frame.transparent ? std::to_string(frame.transparentIndex) : "-";
    std::printf("frame %d %d %d %d %d %d %d %s\n", ++k, frame.left, frame.top, frame.width,
                frame.height, frame.delay, frame.disposal, transparent.c_str());
  }
}

// One image of a multi-image PAM: colours, and alpha 0 where the picture is transparent.
void WriteImage(OutputFile& file, const TGIFComposer& composer) {
  std::string header = "P7\nWIDTH " + std::to_string(composer.Width()) + "\nHEIGHT " +
                       std::to_string(composer.Height()) +
                       "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  file.Write(header.data(), header.size());
  const std::size_t width = static_cast<std::size_t>(composer.Width());
  std::string row(width * 4, '\0');
  for (int y = 0; y < composer.Height(); ++y) {
    const std::size_t first = std::size_t(y) * width;
    for (std::size_t x = 0; x < width; ++x) {
      bool clear = composer.HasMask() && composer.Mask()[first + x];
      TGIFColor color = clear ? 0 : composer.Pixels()[first + x];
      row[4 * x] = static_cast<char>(color >> 16);
      row[4 * x + 1] = static_cast<char>(color >> 8);
      row[4 * x + 2] = static_cast<char>(color);
      row[4 * x + 3] = static_cast<char>(clear ? 0 : 255);
    }
    file.Write(row.data(), row.size());
  }
}

}  // namespace

int Gif(const Arguments& arguments) {
  if (arguments.empty() || arguments.size() > 2) {
    std::fprintf(stderr, "usage: velloran-tool gif FILE [PAM-FILE]\n");
    return 2;
  }
  try {
    std::string bytes = ReadWholeFile(arguments[0]);
    TGIFPictureData picture;
    if (!ReadGIF({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, {},
                 picture)) {
      std::printf("load fail\n");
      std::fflush(stdout);
      return 1;
    }
    PrintFacts(picture);
    if (arguments.size() == 2) {
      // A few kilobytes of GIF can ask for hundreds of full-size images.
      std::uint64_t images = picture.frames.size() + (picture.frames.size() > 1 ? 1 : 0);
      if (images * std::uint64_t(picture.width) * std::uint64_t(picture.height) * 4 > MaxPamBytes) {
        std::fflush(stdout);
        std::fprintf(stderr, "velloran-tool: the PAM file would take more than 1 GiB\n");
        return 1;
      }
      OutputFile file(arguments[1]);
      ComposeEveryFrame(picture, [&](const TGIFComposer& composer) { WriteImage(file, composer); });
      file.Commit();
    }
  } catch (const EInOutError& error) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "velloran-tool: standard output could not be written\n");
    return 1;
  }
  return 0;
}

}  // namespace velloran::tool
