#include "framework/GdiCanvas.h"

#include "framework/Control.h"

namespace velloran {
namespace {
RECT ToRect(const TRect& r) {
  return {r.Left, r.Top, r.Right, r.Bottom};
}
}  // namespace

TGdiCanvas::TGdiCanvas(HDC dc) : dc_(dc), saved_(dc) {
  SetBkMode(dc_, TRANSPARENT);
  SetFont(font_);
}

void TGdiCanvas::SetFont(const TFont& font) {
  font_ = font;
  HFONT handle = nullptr;
  for (auto& [look, made] : fonts_) {
    // The colour is the DC's text colour, not part of the GDI font.
    if (look.Name() == font.Name() && look.Height() == font.Height() &&
        look.Styles() == font.Styles()) {
      handle = made.get();
      break;
    }
  }
  if (!handle) {
    fonts_.emplace_back(font, CreateFontHandle(font));
    handle = fonts_.back().second.get();
  }
  SelectObject(dc_, handle);
  SetTextColor(dc_, ColorToRGB(font.Color()));
}

HBRUSH TGdiCanvas::BrushFor(TColor color) {
  COLORREF rgb = ColorToRGB(color);
  for (auto& [key, brush] : brushes_)
    if (key == rgb) return brush.get();
  brushes_.emplace_back(rgb, UniqueBrush(CreateSolidBrush(rgb)));
  return brushes_.back().second.get();
}

HPEN TGdiCanvas::PenFor(TColor color) {
  COLORREF rgb = ColorToRGB(color);
  for (auto& [key, pen] : pens_)
    if (key == rgb) return pen.get();
  pens_.emplace_back(rgb, UniquePen(CreatePen(PS_SOLID, 1, rgb)));
  return pens_.back().second.get();
}

void TGdiCanvas::FillRect(const TRect& rect) {
  RECT r = ToRect(rect);
  ::FillRect(dc_, &r, BrushFor(brush_));
}

void TGdiCanvas::Polygon(const TPoint* points, int count) {
  std::vector<POINT> native;
  for (int i = 0; i < count; ++i) native.push_back({points[i].X, points[i].Y});
  SelectScope brush(dc_, BrushFor(brush_));
  SelectScope pen(dc_, PenFor(pen_));
  ::Polygon(dc_, native.data(), count);
}

void TGdiCanvas::Line(TPoint from, TPoint to) {
  SelectScope pen(dc_, PenFor(pen_));
  MoveToEx(dc_, from.X, from.Y, nullptr);
  LineTo(dc_, to.X, to.Y);
}

void TGdiCanvas::TextRect(const TRect& clip, int x, int y, std::string_view text) {
  RECT r = ToRect(clip);
  ExtTextOutA(dc_, x, y, ETO_CLIPPED, &r, text.data(), static_cast<UINT>(text.size()), nullptr);
}

int TGdiCanvas::TextWidth(std::string_view text) {
  SIZE size{};
  GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

int TGdiCanvas::TextHeight(std::string_view) {
  // The font's height, whatever the text: an empty cell centres like a full one.
  SIZE size{};
  GetTextExtentPoint32A(dc_, "Wg", 2, &size);
  return size.cy;
}

void TGdiCanvas::DrawFocusRect(const TRect& rect) {
  RECT r = ToRect(rect);
  COLORREF text = SetTextColor(dc_, RGB(0, 0, 0));
  COLORREF back = SetBkColor(dc_, RGB(255, 255, 255));
  ::DrawFocusRect(dc_, &r);
  SetTextColor(dc_, text);
  SetBkColor(dc_, back);
}

void TGdiCanvas::Frame3D(const TRect& rect, bool raised) {
  RECT r = ToRect(rect);
  DrawEdge(dc_, &r, raised ? BDR_RAISEDINNER : BDR_SUNKENINNER, BF_RECT);
}

}  // namespace velloran
