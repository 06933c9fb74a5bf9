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

inline void DeleteMemoryDC(HDC dc) {
  DeleteDC(dc);
}
// A device context from CreateCompatibleDC, deleted with DeleteDC.
using UniqueMemoryDC = UniqueHandle<NullHandleTraits<HDC, DeleteMemoryDC>>;

class TGdiCanvas final : public TCanvas {
 public:
  explicit TGdiCanvas(HDC dc);
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

  // Puts back the DC's own objects when the canvas goes.
  class SavedState {
   public:
    explicit SavedState(HDC dc) : dc_(dc), id_(SaveDC(dc)) {}
    ~SavedState() { RestoreDC(dc_, id_); }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

   private:
    HDC dc_;
    int id_;
  };

  HDC dc_;
  TFont font_;
  TColor brush_ = clWindow;
  TColor pen_ = clBlack;
  std::vector<std::pair<TFont, UniqueFont>> fonts_;
  std::vector<std::pair<COLORREF, UniqueBrush>> brushes_;
  std::vector<std::pair<COLORREF, UniquePen>> pens_;
  // Last, so that it goes first: the DC lets go of our fonts, pens and
  // brushes before they are deleted, even when the constructor fails.
  SavedState saved_;
};

}  // namespace velloran
