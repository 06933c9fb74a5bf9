// Any bytes as a list file that a user loads, handed over in blocks of a size
// the input's first byte picks (a file may come in any blocks).
// - The kind read is the one its first bytes tell.
// - A page gives the scraper's rows and holds the list's table; a cache file
//   the rows its loader gives for the same bytes.
// - A file that is no list fails with one of the program's own texts and
//   leaves the rows as they were (empty here). Any other exception escapes
//   and counts as a finding.

#include <cstdint>
#include <string>

#include "app/CacheFile.h"
#include "app/ListCheck.h"
#include "app/ListFile.h"
#include "app/PageScraper.h"
#include "framework/Exception.h"
#include "framework/TextFile.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/support/BlockSource.h"
#include "tests/support/CellRows.h"

namespace {

using namespace velloran;

// Small limits keep the inputs quick; the arithmetic is the same.
constexpr ListFileLimits FuzzLimits{.fileSize = 4096, .rows = 64, .spareEmptyRows = 1024};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t block = data[0] % 80 + 1;
  const std::string_view bytes = fuzz::BytesOf(data + 1, size - 1);
  const ListFileKind told = KindOfListFile(bytes.substr(0, KindSampleSize));

  test::BlockSource source(bytes, block);
  ListRows rows(7);
  try {
    const ListFileKind kind = ReadListFile(source, bytes.size(), rows, FuzzLimits);
    VELLORAN_FUZZ_CHECK(kind == told);
    ListRows expected(7);
    if (kind == ListFileKind::Page) {
      VELLORAN_FUZZ_CHECK(HoldsServerTable(bytes));
      ScrapeServerList(bytes, expected);
    } else {
      MemorySource whole(bytes);
      ReadGridText(expected, whole, bytes.size(), FuzzLimits.spareEmptyRows);
    }
    VELLORAN_FUZZ_CHECK(test::RowsOf(rows) == test::RowsOf(expected));
  } catch (const Exception& error) {
    const std::string text = error.what();
    if (text == ListFileTooLargeText(FuzzLimits.fileSize)) {
      VELLORAN_FUZZ_CHECK(bytes.size() > FuzzLimits.fileSize);
    } else if (text == TooManyServersText(FuzzLimits.rows)) {
      // Without the bound the file gives more rows than it allows.
      ListRows unbounded(7);
      if (told == ListFileKind::Page) {
        ScrapeServerList(bytes, unbounded, MaxListRows);
      } else {
        MemorySource whole(bytes);
        ReadGridText(unbounded, whole, bytes.size(), FuzzLimits.spareEmptyRows);
      }
      VELLORAN_FUZZ_CHECK(unbounded.RowCount() > FuzzLimits.rows);
      return 0;
    } else if (told == ListFileKind::Page) {
      VELLORAN_FUZZ_CHECK(text == NoServerListInFileText);
    } else {
      VELLORAN_FUZZ_CHECK(text == InvalidNumericInputText);
    }
    VELLORAN_FUZZ_CHECK(rows.RowCount() == 0);
  }
  return 0;
}
