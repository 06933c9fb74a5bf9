#pragma once
// The server grid: one header row and any number of data rows, whose columns
// and texts live in TKGridColumn objects. Adds to the base grid data-row
// indexing below the header, an empty state, checked cell access, sorting by
// header clicks with a comparison hook, colours and fonts for the header, the
// focused column and row and the selection, a sort arrow, and a selection in
// data-row coordinates. It implements CellTable for the cache file, the page
// scraper and the add-servers run.
//
// Threading: user-interface thread only. OnCompareRows runs inside Sort; its
// reads of Cells see the rows as moved so far, and it may write cells. What
// would pull the rows or columns from under the running sort is refused with
// EKGridError (SortRunningError) while a sort runs: changing the number of
// rows (RowCount, InsertRow, DeleteRow, Clear, ReplaceRows), adding, deleting,
// moving, showing or hiding columns (AddColumn, Delete, Clear,
// LoadFromRegistry, SetIndex, SetGridIndex, SetVisible), a column's
// SortOrder, and Sort itself.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Grid.h"
#include "framework/RegistryAccess.h"
#include "grid/CellTable.h"
#include "grid/KGridColumn.h"

namespace velloran {

struct TKCellProperties {
  TFont* Font;
  TColor Color;
  TAlignment Alignment;
};

using TCompareRowsEvent =
    std::function<void(const TKGridColumnList& sortedColumns, int index1, int index2, int& result)>;

class TKStringGrid : public TCustomGrid, public CellTable {
 public:
  TKStringGrid();
  ~TKStringGrid() override;

  // Rows.
  int RowCount() const override { return empty_ ? 0 : FrameRowCount() - 1; }
  void SetRowCount(int rows) override;
  bool Empty() const { return empty_; }
  void Clear() override;
  void DeleteRow(int row);
  void InsertRow(int row);
  // Replaces every data row with the rows of Rows, its columns matched to the
  // grid's display columns by index as far as both have columns (the others
  // empty). Everything new is built before anything changes: a failure
  // (memory) leaves the grid exactly as it was. Afterwards the grid is as
  // Clear, SetRowCount and SetCells of every cell leave it. An open editor is
  // closed first, storing its text in the old row, as Clear does.
  void ReplaceRows(const CellTable& rows);
  // The same, taking the texts out of Rows instead of copying them: for a
  // list read aside that is not needed afterwards.
  void TakeRows(CellTable& rows);

  // Cells by display column and data row, with index checks.
  std::string Cells(int col, int row) const;
  void SetCells(int col, int row, const std::string& text);
  std::uint32_t CellFlags(int col, int row) const;
  void SetCellFlags(int col, int row, std::uint32_t flags);

  // CellTable.
  int ColumnCount() const override { return visibleColumns_.Count(); }
  std::string Cell(int column, int row) const override { return Cells(column, row); }
  void SetCell(int column, int row, const std::string& text) override {
    SetCells(column, row, text);
  }

  // Columns.
  TKGridColumns& Columns() { return columns_; }
  const TKGridColumns& Columns() const { return columns_; }
  const TKGridColumnList& VisibleColumns() const { return visibleColumns_; }
  TKGridColumn* ActiveColumn() const { return activeColumn_; }
  int CurrentCol() const { return visibleColumns_.Count() == 0 ? -1 : Col(); }
  int CurrentRow() const { return empty_ ? -1 : Row() - 1; }
  int FixedCols() const { return FrameFixedCols(); }
  void SetFixedCols(int count);

  // The selection in data rows and display columns.
  TGridRect Selection() const;
  void SetSelection(const TGridRect& selection);

  void Sort();
  // Moves the rows for which First holds to the top, keeping the order within
  // both groups; returns how many there are. First is asked with each row's
  // StoredRow, the identity that travels with a row through every sort.
  int MoveRowsToTop(const std::function<bool(int storedRow)>& first);

