#include <cstdio>
#include <string>

#include "app/CacheFile.h"
#include "framework/Exception.h"
#include "app/ServerGrid.h"
#include "tools/velloran-tool/Commands.h"

namespace velloran::tool {

int Dump(const Arguments& arguments) {
  if (arguments.size() != 1) {
    std::fprintf(stderr, "usage: velloran-tool dump FILE\n");
    return 2;
  }
  // A grid like the main window's, so that the tool reads and writes what the program does.
  TKStringGrid grid;
  SetUpServerGrid(grid);
  try {
    LoadGridFile(grid, arguments[0]);
  } catch (const Exception& error) {
    PrintListError(error.what());
    return 1;
  }
  std::string line;
  for (int row = 0; row < grid.RowCount(); ++row) {
    line.clear();
    for (int column = 0; column < grid.ColumnCount(); ++column) {
      if (column > 0) line += '\t';
      line += grid.Cell(column, row);
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "velloran-tool: standard output could not be written\n");
    return 1;
  }
  return 0;
}

}  // namespace velloran::tool
