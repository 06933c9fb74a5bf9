// Page bytes into a fresh grid set up as the main window's.
// - The rows are those of the scraper's rules read one byte after the other,
//   seven cells each.
// - Every stored cell holds text, with no blank or control byte; each stored
//   text is in a cell of its own, and a row's texts fill it from the left.
// - The row count is the stored texts divided by 7, rounded up, when the table
//   started once; a second start (a "Gigabytes" after "PrivacyPolicy") begins
//   a new row, so then there are more.
// - The cache file written from the result reads back to the same cells.

#include <cstdint>
#include <string>

#include "app/PageScraper.h"
#include "app/ServerGrid.h"
#include "grid/kstrgrid.h"
#include "tests/fuzz/CacheRoundTrip.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/support/ByteByByteScrape.h"
#include "tests/support/CellRows.h"

namespace velloran {
namespace {

// Passes everything on to Grid, and checks and counts the texts stored.
class StoredTexts : public CellTable {
 public:
  explicit StoredTexts(CellTable& grid) : grid_(grid) {}
  int ColumnCount() const override { return grid_.ColumnCount(); }
  int RowCount() const override { return grid_.RowCount(); }
  void SetRowCount(int rows) override { grid_.SetRowCount(rows); }
  std::string Cell(int column, int row) const override { return grid_.Cell(column, row); }
  void SetCell(int column, int row, const std::string& text) override {
    VELLORAN_FUZZ_CHECK(!text.empty());
    for (char c : text) VELLORAN_FUZZ_CHECK(static_cast<unsigned char>(c) > 0x20);
    grid_.SetCell(column, row, text);
    ++count;
  }
  void Clear() override {
    grid_.Clear();
    count = 0;
  }
  long count = 0;

 private:
  CellTable& grid_;
};

}  // namespace
}  // namespace velloran

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  const std::string_view page = fuzz::BytesOf(data, size);

  TKStringGrid grid;
  SetUpServerGrid(grid);
  StoredTexts stored(grid);
  ScrapeServerList(page, stored);
  const test::Rows rows = test::RowsOf(grid);
  int tableStarts = 0;
  VELLORAN_FUZZ_CHECK(rows == test::ByteByByteScrape(page, &tableStarts));
  long cells = 0;
  for (const auto& row : rows) {
    VELLORAN_FUZZ_CHECK(row.size() == 7);
    std::size_t filled = 0;
    while (filled < row.size() && !row[filled].empty()) ++filled;
    for (std::size_t i = filled; i < row.size(); ++i) VELLORAN_FUZZ_CHECK(row[i].empty());
    VELLORAN_FUZZ_CHECK(filled > 0);
    cells += static_cast<long>(filled);
  }
  VELLORAN_FUZZ_CHECK(cells == stored.count);
  const long rowsOfOneRun = (stored.count + 6) / 7;
  if (tableStarts <= 1)
    VELLORAN_FUZZ_CHECK(grid.RowCount() == rowsOfOneRun);
  else
    VELLORAN_FUZZ_CHECK(grid.RowCount() >= rowsOfOneRun);

  fuzz::CheckCacheRoundTrip(grid);
  return 0;
}
