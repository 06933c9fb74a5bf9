// Mouse and keyboard of the server grid: header clicks that sort, sizing of
// fixed columns, Ctrl+Return, the context-menu position, and the decisions of
// in-place editing (may it open, its texts, Escape).
#include <cstdlib>

#include "grid/kstrgrid.h"

namespace velloran {
namespace {

// A press moves this far before it counts as a drag, as Windows' own drag threshold.
constexpr int DragThreshold = 4;

}  // namespace

int TKStringGrid::HeaderColumnAt(int x) const {
  const int first = LeftCol();
  const int last = first + VisibleColCount();
  int left = 0;
  for (int c = 0; c < ColCount(); ++c) {
    if (c >= FrameFixedCols() && (c < first || c > last)) continue;
    // Grid lines are not counted here.
    int right = left + ColWidth(c);
    if (left + 1 < x && x < right - 1) return c;
    left = right;
  }
  return -1;
}

int TKStringGrid::FixedColumnEdgeAt(int x, int y) const {
  if (FrameFixedCols() == 0 || y >= FixedRows() * DefaultRowHeight()) return -1;
  int edge = 0;
  for (int c = 0; c < FrameFixedCols(); ++c) {
    edge += ColWidth(c);
    if (x > edge - 3 && x < edge + 3) return c;
  }
  return -1;
}

void TKStringGrid::MouseDown(TMouseButton button, unsigned shift, int x, int y) {
  const bool inHeader = y < FixedRows() * DefaultRowHeight();
  if (button != TMouseButton::mbLeft || !inHeader ||
      ((Options() & goColSizing) && SizingColumnAt(x, y) >= 0)) {
    TCustomGrid::MouseDown(button, shift, x, y);
    return;
  }
  if (int edge = FixedColumnEdgeAt(x, y); edge >= 0) {
    sizingFixedCol_ = edge;
    sizingFixedX_ = x;
    sizingFixedActive_ = true;
    return;
  }
  // Neither focus nor selection moves on a header press.
  pressedHeader_ = HeaderColumnAt(x);
  pressX_ = x;
  pressY_ = y;
}

void TKStringGrid::MouseMove(unsigned shift, int x, int y) {
  if (sizingFixedActive_) {
    int width = ColWidth(sizingFixedCol_) + x - sizingFixedX_;
    if (width > 0) SetColWidth(sizingFixedCol_, width);
    sizingFixedX_ = x;
    return;
  }
  if (pressedHeader_ >= 0) {
    if (std::abs(x - pressX_) <= DragThreshold && std::abs(y - pressY_) <= DragThreshold) return;
    pressedHeader_ = -1;
    TCustomGrid::MouseDown(TMouseButton::mbLeft, shift, x, y);
    return;
  }
  if (FrameFixedCols() > 0 && !IsSelectingWithMouse() && !IsSizingColumns() && Host()) {
    if (FixedColumnEdgeAt(x, y) >= 0) {
      Host()->SetCursor(TCursorKind::HorizontalSplit);
      return;
    }
    Host()->SetCursor(TCursorKind::Default);
  }
  TCustomGrid::MouseMove(shift, x, y);
}

void TKStringGrid::MouseUp(TMouseButton button, unsigned shift, int x, int y) {
  if (sizingFixedActive_) {
    sizingFixedActive_ = false;
    ColWidthsChanged();
    return;
  }
  if (pressedHeader_ >= 0) {
    int pressed = pressedHeader_;
    pressedHeader_ = -1;
    bool onSameColumn = y < FixedRows() * DefaultRowHeight() && HeaderColumnAt(x) == pressed;
    if (onSameColumn && pressed < visibleColumns_.Count()) {
      TKGridColumn& column = VisibleColumn(pressed);
      if (autoSort_) {
        TColumnSorting old = column.SortOrder();
        for (int c = 0; c < columns_.Count(); ++c)
          columns_[c]->SetSortOrder(TColumnSorting::csNone);
        column.SetSortOrder(old == TColumnSorting::csAsc ? TColumnSorting::csDsc
                                                         : TColumnSorting::csAsc);
      }
      if (OnHeaderClick) OnHeaderClick(*this, pressed);
      InvalidateCol(pressed);
      if (pressed >= LeftCol() + VisibleColCount()) SetLeftCol(LeftCol() + 1);
    }
  }
  TCustomGrid::MouseUp(button, shift, x, y);
}

void TKStringGrid::CancelMouse() {
  // A header press ends without a click; a fixed column keeps the width it has by now.
  pressedHeader_ = -1;
  if (sizingFixedActive_) {
    sizingFixedActive_ = false;
    ColWidthsChanged();
  }
  TCustomGrid::CancelMouse();
}

void TKStringGrid::KeyDown(int& key, unsigned shift) {
  if (key == VK_Escape && !(shift & ssCtrl) && OpenEditor() && OpenEditor()->Shown() &&
      !(Options() & goAlwaysShowEditor)) {
    CancelEdit();
    key = 0;
    return;
  }
  if (key == VK_Return && (shift & ssCtrl)) {
    // Its character arrives as a line feed; see KeyPress.
    key = 0;
    return;
  }
  TCustomGrid::KeyDown(key, shift);
}

void TKStringGrid::CancelEdit() {
  struct Cancelling {
    bool& flag;
    explicit Cancelling(bool& f) : flag(f) { flag = true; }
    ~Cancelling() { flag = false; }
  } cancelling(cancelling_);
  const int col = CurrentCol();
  const int row = CurrentRow();
  std::string text = Cells(col, row);
  OpenEditor()->SetText(text);
  // Closing writes the restored text back, without OnSetEditText.
  HideEditor();
  if (OnCancelEdit) OnCancelEdit(*this, col, row, text);
}

bool TKStringGrid::CanEditShow() const {
  if (!TCustomGrid::CanEditShow() || empty_ || visibleColumns_.Count() == 0) return false;
  const int col = CurrentCol();
  return col >= 0 && col < visibleColumns_.Count() && !VisibleColumn(col).ReadOnly();
}

std::string TKStringGrid::GetEditText(int col, int row) {
  if (empty_ || visibleColumns_.Count() == 0) return {};
  std::string value = Cells(col, row - 1);
  if (OnGetEditText) OnGetEditText(*this, col, row - 1, value);
  return value;
}

void TKStringGrid::SetEditText(int col, int row, const std::string& value) {
  if (!cancelling_) {
    if (empty_ || visibleColumns_.Count() == 0 || row == 0) return;
    if (OnSetEditText) OnSetEditText(*this, col, row - 1, value);
  }
  SetCells(col, row - 1, value);
}

void TKStringGrid::KeyPress(char& key) {
  if (key == '\n' && !EditorMode()) {
    SetCellFlags(CurrentCol(), CurrentRow(), CellFlags(CurrentCol(), CurrentRow()) | MultiLineFlag);
    char enter = '\r';
    TCustomGrid::KeyPress(enter);
    key = 0;
    return;
  }
  TCustomGrid::KeyPress(key);
}

void TKStringGrid::ContextMenu(int screenX, int screenY) {
  if (OnContextPopup) {
    if (screenX == -1 && screenY == -1) {
      TRect cell = CellRect(Col(), Row());
      TPoint origin =
          Host() ? Host()->ClientToScreen({cell.Left, cell.Top}) : TPoint{cell.Left, cell.Top};
      screenX = origin.X;
      screenY = origin.Y;
    }
    OnContextPopup(*this, screenX, screenY);
  }
  TCustomGrid::ContextMenu(screenX, screenY);
}

}  // namespace velloran
