#pragma once
// A server list from a file that a user saved or was sent: a list page as the
// list site serves it, or a cache file as the program writes it. The name
// says nothing reliable (pages are saved as anything), so the content tells
// the kind: a cache file starts with its column count, and no page starts
// with a number.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/CacheFile.h"
#include "framework/TextFile.h"
#include "grid/CellTable.h"

namespace velloran {

enum class ListFileKind { CacheFile, Page };

// The bytes at the file's start that tell its kind: enough for a number word
// (32 characters at most) and the blanks around it.
inline constexpr std::size_t KindSampleSize = 64;

inline constexpr const char* NoServerListInFileText =
    "The file holds no server list; the old list was kept";

// A cache file when the first line of Start (the file's first bytes, up to
// its line end: CR, LF or Ctrl+Z) is one number as the cache file's loader
// reads numbers, with blanks or tabs around it; anything else is a page.
ListFileKind KindOfListFile(std::string_view start);

struct ListFileLimits {
  // The file's bytes, of either kind (app/ListBounds.h).
  std::uint64_t fileSize = MaxListBytes;
  int rows = MaxListRows;
  // As the cache file's loader allows them (app/CacheFile.h).
  int spareEmptyRows = SpareEmptyRows;
};

// Reads the list file in Source (Size bytes, as the file system reports it)
// into Rows, an empty table with the server grid's columns:
// - a cache file by the cache file's rules (its errors, "Invalid numeric
//   input" among them, pass on);
// - a page by the scraper, when it holds the list's table; one without it
//   raises NoServerListInFileText before Rows changes.
// A file of either kind larger than the limit raises EListTooLarge
// (ListFileTooLargeText) before Rows changes, one of more rows than the limit
// EListTooLarge (TooManyServersText), Rows then holding part of the list.
// Returns the kind it read.
ListFileKind ReadListFile(ByteSource& source, std::uint64_t size, CellTable& rows,
                          const ListFileLimits& limits = {});

// Cells in memory with a given number of columns: where a list is read
// before it may replace the one in the grid.
class ListRows : public CellTable {
 public:
  explicit ListRows(int columns);
  int ColumnCount() const override { return static_cast<int>(columns_.size()); }
  int RowCount() const override { return rows_; }
  void SetRowCount(int rows) override;
  std::string Cell(int column, int row) const override;
  void SetCell(int column, int row, const std::string& text) override;
  // Hands the text over: the cell is empty afterwards.
  std::string TakeCell(int column, int row) override;
  void Clear() override { SetRowCount(0); }

 private:
  std::vector<std::vector<std::string>> columns_;
  int rows_ = 0;
};

// Replaces the rows of Into with those of From, column by column as far as
// both have columns.
void CopyRows(const CellTable& from, CellTable& into);

}  // namespace velloran
