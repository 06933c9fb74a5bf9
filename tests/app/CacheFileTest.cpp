#include "app/CacheFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "app/ServerGrid.h"
#include "framework/Exception.h"
#include "framework/Streams.h"
#include "grid/kstrgrid.h"
#include "tests/support/BlockSource.h"
#include "tests/support/MemoryCellTable.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>

#include <csignal>
#endif

#include "tests/support/TempFiles.h"

#include "tests/support/CellRows.h"

namespace velloran {
namespace {

using test::Rows;
using test::RowsOf;

void Fill(CellTable& grid, const Rows& rows) {
  grid.SetRowCount(static_cast<int>(rows.size()));
  for (int row = 0; row < grid.RowCount(); ++row)
    for (int column = 0; column < grid.ColumnCount(); ++column)
      grid.SetCell(column, row, rows[row][column]);
}

using test::ErrorOf;
using test::FileBytes;
using test::TempFolder;
using test::WriteBytes;

const Rows TwoServers = {
    {"Nap\xE9Hub", "10.0.0.1", "8888", "OpenNapNet", "120", "45000", "310"},
    {"", "10.0.0.2", "7777", "", "0", "0", "0"},
};

TEST(SaveGridFile, WritesCountsThenCellsColumnByColumn) {
  TempFolder folder;
  std::string path = folder.File("servers.grd");
  MemoryCellTable grid;
  SaveGridFile(grid, path);
  EXPECT_EQ(FileBytes(path), "7\r\n0\r\n");

  Fill(grid, TwoServers);
  SaveGridFile(grid, path);
  EXPECT_EQ(FileBytes(path),
            "7\r\n2\r\n"
            "Nap\xE9Hub\r\n\r\n"
            "10.0.0.1\r\n10.0.0.2\r\n"
            "8888\r\n7777\r\n"
            "OpenNapNet\r\n\r\n"
            "120\r\n0\r\n"
            "45000\r\n0\r\n"
            "310\r\n0\r\n");

  MemoryCellTable narrow(2);
  narrow.SetRowCount(1);
  narrow.SetCell(1, 0, "b");
  SaveGridFile(narrow, path);
  EXPECT_EQ(FileBytes(path), "2\r\n1\r\n\r\nb\r\n");
}

TEST(SaveGridFile, ReadsBackTheSameCells) {
  TempFolder folder;
  std::string path = folder.File("servers.grd");
  MemoryCellTable written;
  Rows rows = TwoServers;
  // Texts the scraper never keeps but the file carries all the same.
  rows.push_back({" lead", "trail ", "tab\there", "lone\nLF", "7", "$10", "-"});
  for (int i = 0; i < 3000; ++i) {
    std::string server = "s";
    server += std::to_string(i);
    rows.push_back({server, std::string(i % 50, 'x'), "", "n", "1", "2", "3"});
  }
  Fill(written, rows);
  SaveGridFile(written, path);

  MemoryCellTable read;
  LoadGridFile(read, path);
  EXPECT_EQ(RowsOf(read), rows);
}

// What a file of these bytes loads as: its rows, or the load's error.
struct LoadCase {
  const char* name;
  std::string bytes;
  Rows rows;
  const char* error = nullptr;
};

// Count empty lines, each with its CR LF.
std::string EmptyLines(int count) {
  std::string lines;
  for (int i = 0; i < count; ++i) lines += "\r\n";
  return lines;
}

std::vector<std::string> Cells(std::vector<std::string> cells) {
  cells.resize(7);
  return cells;
}

TEST(LoadGridFile, ReadsFilesByTheTextRules) {
  const std::vector<std::string> empty(7);
  LoadCase cases[] = {
      {"empty list", "7\r\n0\r\n", {}},
      {"line 1 is not used",
       "3\r\n1\r\na\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\n",
       {{"a", "b", "c", "d", "e", "f", "g"}}},
      {"fewer cell lines than promised",
       "7\r\n3\r\ns0\r\ns1\r\ns2\r\ni0\r\ni1\r\n",
       {Cells({"s0", "i0"}), Cells({"s1", "i1"}), Cells({"s2"})}},
      {"a count without cells gives empty rows", "7\r\n2\r\n", {empty, empty}},
      {"LF-only line ends: the count runs into the end of the file", "7\n1\na\nb\n", {}},
      {"CR-only line ends", "7\r1\ra\rb\r", {Cells({"a", "b"})}},
      {"words with blanks, signs and hexadecimal",
       " 7 columns\r\n +$2 rows\r\na\r\nb\r\n",
       {Cells({"a"}), Cells({"b"})}},
      {"Ctrl+Z ends the file", "7\r\n2\r\na\r\nb\x1A\r\nc\r\n", {Cells({"a"}), Cells({"b"})}},
      {"lone LF stays in the cell", "7\r\n1\r\na\nb\r\n", {Cells({"a\nb"})}},
      {"no file content", "", {}},
      {"letters on line 2", "7\r\nabc\r\nx\r\n", {}, "Invalid numeric input"},
      {"letters on line 1", "seven\r\n0\r\n", {}, "Invalid numeric input"},
      {"a row count far beyond the file",
       "7\r\n2147483647\r\nabcdefgh",
       {},
       "Invalid numeric input"},
      {"a negative row count", "7\r\n-5\r\na\r\n", {}, "Invalid numeric input"},
      {"a short hand-made file with a large count", "7\r\n2000\r\n", Rows(2000, empty)},
      // Ten rows of cell lines, each at least its CR LF, and the allowance of padding rows.
      {"as many rows as the file can hold", "7\r\n65546\r\n" + EmptyLines(70), Rows(65546, empty)},
      {"one row more", "7\r\n65547\r\n" + EmptyLines(70), {}, "Invalid numeric input"},
  };
  TempFolder folder;
  std::string path = folder.File("servers.grd");
  for (const LoadCase& c : cases) {
    WriteBytes(path, c.bytes);
    MemoryCellTable grid;
    std::string error = ErrorOf([&] { LoadGridFile(grid, path); });
    EXPECT_EQ(error, c.error ? c.error : "no error") << c.name;
    EXPECT_EQ(RowsOf(grid), c.rows) << c.name;
  }
}

TEST(LoadGridFile, BoundsTheRowsByTheFilesSize) {
  // Two megabytes that claim two million rows would take the grid far beyond them.
  std::string bytes = "7\r\n2000000\r\n";
  while (bytes.size() < 2'000'000) bytes += "10.0.0.1\r\n";
  TempFolder folder;
  std::string path = folder.File("servers.grd");
  WriteBytes(path, bytes);
  TKStringGrid grid;
  SetUpServerGrid(grid);
  EXPECT_EQ(ErrorOf([&] { LoadGridFile(grid, path); }), "Invalid numeric input");
  EXPECT_EQ(grid.RowCount(), 0);
}

// Past the bound of a list, a file that backs its rows is refused too, naming
// the bound, before the grid changes; at the bound it loads.
TEST(LoadGridFile, RefusesMoreRowsThanAListMayHave) {
  auto fileOf = [](int rows) {
    std::string bytes = "7\r\n" + std::to_string(rows) + "\r\n";
    for (int cell = 0; cell < 7 * rows; ++cell) bytes += "x\r\n";
    return bytes;
  };
  for (int rows : {3, 4}) {
    TKStringGrid grid;
    SetUpServerGrid(grid);
    grid.SetRowCount(1);
    const std::string bytes = fileOf(rows);
    MemorySource source(bytes);
    if (rows == 3) {
      ReadGridText(grid, source, bytes.size(), SpareEmptyRows, 3);
      EXPECT_EQ(grid.RowCount(), 3);
    } else {
      EXPECT_EQ(ErrorOf([&] { ReadGridText(grid, source, bytes.size(), SpareEmptyRows, 3); }),
                TooManyServersText(3));
      EXPECT_EQ(grid.RowCount(), 1);
    }
  }
  // A file larger than any list is refused before it is read.
  TempFolder folder;
  const std::string path = folder.File("servers.grd");
  WriteBytes(path, "7\r\n0\r\n" + std::string(MaxListBytes, '\n'));
  TKStringGrid grid;
  SetUpServerGrid(grid);
  EXPECT_EQ(ErrorOf([&] { LoadGridFile(grid, path); }), ListFileTooLargeText());
}

TEST(LoadGridFile, AServerGridReadsBackWhatItSaved) {
  TempFolder folder;
  std::string path = folder.File("servers.grd");
  // A hand-made file with a lone LF in a cell: the grid holds it as a line
  // break, which a CR in the saved file would turn into two cells.
  WriteBytes(path, "7\r\n2\r\na\nb\r\n\nc\r\nip\r\n");
  TKStringGrid grid;
  SetUpServerGrid(grid);
  LoadGridFile(grid, path);
  ASSERT_EQ(grid.Cell(0, 0), "a\r\nb");
  SaveGridFile(grid, path);
  EXPECT_EQ(FileBytes(path).substr(0, 15), "7\r\n2\r\na\nb\r\n\nc\r\n");
  TKStringGrid read;
  SetUpServerGrid(read);
  LoadGridFile(read, path);
  EXPECT_EQ(RowsOf(read), RowsOf(grid));

  // A hidden column is no display column: the file holds the six shown.
  grid.Columns()[colNetwork]->SetVisible(false);
  SaveGridFile(grid, path);
  EXPECT_EQ(FileBytes(path).substr(0, 3), "6\r\n");
  read.Columns()[colNetwork]->SetVisible(false);
  LoadGridFile(read, path);
  EXPECT_EQ(RowsOf(read), RowsOf(grid));
}

TEST(LoadGridFile, ReplacesEveryRowOfTheGrid) {
  TempFolder folder;
  std::string path = folder.File("servers.grd");
  WriteBytes(path, "7\r\n2\r\nnew\r\n");
  MemoryCellTable grid;
  Fill(grid, Rows(5, std::vector<std::string>(7, "old")));
  LoadGridFile(grid, path);
  EXPECT_EQ(RowsOf(grid), (Rows{Cells({"new"}), Cells({})}));
}

TEST(LoadGridFile, FailsOnAMissingFileAndLeavesTheGrid) {
  TempFolder folder;
  MemoryCellTable grid;
  Fill(grid, TwoServers);
  EXPECT_EQ(ErrorOf([&] { LoadGridFile(grid, folder.File("servers.grd")); }), "File not found");
  EXPECT_EQ(RowsOf(grid), TwoServers);
}

// The bytes SaveGridFile writes for Rows.
std::string CacheText(const Rows& rows) {
  MemoryCellTable grid;
  Fill(grid, rows);
  std::string text;
  StringSink sink(text);
  WriteGridText(grid, sink);
  return text;
}

// Whether Bytes pass for a whole cache file, read in every block size that
// puts line ends and counts across a block's end.
std::optional<bool> CompleteInEveryBlockSize(std::string_view bytes) {
  std::optional<bool> answer;
  for (std::size_t block : {1, 3, 4096}) {
    test::BlockSource source(bytes, block);
    bool complete = CacheTextComplete(source, bytes.size());
    if (answer && *answer != complete) return std::nullopt;
    answer = complete;
  }
  return answer;
}

TEST(CacheTextComplete, TellsAWholeFileFromACutOne) {
  const std::string whole = CacheText(TwoServers);
  const std::size_t cell = whole.find("45000");
  struct Case {
    const char* name;
    std::string bytes;
    bool complete;
  } cases[] = {
      {"a whole file", whole, true},
      {"an empty list", "7\r\n0\r\n", true},
      {"cut in the middle of a cell line", whole.substr(0, cell + 2), false},
      {"cut after a whole cell line", whole.substr(0, cell), false},
      {"missing the last line end", whole.substr(0, whole.size() - 2), false},
      // The LF belongs to the CR before it: every cell reads the same without it.
      {"missing only the last LF", whole.substr(0, whole.size() - 1), true},
      {"the file's own column count promises the lines", "2\r\n1\r\na\r\nb\r\n", true},
      {"one cell line short of its own count", "2\r\n1\r\na\r\n", false},
      {"CR-only line ends", "2\r1\ra\rb\r", true},
      {"Ctrl+Z ends the file in its first cell line", "2\r\n1\r\na\x1A\r\nb\r\n", false},
      {"a row count without its line end", "7\r\n0", false},
      {"empty file", "", false},
      {"letters for the row count", "7\r\nabc\r\n", false},
      {"letters for the column count", "seven\r\n0\r\n", false},
      {"a negative row count", "7\r\n-1\r\n", false},
      {"a negative column count", "-7\r\n1\r\n", false},
      {"a row count far beyond the file", "0\r\n2147483647\r\n", false},
      // The bound's arithmetic must hold for any column count a file names.
      {"the largest column count", "2147483647\r\n1\r\na\r\n", false},
  };
  for (const Case& c : cases) EXPECT_EQ(CompleteInEveryBlockSize(c.bytes), c.complete) << c.name;

  // Wherever a write stops, what it left is not the whole file.
  for (std::size_t length = 0; length + 1 < whole.size(); ++length)
    EXPECT_EQ(CompleteInEveryBlockSize(whole.substr(0, length)), false) << length;
}

TEST(CacheTextComplete, RaisesWhenTheFileCannotBeRead) {
  class FailingSource : public ByteSource {
   public:
    std::size_t Read(char*, std::size_t) override { throw EInOutError("I/O error 23"); }
  } source;
  EXPECT_EQ(ErrorOf([&] { CacheTextComplete(source, 100); }), "I/O error 23");
}

// A file's bytes, or nothing when there is no file.
std::optional<std::string> Content(const std::string& path) {
  if (!std::filesystem::exists(path)) return std::nullopt;
  return FileBytes(path);
}

TEST(RecoverUnplacedCache, MovesOnlyACompleteNewFileIntoAMissingPlace) {
  const std::string whole = CacheText(TwoServers);
  const std::string cut = whole.substr(0, whole.size() - 5);
  const std::string older = CacheText({});
  const std::optional<std::string> none;
  struct Case {
    const char* name;
    // servers.grd and servers.grd.new, before and after.
    std::optional<std::string> old, fresh;
    bool recovered;
    std::optional<std::string> oldAfter, freshAfter;
  } cases[] = {
      {"a complete new file", none, whole, true, whole, none},
      {"a complete new file with an empty list", none, older, true, older, none},
      {"a cut new file", none, cut, false, none, cut},
      {"a new file that is no cache file", none, "<html>", false, none, "<html>"},
      {"an empty new file", none, "", false, none, ""},
      {"the old file is there", older, whole, false, older, whole},
      {"an empty old file is there", "", whole, false, "", whole},
      {"no new file", none, none, false, none, none},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    const std::string path = folder.File("servers.grd");
    if (c.old) WriteBytes(path, *c.old);
    if (c.fresh) WriteBytes(path + ".new", *c.fresh);
    EXPECT_EQ(RecoverUnplacedCache(path), c.recovered) << c.name;
    EXPECT_EQ(Content(path), c.oldAfter) << c.name;
    EXPECT_EQ(Content(path + ".new"), c.freshAfter) << c.name;
  }
}

#ifdef _WIN32
TEST(SaveGridFile, KeepsTheLastGoodFileWhenItCannotBeReplaced) {
  TempFolder folder;
  std::string path = folder.File("servers.grd");
  WriteBytes(path, "7\r\n0\r\n");
  MemoryCellTable grid;
  Fill(grid, TwoServers);
  {
    // Another program holds the file and shares nothing.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ErrorOf([&] { SaveGridFile(grid, path); }), "I/O error 32");  // a sharing violation
    CloseHandle(held);
  }
  EXPECT_EQ(FileBytes(path), "7\r\n0\r\n");
  EXPECT_FALSE(std::filesystem::exists(path + ".new"));
  SaveGridFile(grid, path);
  MemoryCellTable read;
  LoadGridFile(read, path);
  EXPECT_EQ(RowsOf(read), TwoServers);
}
#else
// Files may grow to Bytes only while it lives: a write beyond fails part-way.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  void (*oldHandler_)(int);
};

TEST(SaveGridFile, KeepsTheLastGoodFileWhenAWriteFailsPartWay) {
  TempFolder folder;
  std::string path = folder.File("servers.grd");
  MemoryCellTable grid;
  Fill(grid, TwoServers);
  SaveGridFile(grid, path);
  const std::string good = FileBytes(path);

  Fill(grid, Rows(5000, std::vector<std::string>(7, "a longer cell text")));
  {
    FileSizeLimit limit(64 * 1024);
    EXPECT_EQ(ErrorOf([&] { SaveGridFile(grid, path); }), "I/O error 27");  // EFBIG
  }
  EXPECT_EQ(FileBytes(path), good);
  EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}
#endif

TEST(ExeFolderOf, CutsAfterTheLastBackslash) {
  struct Case {
    const char* path;
    const char* folder;
  } cases[] = {
      {"C:\\Tools\\app.exe", "C:\\Tools\\"},
      {"C:\\Program Files\\Velloran\\velloran.exe", "C:\\Program Files\\Velloran\\"},
      {"\\\\server\\share\\v.exe", "\\\\server\\share\\"},
      // The search starts at the second-to-last character.
      {"C:\\Tools\\", "C:\\"},
      {"\\a", "\\"},
      {"\\", ""},
      {"app.exe", ""},
      {"/usr/bin/app", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExeFolderOf(c.path), c.folder) << c.path;
}

TEST(StampText, LeavesTheTimeOutAtExactlyMidnight) {
  struct Case {
    int hour, minute, second;
    const char* text;
  } cases[] = {
      {0, 0, 0, "5.4.2003"},    {0, 0, 1, "5.4.2003"},  // two-second steps: 00:00:01 is midnight
      {0, 0, 2, "5.4.2003 T"},  {0, 1, 0, "5.4.2003 T"},
      {12, 0, 0, "5.4.2003 T"}, {23, 59, 59, "5.4.2003 T"},
  };
  for (const Case& c : cases) {
    FileStamp stamp = TwoSecondStamp({2003, 4, 5, c.hour, c.minute, c.second});
    EXPECT_EQ(StampText(stamp, "5.4.2003", "T"), c.text)
        << c.hour << ":" << c.minute << ":" << c.second;
  }
  EXPECT_EQ(TwoSecondStamp({2003, 4, 5, 6, 7, 9}).second, 8);
  EXPECT_EQ(TwoSecondStamp({2003, 4, 5, 6, 7, 8}).second, 8);
}

}  // namespace
}  // namespace velloran
