#include "framework/Grid.h"

#include <algorithm>

namespace velloran {

TCustomGrid::TCustomGrid() : colWidths_(colCount_, defaultColWidth_) {
  font_.OnChange = [this] { Invalidate(); };
}

void TCustomGrid::SetHost(GridHost* host) {
  // The editor belongs to the old host's window.
  editor_ = nullptr;
  editorMode_ = false;
  host_ = host;
  Changed();
}

void TCustomGrid::Changed() {
  if (!host_) return;
  host_->ScrollRangeChanged();
  host_->InvalidateAll();
  PlaceEditor();
}

bool TCustomGrid::CanEditShow() const {
  return host_ && (options_ & (goEditing | goRowSelect)) == goEditing && current_.X >= fixedCols_ &&
         current_.Y >= fixedRows_;
}

void TCustomGrid::ShowEditor() {
  if (!CanEditShow() || (editorMode_ && editor_ && editor_->Shown())) return;
  if (!editor_) editor_ = &host_->Editor();
  TRect rect = CellRect(current_.X, current_.Y);
  if (rect.Empty()) return;
  editor_->SetText(GetEditText(current_.X, current_.Y));
  editorMode_ = true;
  editor_->ShowAt(rect);
}

void TCustomGrid::HideEditor() {
  if (!editorMode_) return;
  if (editor_ && editor_->Shown()) {
    SetEditText(current_.X, current_.Y, editor_->Text());
    editor_->Hide();
  }
  editorMode_ = false;
}

void TCustomGrid::PlaceEditor() {
  if (!editorMode_ || !editor_ || placingEditor_) return;
  placingEditor_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{placingEditor_};
  TRect rect = CellRect(current_.X, current_.Y);
  if (rect.Empty() || !CanEditShow())
    HideEditor();
  else
    editor_->Move(rect);
}

void TCustomGrid::CharInput(char key) {
  auto byte = static_cast<unsigned char>(key);
  if ((options_ & goEditing) && (key == '\b' || byte >= 32)) {
    if (!editorMode_) ShowEditor();
    if (editorMode_ && editor_) editor_->TypeChar(key);
    return;
  }
  KeyPress(key);
}

void TCustomGrid::Invalidate() {
  if (host_ && updateCount_ == 0) host_->InvalidateAll();
}

void TCustomGrid::InvalidateCell(int col, int row) {
  if (!host_ || updateCount_ > 0) return;
  TRect rect = CellRect(col, row);
  if (rect.Empty()) return;
  // The grid lines beside the cell belong to it too.
  rect.Right += gridLineWidth_;
  rect.Bottom += gridLineWidth_;
  host_->InvalidateRect(rect);
}

void TCustomGrid::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCustomGrid::SetColCount(int count) {
  count = std::max(count, 1);
  if (count == colCount_) return;
  colCount_ = count;
  colWidths_.resize(count, defaultColWidth_);
  fixedCols_ = std::min(fixedCols_, colCount_ - 1);
  ClampFocus();
  Changed();
}

void TCustomGrid::SetFrameRowCount(int count) {
  count = std::max(count, fixedRows_ + 1);
  if (count == rowCount_) return;
  rowCount_ = count;
  ClampFocus();
  Changed();
}

void TCustomGrid::SetFrameFixedCols(int count) {
  count = std::clamp(count, 0, colCount_ - 1);
  if (count == fixedCols_) return;
  fixedCols_ = count;
  ClampFocus();
  Changed();
}

int TCustomGrid::ColWidth(int col) const {
  return col >= 0 && col < colCount_ ? colWidths_[col] : defaultColWidth_;
}

void TCustomGrid::SetColWidth(int col, int width) {
  if (col < 0 || col >= colCount_ || colWidths_[col] == width) return;
  colWidths_[col] = width;
  ColWidthsChanged();
  Changed();
}

void TCustomGrid::SetDefaultColWidth(int width) {
  if (width == defaultColWidth_) return;
  defaultColWidth_ = width;
  std::fill(colWidths_.begin(), colWidths_.end(), width);
  ColWidthsChanged();
  Changed();
}

void TCustomGrid::SetDefaultRowHeight(int height) {
  if (height == defaultRowHeight_ || height <= 0) return;
  defaultRowHeight_ = height;
  RowHeightsChanged();
  ClampFocus();
  Changed();
}

void TCustomGrid::SetGridLineWidth(int width) {
  if (width == gridLineWidth_ || width < 0) return;
  gridLineWidth_ = width;
  Changed();
}

void TCustomGrid::SetOptions(unsigned options) {
  if (options == options_) return;
  options_ = options;
  Changed();
}

void TCustomGrid::SetScrollBars(TScrollStyle style) {
  if (style == scrollBars_) return;
  scrollBars_ = style;
  Changed();
}

void TCustomGrid::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Invalidate();
}

