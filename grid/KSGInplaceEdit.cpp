#include "grid/KSGInplaceEdit.h"

#include <imm.h>

namespace velloran {
namespace {

constexpr DWORD MultiLineStyles = ES_WANTRETURN | WS_BORDER | WS_VSCROLL;
constexpr int MultiLineHeight = 100;

}  // namespace

TKSGInplaceEdit::TKSGInplaceEdit(TComponent* owner, TGridControl& gridControl, TKStringGrid& grid)
    : TInplaceEdit(owner, gridControl), grid_(grid) {}

bool TKSGInplaceEdit::FocusedCellIsMultiLine() const {
  return (grid_.CellFlags(grid_.CurrentCol(), grid_.CurrentRow()) & MultiLineFlag) != 0;
}

DWORD TKSGInplaceEdit::CreationStyle() const {
  DWORD style = TInplaceEdit::CreationStyle() | ES_NOHIDESEL;
  if (FocusedCellIsMultiLine()) style |= ES_WANTRETURN | WS_VSCROLL;
  return style;
}

void TKSGInplaceEdit::UpdateStyle(int col, int row) {
  if (col < 0) col = grid_.CurrentCol();
  int dataRow = row - 1 < 0 ? grid_.CurrentRow() : row - 1;
  LONG style = GetWindowLongA(Handle(), GWL_STYLE);
  if (grid_.CellFlags(col, dataRow) & MultiLineFlag)
    style |= MultiLineStyles;
  else
    style &= ~static_cast<LONG>(MultiLineStyles);
  SetWindowLongA(Handle(), GWL_STYLE, style);
  if (col >= 0 && col < grid_.VisibleColumns().Count()) {
    const TKGridColumn& column = *grid_.VisibleColumns()[col];
    imeName_ = column.ImeName();
    imeMode_ = column.ImeMode();
    ApplyImeMode();
  }
}

void TKSGInplaceEdit::ApplyImeMode() {
  // imDisable: no input method at all; the other modes leave the system's to the user.
  ImmAssociateContextEx(Handle(), nullptr, imeMode_ == TImeMode::imDisable ? 0 : IACE_DEFAULT);
}

void TKSGInplaceEdit::PositionChanging(WINDOWPOS& pos) {
  if (!(pos.flags & SWP_SHOWWINDOW)) return;
  UpdateStyle(-1, -1);
  SelectAll();
}

void TKSGInplaceEdit::BoundsChanged() {
  RECT bounds = BoundsRect();
  int width = bounds.right - bounds.left;
  int height = bounds.bottom - bounds.top;
  const bool multiLine = FocusedCellIsMultiLine();
  if (multiLine) {
    const int cellHeight = height;
    height = MultiLineHeight;
    RECT gridBounds{};
    GetWindowRect(GridControl().Handle(), &gridBounds);
    int top = bounds.top;
    // Near the bottom it grows upward: its bottom edge stays where it was.
    if (gridBounds.bottom - gridBounds.top <= top + height) top -= MultiLineHeight - cellHeight;
    SetWindowPos(Handle(), nullptr, bounds.left, top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  RECT client{};
  GetClientRect(Handle(), &client);
  RECT format{2, 1, client.right - 2, client.bottom};
  if (multiLine) format.right -= GetSystemMetrics(SM_CXVSCROLL) + 2;
  if (TKGridColumn* column = grid_.ActiveColumn()) SetFont(column->Font());
  SendMessageA(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&format));
  SendMessageA(Handle(), EM_SCROLLCARET, 0, 0);
}

void TKSGInplaceEdit::KeyDown(int& key, unsigned shift) {
  if (FocusedCellIsMultiLine()) {
    switch (key) {
      case VK_RETURN:
        // Without Ctrl its character makes a line break; with Ctrl the edit ends (KeyPress).
        return;
      case VK_UP:
      case VK_DOWN:
      case VK_PRIOR:
      case VK_NEXT:
        return;  // they move within the text
      default:
        break;
    }
  }
  TInplaceEdit::KeyDown(key, shift);
}

void TKSGInplaceEdit::KeyPress(char& key) {
  // In a multi-line cell the grid sees Return and Ctrl+Return swapped, so
  // that Return makes a line break and Ctrl+Return ends the edit; a key it
  // leaves as it saw it reaches the Edit control as typed. A key the grid or
  // the base editor took (0), such as Tab, reaches nothing.
  const char typed = key;
  char swapped = key;
  if (FocusedCellIsMultiLine()) {
    if (key == '\r')
      swapped = '\n';
    else if (key == '\n')
      swapped = '\r';
  }
  key = swapped;
  TInplaceEdit::KeyPress(key);
  if (key == swapped) key = typed;
}

void TKSGInplaceEdit::CheckSelChange() {
  DWORD length = SelLength();
  if (length == lastSelLength_) return;
  if (grid_.OnSelChange) grid_.OnSelChange(grid_);
  lastSelLength_ = length;
}

void TKSGInplaceEdit::CommandNotification(WORD code) {
  if (code == EN_CHANGE && !(grid_.Options() & goAlwaysShowEditor)) {
    if (Shown() && OnChange) OnChange();
  } else if (code == EN_KILLFOCUS) {
    HWND form = GetAncestor(GridControl().Handle(), GA_ROOT);
    if (form && GetActiveWindow() == form) GridControl().Invalidate();
  }
}

}  // namespace velloran
