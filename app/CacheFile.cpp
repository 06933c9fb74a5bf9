#include "app/CacheFile.h"

#include <algorithm>
#include <cstdint>

#include "framework/Exception.h"
#include "framework/FileAccess.h"
#include "framework/TextFile.h"

namespace velloran {

namespace {

constexpr std::uint64_t ReadBlock = 256 * 1024;

// Each row takes one line per column, and a line is at least its CR LF: a
// count beyond that is no list the file holds.
std::int64_t RowsTheFileCanHold(std::int64_t bytesLeft, int columns) {
  return std::max<std::int64_t>(bytesLeft, 0) / (2 * std::max(columns, 1));
}

void WriteCellLine(TextWriter& writer, const std::string& text) {
  if (text.find('\r') == std::string::npos) {
    writer.WriteLine(text);
    return;
  }
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      line += text[i];
    } else {
      line += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
  }
  writer.WriteLine(line);
}

}  // namespace

void WriteGridText(const CellTable& grid, ByteSink& sink) {
  TextWriter writer(sink);
  const int columns = grid.ColumnCount();
  const int rows = grid.RowCount();
  writer.WriteLine(std::to_string(columns));
  writer.WriteLine(std::to_string(rows));
  for (int column = 0; column < columns; ++column)
    for (int row = 0; row < rows; ++row) WriteCellLine(writer, grid.Cell(column, row));
  writer.Flush();
}

void SaveGridFile(const CellTable& grid, const std::string& path) {
  OutputFile file(path);
  WriteGridText(grid, file);
  file.Commit();
}

void ReadGridText(CellTable& grid, ByteSource& source, std::uint64_t size, int spareEmptyRows) {
  // No larger a buffer than the file needs: most lists are far below a block.
  TextReader reader(source, static_cast<std::size_t>(std::min<std::uint64_t>(size + 1, ReadBlock)));
  reader.ReadInteger();  // the file's column count: the grid's own columns are filled
  reader.SkipLine();
  const std::int32_t rows = reader.ReadInteger();
  reader.SkipLine();

  const int columns = grid.ColumnCount();
  const std::int64_t left =
      static_cast<std::int64_t>(size) - static_cast<std::int64_t>(reader.Position());
  if (rows < 0 || rows > RowsTheFileCanHold(left, columns) + spareEmptyRows)
    throw EInOutError(InvalidNumericInputText);

  // Rows added here start empty, so an empty text changes nothing in them:
  // a short file with a large count costs no more than its lines.
  const int rowsBefore = grid.RowCount();
  grid.SetRowCount(rows);
  std::string text;
  for (int column = 0; column < columns; ++column) {
    for (int row = 0; row < rows; ++row) {
      reader.ReadLine(text);
      if (!text.empty() || row < rowsBefore) grid.SetCell(column, row, text);
    }
  }
}

void LoadGridFile(CellTable& grid, const std::string& path) {
  InputFile file(path);
  ReadGridText(grid, file, file.Size());
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
