#pragma once
// GDI bitmaps for GIF pictures: frame bitmaps from their in-memory bitmap
// files, the composed pair in the display's format filled from the portable
// composer, and the off-screen buffer that paints go through.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/Handles.h"
#include "gif/GIFCompose.h"

namespace velloran {

using UniquePalette = UniqueHandle<NullHandleTraits<HPALETTE, DeleteGdiObject>>;

inline void DeleteMemoryDC(HDC dc) {
  DeleteDC(dc);
}
using UniqueMemoryDC = UniqueHandle<NullHandleTraits<HDC, DeleteMemoryDC>>;

// A memory device context compatible with Dc (none: the screen). Throws when GDI refuses.
UniqueMemoryDC NewMemoryDC(HDC dc = nullptr);

// A bitmap compatible with a device context, selected into a memory context
// of its own, for drawing off screen. When either can't be made it throws
// and leaves nothing behind, so that paints while GDI is short of objects
// don't make it shorter.
class OffScreen {
 public:
  using BitmapMaker = HBITMAP(WINAPI*)(HDC dc, int width, int height);
  // MakeBitmap is the system's CreateCompatibleBitmap, unless a test hands in another.
  OffScreen(HDC dc, int width, int height, BitmapMaker makeBitmap = &CreateCompatibleBitmap);
  HDC get() const { return dc_.get(); }

 private:
  // Destroyed in reverse order: the bitmap is selected out, then deleted,
  // and the context goes last.
  UniqueMemoryDC dc_;
  UniqueBitmap bitmap_;
  SelectScope select_;
};

// Copies Bitmap onto Rect of Dc with Rop, stretched when the sizes differ, its
// palette (if any) realised in the background meanwhile.
void StretchDrawDC(HBITMAP bitmap, HDC dc, const RECT& rect, DWORD rop);

// A device-independent bitmap made from a bitmap file in memory. Throws when GDI refuses.
UniqueBitmap BitmapFromFile(const std::vector<std::uint8_t>& file);
// A bitmap compatible with the screen, and a monochrome one, of a picture's size.
UniqueBitmap DisplayBitmap(int width, int height);
UniqueBitmap MonochromeBitmap(int width, int height);
// Puts the composer's colours into Composed and its mask (white = transparent) into Mask.
void FillComposed(const TGIFComposer& composer, HBITMAP composed, HBITMAP mask);
// A palette of a bitmap's colour table, none when it has none.
HPALETTE BitmapPalette(HBITMAP bitmap);

}  // namespace velloran
