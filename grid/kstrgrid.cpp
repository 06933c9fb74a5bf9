#include "grid/kstrgrid.h"

#include <algorithm>

#include "framework/Exception.h"
#include "grid/KStrings.h"

namespace velloran {
namespace {}  // namespace

TKStringGrid::TKStringGrid() {
  SetFrameFixedCols(0);
  SetColCount(1);
  SetFrameRowCount(2);
  SetDefaultRowHeight(18);
  FocusCell(0, 1, true);
  for (TFont* font : {&activeHeaderFont_, &activeFixedFont_, &fixedFont_, &headerFont_})
    font->OnChange = [this] { Invalidate(); };
}

TKStringGrid::~TKStringGrid() = default;

bool TKStringGrid::Visible() const {
  return Host() ? Host()->Visible() : visible_;
}

void TKStringGrid::SetVisible(bool visible) {
  visible_ = visible;
  if (Host()) Host()->SetVisible(visible);
}

std::unique_ptr<RegistryAccess> TKStringGrid::OpenRegistry() const {
  if (!registry_) throw EKGridColumnsError("No registry for the grid layout");
  return registry_();
}

// ---- rows

void TKStringGrid::SetRowCount(int rows) {
  CheckNotSorting();
  HideEditor();
  rows = std::max(rows, 0);
  int current = RowCount();
  if (rows == current) return;
  bool wasEmpty = empty_;
  if (rows > current)
    AddRows(rows - current);
  else
    DeleteRows(rows, current - 1);
  if (wasEmpty) ReselectCell(Row());
}

void TKStringGrid::AddRows(int count) {
  // All at once rather than one insert per row: lists of 100,000 servers arrive at once.
  columns_.AppendRows(count);
  int rows = RowCount() + count;
  empty_ = false;
  SetFrameRowCount(rows + 1);
  Invalidate();
}

void TKStringGrid::InsertRow(int row) {
  CheckNotSorting();
  HideEditor();
  columns_.InsertRowCells(row);
  int rows = (empty_ ? 0 : RowCount()) + 1;
  empty_ = false;
  SetFrameRowCount(rows + 1);
  Invalidate();
}

void TKStringGrid::DeleteRows(int first, int last) {
  int count = last - first + 1;
  if (count <= 0) return;
  columns_.DeleteRowRange(first, count);
  int remaining = RowCount() - count;
  if (remaining <= 0) {
    empty_ = true;
    SetFrameRowCount(2);
  } else {
    empty_ = false;
    SetFrameRowCount(remaining + 1);
  }
  Invalidate();
}

void TKStringGrid::DeleteRow(int row) {
  CheckNotSorting();
  HideEditor();
  CheckRow(row);
  DeleteRows(row, row);
}

void TKStringGrid::Clear() {
  CheckNotSorting();
  HideEditor();
  columns_.ClearRows();
  empty_ = true;
  SetFrameRowCount(2);
  Invalidate();
}

void TKStringGrid::ReplaceRows(const CellTable& rows) {
  CheckNotSorting();
  HideEditor();
  RowsReplaced(columns_.ReplaceRows(rows, visibleColumns_));
}

void TKStringGrid::TakeRows(CellTable& rows) {
  CheckNotSorting();
  HideEditor();
  RowsReplaced(columns_.TakeRows(rows, visibleColumns_));
}

void TKStringGrid::RowsReplaced(int count) {
  // The new rows are in. The frame goes the way of Clear and then SetRowCount:
  // through two rows, which puts the focus, the anchor and the top row on
  // the first row.
  empty_ = true;
  SetFrameRowCount(2);
  if (count > 0) {
    empty_ = false;
    SetFrameRowCount(count + 1);
  }
  Invalidate();
  if (count > 0) ReselectCell(Row());
}

// ---- cells

void TKStringGrid::CheckNotSorting() const {
  if (Sorting()) throw EKGridError(SortRunningError);
}

void TKStringGrid::CheckColumn(int col) const {
  if (col < 0 || col >= visibleColumns_.Count()) throw EKGridError("Wrong column index");
}

void TKStringGrid::CheckRow(int row) const {
  if (row < 0 || row >= RowCount()) throw EKGridError("Wrong row index");
}

std::string TKStringGrid::Cells(int col, int row) const {
  CheckColumn(col);
  CheckRow(row);
  return VisibleColumn(col).Cells(row);
}

void TKStringGrid::SetCells(int col, int row, const std::string& text) {
  CheckColumn(col);
  CheckRow(row);
  VisibleColumn(col).SetCells(row, text);
}

std::uint32_t TKStringGrid::CellFlags(int col, int row) const {
  if (empty_ || visibleColumns_.Count() == 0) return 0;
  CheckColumn(col);
  CheckRow(row);
  return VisibleColumn(col).CellFlags(row);
}

void TKStringGrid::SetCellFlags(int col, int row, std::uint32_t flags) {
  CheckColumn(col);
  CheckRow(row);
  VisibleColumn(col).SetCellFlags(row, flags);
}

// ---- selection

TGridRect TKStringGrid::Selection() const {
  TGridRect frame = FrameSelection();
  return {frame.Left, frame.Top - 1, frame.Right, frame.Bottom - 1};
}

void TKStringGrid::SetSelection(const TGridRect& selection) {
  SetFrameSelection({selection.Left, selection.Top + 1, selection.Right, selection.Bottom + 1});
}

// ---- columns

void TKStringGrid::SetFixedCols(int count) {
  wantedFixedCols_ = std::max(count, 0);
  UpdateVisibleColumns();
}

void TKStringGrid::UpdateFixedCols(int visibleCount) {
  SetFrameFixedCols(visibleCount == 0 ? 0 : std::min(wantedFixedCols_, visibleCount - 1));
}

void TKStringGrid::UpdateVisibleColumns() {
  int oldCurrent = CurrentCol();
  visibleColumns_.Clear();
  for (int c = 0; c < columns_.Count(); ++c) {
    TKGridColumn* column = columns_[c];
    if (column->Visible()) visibleColumns_.Place(column);
  }
  visibleColumns_.Renumber();
  UpdateFixedCols(visibleColumns_.Count());
  UpdateColumns();
  if (CurrentCol() != oldCurrent || (activeColumn_ == nullptr && visibleColumns_.Count() > 0))
    ReselectCell(RowCount() > 0 ? 1 : 0);
}

void TKStringGrid::UpdateColumns() {
  suspendWidthFeedback_ = true;
  SetColCount(std::max(1, visibleColumns_.Count()));
  for (int c = 0; c < visibleColumns_.Count(); ++c) SetColWidth(c, visibleColumns_[c]->Width());
  suspendWidthFeedback_ = false;
  Invalidate();
}

void TKStringGrid::ColWidthsChanged() {
  if (suspendWidthFeedback_) return;
  for (int c = 0; c < visibleColumns_.Count() && c < ColCount(); ++c)
    visibleColumns_[c]->width_ = ColWidth(c);
}

void TKStringGrid::ForgetColumn(TKGridColumn* column) {
  if (column == nullptr || column == activeColumn_) activeColumn_ = nullptr;
}

void TKStringGrid::ReselectCell(int gridRow) {
  if (visibleColumns_.Count() == 0) {
    activeColumn_ = nullptr;
    return;
  }
  SelectCell(std::clamp(Col(), 0, visibleColumns_.Count() - 1), std::max(gridRow, 0));
}

bool TKStringGrid::SelectCell(int col, int row) {
  if (visibleColumns_.Count() == 0) {
    activeColumn_ = nullptr;
    return false;
  }
  bool canSelect = true;
  if (!empty_) {
    if (OnSelectCell) OnSelectCell(*this, col, row - 1, canSelect);
    if (!canSelect) return false;
    InvalidateRow(Row());
    InvalidateRow(row);
  }
  col = std::clamp(col, 0, visibleColumns_.Count() - 1);
  if (activeColumn_ == nullptr || activeColumn_->GridIndex() != col) {
    TKGridColumn* old = activeColumn_;
    activeColumn_ = visibleColumns_[col];
    ActiveColChanged(old, activeColumn_);
  }
  return canSelect;
}

void TKStringGrid::ActiveColChanged(TKGridColumn* oldColumn, TKGridColumn* newColumn) {
  if (oldColumn && oldColumn->GridIndex() >= 0) InvalidateCol(oldColumn->GridIndex());
  if (newColumn && newColumn->GridIndex() >= 0) InvalidateCol(newColumn->GridIndex());
  if (OnActiveColChanged) OnActiveColChanged(*this, oldColumn, newColumn);
}

void TKStringGrid::InvalidateRow(int gridRow) {
  if (!Host()) return;
  int last = FrameFixedCols() + LeftCol() + visibleColumns_.Count() + 1;
  for (int c = 0; c <= last && c < ColCount(); ++c) InvalidateCell(c, gridRow);
}

void TKStringGrid::InvalidateCol(int displayCol) {
  if (!Host()) return;
  int last = TopRow() + VisibleRowCount();
  for (int r = 0; r <= last && r < FrameRowCount(); ++r) InvalidateCell(displayCol, r);
}

void TKStringGrid::SetActiveColColor(TColor color) {
  if (color == activeColColor_) return;
  activeColColor_ = color;
  if (CurrentCol() >= 0) InvalidateCol(CurrentCol());
}

void TKStringGrid::SetActiveRowFontColor(TColor color) {
  if (color == activeRowFontColor_) return;
  activeRowFontColor_ = color;
  InvalidateRow(Row());
}

void TKStringGrid::SetColorProperty(TColor& field, TColor color) {
  if (field == color) return;
  field = color;
  Invalidate();
}

void TKStringGrid::SetAutoSort(bool autoSort) {
  if (autoSort == autoSort_) return;
  autoSort_ = autoSort;
  if (autoSort_) Sort();
}

void TKStringGrid::SetDefaultLook(bool defaultLook) {
  if (defaultLook == defaultLook_) return;
  defaultLook_ = defaultLook;
  Invalidate();
}

// ---- sorting

void TKStringGrid::ExchangeRows(int a, int b) {
  columns_.SwapRows(a, b);
  if (sortedColumns_)
    for (TKGridColumn* column : *sortedColumns_) column->SwapSortKeys(a, b);
  // A sort repaints once when it is done.
  if (!Sorting()) Invalidate();
}

int TKStringGrid::DefaultCompare(int a, int b) const {
  if (!sortedColumns_) return 0;
  for (TKGridColumn* column : *sortedColumns_) {
    int result = column->CompareTexts(a, b);
    if (column->SortOrder() == TColumnSorting::csDsc) result = -result;
    if (result != 0) return result;
  }
  return 0;
}

int TKStringGrid::CompareRows(int a, int b) {
  int result = DefaultCompare(a, b);
  if (OnCompareRows && sortedColumns_ && sortedColumns_->Count() > 0)
    OnCompareRows(*sortedColumns_, a, b, result);
  return result;
}

void TKStringGrid::QuickSort(int left, int right) {
  // The recursive quicksort with its pending ranges on a heap stack, in the
  // same order: (L, J) completely before (I, R). Sorted and reverse-sorted
  // lists of 100,000 rows must not exhaust the thread's stack.
  std::vector<std::pair<int, int>> pending{{left, right}};
  while (!pending.empty()) {
    auto [l, r] = pending.back();
    pending.pop_back();
    if (l >= r) continue;
    int pivot = (l + r) / 2;
    int i = l;
    int j = r;
    do {
      // The bounds only ever stop a comparison handler that contradicts
      // itself (a row that sorts before itself); a consistent one stops at
      // the pivot first.
      while (CompareRows(i, pivot) < 0 && i < r) ++i;
      while (CompareRows(j, pivot) > 0 && j > l) --j;
      if (j > i) {
        ExchangeRows(i, j);
        if (pivot == i)
          pivot = j;
        else if (pivot == j)
          pivot = i;
        ++i;
        --j;
      } else if (j == i) {
        if (i < r)
          ++i;
        else
          --j;
      }
    } while (j >= i);
    pending.push_back({i, r});
    pending.push_back({l, j});
  }
}

int TKStringGrid::MoveRowsToTop(const std::function<bool(int storedRow)>& first) {
  CheckNotSorting();
  HideEditor();
  std::vector<int>& order = columns_.rowStore_;
  const auto split = std::stable_partition(order.begin(), order.end(), first);
  Invalidate();
  return static_cast<int>(split - order.begin());
}

void TKStringGrid::Sort() {
  CheckNotSorting();
  // What was typed belongs to the row under the editor now, not to the one
  // that the sort will move there.
  HideEditor();
  TKGridColumnList sorted;
  for (TKGridColumn* column : visibleColumns_)
    if (column->SortOrder() != TColumnSorting::csNone) sorted.Add(column);
  int rows = RowCount();
  sortedColumns_ = &sorted;
  for (TKGridColumn* column : sorted) column->PrepareSort();
  struct Finish {
    TKStringGrid& grid;
    ~Finish() {
      grid.columns_.DropSortCaches();
      grid.sortedColumns_ = nullptr;
      grid.Invalidate();
    }
  } finish{*this};
  if (rows > 1) QuickSort(0, rows - 1);
}

}  // namespace velloran