void TCustomGrid::SetClientSize(int width, int height) {
  if (width == clientWidth_ && height == clientHeight_) return;
  clientWidth_ = width;
  clientHeight_ = height;
  // A taller window may show rows above the old top row.
  ChangeTopLeft(std::min(topRow_, MaxTopRow()), leftCol_);
  Changed();
}

int TCustomGrid::FixedWidth() const {
  int width = 0;
  for (int c = 0; c < fixedCols_; ++c) width += colWidths_[c] + gridLineWidth_;
  return width;
}

int TCustomGrid::FixedHeight() const {
  return fixedRows_ * (defaultRowHeight_ + gridLineWidth_);
}

int TCustomGrid::VisibleRowCount() const {
  int step = defaultRowHeight_ + gridLineWidth_;
  int room = clientHeight_ - FixedHeight();
  int shown = room > 0 ? (room + gridLineWidth_) / step : 0;
  return std::clamp(shown, 0, rowCount_ - topRow_);
}

int TCustomGrid::VisibleColCount() const {
  int room = clientWidth_ - FixedWidth();
  int count = 0;
  for (int c = leftCol_; c < colCount_; ++c) {
    room -= colWidths_[c];
    if (room < 0) break;
    ++count;
    room -= gridLineWidth_;
  }
  return count;
}

int TCustomGrid::MaxTopRow() const {
  int step = defaultRowHeight_ + gridLineWidth_;
  int room = clientHeight_ - FixedHeight();
  int fit = std::max(1, room > 0 ? (room + gridLineWidth_) / step : 1);
  return std::max(fixedRows_, rowCount_ - fit);
}

TRect TCustomGrid::CellRect(int col, int row) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) return {};
  if ((col >= fixedCols_ && col < leftCol_) || (row >= fixedRows_ && row < topRow_)) return {};
  int x = 0;
  if (col < fixedCols_) {
    for (int c = 0; c < col; ++c) x += colWidths_[c] + gridLineWidth_;
  } else {
    x = FixedWidth();
    for (int c = leftCol_; c < col; ++c) x += colWidths_[c] + gridLineWidth_;
  }
  int step = defaultRowHeight_ + gridLineWidth_;
  int y = row < fixedRows_ ? row * step : FixedHeight() + (row - topRow_) * step;
  if (x >= clientWidth_ || y >= clientHeight_) return {};
  return {x, y, std::min(x + colWidths_[col], clientWidth_),
          std::min(y + defaultRowHeight_, clientHeight_)};
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) const {
  if (x < 0 || y < 0 || x >= clientWidth_ || y >= clientHeight_) return {-1, -1};
  TGridCoord cell{-1, -1};
  int left = 0;
  for (int c = 0; c < colCount_; ++c) {
    if (c >= fixedCols_ && c < leftCol_) continue;
    int right = left + colWidths_[c] + gridLineWidth_;
    if (x < right) {
      cell.X = c;
      break;
    }
    left = right;
  }
  int step = defaultRowHeight_ + gridLineWidth_;
  if (y < FixedHeight()) {
    cell.Y = y / step;
  } else {
    int row = topRow_ + (y - FixedHeight()) / step;
    cell.Y = row < rowCount_ ? row : -1;
  }
  if (cell.X < 0 || cell.Y < 0) return {-1, -1};
  return cell;
}

void TCustomGrid::ClampFocus() {
  auto clampCoord = [&](TGridCoord c) {
    return TGridCoord{std::clamp(c.X, fixedCols_, std::max(fixedCols_, colCount_ - 1)),
                      std::clamp(c.Y, fixedRows_, std::max(fixedRows_, rowCount_ - 1))};
  };
  current_ = clampCoord(current_);
  anchor_ = clampCoord(anchor_);
  ChangeTopLeft(std::clamp(topRow_, fixedRows_, MaxTopRow()),
                std::clamp(leftCol_, fixedCols_, std::max(fixedCols_, colCount_ - 1)));
}

TGridRect TCustomGrid::FrameSelection() const {
  TGridRect rect{std::min(anchor_.X, current_.X), std::min(anchor_.Y, current_.Y),
                 std::max(anchor_.X, current_.X), std::max(anchor_.Y, current_.Y)};
  if (options_ & goRowSelect) {
    rect.Left = fixedCols_;
    rect.Right = colCount_ - 1;
  }
  return rect;
}

