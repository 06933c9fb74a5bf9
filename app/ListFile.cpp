#include "app/ListFile.h"

#include <algorithm>
#include <utility>

#include "app/ListCheck.h"
#include "app/PageScraper.h"
#include "framework/Exception.h"

namespace velloran {
namespace {

constexpr char EndOfFileByte = '\x1A';

bool IsLineBlank(char c) {
  return c == ' ' || c == '\t';
}

// The bytes already read, then the rest of the source: the kind's sample must
// not be lost to the reader that follows.
class ResumedSource : public ByteSource {
 public:
  ResumedSource(std::string_view start, ByteSource& rest) : start_(start), rest_(rest) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    if (start_.empty()) return rest_.Read(buffer, size);
    const std::size_t count = std::min(size, start_.size());
    std::copy_n(start_.data(), count, buffer);
    start_.remove_prefix(count);
    return count;
  }

 private:
  std::string_view start_;
  ByteSource& rest_;
};

// Up to Size bytes more of Source onto Bytes; fewer only at its end.
void ReadUpTo(ByteSource& source, std::string& bytes, std::uint64_t size) {
  constexpr std::size_t Block = 64 * 1024;
  while (size > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, Block));
    const std::size_t at = bytes.size();
    bytes.resize(at + want);
    const std::size_t got = source.Read(bytes.data() + at, want);
    bytes.resize(at + got);
    if (got == 0) return;
    size -= got;
  }
}

}  // namespace

ListFileKind KindOfListFile(std::string_view start) {
  start = start.substr(0, std::min(start.find_first_of("\r\n\x1A"), start.size()));
  std::size_t at = 0;
  while (at < start.size() && IsLineBlank(start[at])) ++at;
  std::size_t end = at;
  while (end < start.size() && static_cast<unsigned char>(start[end]) > 0x20) ++end;
  std::int32_t value = 0;
  if (end == at || !ParseIntegerWord(start.substr(at, end - at), value)) return ListFileKind::Page;
  for (std::size_t i = end; i < start.size(); ++i)
    if (!IsLineBlank(start[i])) return ListFileKind::Page;
  return ListFileKind::CacheFile;
}

ListFileKind ReadListFile(ByteSource& source, std::uint64_t size, CellTable& rows,
                          const ListFileLimits& limits) {
  const std::uint64_t limit = limits.fileSize;
  if (size > limit) throw EListTooLarge(ListFileTooLargeText(limit));
  // Whatever size the file system reported: the file may grow while it is read.
  BoundedSource bounded(source, limit);
  std::string bytes;
  ReadUpTo(bounded, bytes, KindSampleSize);
  if (KindOfListFile(bytes) == ListFileKind::CacheFile) {
    ResumedSource whole(bytes, bounded);
    ReadGridText(rows, whole, std::max<std::uint64_t>(size, bytes.size()), limits.spareEmptyRows,
                 limits.rows);
    return ListFileKind::CacheFile;
  }
  ReadUpTo(bounded, bytes, limit + 1 - std::min<std::uint64_t>(bytes.size(), limit + 1));
  if (!HoldsServerTable(bytes)) throw Exception(NoServerListInFileText);
  ScrapeServerList(bytes, rows, limits.rows);
  return ListFileKind::Page;
}

ListRows::ListRows(int columns) : columns_(static_cast<std::size_t>(std::max(columns, 0))) {}

void ListRows::SetRowCount(int rows) {
  if (rows < 0) throw EKGridError("Wrong row index");
  for (auto& column : columns_) column.resize(static_cast<std::size_t>(rows));
  rows_ = rows;
}

std::string ListRows::Cell(int column, int row) const {
  if (column < 0 || column >= ColumnCount()) throw EKGridError("Wrong column index");
  if (row < 0 || row >= rows_) throw EKGridError("Wrong row index");
  return columns_[column][row];
}

void ListRows::SetCell(int column, int row, const std::string& text) {
  if (column < 0 || column >= ColumnCount()) throw EKGridError("Wrong column index");
  if (row < 0 || row >= rows_) throw EKGridError("Wrong row index");
  columns_[column][row] = text;
}

std::string ListRows::TakeCell(int column, int row) {
  if (column < 0 || column >= ColumnCount()) throw EKGridError("Wrong column index");
  if (row < 0 || row >= rows_) throw EKGridError("Wrong row index");
  return std::exchange(columns_[column][row], std::string());
}

void CopyRows(const CellTable& from, CellTable& into) {
  into.Clear();
  into.SetRowCount(from.RowCount());
  const int columns = std::min(from.ColumnCount(), into.ColumnCount());
  for (int column = 0; column < columns; ++column)
    for (int row = 0; row < from.RowCount(); ++row)
      into.SetCell(column, row, from.Cell(column, row));
}

}  // namespace velloran
