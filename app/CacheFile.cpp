#include "app/CacheFile.h"

#include <algorithm>
#include <cstdint>

#include "framework/Exception.h"
#include "framework/FileAccess.h"
#include "framework/TextFile.h"

namespace velloran {

namespace {

// A row with any text in it needs at least one byte of the file, so a count
// beyond the bytes left after it is no list the file holds. Rows of pure
// padding are tolerated up to this many, so that small hand-made files which
// promise a few rows more than they hold still load.
constexpr std::int64_t SpareEmptyRows = 1024;

}  // namespace

void SaveGridFile(const CellTable& grid, const std::string& path) {
  OutputFile file(path);
  TextWriter writer(file);
  const int columns = grid.ColumnCount();
  const int rows = grid.RowCount();
  writer.WriteLine(std::to_string(columns));
  writer.WriteLine(std::to_string(rows));
  for (int column = 0; column < columns; ++column)
    for (int row = 0; row < rows; ++row) writer.WriteLine(grid.Cell(column, row));
  writer.Flush();
  file.Commit();
}

void LoadGridFile(CellTable& grid, const std::string& path) {
  InputFile file(path);
  TextReader reader(file);
  reader.ReadInteger();  // the file's column count: the grid's own columns are filled
  reader.SkipLine();
  const std::int32_t rows = reader.ReadInteger();
  reader.SkipLine();

  const std::int64_t left =
      static_cast<std::int64_t>(file.Size()) - static_cast<std::int64_t>(reader.Position());
  if (rows < 0 || rows > std::max<std::int64_t>(left, 0) + SpareEmptyRows)
    throw EInOutError(InvalidNumericInputText);

  grid.SetRowCount(rows);
  const int columns = grid.ColumnCount();
  std::string text;
  for (int column = 0; column < columns; ++column) {
    for (int row = 0; row < rows; ++row) {
      reader.ReadLine(text);
      grid.SetCell(column, row, text);
    }
  }
}

std::string ExeFolderOf(std::string_view exePath) {
  for (std::size_t i = exePath.size(); i >= 2; --i) {
    if (exePath[i - 2] == '\\') return std::string(exePath.substr(0, i - 1));
  }
  return {};
}

std::string ExeFolder() {
  return ExeFolderOf(ExecutablePath());
}

FileStamp TwoSecondStamp(FileStamp stamp) {
  stamp.second -= stamp.second % 2;
  return stamp;
}

std::string StampText(const FileStamp& stamp, std::string_view date, std::string_view time) {
  std::string text(date);
  if (stamp.hour != 0 || stamp.minute != 0 || stamp.second != 0) {
    text += ' ';
    text += time;
  }
  return text;
}

}  // namespace velloran
