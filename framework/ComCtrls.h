#pragma once
// The status bar: the common controls' own, at the bottom of its form, with
// panels of fixed widths from left to right.
//
// Threading: user-interface thread only.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "framework/Control.h"
#include "framework/Graphics.h"

namespace velloran {

struct StatusBarArgs {
  int height = 23;
  // One panel per entry, in pixels.
  std::vector<int> panelWidths;
  // The control's own font; without one it takes a copy of its parent's.
  std::optional<TFont> font;
};

class TStatusBar : public TWinControl {
 public:
  // Spans the parent's client area at its bottom.
  TStatusBar(TComponent* owner, const StatusBarArgs& args);

  int PanelCount() const { return static_cast<int>(panelWidths_.size()); }
  // A bad Index raises ERangeError.
  int PanelWidth(int index) const;
  std::string PanelText(int index) const;
  void SetPanelText(int index, const std::string& text);

 private:
  void CheckIndex(int index) const;

  std::vector<int> panelWidths_;
};

}  // namespace velloran
