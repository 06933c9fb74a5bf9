#include "grid/KGridColumn.h"

#include <algorithm>
#include <numeric>

#include "framework/Exception.h"
#include "grid/CellTable.h"
#include "grid/KStrings.h"
#include "grid/kstrgrid.h"

namespace velloran {
namespace {

unsigned char Upper(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte >= 'a' && byte <= 'z' ? byte - 32 : byte;
}

// Eight case-folded bytes from From on, the first most significant, so that
// comparing two prefixes compares those bytes in order.
std::uint64_t SortPrefix(const std::string& text, size_t from = 0) {
  std::uint64_t prefix = 0;
  for (size_t i = from; i < from + 8; ++i)
    prefix = prefix << 8 | (i < text.size() ? Upper(text[i]) : 0);
  return prefix;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
    char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

}  // namespace

int CompareIgnoringAsciiCase(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = Upper(a[i]);
    unsigned char y = Upper(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// ---- TKGridColumn

TKGridColumn::TKGridColumn(TKGridColumns& collection) : collection_(&collection) {
  TKStringGrid& grid = collection.Grid();
  cells_.resize(collection.StoreSize());
  font_ = grid.Font();
  font_.OnChange = [this] { FontChanged(); };
  headerFont_ = grid.HeaderFont();
  headerFont_.OnChange = [this] { HeaderFontChanged(); };
  width_ = grid.DefaultColWidth();
}

TKGridColumn::~TKGridColumn() = default;

TKStringGrid* TKGridColumn::Grid() const {
  return &collection_->Grid();
}

int TKGridColumn::Index() const {
  const auto& items = collection_->items_;
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].get() == this) return static_cast<int>(i);
  return -1;
}

void TKGridColumn::SetIndex(int index) {
  Grid()->CheckNotSorting();
  int current = Index();
  if (index < 0 || index >= collection_->Count() || index == current) return;
  collection_->Move(current, index);
  SetGridIndex(index);
}

std::string TKGridColumn::DisplayName() const {
  return caption_.empty() ? "TKGridColumn" : caption_;
}

void TKGridColumn::Repaint() const {
  Grid()->Invalidate();
}

void TKGridColumn::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Repaint();
}

void TKGridColumn::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Repaint();
}

void TKGridColumn::FontChanged() {
  parentFont_ = false;
  Repaint();
}

void TKGridColumn::HeaderFontChanged() {
  parentHeaderFont_ = false;
  Repaint();
}

void TKGridColumn::SetFont(const TFont& font) {
  font_.Assign(font);
  parentFont_ = false;
  Repaint();
}

void TKGridColumn::SetHeaderFont(const TFont& font) {
  headerFont_.Assign(font);
  parentHeaderFont_ = false;
  Repaint();
}

void TKGridColumn::SetParentFont(bool parent) {
  if (parent) {
    font_.Assign(Grid()->Font());
    parentFont_ = true;
  } else {
    parentFont_ = false;
  }
}

void TKGridColumn::SetParentHeaderFont(bool parent) {
  if (parent) {
    headerFont_.Assign(Grid()->HeaderFont());
    parentHeaderFont_ = true;
  } else {
    parentHeaderFont_ = false;
  }
}

void TKGridColumn::SetHeaderColor(TColor color) {
  if (color == headerColor_) return;
  headerColor_ = color;
  Repaint();
}

void TKGridColumn::SetName(const std::string& name) {
  if (name == name_) return;
  TKGridColumn* other = collection_->FindColumn(name);
  if (other && other != this)
    throw EKGridColumnsError("Column name \"" + name + "\" already exists");
  name_ = name;
}

void TKGridColumn::SetSortOrder(TColumnSorting order) {
  if (order == sortOrder_) return;
  Grid()->CheckNotSorting();
  sortOrder_ = order;
  TKStringGrid& grid = *Grid();
  if (grid.AutoSort() && order != TColumnSorting::csNone) {
    GridHost* host = grid.Host();
    if (host) host->SetCursor(TCursorKind::HourGlass);
    try {
      grid.Sort();
    } catch (...) {
      if (host) host->SetCursor(TCursorKind::Default);
      throw;
    }
    if (host) host->SetCursor(TCursorKind::Default);
  } else {
    Repaint();
  }
}

