// velloran-tool sort COLUMN ORDER: rows of seven tab-separated cells from
// standard input, sorted in a grid like the main window's, as a click on the
// header of COLUMN sorts them, and printed in their new order.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "app/ServerGrid.h"
#include "tools/velloran-tool/Commands.h"

namespace velloran::tool {
namespace {

int Usage() {
  std::fprintf(stderr, "usage: velloran-tool sort COLUMN ORDER   (COLUMN 0-6, ORDER asc or dsc)\n");
  return 2;
}

std::vector<std::string> SplitLines(const std::string& input) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < input.size()) {
    size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    std::string line = input.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

}  // namespace

int Sort(const Arguments& arguments) {
  if (arguments.size() != 2) return Usage();
  const std::string& column = arguments[0];
  if (column.size() != 1 || column[0] < '0' || column[0] > '6') return Usage();
  TColumnSorting order;
  if (arguments[1] == "asc")
    order = TColumnSorting::csAsc;
  else if (arguments[1] == "dsc")
    order = TColumnSorting::csDsc;
  else
    return Usage();

  std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  std::vector<std::string> lines = SplitLines(input);

  TKStringGrid grid;
  SetUpServerGrid(grid);
  grid.SetRowCount(static_cast<int>(lines.size()));
  for (int row = 0; row < static_cast<int>(lines.size()); ++row) {
    const std::string& line = lines[row];
    size_t start = 0;
    // Cells past the seventh have no column to go to.
    for (int col = 0; col < 7 && start <= line.size(); ++col) {
      size_t end = line.find('\t', start);
      if (end == std::string::npos) end = line.size();
      grid.SetCells(col, row, line.substr(start, end - start));
      start = end + 1;
    }
  }
  grid.Columns()[column[0] - '0']->SetSortOrder(order);

  std::string output;
  for (int row = 0; row < grid.RowCount(); ++row) {
    for (int col = 0; col < 7; ++col) {
      if (col > 0) output += '\t';
      output += grid.Cells(col, row);
    }
    output += '\n';
  }
  std::fwrite(output.data(), 1, output.size(), stdout);
  return 0;
}

}  // namespace velloran::tool
