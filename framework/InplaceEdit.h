#pragma once
// The base grid's in-place editor: a borderless multi-line Edit window that
// the grid places over the focused cell, shows, hides and fills through its
// edit-text hooks. Navigation keys and Return go to the grid: Up, Down, Page
// Up, Page Down, Escape and Return always, Tab with goTabs, Left and Home at
// the start of the text, Right and End at its end.
//
// Threading: user-interface thread only. The grid's handlers run inside its
// key handling.

#include <windows.h>

#include <functional>
#include <string>

#include "framework/Control.h"
#include "framework/Grid.h"

namespace velloran {

class TGridControl;

class TInplaceEdit : public TWinControl, public GridEditor {
 public:
  // The window is made when the editor is first shown.
  TInplaceEdit(TComponent* owner, TGridControl& gridControl);

  TGridControl& GridControl() const { return gridControl_; }
  TCustomGrid& Grid() const;

  // GridEditor.
  void ShowAt(const TRect& rect) override;
  void Move(const TRect& rect) override;
  void Hide() override;
  bool Shown() const override;
  std::string Text() const override;
  void SetText(const std::string& text) override;
  void TypeChar(char key) override;

  void SelectAll();
  // The text changed while the editor was open.
  std::function<void()> OnChange;
  // The length of the selection, as EM_GETSEL gives it.
  DWORD SelLength() const;

 protected:
  // Window styles for the Edit window, asked once when it is made.
  virtual DWORD CreationStyle() const;
  // After the editor was placed over its cell.
  virtual void BoundsChanged() {}
  // Key down: forwards what belongs to the grid (and zeroes Key then).
  virtual void KeyDown(int& key, unsigned shift);
  // A character: hands it to the grid's KeyPress first; Tab, Escape and
  // Return never reach the Edit control. Key 0 afterwards: nothing reaches it.
  virtual void KeyPress(char& key);
  virtual void KeyUp() {}
  virtual void MouseMoved() {}
  // WM_WINDOWPOSCHANGING; Pos->flags has SWP_SHOWWINDOW when it is being shown.
  virtual void PositionChanging(WINDOWPOS& pos) { (void)pos; }
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void MakeWindow();
  void Place(const TRect& rect, UINT flags);

  TGridControl& gridControl_;
};

}  // namespace velloran
