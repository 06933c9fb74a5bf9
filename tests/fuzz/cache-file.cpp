// Any bytes as the cache file, loaded into a grid set up as the main window's.
// - The load gives a grid, or fails with the program's own error for a bad
//   count ("Invalid numeric input"; bytes in memory have no file errors), and
//   then leaves the grid empty, without any of the file's rows. Any other
//   exception escapes and counts as a finding.
// - A grid that loaded, saved and loaded again has the same cells, and saving
//   it again gives the same bytes; the saved text is a whole cache file, and
//   without its last line end it is not.

#include <cstdint>
#include <string>

#include "app/CacheFile.h"
#include "app/ServerGrid.h"
#include "framework/Exception.h"
#include "framework/Streams.h"
#include "framework/TextFile.h"
#include "grid/kstrgrid.h"
#include "tests/fuzz/CacheRoundTrip.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzInput.h"

namespace {
constexpr int FuzzSpareEmptyRows = 1024;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  const std::string_view bytes = fuzz::BytesOf(data, size);

  TKStringGrid grid;
  SetUpServerGrid(grid);
  try {
    MemorySource source(bytes);
    // Fewer padding rows than the program allows keep the inputs quick; the
    // bound's arithmetic is the same.
    ReadGridText(grid, source, bytes.size(), FuzzSpareEmptyRows);
  } catch (const EInOutError& error) {
    VELLORAN_FUZZ_CHECK(std::string(error.what()) == InvalidNumericInputText);
    VELLORAN_FUZZ_CHECK(grid.RowCount() == 0);
    return 0;
  }

  fuzz::CheckCacheRoundTrip(grid);

  // What the program writes is a whole cache file, and cut by its last line
  // end it is not: a save cut off part-way must never be taken at start-up.
  std::string saved;
  StringSink sink(saved);
  WriteGridText(grid, sink);
  MemorySource whole(saved);
  VELLORAN_FUZZ_CHECK(CacheTextComplete(whole, saved.size()));
  const std::string_view cut = std::string_view(saved).substr(0, saved.size() - 2);
  MemorySource shorter(cut);
  VELLORAN_FUZZ_CHECK(!CacheTextComplete(shorter, cut.size()));
  return 0;
}
