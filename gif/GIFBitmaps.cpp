#include "gif/GIFBitmaps.h"

#include <cstring>

#include "framework/Exception.h"
#include "gif/GIFBitmapFile.h"

namespace velloran {
namespace {

UniqueBitmap Checked(HBITMAP bitmap) {
  if (!bitmap) throw Exception("Out of system resources");
  return UniqueBitmap(bitmap);
}

}  // namespace

UniqueMemoryDC NewMemoryDC(HDC dc) {
  UniqueMemoryDC memory(CreateCompatibleDC(dc));
  if (!memory) throw Exception("Out of system resources");
  return memory;
}

OffScreen::OffScreen(HDC dc, int width, int height, BitmapMaker makeBitmap)
    : dc_(NewMemoryDC(dc)),
      bitmap_(Checked(makeBitmap(dc, width, height))),
      select_(dc_.get(), bitmap_.get()) {}

UniqueBitmap BitmapFromFile(const std::vector<std::uint8_t>& file) {
  const auto* info = reinterpret_cast<const BITMAPINFO*>(file.data() + BitmapFileHeaderSize);
  DWORD offset;
  std::memcpy(&offset, file.data() + 10, sizeof offset);
  void* bits = nullptr;
  UniqueBitmap bitmap = Checked(CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0));
  std::memcpy(bits, file.data() + offset, file.size() - offset);
  return bitmap;
}

UniqueBitmap DisplayBitmap(int width, int height) {
  WindowDC screen(nullptr);
  return Checked(CreateCompatibleBitmap(screen.get(), width, height));
}

UniqueBitmap MonochromeBitmap(int width, int height) {
  return Checked(CreateBitmap(width, height, 1, 1, nullptr));
}

void FillComposed(const TGIFComposer& composer, HBITMAP composed, HBITMAP mask) {
  const int width = composer.Width(), height = composer.Height();
  UniqueMemoryDC dc = NewMemoryDC();
  BITMAPINFO colors{};
  colors.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  colors.bmiHeader.biWidth = width;
  colors.bmiHeader.biHeight = -height;  // top row first, as the composer holds them
  colors.bmiHeader.biPlanes = 1;
  colors.bmiHeader.biBitCount = 32;
  colors.bmiHeader.biCompression = BI_RGB;
  // 0x00RRGGBB in memory is blue, green, red, 0: a 32-bit DIB's own layout.
  SetDIBits(dc.get(), composed, 0, static_cast<UINT>(height), composer.Pixels().data(), &colors,
            DIB_RGB_COLORS);
  if (!mask || !composer.HasMask()) return;
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
  } monochrome{};
  monochrome.header = colors.bmiHeader;
  monochrome.header.biBitCount = 1;
  monochrome.colors[1] = RGBQUAD{255, 255, 255, 0};
  const std::size_t rowLength = (std::size_t(width) + 31) / 32 * 4;
  std::vector<std::uint8_t> rows(rowLength * std::size_t(height), 0);
  const std::uint8_t* source = composer.Mask().data();
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = rows.data() + std::size_t(y) * rowLength;
    for (int x = 0; x < width; ++x, ++source)
      if (*source) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
  }
  SetDIBits(dc.get(), mask, 0, static_cast<UINT>(height), rows.data(),
            reinterpret_cast<BITMAPINFO*>(&monochrome), DIB_RGB_COLORS);
}

HPALETTE BitmapPalette(HBITMAP bitmap) {
  UniqueMemoryDC dc = NewMemoryDC();
  SelectScope select(dc.get(), bitmap);
  RGBQUAD table[256];
  UINT count = GetDIBColorTable(dc.get(), 0, 256, table);
  if (count == 0) return nullptr;
  struct {
    WORD version;
    WORD count;
    PALETTEENTRY entries[256];
  } palette{0x300, static_cast<WORD>(count), {}};
  for (UINT i = 0; i < count; ++i)
    palette.entries[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
  return CreatePalette(reinterpret_cast<LOGPALETTE*>(&palette));
}

void StretchDrawDC(HBITMAP bitmap, HDC dc, const RECT& rect, DWORD rop) {
  BITMAP shape{};
  if (!GetObjectA(bitmap, sizeof shape, &shape)) return;
  UniqueMemoryDC source = NewMemoryDC();
  SelectScope select(source.get(), bitmap);
  UniquePalette palette(shape.bmBitsPixel <= 8 ? BitmapPalette(bitmap) : nullptr);
  HPALETTE oldPalette = nullptr;
  if (palette) {
    oldPalette = SelectPalette(dc, palette.get(), TRUE);
    RealizePalette(dc);
  }
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  int oldMode = 0;
  POINT oldOrigin{};
  bool halftone = false;
  if (width != shape.bmWidth || height != shape.bmHeight) {
    const int targetBits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    WindowDC screen(nullptr);
    const int bitmapDeviceBits = GetDeviceCaps(screen.get(), BITSPIXEL);
    halftone = targetBits <= 8 && targetBits < bitmapDeviceBits;
    if (halftone) GetBrushOrgEx(dc, &oldOrigin);
    oldMode = SetStretchBltMode(
        dc, halftone ? HALFTONE : (shape.bmBitsPixel == 1 ? BLACKONWHITE : COLORONCOLOR));
    if (halftone) SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
  }
  StretchBlt(dc, rect.left, rect.top, width, height, source.get(), 0, 0, shape.bmWidth,
             shape.bmHeight, rop);
  if (oldMode) SetStretchBltMode(dc, oldMode);
  if (palette) SelectPalette(dc, oldPalette, TRUE);
}

}  // namespace velloran
