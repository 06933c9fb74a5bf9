#pragma once
// A canvas that records what is drawn: every character is 6 pixels wide and
// text is 13 pixels high.

#include <string>
#include <vector>

#include "framework/Canvas.h"

namespace velloran::test {

class RecordingCanvas : public TCanvas {
 public:
  struct Text {
    TRect clip;
    int x, y;
    std::string text;
    TFont font;
  };
  struct Fill {
    TRect rect;
    TColor color;
  };
  struct Shape {
    std::vector<TPoint> points;
    TColor brush, pen;
  };

  void SetFont(const TFont& font) override { font_ = font; }
  const TFont& Font() const override { return font_; }
  void SetBrushColor(TColor color) override { brush_ = color; }
  TColor BrushColor() const override { return brush_; }
  void SetPenColor(TColor color) override { pen_ = color; }
  TColor PenColor() const override { return pen_; }
  void FillRect(const TRect& rect) override { fills.push_back({rect, brush_}); }
  void Polygon(const TPoint* points, int count) override {
    shapes.push_back({std::vector<TPoint>(points, points + count), brush_, pen_});
  }
  void Line(TPoint from, TPoint to) override { shapes.push_back({{from, to}, brush_, pen_}); }
  void TextRect(const TRect& clip, int x, int y, std::string_view text) override {
    texts.push_back({clip, x, y, std::string(text), font_});
  }
  int TextWidth(std::string_view text) override { return 6 * static_cast<int>(text.size()); }
  int TextHeight(std::string_view) override { return 13; }
  void DrawFocusRect(const TRect&) override {}
  void Frame3D(const TRect&, bool) override {}

  // The first text drawn that equals Text, or none.
  const Text* Find(const std::string& text) const {
    for (const auto& t : texts)
      if (t.text == text) return &t;
    return nullptr;
  }
  // The colour the last fill of exactly Rect used.
  TColor FillOf(const TRect& rect) const {
    TColor color = clNone;
    for (const auto& f : fills)
      if (f.rect == rect) color = f.color;
    return color;
  }

  std::vector<Text> texts;
  std::vector<Fill> fills;
  std::vector<Shape> shapes;

 private:
  TFont font_;
  TColor brush_ = clWindow;
  TColor pen_ = clBlack;
};

}  // namespace velloran::test