void TKGridColumn::SetVisible(bool visible) {
  if (visible == visible_) return;
  Grid()->CheckNotSorting();
  visible_ = visible;
  TKStringGrid& grid = *Grid();
  grid.UpdateVisibleColumns();
  grid.ForgetColumn(nullptr);
  grid.ReselectCell(grid.Row());
}

void TKGridColumn::SetWidth(int width) {
  if (width == width_) return;
  width_ = width;
  TKStringGrid& grid = *Grid();
  if (visible_ && !grid.LoadingLayout() && gridIndex_ >= 0 && gridIndex_ < grid.ColCount())
    grid.SetColWidth(gridIndex_, width);
}

void TKGridColumn::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  Repaint();
}

void TKGridColumn::SetGridIndex(int index) {
  if (index == gridIndex_) return;
  if (index < 0) throw EKGridError("Wrong column index");
  TKStringGrid& grid = *Grid();
  grid.CheckNotSorting();
  if (grid.LoadingLayout()) {
    gridIndex_ = index;
    return;
  }
  gridIndex_ = index;
  // Move within the visible columns to the new position.
  auto& list = grid.visibleColumns_;
  int from = list.IndexOf(this);
  if (from >= 0) {
    int to = std::min(index, list.Count() - 1);
    list.Move(from, to);
    list.Renumber();
  }
  grid.UpdateColumns();
}

const TKGridColumn::Entry& TKGridColumn::EntryAt(int row) const {
  return cells_[collection_->Grid().StoredRow(row)];
}

TKGridColumn::Entry& TKGridColumn::EntryAt(int row) {
  return cells_[collection_->Grid().StoredRow(row)];
}

void TKGridColumn::SetCells(int row, std::string text) {
  bool multiLine = HasLineBreak(text);
  Entry& entry = EntryAt(row);
  entry.text = NormalizeCellText(std::move(text));
  // A handler that writes cells in the middle of a sort: what the sort kept of this one is stale.
  if (row < static_cast<int>(sortCache_.keys.size())) sortCache_.keys[row] = KeyOf(entry.text);
  if (multiLine) SetCellFlags(row, CellFlags(row) | MultiLineFlag);
  TKStringGrid& grid = *Grid();
  grid.InvalidateCell(grid.Col(), grid.Row());
}

void TKGridColumn::SetCellFlags(int row, std::uint32_t flags) {
  Entry& entry = EntryAt(row);
  if (flags == (entry.attributes & 7u)) return;
  if (HasLineBreak(entry.text)) flags |= MultiLineFlag;
  entry.attributes = flags;
  TKStringGrid& grid = *Grid();
  if (gridIndex_ >= 0 && gridIndex_ < grid.VisibleColumns().Count())
    grid.InvalidateCell(gridIndex_, row + 1);
}

std::string TKGridColumn::StoredCell(int row) const {
  return TextToStored(EntryAt(row).text);
}

std::int64_t TKGridColumn::ReadCellNumber(int row, NumberReader reader) const {
  SortCache& cache = sortCache_;
  if (cache.keys.empty()) return reader(Cells(row));
  if (cache.reader != reader) {
    for (SortKey& key : cache.keys) key.numberKnown = false;
    cache.reader = reader;
  }
  SortKey& key = cache.keys[row];
  if (!key.numberKnown) {
    key.number = reader(EntryAt(row).text);
    key.numberKnown = true;
  }
  return key.number;
}

TKGridColumn::SortKey TKGridColumn::KeyOf(const std::string& text) {
  SortKey key;
  key.prefix = SortPrefix(text);
  key.prefix2 = SortPrefix(text, 8);
  key.shortLength = static_cast<std::uint8_t>(std::min<size_t>(text.size(), 17));
  return key;
}

