#include "tests/e2e/GridRowLook.h"

#include "framework/GdiCanvas.h"
#include "framework/Handles.h"

namespace velloran::test {

std::vector<RowLook> ReadRowLooks(HWND grid, int rows, int headerHeight, int rowPitch) {
  RECT client{};
  GetClientRect(grid, &client);
  POINT origin{0, 0};
  ClientToScreen(grid, &origin);
  const int width = 200;  // inside the Server column
  const int height = headerHeight + rows * rowPitch;
  UniqueMemoryDC memory(CreateCompatibleDC(nullptr));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  std::vector<RowLook> looks(static_cast<std::size_t>(rows));
  if (!memory || !bitmap || !bits) return looks;
  {
    SelectScope selected(memory.get(), bitmap.get());
    HDC screen = GetDC(nullptr);
    BitBlt(memory.get(), 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
  }
  const auto* pixels = static_cast<const DWORD*>(bits);
  const DWORD highlight = GetSysColor(COLOR_HIGHLIGHT);
  const DWORD highlightRgb =
      ((highlight & 0xFF) << 16) | (highlight & 0xFF00) | ((highlight >> 16) & 0xFF);
  for (int row = 0; row < rows; ++row) {
    RowLook& look = looks[static_cast<std::size_t>(row)];
    // Inside the row, clear of the grid lines.
    for (int y = headerHeight + row * rowPitch + 1; y < headerHeight + (row + 1) * rowPitch - 1;
         ++y) {
      for (int x = 2; x < width; ++x) {
        const DWORD rgb = pixels[y * width + x] & 0xFFFFFF;  // 0x00RRGGBB
        if (rgb == 0x000000)
          ++look.blackText;
        else if (rgb == 0x808080)
          ++look.greyText;
        else if (rgb == 0xC0C0C0)
          ++look.silverText;
        else if (rgb == 0xE0F0FF)
          ++look.checkingBand;
        else if (rgb == highlightRgb)
          ++look.selection;
      }
    }
  }
  return looks;
}

std::string Describe(const RowLook& look) {
  return "black " + std::to_string(look.blackText) + " grey " + std::to_string(look.greyText) +
         " silver " + std::to_string(look.silverText) + " checking " +
         std::to_string(look.checkingBand) + " selection " + std::to_string(look.selection);
}

}  // namespace velloran::test
