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
  // What the panel holds: the last text set, shown or about to be.
  std::string PanelText(int index) const;
  // Sets and shows the text at once.
  void SetPanelText(int index, const std::string& text);
  // For texts that come in floods (a download's byte count, one per received
  // block, hundreds a second): the panel holds the text at once, and the bar
  // shows it at once too unless it showed a text less than ShowIntervalMs
  // ago; then it shows the latest such text when that time is up, unless
  // SetPanelText came first. Showing each one would cost more than the block.
  void SetProgressText(int index, const std::string& text);

  static constexpr unsigned ShowIntervalMs = 100;

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CheckIndex(int index) const;
  void Show(int index);

  std::vector<int> panelWidths_;
  // What each panel holds: only the two setters change it.
  std::vector<std::string> texts_;
  DWORD lastShown_ = 0;
  // The panel whose text waits for the timer, or -1.
  int waiting_ = -1;
};

}  // namespace velloran
