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
  return std::max<std::int64_t>(bytesLeft, 0) / (2 * std::int64_t{std::max(columns, 1)});
}

// Whether Rows is a count the rest of the file (after the counts) can back.
bool RowCountFits(std::int32_t rows, const TextReader& reader, std::uint64_t size, int columns,
                  int spareEmptyRows) {
  const std::int64_t left =
      static_cast<std::int64_t>(size) - static_cast<std::int64_t>(reader.Position());
  return rows >= 0 && rows <= RowsTheFileCanHold(left, columns) + spareEmptyRows;
}

// No larger a buffer than the file needs: most lists are far below a block.
std::size_t ReadBufferFor(std::uint64_t size) {
  return static_cast<std::size_t>(std::min<std::uint64_t>(size + 1, ReadBlock));
}

// Reads the rest of the current line into Text; false when the file ends
// before the line does.
bool ReadWholeLine(TextReader& reader, std::string& text) {
  const std::uint64_t start = reader.Position();
  reader.ReadLine(text);
  return reader.Position() > start + text.size();
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

void ReadGridText(CellTable& grid, ByteSource& source, std::uint64_t size, int spareEmptyRows,
                  int maxRows) {
  TextReader reader(source, ReadBufferFor(size));
  reader.ReadInteger();  // the file's column count: the grid's own columns are filled
  reader.SkipLine();
  const std::int32_t rows = reader.ReadInteger();
  reader.SkipLine();

  const int columns = grid.ColumnCount();
  if (!RowCountFits(rows, reader, size, columns, spareEmptyRows))
    throw EInOutError(InvalidNumericInputText);
  if (rows > maxRows) throw EListTooLarge(TooManyServersText(maxRows));

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
  const std::uint64_t size = file.Size();
  if (size > MaxListBytes) throw EListTooLarge(ListFileTooLargeText());
  BoundedSource bounded(file, MaxListBytes);
  ReadGridText(grid, bounded, size);
}

bool CacheTextComplete(ByteSource& source, std::uint64_t size) {
  TextReader reader(source, ReadBufferFor(size));
  std::string text;
  std::int32_t columns = 0;
  std::int32_t rows = 0;
  try {
    columns = reader.ReadInteger();
    if (columns < 0 || !ReadWholeLine(reader, text)) return false;
    rows = reader.ReadInteger();
    if (!ReadWholeLine(reader, text)) return false;
  } catch (const EInOutError& error) {
    // A count that is no number; a source that can't be read is the caller's error.
    if (error.Message() != InvalidNumericInputText) throw;
    return false;
  }
  if (!RowCountFits(rows, reader, size, columns, SpareEmptyRows)) return false;
  // Each line takes at least its line end: the loop ends with the file.
  const std::uint64_t cells =
      static_cast<std::uint64_t>(columns) * static_cast<std::uint64_t>(rows);
  for (std::uint64_t cell = 0; cell < cells; ++cell)
    if (!ReadWholeLine(reader, text)) return false;
  return true;
}

bool RecoverUnplacedCache(const std::string& path) {
  const std::string newPath = path + ".new";
  if (!PathMissing(path) || PathMissing(newPath)) return false;
  {
    // Closed again before the move, which Windows refuses for an open file.
    InputFile file(newPath);
    if (!CacheTextComplete(file, file.Size())) return false;
  }
  try {
    MoveFileReplacing(newPath, path);
  } catch (const EInOutError& error) {
    throw EInOutError(error.Message() +
                      "; the list saved last could not be put in place and stays in " + newPath);
  }
  return true;
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
