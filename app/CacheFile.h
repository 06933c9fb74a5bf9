#pragma once
// The cache file "servers.grd": the last downloaded server list, kept beside
// the program so that the next start shows it without a download.
//
// It is a text file (framework/TextFile.h) with CR LF after every line: the
// number of columns, the number of rows N, then the cell texts one a line,
// column by column: the N cells of column 0 from row 0 down, then those of
// column 1, and so on. No quoting, no escaping; an empty cell is an empty line.

#include <cstdint>
#include <string>
#include <string_view>

#include "app/ListBounds.h"
#include "framework/TextFile.h"
#include "grid/CellTable.h"

namespace velloran {

inline constexpr const char* CacheFileName = "servers.grd";

// A row count may exceed the rows that the file's bytes can hold (a line per
// cell, each at least its CR LF) by this many rows of pure padding, so that
// short hand-made files which promise more rows than they hold still load,
// while no file makes the grid hold more than a small multiple of its size.
inline constexpr int SpareEmptyRows = 65536;

// Writes every cell of Grid to the file at Path. The old file stays in place
// until the new one is complete, and the new one takes over its attributes.
void SaveGridFile(const CellTable& grid, const std::string& path);

// Replaces the rows of Grid with those of the file at Path. The count on line 1
// is not used: the grid's own columns are filled. Cell lines the file lacks
// leave their cells empty. A row count that is negative, or that the file is
// far too short to back, fails as "Invalid numeric input" before the grid changes.
void LoadGridFile(CellTable& grid, const std::string& path);

// The two above over bytes anywhere: the file's text for Grid into Sink, and
// the rows of the text in Source (Size bytes in all) into Grid. A cell's line
// breaks, which only a hand-made file can bring in (as a lone LF), go out as
// LF, because a CR would end the cell's line; they read back as the same breaks.
void WriteGridText(const CellTable& grid, ByteSink& sink);
// A row count past MaxRows raises EListTooLarge (TooManyServersText), and a
// file larger than MaxListBytes (LoadGridFile) ListFileTooLargeText, both
// before Grid changes.
void ReadGridText(CellTable& grid, ByteSource& source, std::uint64_t size,
                  int spareEmptyRows = SpareEmptyRows, int maxRows = MaxListRows);

// Whether the text in Source (Size bytes in all) is a whole cache file: both
// counts read as numbers, neither is negative, the row count is one the file
// can back (as LoadGridFile bounds it, by the file's own column count), and
// every cell line the counts promise is there with its line end. A file cut
// off part-way while it was written is not whole. Raises only when Source
// can't be read.
bool CacheTextComplete(ByteSource& source, std::uint64_t size);

// When Path is missing and Path + ".new" is a complete cache file (a save
// that could not put it in place), moves it to Path; true when it did.
// A ".new" file that is not complete stays where it is (the next save
// overwrites it). Raises EInOutError when the ".new" file can't be read or
// moved; the move's error names the file the list stays in.
bool RecoverUnplacedCache(const std::string& path);

// The folder of an executable: its path up to and including the last
// backslash, searched for from the second-to-last character backwards.
// Empty when there is none.
std::string ExeFolderOf(std::string_view exePath);
// The folder of the running program, as ExeFolderOf cuts it.
std::string ExeFolder();

// A file's last-write time in local time, as the "Last refreshed" box shows it.
struct FileStamp {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
};

// The stamp in the file system's old two-second steps, which is all the
// date text shows.
FileStamp TwoSecondStamp(FileStamp stamp);

// The date text of Stamp from its formatted Date and Time: both, joined by a
// blank, or the date alone when the stamp is exactly midnight.
std::string StampText(const FileStamp& stamp, std::string_view date, std::string_view time);

}  // namespace velloran
