#include "framework/StringList.h"

#include <gtest/gtest.h>

#include "framework/Exception.h"
#include "framework/Streams.h"

namespace velloran {
namespace {

TEST(StringList, KeepsOrderAndJoinsLinesWithCrLf) {
  TStringList list;
  list.Add("b");
  list.Add("a");
  list.Insert(1, "c");
  list.Insert(3, "d");
  list.SetStrings(0, "B");
  EXPECT_EQ(list.Text(), "B\r\nc\r\na\r\nd\r\n");
  list.Delete(1);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.IndexOf("b"), 0);  // letters compare without regard to case
  EXPECT_EQ(list.IndexOf("x"), -1);
  list.Clear();
  EXPECT_EQ(list.Text(), "");
}

TEST(StringList, BadIndexesRaiseRangeErrors) {
  TStringList list;
  list.Add("a");
  EXPECT_THROW(list.Strings(1), ERangeError);
  EXPECT_THROW(list.Strings(-1), ERangeError);
  EXPECT_THROW(list.Delete(1), ERangeError);
  EXPECT_THROW(list.Insert(2, "x"), ERangeError);
  try {
    list.SetStrings(5, "x");
    FAIL();
  } catch (const ERangeError& error) {
    EXPECT_STREQ(error.what(), "List index out of bounds (5)");
  }
}

TEST(StringList, SortedListPlacesLinesAndFindsThemByBisection) {
  TStringList list;
  for (const char* line : {"pear", "Apple", "fig", "apple", "\xE9t\xE9", "Zoo"}) list.Add(line);
  list.SetSorted(true);
  // Stable: the two apples keep their order; bytes above 127 sort after letters.
  EXPECT_EQ(list.Text(), "Apple\r\napple\r\nfig\r\npear\r\nZoo\r\n\xE9t\xE9\r\n");
  EXPECT_EQ(list.Add("banana"), 2);
  EXPECT_EQ(list.Add("APPLE"), 2);  // after the equal ones
  EXPECT_EQ(list.IndexOf("PEAR"), 5);
  EXPECT_EQ(list.IndexOf("apple"), 0);
  EXPECT_EQ(list.IndexOf("grape"), -1);
  EXPECT_THROW(list.Insert(0, "x"), Exception);
  EXPECT_THROW(list.SetStrings(0, "x"), Exception);
}

TEST(MemoryStream, ReadsAndWritesAtItsPosition) {
  TMemoryStream stream("abcdef");
  char buffer[4];
  stream.SetPosition(4);
  EXPECT_EQ(stream.Read(buffer, 4), 2u);
  EXPECT_EQ(std::string(buffer, 2), "ef");
  EXPECT_EQ(stream.Read(buffer, 4), 0u);
  stream.SetPosition(1);
  stream.Write("XY", 2);
  EXPECT_EQ(stream.Position(), 3u);
  stream.SetPosition(8);
  stream.Write("Z", 1);
  EXPECT_EQ(stream.Bytes(), std::string("aXYdef\0\0Z", 9));
  EXPECT_EQ(stream.Size(), 9u);
}

}  // namespace
}  // namespace velloran