  // Properties.
  TColor ActiveHeaderColor() const { return activeHeaderColor_; }
  void SetActiveHeaderColor(TColor color) { SetColorProperty(activeHeaderColor_, color); }
  TFont& ActiveHeaderFont() { return activeHeaderFont_; }
  TColor ActiveColColor() const { return activeColColor_; }
  void SetActiveColColor(TColor color);
  TColor ActiveRowColor() const { return activeRowColor_; }
  void SetActiveRowColor(TColor color) { SetColorProperty(activeRowColor_, color); }
  TColor ActiveRowFontColor() const { return activeRowFontColor_; }
  void SetActiveRowFontColor(TColor color);
  TColor ActiveFixedColor() const { return activeFixedColor_; }
  void SetActiveFixedColor(TColor color) { SetColorProperty(activeFixedColor_, color); }
  TFont& ActiveFixedFont() { return activeFixedFont_; }
  bool AutoSort() const { return autoSort_; }
  void SetAutoSort(bool autoSort);
  bool DefaultLook() const { return defaultLook_; }
  void SetDefaultLook(bool defaultLook);
  TColor FixedColor() const { return fixedColor_; }
  void SetFixedColor(TColor color) { SetColorProperty(fixedColor_, color); }
  TFont& FixedFont() { return fixedFont_; }
  TColor HeaderColor() const { return headerColor_; }
  void SetHeaderColor(TColor color) { SetColorProperty(headerColor_, color); }
  TFont& HeaderFont() { return headerFont_; }
  const TFont& HeaderFont() const { return headerFont_; }
  TColor SelectedColor() const { return selectedColor_; }
  void SetSelectedColor(TColor color) { SetColorProperty(selectedColor_, color); }
  TColor SelectedFontColor() const { return selectedFontColor_; }
  void SetSelectedFontColor(TColor color) { SetColorProperty(selectedFontColor_, color); }
  bool Visible() const;
  void SetVisible(bool visible);

  // The registry the layout is saved to; the Win32 program gives the real one.
  void SetRegistry(RegistryFactory factory) { registry_ = std::move(factory); }
  std::unique_ptr<RegistryAccess> OpenRegistry() const;
  // True while LoadFromRegistry runs: column moves and width pushes wait.
  bool LoadingLayout() const { return loadingLayout_; }

  // Events.
  TCompareRowsEvent OnCompareRows;
  std::function<void(TKStringGrid& sender, int col, int row, bool& canSelect)> OnSelectCell;
  std::function<void(TKStringGrid& sender, TKGridColumn* oldColumn, TKGridColumn* newColumn)>
      OnActiveColChanged;
  std::function<void(TKStringGrid& sender, int col, int row, TKCellProperties& props)>
      OnGetCellProps;
  std::function<void(TKStringGrid& sender, int col, int row, const TRect& rect, unsigned state)>
      OnDrawCell;
  std::function<void(TKStringGrid& sender, int col, const TRect& rect, unsigned state)>
      OnDrawHeader;
  std::function<void(TKStringGrid& sender, int col)> OnHeaderClick;
  std::function<void(TKStringGrid& sender, int x, int y)> OnContextPopup;
  // Editing (display column, data row). OnGetEditText may change what the
  // editor shows; OnSetEditText comes before the edited text is written;
  // OnCancelEdit after Escape put the cell's text back; OnSelChange when the
  // length of the editor's selection changed.
  std::function<void(TKStringGrid& sender, int col, int row, std::string& value)> OnGetEditText;
  std::function<void(TKStringGrid& sender, int col, int row, const std::string& value)>
      OnSetEditText;
  std::function<void(TKStringGrid& sender, int col, int row, const std::string& value)>
      OnCancelEdit;
  std::function<void(TKStringGrid& sender)> OnSelChange;

  // Used by the columns.
  void UpdateVisibleColumns();
  void UpdateColumns();
  void UpdateFixedCols(int visibleCount);
  void InvalidateRow(int gridRow);
  void InvalidateCol(int displayCol);
  void ActiveColChanged(TKGridColumn* oldColumn, TKGridColumn* newColumn);
  // Runs the cell-selection hook again for the focused column.
  void ReselectCell(int gridRow);
  // After the rows were replaced in one step by Count new ones: the frame as
  // Clear and SetRowCount leave it.
  void RowsReplaced(int count);
  void ForgetColumn(TKGridColumn* column);
  // The index of data row Row in the columns' cell stores. It stays with the
  // row through sorts and moves; it may change when rows are inserted or
  // deleted, and it is used again by a later row once its row is gone.
  int StoredRow(int row) const { return columns_.StoredRow(row); }
  // One more than the largest StoredRow.
  int StoredRowCount() const { return columns_.StoreSize(); }
  bool Sorting() const { return sortedColumns_ != nullptr; }
  // Raises EKGridError while a sort runs (see the top of this header).
  void CheckNotSorting() const;
  // The header column under X (in the header band), or -1.
  int HeaderColumnAt(int x) const;
  // The fixed column whose right edge is within reach of X in the header band, or -1.
  int FixedColumnEdgeAt(int x, int y) const;

