// Whether a page holds the server table, over any bytes, against the
// scraper's own reading: a cell text added after the page lands in the grid
// exactly when the page opened the table. The scraper's word on where the
// page left the table agrees with both. The page's "P" bytes become "p"
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
  const ServerTableState state = ScrapeServerList(page, asIs);
  if (asIs.RowCount() > 0) VELLORAN_FUZZ_CHECK(HoldsServerTable(page));
  // The scraper's own word on the table agrees with the check.
  VELLORAN_FUZZ_CHECK((state != ServerTableState::None) == HoldsServerTable(page));
  // A table that is still open takes a cell added after the page.
  if (state == ServerTableState::Unfinished && !page.empty() && page.back() == '<') {
    MemoryCellTable more;
    ScrapeServerList(page + ">cell<", more);
    VELLORAN_FUZZ_CHECK(more.RowCount() > 0);
  }

  std::string open = page;
  for (char& c : open)
    if (c == 'P') c = 'p';
  open += '<';
  MemoryCellTable extended;
  ScrapeServerList(open + ">cell<", extended);
  VELLORAN_FUZZ_CHECK(HoldsServerTable(open) == (extended.RowCount() > 0));
  return 0;
}
