#pragma once
// Colours and fonts as values, free of any device: the grid's column model
// keeps fonts and colours that the Win32 side turns into GDI objects.

#include <cstdint>
#include <functional>
#include <string>

namespace velloran {

// An RGB value (0x00BBGGRR), a system colour (0x80000000 | COLOR_ index), or clNone.
using TColor = std::int32_t;

constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBlack = 0x000000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clWhite = 0xFFFFFF;
// The system colours by their Windows index.
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clInactiveCaption = clSystemColor | 3;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clInfoBk = clSystemColor | 24;

constexpr bool IsSystemColor(TColor color) {
  return (color & clSystemColor) != 0;
}
constexpr int SystemColorIndex(TColor color) {
  return color & 0xFF;
}

enum class TFontStyle : unsigned { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };

// A font description with change notification. Height follows the Windows
// convention: negative is the character height in pixels, positive the cell height.
class TFont {
 public:
  TFont() = default;
  TFont(std::string name, int height, unsigned styles = 0, TColor color = clWindowText)
      : name_(std::move(name)), height_(height), styles_(styles), color_(color) {}
  // Copies the description, not the listener.
  TFont(const TFont& other)
      : name_(other.name_), height_(other.height_), styles_(other.styles_), color_(other.color_) {}
  TFont& operator=(const TFont& other) {
    Assign(other);
    return *this;
  }

  const std::string& Name() const { return name_; }
  int Height() const { return height_; }
  unsigned Styles() const { return styles_; }
  bool Bold() const { return (styles_ & static_cast<unsigned>(TFontStyle::Bold)) != 0; }
  TColor Color() const { return color_; }

  void SetName(const std::string& name) { Set(name_, name); }
  void SetHeight(int height) { Set(height_, height); }
  void SetStyles(unsigned styles) { Set(styles_, styles); }
  void SetColor(TColor color) { Set(color_, color); }
  // Takes over another font's description; one notification when anything changed.
  void Assign(const TFont& other);

  bool SameLook(const TFont& other) const {
    return name_ == other.name_ && height_ == other.height_ && styles_ == other.styles_ &&
           color_ == other.color_;
  }

  std::function<void()> OnChange;

 private:
  template <typename T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void Changed() {
    if (OnChange) OnChange();
  }

  std::string name_ = "MS Sans Serif";
  int height_ = -11;
  unsigned styles_ = 0;
  TColor color_ = clWindowText;
};

inline void TFont::Assign(const TFont& other) {
  if (SameLook(other)) return;
  name_ = other.name_;
  height_ = other.height_;
  styles_ = other.styles_;
  color_ = other.color_;
  Changed();
}

}  // namespace velloran
