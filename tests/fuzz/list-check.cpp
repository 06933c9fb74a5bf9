// Whether a page holds the server table, over any bytes, against the
// scraper's own reading: a cell text added after the page lands in the grid
// exactly when the page opened the table. The page's "P" bytes become "p"
// first, so that no privacy-policy text closes the table again, and a "<"
// ends its last text for both readers. Without that change the one-way rule
// holds: a page that yields rows holds the table.

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/ListCheck.h"
#include "app/PageScraper.h"
#include "tests/support/MemoryCellTable.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  const std::string page(reinterpret_cast<const char*>(data), size);

  MemoryCellTable asIs;
  ScrapeServerList(page, asIs);
  if (asIs.RowCount() > 0) VELLORAN_FUZZ_CHECK(HoldsServerTable(page));

  std::string open = page;
  for (char& c : open)
    if (c == 'P') c = 'p';
  open += '<';
  MemoryCellTable extended;
  ScrapeServerList(open + ">cell<", extended);
  VELLORAN_FUZZ_CHECK(HoldsServerTable(open) == (extended.RowCount() > 0));
  return 0;
}
