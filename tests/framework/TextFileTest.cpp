#include "framework/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "framework/Exception.h"
#include "framework/FileAccess.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

#include "tests/support/TempFiles.h"

namespace velloran {
namespace {

// Small blocks put line ends and words across block boundaries.
constexpr std::size_t BlockSizes[] = {1, 2, 3, 256 * 1024};

std::vector<std::string> ReadLines(std::string_view bytes, std::size_t blockSize, int count) {
  MemorySource source(bytes);
  TextReader reader(source, blockSize);
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back(reader.ReadLine());
  return lines;
}

TEST(TextReader, EndsLinesAtCarriageReturnAndTheEndOfFileMark) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;  // read one after another; the last ones lie past the end
  } cases[] = {
      {"CR LF", "ab\r\ncd\r\n", {"ab", "cd", ""}},
      {"last line without line end", "ab\r\ncd", {"ab", "cd", ""}},
      {"lone LF is text", "a\nb\r\nc\n", {"a\nb", "c\n", ""}},
      {"LF before CR is text", "a\n\r\nb", {"a\n", "b"}},
      {"CR alone ends a line", "a\rb\r\r\nc", {"a", "b", "", "c"}},
      {"only one LF belongs to the CR", "a\r\n\nb\r\n", {"a", "\nb", ""}},
      {"Ctrl+Z ends the file",
       "a\r\nb\x1A"
       "c\r\nd\r\n",
       {"a", "b", "", ""}},
      {"Ctrl+Z right after a CR", "a\r\x1A\nb", {"a", "", ""}},
      {"blanks and upper-half bytes kept", " \tCaf\xE9 \r\n", {" \tCaf\xE9 ", ""}},
      {"empty", "", {"", ""}},
  };
  for (const Case& c : cases) {
    for (std::size_t block : BlockSizes) {
      EXPECT_EQ(ReadLines(c.bytes, block, static_cast<int>(c.lines.size())), c.lines)
          << c.name << ", block " << block;
    }
  }
}

TEST(TextReader, ReadsNumbersAsWordsAfterBlanks) {
  struct Case {
    std::string bytes;
    std::int32_t value;
  } cases[] = {
      {"7", 7},
      {"+7\r\n", 7},
      {"-7", -7},
      {"007", 7},
      {" \t\r\n\r\n 42 rest", 42},  // blanks and whole empty lines before the word are skipped
      {"$1F", 31},
      {"$ff", 255},
      {"0x1f", 31},
      {"-$10", -16},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"$7FFFFFFF", 2147483647},
      {"12\x1A"
       "34",
       12},
      {"", 0},  // the end of the file reads as 0
      {" \r\n ", 0},
      {"\x1A"
       "12",
       0},
      // Only 32 bytes make the word; the rest stays for the next read.
      {std::string(32, '0') + "5", 0},
  };
  for (const Case& c : cases) {
    for (std::size_t block : BlockSizes) {
      MemorySource source(c.bytes);
      TextReader reader(source, block);
      EXPECT_EQ(reader.ReadInteger(), c.value) << c.bytes << ", block " << block;
    }
  }
}

TEST(TextReader, RefusesWordsThatAreNoNumber) {
  const char* words[] = {"abc",   "12abc", "1,5",         "$",         "0x",          "+",
                         "--1",   "$G",    "2147483648",  "$80000000", "-2147483649", "0X1F",
                         "1\x7F", "x1F",   "99999999999", "\xE9"};
  for (const char* word : words) {
    MemorySource source(word);
    TextReader reader(source);
    try {
      reader.ReadInteger();
      ADD_FAILURE() << "no error for " << word;
    } catch (const EInOutError& error) {
      EXPECT_STREQ(error.what(), "Invalid numeric input") << word;
    }
  }
}

TEST(TextReader, SkipsTheRestOfALine) {
  for (std::size_t block : BlockSizes) {
    MemorySource source("12 junk\r\n\n34\r\n56 \r\r\n78");
    TextReader reader(source, block);
    EXPECT_EQ(reader.ReadInteger(), 12);
    reader.SkipLine();
    EXPECT_EQ(reader.ReadLine(), "\n34");
    EXPECT_EQ(reader.ReadInteger(), 56);
    reader.SkipLine();
    EXPECT_EQ(reader.ReadLine(), "");
    EXPECT_EQ(reader.ReadInteger(), 78);
    EXPECT_TRUE(reader.Eof());
    EXPECT_EQ(reader.Position(), 22u);
  }
  // Without a CR the rest of the line is the rest of the file.
  MemorySource source("7\n0\n");
  TextReader reader(source);
  EXPECT_EQ(reader.ReadInteger(), 7);
  reader.SkipLine();
  EXPECT_TRUE(reader.Eof());
  EXPECT_EQ(reader.ReadInteger(), 0);
}

