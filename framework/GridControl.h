#pragma once
// The window of a grid: it hands the grid its size, input and scroll-bar
// moves, paints it with GDI through a memory bitmap (no flicker while rows
// scroll), and does for it what only a window can (repaint, cursor, scroll bar).
//
// Threading: user-interface thread only.

#include <windows.h>

#include "framework/Control.h"
#include "framework/Grid.h"

namespace velloran {

class TInplaceEdit;

class TGridControl : public TWinControl, public GridHost {
 public:
  TGridControl(TComponent* owner, TCustomGrid& grid, const ControlArgs& args);
  ~TGridControl() override;

  TCustomGrid& Grid() const { return grid_; }

  // GridHost.
  void InvalidateRect(const TRect& rect) override;
  void InvalidateAll() override;
  void ScrollRangeChanged() override;
  void SetCursor(TCursorKind cursor) override;
  bool Visible() const override { return TWinControl::Visible(); }
  void SetVisible(bool visible) override { TWinControl::SetVisible(visible); }
  bool Focused() const override;
  TPoint ClientToScreen(TPoint point) const override;
  GridEditor& Editor() override;

  // The keys held down now, as the grid counts them.
  static unsigned ShiftState();

  static constexpr const char* ClassName = "VelloranGrid";

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The editor this grid edits with; the control owns it.
  virtual TInplaceEdit& CreateEditor();

 private:
  void Paint();
  void VerticalScroll(WORD code);

  TCustomGrid& grid_;
  TInplaceEdit* editor_ = nullptr;
  TCursorKind cursor_ = TCursorKind::Default;
  bool updatingScrollBar_ = false;
  bool scrollBarAgain_ = false;
  // What was invalidated since the last paint: filling 100,000 rows asks for
  // the focused cell 100,000 times, and every call to the system costs.
  bool allInvalid_ = false;
  TRect lastInvalid_{};
};

}  // namespace velloran