void TCustomGrid::SetFrameSelection(const TGridRect& selection) {
  anchor_ = {selection.Left, selection.Top};
  current_ = {selection.Right, selection.Bottom};
  Invalidate();
}

void TCustomGrid::FocusCell(int col, int row, bool moveAnchor) {
  col = std::clamp(col, fixedCols_, std::max(fixedCols_, colCount_ - 1));
  row = std::clamp(row, fixedRows_, std::max(fixedRows_, rowCount_ - 1));
  if (!(options_ & goRangeSelect)) moveAnchor = true;
  if (col == current_.X && row == current_.Y && (!moveAnchor || anchor_ == current_)) {
    ScrollInView(col, row);
    return;
  }
  bool moves = col != current_.X || row != current_.Y;
  if (moves && !SelectCell(col, row)) return;
  // Leaving the cell stores what was typed into it.
  if (moves) HideEditor();
  current_ = {col, row};
  if (moveAnchor) anchor_ = current_;
  ScrollInView(col, row);
  Invalidate();
  if (moves && (options_ & goAlwaysShowEditor)) ShowEditor();
}

int TCustomGrid::ColRightFor(int col, int left) const {
  int x = FixedWidth();
  for (int c = left; c <= col; ++c) x += colWidths_[c] + gridLineWidth_;
  return x - gridLineWidth_;
}

void TCustomGrid::ScrollInView(int col, int row) {
  int top = topRow_;
  int left = leftCol_;
  int rows = std::max(1, VisibleRowCount());
  if (row < top)
    top = row;
  else if (row >= top + rows)
    top = row - rows + 1;
  if (!(options_ & goRowSelect) && col >= fixedCols_) {
    if (col < left) left = col;
    while (left < col && ColRightFor(col, left) > clientWidth_) ++left;
  }
  ChangeTopLeft(std::clamp(top, fixedRows_, MaxTopRow()), left);
}

void TCustomGrid::SetTopRow(int row) {
  ChangeTopLeft(std::clamp(row, fixedRows_, MaxTopRow()), leftCol_);
}

void TCustomGrid::SetLeftCol(int col) {
  ChangeTopLeft(topRow_, std::clamp(col, fixedCols_, std::max(fixedCols_, colCount_ - 1)));
}

void TCustomGrid::ChangeTopLeft(int top, int left) {
  if (top == topRow_ && left == leftCol_) return;
  topRow_ = top;
  leftCol_ = left;
  TopLeftChanged();
  Changed();
}

void TCustomGrid::ScrollBy(int rows) {
  SetTopRow(topRow_ + rows);
}

void TCustomGrid::VerticalScrollTo(int topRow) {
  SetTopRow(topRow);
}

void TCustomGrid::MoveFocusBy(int dx, int dy, bool extend) {
  FocusCell(current_.X + dx, current_.Y + dy, !extend);
}

void TCustomGrid::KeyDown(int& key, unsigned shift) {
  bool extend = (shift & ssShift) && (options_ & goRangeSelect);
  bool ctrl = shift & ssCtrl;
  bool rowSelect = options_ & goRowSelect;
  int page = std::max(1, VisibleRowCount());
  switch (key) {
    case VK_Up:
      MoveFocusBy(0, -1, extend);
      break;
    case VK_Down:
      MoveFocusBy(0, 1, extend);
      break;
    case VK_Prior:
      MoveFocusBy(0, -page, extend);
      break;
    case VK_Next:
      MoveFocusBy(0, page, extend);
      break;
    case VK_Left:
      if (rowSelect)
        SetLeftCol(leftCol_ - 1);
      else
        MoveFocusBy(-1, 0, extend);
      break;
    case VK_Right:
      if (rowSelect) {
        if (leftCol_ + VisibleColCount() < colCount_) SetLeftCol(leftCol_ + 1);
      } else {
        MoveFocusBy(1, 0, extend);
      }
      break;
    case VK_Home:
      if (ctrl || rowSelect)
        FocusCell(current_.X, fixedRows_, !extend);
      else
        FocusCell(fixedCols_, current_.Y, !extend);
      break;
    case VK_End:
      if (ctrl || rowSelect)
        FocusCell(current_.X, rowCount_ - 1, !extend);
      else
        FocusCell(colCount_ - 1, current_.Y, !extend);
      break;
    case VK_Tab:
      if (options_ & goTabs) MoveFocusBy((shift & ssShift) ? -1 : 1, 0, false);
      break;
    case VK_F2Key:
      if (options_ & goEditing) ShowEditor();
      break;
    default:
      break;
  }
}

