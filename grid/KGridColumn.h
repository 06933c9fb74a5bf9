#pragma once
// The server grid's columns. A column is an object of its own with caption,
// colours, fonts, width, alignment, visibility, sort order and name, and it
// keeps the texts of all its cells, one entry per data row. The grid owns the
// collection and keeps every column's cell store the same length.
//
// Threading: user-interface thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Graphics.h"

namespace velloran {

class CellTable;
class TKStringGrid;
class TKGridColumns;

enum class TColumnSorting { csNone, csAsc, csDsc };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TImeMode {
  imDisable,
  imClose,
  imOpen,
  imDontCare,
  imSAlpha,
  imAlpha,
  imHira,
  imSKata,
  imKata,
  imChinese,
  imSHanguel,
  imHanguel
};

// Compares ignoring ASCII case: the first differing byte after folding a-z to
// A-Z decides, else the shorter text is smaller.
int CompareIgnoringAsciiCase(std::string_view a, std::string_view b);

// Bit 0 of a cell's attribute word: the cell holds line breaks.
constexpr std::uint32_t MultiLineFlag = 1;

class TKGridColumn {
 public:
  // Joins Collection as its last column (see TKGridColumns::AddColumn).
  explicit TKGridColumn(TKGridColumns& collection);
  ~TKGridColumn();
  TKGridColumn(const TKGridColumn&) = delete;
  TKGridColumn& operator=(const TKGridColumn&) = delete;

  TKStringGrid* Grid() const;
  TKGridColumns& Collection() const { return *collection_; }
  // Position in the collection, and moving it there.
  int Index() const;
  void SetIndex(int index);
  // Caption, or the default display name when there is none.
  std::string DisplayName() const;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font);
  TFont& HeaderFont() { return headerFont_; }
  const TFont& HeaderFont() const { return headerFont_; }
  void SetHeaderFont(const TFont& font);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool parent);
  bool ParentHeaderFont() const { return parentHeaderFont_; }
  void SetParentHeaderFont(bool parent);
  TColor HeaderColor() const { return headerColor_; }
  void SetHeaderColor(TColor color);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  TColumnSorting SortOrder() const { return sortOrder_; }
  void SetSortOrder(TColumnSorting order);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  int Width() const { return width_; }
  void SetWidth(int width);
  const std::string& ImeName() const { return imeName_; }
  void SetImeName(const std::string& name) { imeName_ = name; }
  TImeMode ImeMode() const { return imeMode_; }
  void SetImeMode(TImeMode mode) { imeMode_ = mode; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);

  // Display position among the grid's visible columns, -1 while not placed.
  int GridIndex() const { return gridIndex_; }
  void SetGridIndex(int index);

  // Cells by data row; the grid checks the row.
  const std::string& Cells(int row) const { return EntryAt(row).text; }
  void SetCells(int row, std::string text);
  std::uint32_t CellFlags(int row) const { return EntryAt(row).attributes & 7u; }
  void SetCellFlags(int row, std::uint32_t flags);
  // The cell's stored form: its lines as one comma-separated line.
  std::string StoredCell(int row) const;

  // The number a cell's text reads as under Reader. While a sort runs each
  // cell is read once: a sort compares the same cells many times over.
  using NumberReader = std::int64_t (*)(std::string_view text);
  std::int64_t CellNumber(int row, NumberReader reader) const {
    // Inline: a sort asks for it a few million times.
    if (!sortCache_.keys.empty() && sortCache_.reader == reader) {
      SortKey& key = sortCache_.keys[row];
      if (key.numberKnown) return key.number;
    }
    return ReadCellNumber(row, reader);
  }

  // The texts of rows A and B compared ignoring ASCII case: the first
  // differing byte after folding a-z decides, else the shorter text is smaller.
  int CompareTexts(int a, int b) const {
    if (!sortCache_.keys.empty()) {
      const SortKey& x = sortCache_.keys[a];
      const SortKey& y = sortCache_.keys[b];
      if (x.prefix != y.prefix) return x.prefix < y.prefix ? -1 : 1;
      if (x.prefix2 != y.prefix2) return x.prefix2 < y.prefix2 ? -1 : 1;
      // Equal first sixteen bytes: for texts that short the length decides.
      if (x.shortLength <= 16 && y.shortLength <= 16)
        return (x.shortLength > y.shortLength) - (x.shortLength < y.shortLength);
    }
    return CompareFullTexts(a, b);
  }

 private:
  friend class TKGridColumns;
  friend class TKGridColumnList;
  friend class TKStringGrid;

  struct Entry {
    // What Cells reads: the text as it comes back from its stored form.
    std::string text;
    std::uint32_t attributes = 0;
  };

  // What a running sort keeps of each cell of this column, by row, in one
  // small record that moves with its row: the partition scans then walk the
  // records in order instead of jumping through memory. It holds the first
  // sixteen case-folded bytes of the text and its length up to 16 (17 for
  // longer), and the number a handler read from it.
  struct SortKey {
    std::uint64_t prefix = 0;
    std::uint64_t prefix2 = 0;
    std::int64_t number = 0;
    std::uint8_t shortLength = 0;
    bool numberKnown = false;
  };
  struct SortCache {
    NumberReader reader = nullptr;
    std::vector<SortKey> keys;
  };
  static SortKey KeyOf(const std::string& text);
  std::int64_t ReadCellNumber(int row, NumberReader reader) const;
  int CompareFullTexts(int a, int b) const;
  void SwapSortKeys(int a, int b) const;

  // A sort keeps a few things per row while it runs.
  void PrepareSort() const;
  void EndSort() const;
  const Entry& EntryAt(int row) const;
  Entry& EntryAt(int row);
  void Repaint() const;
  void FontChanged();
  void HeaderFontChanged();

  TKGridColumns* collection_;
  std::string caption_;
  TColor color_ = clNone;
  TFont font_;
  TFont headerFont_;
  bool parentFont_ = true;
  bool parentHeaderFont_ = true;
  TColor headerColor_ = clNone;
  std::string name_;
  bool readOnly_ = false;
  TColumnSorting sortOrder_ = TColumnSorting::csNone;
  bool visible_ = true;
  int width_ = 64;
  std::string imeName_;
  TImeMode imeMode_ = TImeMode::imDisable;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  int gridIndex_ = -1;
  std::vector<Entry> cells_;
  mutable SortCache sortCache_;
};

