#pragma once
// TCanvas over a GDI device context. Fonts, pens and brushes are made on
// first use and kept for the canvas's life, so painting a grid of many cells
// makes a handful of GDI objects, not one per cell.

#include <windows.h>

#include <string_view>
#include <vector>

#include "framework/Canvas.h"
#include "framework/Handles.h"

namespace velloran {

class TGdiCanvas final : public TCanvas {
 public:
  explicit TGdiCanvas(HDC dc);
  ~TGdiCanvas() override;
  TGdiCanvas(const TGdiCanvas&) = delete;
  TGdiCanvas& operator=(const TGdiCanvas&) = delete;

  void SetFont(const TFont& font) override;
  const TFont& Font() const override { return font_; }
  void SetBrushColor(TColor color) override { brush_ = color; }
  TColor BrushColor() const override { return brush_; }
  void SetPenColor(TColor color) override { pen_ = color; }
  TColor PenColor() const override { return pen_; }
  void FillRect(const TRect& rect) override;
  void Polygon(const TPoint* points, int count) override;
  void Line(TPoint from, TPoint to) override;
  void TextRect(const TRect& clip, int x, int y, std::string_view text) override;
  int TextWidth(std::string_view text) override;
  int TextHeight(std::string_view text) override;
  void DrawFocusRect(const TRect& rect) override;
  void Frame3D(const TRect& rect, bool raised) override;

 private:
  HBRUSH BrushFor(TColor color);
  HPEN PenFor(TColor color);

  HDC dc_;
  int savedState_;
  TFont font_;
  TColor brush_ = clWindow;
  TColor pen_ = clBlack;
  std::vector<std::pair<TFont, UniqueFont>> fonts_;
  std::vector<std::pair<COLORREF, UniqueBrush>> brushes_;
  std::vector<std::pair<COLORREF, UniquePen>> pens_;
};

}  // namespace velloran