void TCustomGrid::KeyPress(char& key) {
  if (key == '\r' && (options_ & goEditing) && !(options_ & goAlwaysShowEditor)) {
    if (editorMode_)
      HideEditor();
    else
      ShowEditor();
    key = 0;
  }
}

int TCustomGrid::SizingColumnAt(int x, int y) const {
  if (y >= FixedHeight() || y < 0) return -1;
  int right = 0;
  for (int c = 0; c < colCount_; ++c) {
    if (c >= fixedCols_ && c < leftCol_) continue;
    right += colWidths_[c];
    if (x > right - 3 && x < right + 3) return c;
    right += gridLineWidth_;
    if (right > clientWidth_) break;
  }
  return -1;
}

void TCustomGrid::MouseDown(TMouseButton button, unsigned shift, int x, int y) {
  if (button != TMouseButton::mbLeft) return;
  if (options_ & goColSizing) {
    int col = SizingColumnAt(x, y);
    if (col >= 0) {
      sizingCol_ = col;
      sizingLastX_ = x;
      return;
    }
  }
  TGridCoord cell = MouseCoord(x, y);
  if (cell.X < 0 || cell.X < fixedCols_ || cell.Y < fixedRows_) return;
  bool extend = (shift & ssShift) && (options_ & goRangeSelect);
  FocusCell(cell.X, cell.Y, !extend);
  selecting_ = (options_ & goRangeSelect) != 0;
}

void TCustomGrid::MouseMove(unsigned, int x, int y) {
  if (sizingCol_ >= 0) {
    int width = colWidths_[sizingCol_] + x - sizingLastX_;
    if (width > 0) {
      sizingLastX_ = x;
      SetColWidth(sizingCol_, width);
    }
    return;
  }
  if (selecting_) {
    // Dragging past the edge scrolls one row per move.
    int row;
    if (y < FixedHeight())
      row = std::max(fixedRows_, topRow_ - 1);
    else if (y >= clientHeight_)
      row = std::min(rowCount_ - 1, topRow_ + VisibleRowCount());
    else
      row = std::max(MouseCoord(std::clamp(x, 0, std::max(0, clientWidth_ - 1)), y).Y, fixedRows_);
    if (row < fixedRows_) return;
    TGridCoord cell = MouseCoord(std::clamp(x, FixedWidth(), std::max(0, clientWidth_ - 1)),
                                 std::clamp(y, FixedHeight(), std::max(0, clientHeight_ - 1)));
    int col = cell.X >= fixedCols_ ? cell.X : current_.X;
    FocusCell(col, row, false);
    return;
  }
  if (host_ && (options_ & goColSizing)) {
    host_->SetCursor(SizingColumnAt(x, y) >= 0 ? TCursorKind::HorizontalSplit
                                               : TCursorKind::Default);
  }
}

void TCustomGrid::MouseUp(TMouseButton, unsigned, int, int) {
  CancelMouse();
}

void TCustomGrid::CancelMouse() {
  selecting_ = false;
  if (sizingCol_ >= 0) {
    sizingCol_ = -1;
    ColWidthsChanged();
  }
}

void TCustomGrid::MouseWheel(int delta, int linesPerNotch) {
  int lines = linesPerNotch == WheelScrollsPage ? std::max(1, VisibleRowCount()) : linesPerNotch;
  if (lines <= 0 || delta == 0) return;
  // A turn the other way starts afresh, as Windows' own lists do.
  if ((wheelRemainder_ > 0 && delta < 0) || (wheelRemainder_ < 0 && delta > 0)) wheelRemainder_ = 0;
  // In 64 bits: a large setting times a large delta must not overflow.
  long long moved = static_cast<long long>(delta) * lines + wheelRemainder_;
  long long rows = moved / WheelDelta;
  wheelRemainder_ = static_cast<int>(moved % WheelDelta);
  if (rows != 0) ScrollBy(static_cast<int>(std::clamp<long long>(-rows, -rowCount_, rowCount_)));
}

