#include <cstdio>

#include "app/CacheFile.h"
#include "app/ListBounds.h"
#include "app/PageScraper.h"
#include "framework/Exception.h"
#include "app/ServerGrid.h"
#include "tools/velloran-tool/Commands.h"

namespace velloran::tool {

int Scrape(const Arguments& arguments) {
  if (arguments.size() != 2) {
    std::fprintf(stderr, "usage: velloran-tool scrape PAGE FILE\n");
    return 2;
  }
  // A grid like the main window's, so that the tool reads and writes what the program does.
  TKStringGrid grid;
  SetUpServerGrid(grid);
  try {
    ScrapeServerList(ReadListBytes(arguments[0]), grid);
    SaveGridFile(grid, arguments[1]);
  } catch (const Exception& error) {
    PrintListError(error.what());
    return 1;
  }
  std::printf("%d\n", grid.RowCount());
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "velloran-tool: standard output could not be written\n");
    return 1;
  }
  return 0;
}

}  // namespace velloran::tool