void TKGridColumn::PrepareSort() const {
  int rows = collection_->Grid().RowCount();
  sortCache_.reader = nullptr;
  sortCache_.keys.resize(rows);
  for (int row = 0; row < rows; ++row) sortCache_.keys[row] = KeyOf(EntryAt(row).text);
}

void TKGridColumn::SwapSortKeys(int a, int b) const {
  if (!sortCache_.keys.empty()) std::swap(sortCache_.keys[a], sortCache_.keys[b]);
}

void TKGridColumn::EndSort() const {
  sortCache_ = SortCache{};
}

int TKGridColumn::CompareFullTexts(int a, int b) const {
  return CompareIgnoringAsciiCase(EntryAt(a).text, EntryAt(b).text);
}

// ---- TKGridColumnList

int TKGridColumnList::IndexOf(const TKGridColumn* column) const {
  auto it = std::find(items_.begin(), items_.end(), column);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TKGridColumnList::Remove(const TKGridColumn* column) {
  std::erase(items_, const_cast<TKGridColumn*>(column));
}

void TKGridColumnList::Move(int from, int to) {
  if (from == to || from < 0 || to < 0 || from >= Count() || to >= Count()) return;
  TKGridColumn* column = items_[from];
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, column);
}

void TKGridColumnList::Place(TKGridColumn* column) {
  if (column->gridIndex_ == -1) column->gridIndex_ = Count();
  auto it = std::find_if(items_.begin(), items_.end(), [&](const TKGridColumn* entry) {
    return entry->GridIndex() > column->GridIndex();
  });
  items_.insert(it, column);
}

void TKGridColumnList::Renumber() {
  for (size_t i = 0; i < items_.size(); ++i) items_[i]->gridIndex_ = static_cast<int>(i);
}

// ---- TKGridColumns

TKGridColumns::~TKGridColumns() = default;

TKGridColumn& TKGridColumns::AddColumn() {
  grid_->CheckNotSorting();
  items_.push_back(std::make_unique<TKGridColumn>(*this));
  TKGridColumn& column = *items_.back();
  auto& visible = grid_->visibleColumns_;
  visible.Place(&column);
  if (column.GridIndex() == 0) grid_->ActiveColChanged(nullptr, &column);
  grid_->UpdateColumns();
  grid_->UpdateFixedCols(visible.Count());
  return column;
}

TKGridColumn* TKGridColumns::FindColumn(std::string_view name) const {
  for (const auto& column : items_)
    if (SameNameIgnoringCase(column->Name(), name)) return column.get();
  return nullptr;
}

void TKGridColumns::Delete(int index) {
  grid_->CheckNotSorting();
  if (index < 0 || index >= Count()) return;
  std::unique_ptr<TKGridColumn> column = std::move(items_[index]);
  items_.erase(items_.begin() + index);
  grid_->ForgetColumn(column.get());
  grid_->UpdateVisibleColumns();
  grid_->ReselectCell(grid_->Row());
}

void TKGridColumns::Clear() {
  grid_->CheckNotSorting();
  while (Count() > 0) Delete(Count() - 1);
}

void TKGridColumns::Move(int from, int to) {
  std::unique_ptr<TKGridColumn> column = std::move(items_[from]);
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, std::move(column));
}

void TKGridColumns::DropSortCaches() {
  for (auto& column : items_) column->EndSort();
}

void TKGridColumns::ClearRows() {
  grid_->CheckNotSorting();
  for (auto& column : items_) column->cells_.clear();
  rowStore_.clear();
  freeStores_.clear();
  storeSize_ = 0;
}

int TKGridColumns::TakeStore() {
  if (!freeStores_.empty()) {
    int store = freeStores_.back();
    freeStores_.pop_back();
    return store;
  }
  for (auto& column : items_) column->cells_.emplace_back();
  return storeSize_++;
}