class StringSink : public ByteSink {
 public:
  void Write(const char* data, std::size_t size) override {
    bytes.append(data, size);
    ++writes;
  }
  std::string bytes;
  int writes = 0;
};

TEST(TextWriter, WritesLinesWithCrLfInLargeBlocks) {
  std::string big(100, 'x');
  for (std::size_t block : {std::size_t{1}, std::size_t{7}, std::size_t{256 * 1024}}) {
    StringSink sink;
    TextWriter writer(sink, block);
    writer.WriteLine("7");
    writer.WriteLine("");
    writer.Write("a\nb");
    writer.WriteLine(big);
    EXPECT_EQ(sink.bytes.size(), block == 256 * 1024 ? 0u : sink.bytes.size());
    writer.Flush();
    EXPECT_EQ(sink.bytes, "7\r\n\r\na\nb" + big + "\r\n") << block;
  }
  // Nothing is written until a block is full.
  StringSink sink;
  {
    TextWriter writer(sink);
    for (int i = 0; i < 1000; ++i) writer.WriteLine("cell");
  }
  EXPECT_EQ(sink.writes, 0);
}

using test::ErrorOf;
using test::FileBytes;
using test::TempFolder;
using test::WriteBytes;

TEST(FileAccess, NamesTheSystemsReasons) {
  struct Case {
    int code;
    std::string text;
  } cases[] = {
#ifdef _WIN32
      {ERROR_FILE_NOT_FOUND, "File not found"},
      {ERROR_ACCESS_DENIED, "File access denied"},
      // Every other error by its number, a file that another program holds too.
      {ERROR_SHARING_VIOLATION, "I/O error 32"},
      {ERROR_LOCK_VIOLATION, "I/O error 33"},
      {ERROR_DISK_FULL, "Disk full"},
      {ERROR_HANDLE_DISK_FULL, "Disk full"},
      {ERROR_HANDLE_EOF, "Read beyond end of file"},
      {ERROR_PATH_NOT_FOUND, "I/O error 3"},
      {ERROR_INVALID_NAME, "I/O error 123"},
#else
      {ENOENT, "File not found"},    {EACCES, "File access denied"},
      {EPERM, "File access denied"}, {EWOULDBLOCK, "I/O error " + std::to_string(EWOULDBLOCK)},
      {ENOSPC, "Disk full"},         {EISDIR, "I/O error 21"},
#endif
  };
  for (const Case& c : cases) EXPECT_EQ(InOutErrorText(c.code), c.text) << c.code;
}

TEST(FileAccess, ReadsFilesWholeAndInBlocks) {
  TempFolder folder;
  std::string path = folder.File("page.html");
  std::string bytes = "<td>a\r\n\x1A\xE9</td>";
  bytes += std::string(200000, 'z');
  WriteBytes(path, bytes);
  EXPECT_EQ(ReadWholeFile(path), bytes);
  InputFile file(path);
  EXPECT_EQ(file.Size(), bytes.size());

  EXPECT_EQ(ErrorOf([&] { InputFile missing(folder.File("missing.grd")); }), "File not found");
  EXPECT_EQ(ErrorOf([&] { ReadWholeFile(folder.File("missing.grd")); }), "File not found");
}

TEST(FileAccess, ReplacesAFileOnlyWhenTheNewOneIsComplete) {
  TempFolder folder;
  std::string path = folder.File("servers.grd");
  WriteBytes(path, "old");
  {
    OutputFile file(path);
    file.Write("new, half", 9);
    EXPECT_EQ(FileBytes(path), "old");
  }
  // Given up without Commit: the old file stays, the unfinished one is gone.
  EXPECT_EQ(FileBytes(path), "old");
  EXPECT_FALSE(std::filesystem::exists(path + ".new"));

  OutputFile file(path);
  file.Write("new\r\n", 5);
  file.Commit();
  EXPECT_EQ(FileBytes(path), "new\r\n");
  EXPECT_FALSE(std::filesystem::exists(path + ".new"));

  // A new file where there was none.
  std::string fresh = folder.File("fresh.grd");
  OutputFile first(fresh);
  first.Commit();
  EXPECT_EQ(FileBytes(fresh), "");
}

