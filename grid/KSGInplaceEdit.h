#pragma once
// The server grid's in-place editor and the window that edits with it. Over
// a multi-line cell the editor is 100 pixels tall, with a border and a
// vertical scroll bar, and grows upward near the grid's bottom; there Return
// inserts a line break and Ctrl+Return ends the edit, and the arrows and
// page keys move within the text. Its font is the focused column's, its
// input-method settings the column's, and OnSelChange fires when the length
// of its selection changes.
//
// Threading: user-interface thread only.

#include <windows.h>

#include <string>

#include "framework/GridControl.h"
#include "framework/InplaceEdit.h"
#include "grid/KGridColumn.h"
#include "grid/kstrgrid.h"

namespace velloran {

class TKSGInplaceEdit : public TInplaceEdit {
 public:
  TKSGInplaceEdit(TComponent* owner, TGridControl& gridControl, TKStringGrid& grid);

  TKStringGrid& KGrid() const { return grid_; }
  const std::string& ImeName() const { return imeName_; }
  TImeMode ImeMode() const { return imeMode_; }

  // Fires OnSelChange when the selection's length is not the one seen last.
  void CheckSelChange();
  // Styles for the cell of display column ACol (-1: CurrentCol) and grid row
  // ARow (one that gives no data row: CurrentRow).
  void UpdateStyle(int col, int row);

 protected:
  DWORD CreationStyle() const override;
  void BoundsChanged() override;
  void KeyDown(int& key, unsigned shift) override;
  void KeyPress(char& key) override;
  void KeyUp() override { CheckSelChange(); }
  void MouseMoved() override { CheckSelChange(); }
  void PositionChanging(WINDOWPOS& pos) override;
  void CommandNotification(WORD code) override;

 private:
  bool FocusedCellIsMultiLine() const;
  void ApplyImeMode();

  TKStringGrid& grid_;
  DWORD lastSelLength_ = 0;
  std::string imeName_;
  TImeMode imeMode_ = TImeMode::imDisable;
};

// The window of a TKStringGrid: its editor is a TKSGInplaceEdit.
class TKStringGridControl : public TGridControl {
 public:
  TKStringGridControl(TComponent* owner, TKStringGrid& grid, const ControlArgs& args)
      : TGridControl(owner, grid, args), grid_(grid) {}

 protected:
  TInplaceEdit& CreateEditor() override { return Create<TKSGInplaceEdit>(*this, grid_); }

 private:
  TKStringGrid& grid_;
};

}  // namespace velloran