void TCustomGrid::Paint(TCanvas& canvas, const TRect& area) {
  canvas.SetFont(font_);
  canvas.SetBrushColor(color_);
  TGridRect selection = FrameSelection();
  bool focused = host_ && host_->Focused();
  int right = 0;
  int bottom = 0;
  int lastCol = -1;
  int lastRow = -1;
  int firstCol = fixedCols_ > 0 ? 0 : leftCol_;
  for (int row = 0; row < rowCount_; ++row) {
    if (row >= fixedRows_ && row < topRow_) row = topRow_;
    if (CellRect(firstCol, row).Empty()) break;
    lastRow = row;
    for (int col = 0; col < colCount_; ++col) {
      if (col >= fixedCols_ && col < leftCol_) col = leftCol_;
      TRect rect = CellRect(col, row);
      if (rect.Empty()) break;
      lastCol = std::max(lastCol, col);
      right = std::max(right, rect.Right);
      bottom = std::max(bottom, rect.Bottom);
      TRect withLines{rect.Left, rect.Top, rect.Right + gridLineWidth_,
                      rect.Bottom + gridLineWidth_};
      if (!Intersects(withLines, area)) continue;
      unsigned state = 0;
      if (col < fixedCols_ || row < fixedRows_) {
        state |= gdFixed;
      } else {
        if (col >= selection.Left && col <= selection.Right && row >= selection.Top &&
            row <= selection.Bottom)
          state |= gdSelected;
        if (focused && col == current_.X && row == current_.Y) state |= gdFocused;
      }
      DrawCell(canvas, col, row, rect, state);
    }
  }
  PaintLines(canvas, lastCol, lastRow, right, bottom);
  // The empty space right of and below the cells.
  canvas.SetBrushColor(color_);
  if (right + gridLineWidth_ < clientWidth_)
    canvas.FillRect({right + gridLineWidth_, 0, clientWidth_, clientHeight_});
  if (bottom + gridLineWidth_ < clientHeight_)
    canvas.FillRect({0, bottom + gridLineWidth_, right + gridLineWidth_, clientHeight_});
  if (focused && (options_ & goRowSelect) && current_.Y >= topRow_) {
    TRect first = CellRect(std::max(fixedCols_, leftCol_), current_.Y);
    if (!first.Empty()) canvas.DrawFocusRect({first.Left, first.Top, right, first.Bottom});
  }
}

void TCustomGrid::PaintLines(TCanvas& canvas, int lastCol, int lastRow, int right, int bottom) {
  if (gridLineWidth_ <= 0 || lastCol < 0 || lastRow < 0) return;
  TColor saved = canvas.PenColor();
  int fixedRight = FixedWidth();
  int fixedBottom = FixedHeight();
  auto vertical = [&](int x, int top, int to, TColor color) {
    canvas.SetPenColor(color);
    canvas.Line({x, top}, {x, to});
  };
  auto horizontal = [&](int y, int left, int to, TColor color) {
    canvas.SetPenColor(color);
    canvas.Line({left, y}, {to, y});
  };
  // Column lines: after every column shown.
  for (int col = 0; col <= lastCol; ++col) {
    if (col >= fixedCols_ && col < leftCol_) continue;
    TRect cell = CellRect(col, 0);
    if (cell.Empty()) continue;
    int x = cell.Right;
    if (options_ & goFixedVertLine) vertical(x, 0, fixedBottom, clBlack);
    bool fixedCol = col < fixedCols_;
    if (fixedCol ? (options_ & goFixedVertLine) : (options_ & goVertLine))
      vertical(x, fixedBottom, bottom + gridLineWidth_, fixedCol ? clBlack : clSilver);
  }
  // Row lines: after every row shown.
  for (int row = 0; row <= lastRow; ++row) {
    if (row >= fixedRows_ && row < topRow_) continue;
    TRect cell = CellRect(fixedCols_ > 0 ? 0 : leftCol_, row);
    if (cell.Empty()) continue;
    int y = cell.Bottom;
    bool fixedRow = row < fixedRows_;
    if ((options_ & goFixedHorzLine) && fixedCols_ > 0) horizontal(y, 0, fixedRight, clBlack);
    if (fixedRow ? (options_ & goFixedHorzLine) : (options_ & goHorzLine))
      horizontal(y, fixedRow ? 0 : fixedRight, right + gridLineWidth_,
                 fixedRow ? clBlack : clSilver);
  }
  canvas.SetPenColor(saved);
}

void TCustomGrid::DrawCell(TCanvas& canvas, int, int, const TRect& rect, unsigned state) {
  canvas.SetBrushColor(state & gdFixed ? clBtnFace : color_);
  canvas.FillRect(rect);
  if (state & gdFixed) canvas.Frame3D(rect, true);
}

}  // namespace velloran