void TKGridColumns::InsertRowCells(int row) {
  grid_->CheckNotSorting();
  rowStore_.insert(rowStore_.begin() + row, TakeStore());
}

void TKGridColumns::AppendRows(int count) {
  grid_->CheckNotSorting();
  int reused = std::min<int>(count, static_cast<int>(freeStores_.size()));
  for (int i = 0; i < reused; ++i) rowStore_.push_back(TakeStore());
  int fresh = count - reused;
  for (auto& column : items_) column->cells_.resize(storeSize_ + fresh);
  for (int i = 0; i < fresh; ++i) rowStore_.push_back(storeSize_ + i);
  storeSize_ += fresh;
}

int TKGridColumns::ReplaceRows(const CellTable& source, const TKGridColumnList& displayColumns) {
  return ReplaceRowsWith(source.RowCount(), source.ColumnCount(), displayColumns,
                         [&](int column, int row) { return source.Cell(column, row); });
}

int TKGridColumns::TakeRows(CellTable& source, const TKGridColumnList& displayColumns) {
  return ReplaceRowsWith(source.RowCount(), source.ColumnCount(), displayColumns,
                         [&](int column, int row) { return source.TakeCell(column, row); });
}

template <typename Read>
int TKGridColumns::ReplaceRowsWith(int sourceRows, int sourceColumns,
                                   const TKGridColumnList& displayColumns, Read read) {
  grid_->CheckNotSorting();
  const int rows = std::max(sourceRows, 0);
  const int shared = std::min(sourceColumns, displayColumns.Count());

  // Built aside, one store per column in collection order, in row order.
  std::vector<std::vector<TKGridColumn::Entry>> cells(items_.size());
  for (auto& store : cells) store.resize(rows);
  std::vector<int> rowStore(rows);
  std::iota(rowStore.begin(), rowStore.end(), 0);
  for (int display = 0; display < shared; ++display) {
    std::vector<TKGridColumn::Entry>& store = cells[displayColumns[display]->Index()];
    for (int row = 0; row < rows; ++row) {
      std::string text = read(display, row);
      TKGridColumn::Entry& entry = store[row];
      // As SetCells stores a text; most have no line break and are kept as they are.
      if (HasLineBreak(text)) {
        entry.attributes = MultiLineFlag;
        entry.text = NormalizeCellText(std::move(text));
      } else {
        entry.text = std::move(text);
      }
    }
  }

  // Nothing below throws. No sort runs, so there are no sort caches to drop.
  for (size_t i = 0; i < items_.size(); ++i) items_[i]->cells_.swap(cells[i]);
  rowStore_.swap(rowStore);
  freeStores_ = std::vector<int>();
  storeSize_ = rows;
  return rows;
}

void TKGridColumns::DeleteRowCells(int row) {
  DeleteRowRange(row, 1);
}

void TKGridColumns::DeleteRowRange(int first, int count) {
  grid_->CheckNotSorting();
  for (int row = first; row < first + count; ++row) {
    int store = rowStore_[row];
    // Free the texts now; the slot is used again by the next new row.
    for (auto& column : items_) column->cells_[store] = TKGridColumn::Entry{};
    freeStores_.push_back(store);
  }
  rowStore_.erase(rowStore_.begin() + first, rowStore_.begin() + first + count);
  CompactIfSparse();
}

void TKGridColumns::CompactIfSparse() {
  if (freeStores_.size() < 1024 || freeStores_.size() < rowStore_.size()) return;
  for (auto& column : items_) {
    std::vector<TKGridColumn::Entry> compact;
    compact.reserve(rowStore_.size());
    for (int store : rowStore_) compact.push_back(std::move(column->cells_[store]));
    column->cells_ = std::move(compact);
  }
  for (size_t row = 0; row < rowStore_.size(); ++row) rowStore_[row] = static_cast<int>(row);
  storeSize_ = static_cast<int>(rowStore_.size());
  freeStores_.clear();
}

}  // namespace velloran
