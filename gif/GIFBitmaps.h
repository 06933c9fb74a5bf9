#pragma once
// GDI bitmaps for GIF pictures: frame bitmaps from their in-memory bitmap
// files, and the composed pair in the display's format filled from the
// portable composer.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/Handles.h"
#include "gif/GIFCompose.h"

namespace velloran {

using UniquePalette = UniqueHandle<NullHandleTraits<HPALETTE, DeleteGdiObject>>;

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
