#pragma once
// The cache file's round trip, which the scraper and cache-file targets both check.

#include "app/CacheFile.h"
#include "app/ServerGrid.h"
#include "framework/TextFile.h"
#include "grid/kstrgrid.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/support/CellRows.h"

namespace velloran::fuzz {

// The file written from Grid loads into a grid set up as the main window's
// with the same cells, and that grid writes the same file again.
inline void CheckCacheRoundTrip(const CellTable& grid) {
  StringSink saved;
  WriteGridText(grid, saved);
  TKStringGrid loaded;
  SetUpServerGrid(loaded);
  MemorySource source(saved.bytes);
  ReadGridText(loaded, source, saved.bytes.size());
  VELLORAN_FUZZ_CHECK(test::RowsOf(loaded) == test::RowsOf(grid));
  StringSink savedAgain;
  WriteGridText(loaded, savedAgain);
  VELLORAN_FUZZ_CHECK(savedAgain.bytes == saved.bytes);
}

}  // namespace velloran::fuzz
