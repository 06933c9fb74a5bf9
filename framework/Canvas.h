#pragma once
// What painting needs of a device: a current font, brush and pen, filled
// rectangles and polygons, lines and clipped text. The Win32 side draws with
// GDI; tests record the calls.

#include <string_view>

#include "framework/Geometry.h"
#include "framework/Graphics.h"

namespace velloran {

class TCanvas {
 public:
  virtual ~TCanvas() = default;

  virtual void SetFont(const TFont& font) = 0;
  virtual const TFont& Font() const = 0;
  virtual void SetBrushColor(TColor color) = 0;
  virtual TColor BrushColor() const = 0;
  virtual void SetPenColor(TColor color) = 0;
  virtual TColor PenColor() const = 0;

  // Fills with the brush colour.
  virtual void FillRect(const TRect& rect) = 0;
  // Filled with the brush, outlined with the pen.
  virtual void Polygon(const TPoint* points, int count) = 0;
  // From From to To with the pen, To itself not drawn.
  virtual void Line(TPoint from, TPoint to) = 0;
  // Text in the font's colour at X, Y (top left), with no background, clipped to Clip.
  virtual void TextRect(const TRect& clip, int x, int y, std::string_view text) = 0;
  virtual int TextWidth(std::string_view text) = 0;
  virtual int TextHeight(std::string_view text) = 0;
  // The dotted keyboard-focus frame.
  virtual void DrawFocusRect(const TRect& rect) = 0;
  // A one-pixel raised (or sunken) 3-D frame inside Rect, as on buttons.
  virtual void Frame3D(const TRect& rect, bool raised) = 0;
};

}  // namespace velloran
