#include "app/ListFile.h"

#include <gtest/gtest.h>

#include <string>

#include "app/ListBounds.h"
#include "app/ServerGrid.h"
#include "framework/Exception.h"
#include "framework/TextFile.h"
#include "grid/kstrgrid.h"
#include "tests/support/BlockSource.h"
#include "tests/support/CellRows.h"

namespace velloran {
namespace {

using test::Rows;
using test::RowsOf;

TEST(KindOfListFile, ACacheFileStartsWithANumberLine) {
  struct Case {
    const char* name;
    std::string start;
    ListFileKind kind;
  } cases[] = {
      {"as the program writes it", "7\r\n2\r\nold one\r\n", ListFileKind::CacheFile},
      {"an empty list", "7\r\n0\r\n", ListFileKind::CacheFile},
      {"LF line ends", "7\n0\n", ListFileKind::CacheFile},
      {"number alone, no line end", "7", ListFileKind::CacheFile},
      {"blanks and tabs around", " \t7 \t\r\n", ListFileKind::CacheFile},
      {"another column count", "12\r\n", ListFileKind::CacheFile},
      {"signed", "-3\r\n", ListFileKind::CacheFile},
      {"hexadecimal", "$1F\r\n", ListFileKind::CacheFile},
      {"hexadecimal with 0x", "0x7\r\n", ListFileKind::CacheFile},
      {"ended by Ctrl+Z", "7\x1A<html>", ListFileKind::CacheFile},
      {"empty file", "", ListFileKind::Page},
      {"only a line end", "\r\n7\r\n", ListFileKind::Page},
      {"blanks only", "   ", ListFileKind::Page},
      {"a page", "<html><body><table>", ListFileKind::Page},
      {"a page after blanks", "  <html>7", ListFileKind::Page},
      {"text after the number", "7 servers\r\n", ListFileKind::Page},
      {"a number glued to a tag", "7<br>\r\n", ListFileKind::Page},
      {"a decimal point", "7.5\r\n", ListFileKind::Page},
      {"beyond 32 bits", "4294967296\r\n", ListFileKind::Page},
      {"two numbers", "7 0\r\n", ListFileKind::Page},
      {"a control byte after it", "7\x01\r\n", ListFileKind::Page},
      {"a byte order mark",
       "\xEF\xBB\xBF"
       "7\r\n",
       ListFileKind::Page},
  };
  for (const Case& c : cases) EXPECT_EQ(KindOfListFile(c.start), c.kind) << c.name;
}

const std::string Page =
    "<html><table><tr><th>Server</th><th>IP</th><th>Port</th><th>Network</th><th>Users</th>"
    "<th>Files</th><th>Gigabytes</th></tr>"
    "<tr><td>Alpha</td><td>127.0.0.1</td><td>8888</td><td>Net</td><td>10</td><td>100</td>"
    "<td>1</td></tr></table><a>Privacy Policy</a></html>";
const Rows PageRows = {{"Alpha", "127.0.0.1", "8888", "Net", "10", "100", "1"}};

// Long enough that its rows lie beyond the kind's sample.
std::string CacheOfTwo() {
  const std::string a(50, 'a');
  return "7\r\n2\r\n" + a +
         "\r\nb\r\n1.1.1.1\r\n2.2.2.2\r\n1\r\n2\r\nn\r\nm\r\n1\r\n2\r\n3\r\n4\r\n"
         "5\r\n6\r\n";
}
const Rows CacheRows = {{std::string(50, 'a'), "1.1.1.1", "1", "n", "1", "3", "5"},
                        {"b", "2.2.2.2", "2", "m", "2", "4", "6"}};

TEST(ReadListFile, ReadsPagesAndCacheFilesWhateverBlocksTheFileComesIn) {
  struct Case {
    const char* name;
    std::string bytes;
    ListFileKind kind;
    Rows rows;
  } cases[] = {
      {"page", Page, ListFileKind::Page, PageRows},
      {"cache file", CacheOfTwo(), ListFileKind::CacheFile, CacheRows},
      {"empty cached list", "7\r\n0\r\n", ListFileKind::CacheFile, {}},
      {"page with the table but no rows", "<th>Gigabytes</th></table>", ListFileKind::Page, {}},
  };
  for (const Case& c : cases) {
    for (std::size_t step : {std::size_t{1}, std::size_t{7}, c.bytes.size() + 1}) {
      SCOPED_TRACE(std::string(c.name) + ", blocks of " + std::to_string(step));
      test::BlockSource source(c.bytes, step);
      ListRows rows(7);
      EXPECT_EQ(ReadListFile(source, c.bytes.size(), rows), c.kind);
      EXPECT_EQ(RowsOf(rows), c.rows);
    }
  }
}

TEST(ReadListFile, AFileThatIsNoListLeavesTheRowsUntouched) {
  const std::string big = "<html>" + std::string(100, 'x') + "<th>Gigabytes</th>";
  struct Case {
    const char* name;
    std::string bytes;
    std::uint64_t reportedSize;
    std::string error;
  } cases[] = {
      {"empty file", "", 0, NoServerListInFileText},
      {"foreign page", "<html><h1>Down for maintenance</h1></html>", 42, NoServerListInFileText},
      {"text file", "servers:\r\nalpha\r\n", 17, NoServerListInFileText},
      {"page over the limit", big, big.size(), ListFileTooLargeText(64)},
      // The size the file system gave is not trusted: a file may grow.
      {"page over the limit, reported smaller", big, 10, ListFileTooLargeText(64)},
      {"cache file over the limit", "7\r\n0\r\n" + std::string(70, '\n'), 76,
       ListFileTooLargeText(64)},
      {"cache file over the limit, reported smaller", "7\r\n1\r\n" + std::string(70, 'x'), 6,
       ListFileTooLargeText(64)},
      {"cache file of more rows than the limit", "7\r\n3\r\n", 6, TooManyServersText(2)},
      {"cache file with letters for its rows", "7\r\nmany\r\nx\r\n", 12, InvalidNumericInputText},
      {"cache file promising more rows than it could hold", "7\r\n999999\r\n", 11,
       InvalidNumericInputText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemorySource source(c.bytes);
    ListRows rows(7);
    rows.SetRowCount(1);
    rows.SetCell(0, 0, "kept");
    try {
      ReadListFile(source, c.reportedSize, rows, {.fileSize = 64, .rows = 2});
      ADD_FAILURE() << "no error";
    } catch (const Exception& error) {
      EXPECT_EQ(error.what(), c.error);
    }
    EXPECT_EQ(rows.RowCount(), 1);
    EXPECT_EQ(rows.Cell(0, 0), "kept");
  }
  // Just at the limit a page still loads.
  const std::string page = Page + std::string(10, ' ');
  MemorySource source(page);
  ListRows rows(7);
  EXPECT_EQ(ReadListFile(source, page.size(), rows,
                         {.fileSize = page.size(), .rows = static_cast<int>(PageRows.size())}),
            ListFileKind::Page);
  EXPECT_EQ(RowsOf(rows), PageRows);
  // One row more than the limit is refused, naming it.
  MemorySource again(page);
  ListRows fewer(7);
  const int limit = static_cast<int>(PageRows.size()) - 1;
  try {
    ReadListFile(again, page.size(), fewer, {.rows = limit});
    ADD_FAILURE() << "no error";
  } catch (const EListTooLarge& error) {
    EXPECT_EQ(error.Message(), TooManyServersText(limit));
  }
}

TEST(ListRows, HoldsCellsAndCopiesIntoAnotherTable) {
  ListRows from(3);
  from.SetRowCount(2);
  from.SetCell(0, 0, "a");
  from.SetCell(2, 1, "f");
  EXPECT_THROW(from.SetCell(3, 0, "x"), EKGridError);
  EXPECT_THROW(from.Cell(0, 2), EKGridError);
  EXPECT_THROW(from.SetRowCount(-1), EKGridError);

  ListRows into(3);
  into.SetRowCount(5);
  into.SetCell(1, 4, "old");
  CopyRows(from, into);
  EXPECT_EQ(RowsOf(into), (Rows{{"a", "", ""}, {"", "", "f"}}));
  // Rows that come back after a shrink start empty.
  into.SetRowCount(5);
  EXPECT_EQ(into.Cell(1, 4), "");
}

// A list read aside goes into the grid by moving its texts, with the same
// cells as a copy gives.
TEST(ListRows, HandsItsTextsOverToTheGrid) {
  ListRows rows(7);
  rows.SetRowCount(3);
  rows.SetCell(0, 0, "A server name far too long for a short string");
  rows.SetCell(1, 1, "10.0.0.1");
  rows.SetCell(6, 2, "two\nlines");
  const ListRows copy = rows;
  TKStringGrid taken;
  SetUpServerGrid(taken);
  taken.TakeRows(rows);
  TKStringGrid copied;
  SetUpServerGrid(copied);
  copied.ReplaceRows(copy);
  EXPECT_EQ(RowsOf(taken), RowsOf(copied));
  EXPECT_EQ(taken.Cells(0, 0), "A server name far too long for a short string");
  EXPECT_EQ(rows.Cell(0, 0), "");
}

}  // namespace
}  // namespace velloran