  // Input.
  void KeyDown(int& key, unsigned shift) override;
  void KeyPress(char& key) override;
  void MouseDown(TMouseButton button, unsigned shift, int x, int y) override;
  void MouseMove(unsigned shift, int x, int y) override;
  void MouseUp(TMouseButton button, unsigned shift, int x, int y) override;
  void CancelMouse() override;
  void ContextMenu(int screenX, int screenY) override;

  void ExchangeRows(int a, int b);
  int CompareRows(int a, int b);
  int DefaultCompare(int a, int b) const;

  // The may-edit test: the framework's conditions, a visible column that is
  // not ReadOnly under the focus, and data rows.
  bool CanEditShow() const override;
  // Edit texts by display column and grid row.
  std::string GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const std::string& value) override;

 protected:
  void DrawCell(TCanvas& canvas, int col, int row, const TRect& rect, unsigned state) override;
  bool SelectCell(int col, int row) override;
  void ColWidthsChanged() override;

 private:
  friend class TKGridColumn;
  friend class TKGridColumns;
  void CheckColumn(int col) const;
  void CheckRow(int row) const;
  void AddRows(int count);
  void DeleteRows(int first, int last);
  void QuickSort(int left, int right);
  void SetColorProperty(TColor& field, TColor color);
  void SortAfterOrderChange();
  // Escape while the editor is open: the cell's text back, the editor closed.
  void CancelEdit();
  TKGridColumn& VisibleColumn(int col) const { return *visibleColumns_[col]; }

  TKGridColumns columns_{*this};
  TKGridColumnList visibleColumns_;
  const TKGridColumnList* sortedColumns_ = nullptr;
  TKGridColumn* activeColumn_ = nullptr;
  bool empty_ = true;
  int wantedFixedCols_ = 0;
  bool suspendWidthFeedback_ = false;
  bool loadingLayout_ = false;
  bool visible_ = true;
  // Escape is putting the cell's text back: the write skips OnSetEditText.
  bool cancelling_ = false;

  TColor activeHeaderColor_ = clGray;
  TFont activeHeaderFont_{"MS Sans Serif", -11, static_cast<unsigned>(TFontStyle::Bold), clWhite};
  TColor activeColColor_ = clNone;
  TColor activeRowColor_ = clInfoBk;
  TColor activeRowFontColor_ = clNone;
  TColor activeFixedColor_ = clGray;
  TFont activeFixedFont_{"MS Sans Serif", -11, 0, clWhite};
  bool autoSort_ = true;
  bool defaultLook_ = false;
  TColor fixedColor_ = clBtnFace;
  TFont fixedFont_{"MS Sans Serif", -11, 0, clWindowText};
  TColor headerColor_ = clBtnFace;
  TFont headerFont_{"MS Sans Serif", -11, static_cast<unsigned>(TFontStyle::Bold), clWindowText};
  TColor selectedColor_ = clHighlight;
  TColor selectedFontColor_ = clHighlightText;

  // A header press waiting for its release, and a fixed column being sized.
  int pressedHeader_ = -1;
  int pressX_ = 0;
  int pressY_ = 0;
  int sizingFixedCol_ = -1;
  int sizingFixedX_ = 0;
  bool sizingFixedActive_ = false;

  RegistryFactory registry_;
};

// What a change refused during a sort raises.
inline constexpr const char* SortRunningError =
    "Rows and columns can not change while the grid sorts";

// Deletes a key of the current user's registry with all its sub-keys.
void DeleteRegKey(RegistryAccess& registry, std::string keyPath);

}  // namespace velloran