// Columns in display order: the grid's visible columns, or the sorted ones of one sort.
class TKGridColumnList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TKGridColumn* Items(int index) const { return items_.at(index); }
  TKGridColumn* operator[](int index) const { return items_[index]; }
  void Add(TKGridColumn* column) { items_.push_back(column); }
  void Clear() { items_.clear(); }
  int IndexOf(const TKGridColumn* column) const;
  void Remove(const TKGridColumn* column);
  void Move(int from, int to);
  // Places Column by its GridIndex: a column not yet placed goes to the end;
  // otherwise before the first entry with a greater GridIndex.
  void Place(TKGridColumn* column);
  // Sets every entry's GridIndex to its position.
  void Renumber();
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<TKGridColumn*> items_;
};

// The grid's columns in collection order.
class TKGridColumns {
 public:
  explicit TKGridColumns(TKStringGrid& grid) : grid_(&grid) {}
  ~TKGridColumns();
  TKGridColumns(const TKGridColumns&) = delete;
  TKGridColumns& operator=(const TKGridColumns&) = delete;

  TKStringGrid& Grid() const { return *grid_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TKGridColumn* Items(int index) const { return items_.at(index).get(); }
  TKGridColumn* operator[](int index) const { return items_[index].get(); }

  TKGridColumn& AddColumn();
  // The first column whose Name equals Name, ignoring ASCII case; or none.
  TKGridColumn* FindColumn(std::string_view name) const;
  void Delete(int index);
  // Removes every column.
  void Clear();
  void ClearRows();
  void InsertRowCells(int row);
  void DeleteRowCells(int row);
  // Bulk forms: Count empty rows at the end; Count rows from First on.
  void AppendRows(int count);
  void DeleteRowRange(int first, int count);
  // Every row replaced by the rows of Source, its columns matched by index to
  // DisplayColumns (the grid's visible ones) as far as both go; every other
  // cell empty. Returns the new row count. All of it is built aside first:
  // an error (memory, or Source's own) leaves the rows as they were.
  int ReplaceRows(const CellTable& source, const TKGridColumnList& displayColumns);
  // The same, taking the texts out of Source (CellTable::TakeCell).
  int TakeRows(CellTable& source, const TKGridColumnList& displayColumns);

  // Rows are kept as indices into every column's cell store, so that moving
  // a row (as a sort does over and over) moves one number, not seven texts.
  int StoredRow(int row) const { return rowStore_[row]; }
  void SwapRows(int a, int b) { std::swap(rowStore_[a], rowStore_[b]); }
  int StoreSize() const { return storeSize_; }

  // The layout under a key of the current user's registry.
  void SaveToRegistry(const std::string& keyPath);
  void LoadFromRegistry(const std::string& keyPath, int mode);

 private:
  friend class TKGridColumn;
  friend class TKStringGrid;
  void Move(int from, int to);
  int TakeStore();
  // ReplaceRows with Read(display column, row) giving each text.
  template <typename Read>
  int ReplaceRowsWith(int rows, int columns, const TKGridColumnList& displayColumns, Read read);
  // Puts the stores back in row order once many rows were deleted.
  void CompactIfSparse();
  // What the sort kept, once it is over. (Rows can not change while it runs.)
  void DropSortCaches();

  TKStringGrid* grid_;
  std::vector<std::unique_ptr<TKGridColumn>> items_;
  std::vector<int> rowStore_;
  std::vector<int> freeStores_;
  int storeSize_ = 0;
};

}  // namespace velloran