TEST(FileAccess, RefusesASecondWriterOfTheSameFile) {
  TempFolder folder;
  std::string path = folder.File("servers.grd");
  WriteBytes(path, "old");
  OutputFile first(path);
  first.Write("first", 5);
  // What the system says when another writer holds the file.
#ifdef _WIN32
  EXPECT_EQ(ErrorOf([&] { OutputFile second(path); }), "I/O error 32");
#else
  EXPECT_EQ(ErrorOf([&] { OutputFile second(path); }), "I/O error " + std::to_string(EWOULDBLOCK));
#endif
  first.Commit();
  EXPECT_EQ(FileBytes(path), "first");
}

TEST(FileAccess, ANewFileTakesOverTheOldOnesPermissions) {
  TempFolder folder;
  std::string path = folder.File("servers.grd");
  WriteBytes(path, "old");
#ifndef _WIN32
  // On Windows ReplaceFileA carries the old file's security and identity over,
  // which Wine cannot show; here the mode bits stand for them.
  const auto kept = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                    std::filesystem::perms::group_read;
  std::filesystem::permissions(path, kept);
#endif
  OutputFile file(path);
  file.Write("new", 3);
  file.Commit();
  EXPECT_EQ(FileBytes(path), "new");
#ifndef _WIN32
  EXPECT_EQ(std::filesystem::status(path).permissions(), kept);
#endif
}

TEST(FileAccess, ASaveRemovesTheNewFileThatACrashLeftBehind) {
  TempFolder folder;
  std::string path = folder.File("servers.grd");
  WriteBytes(path, "old");
  WriteBytes(path + ".new", "half of a list from before the crash");
  {
    OutputFile file(path);
    file.Write("new", 3);
    file.Commit();
  }
  EXPECT_EQ(FileBytes(path), "new");
  EXPECT_FALSE(std::filesystem::exists(path + ".new"));

  // A save that fails part-way removes it all the same.
  WriteBytes(path + ".new", "half of a list from before the crash");
  { OutputFile givenUp(path); }
  EXPECT_EQ(FileBytes(path), "new");
  EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}

TEST(FileAccess, FailsToWriteIntoAMissingFolder) {
  TempFolder folder;
  std::string path = folder.File("no-such-folder/servers.grd");
#ifdef _WIN32
  EXPECT_EQ(ErrorOf([&] { OutputFile file(path); }), "I/O error 3");
#else
  EXPECT_EQ(ErrorOf([&] { OutputFile file(path); }), "File not found");
#endif
}

TEST(FileAccess, TellsWhetherAPathIsMissing) {
  TempFolder folder;
  WriteBytes(folder.File("servers.grd"), "");
  std::filesystem::create_directory(folder.File("folder"));
  struct Case {
    std::string path;
    bool missing;
  } cases[] = {
      {folder.File("servers.grd"), false},
      {folder.File("folder"), false},
      {folder.File("servers.grd.new"), true},
      {folder.File("no-such-folder/servers.grd"), true},
  };
  for (const Case& c : cases) EXPECT_EQ(PathMissing(c.path), c.missing) << c.path;
}

TEST(FileAccess, MovesAFileOverAnother) {
  TempFolder folder;
  std::string from = folder.File("servers.grd.new");
  std::string to = folder.File("servers.grd");
  WriteBytes(from, "first");
  MoveFileReplacing(from, to);
  EXPECT_EQ(FileBytes(to), "first");
  EXPECT_FALSE(std::filesystem::exists(from));

  WriteBytes(from, "second");
  MoveFileReplacing(from, to);
  EXPECT_EQ(FileBytes(to), "second");
  EXPECT_FALSE(std::filesystem::exists(from));

  EXPECT_EQ(ErrorOf([&] { MoveFileReplacing(from, to); }), "File not found");
  EXPECT_EQ(FileBytes(to), "second");
}

TEST(FileAccess, KnowsTheRunningProgram) {
  std::filesystem::path program = ExecutablePath();
  EXPECT_TRUE(std::filesystem::exists(program)) << program;
  EXPECT_EQ(program.stem().string(), "framework_text_file_test");
}

}  // namespace
}  // namespace velloran
