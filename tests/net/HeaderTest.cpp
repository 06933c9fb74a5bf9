#include "net/NMExtstr.h"

#include <gtest/gtest.h>

#include <vector>

namespace velloran {
namespace {

TExStringList ListOf(const std::vector<std::string>& lines, bool sorted = false) {
  TExStringList list;
  for (const auto& line : lines) list.Add(line);
  list.SetSorted(sorted);
  return list;
}

TEST(HeaderList, IndexOfHeaderMatchesTheNameBeforeTheFirstColon) {
  struct Case {
    std::vector<std::string> lines;
    std::string name;
    int index;
  } cases[] = {
      {{"Host: a", "Accept: b"}, "Accept", 1},
      {{"Host: a"}, "HOST", 0},
      {{"Host"}, "Host", -1},  // no colon: no name
      {{"Host", "Host: a"}, "Host", 1},
      {{"Host: a", "host: b"}, "host", 0},  // the first wins
      {{"Hostname: a"}, "Host", -1},
      {{"Host:"}, "Host", 0},
      {{": empty name"}, "", 0},
      {{"X-A: b: c"}, "X-A", 0},
      {{"X-A: b: c"}, "X-A: b", -1},
      {{}, "Host", -1},
  };
  for (const auto& c : cases) {
    for (bool sorted : {false, true}) {
      TExStringList list = ListOf(c.lines, sorted);
      int index = list.IndexOfHeader(c.name);
      if (c.index < 0) {
        EXPECT_EQ(index, -1) << c.name << (sorted ? " sorted" : "");
      } else {
        ASSERT_GE(index, 0) << c.name << (sorted ? " sorted" : "");
        EXPECT_EQ(list.Strings(index), c.lines[c.index]) << c.name;
      }
    }
  }
}

TEST(HeaderList, SortedBisectionFindsNamesThatWholeLineOrderWouldHide) {
  // By whole lines "Host-X: 1" sorts before "Host: 2" ('-' before ':'),
  // though the name Host sorts before Host-X.
  TExStringList list =
      ListOf({"Host-X: 1", "Host: 2", "Accept: 3", "Host", "Zeta: 4", "Host.Y: 5"}, true);
  struct Case {
    const char* name;
    const char* line;
  } cases[] = {
      {"Host", "Host: 2"}, {"host-x", "Host-X: 1"}, {"Accept", "Accept: 3"},
      {"Zeta", "Zeta: 4"}, {"HOST.Y", "Host.Y: 5"},
  };
  for (const auto& c : cases) {
    int index = list.IndexOfHeader(c.name);
    ASSERT_GE(index, 0) << c.name;
    EXPECT_EQ(list.Strings(index), c.line);
  }
  EXPECT_EQ(list.IndexOfHeader("Hos"), -1);
  EXPECT_EQ(list.IndexOfHeader("Host-"), -1);
}

TEST(HeaderList, SetHeaderValueReplacesInPlaceAddsAtTheEndOrDeletes) {
  struct Case {
    std::vector<std::string> before;
    std::string name, value;
    std::string after;  // Text()
  } cases[] = {
      {{"A: 1", "Host: old", "B: 2"}, "host", "x", "A: 1\r\nhost: x\r\nB: 2\r\n"},
      {{"A: 1"}, "Host", "h", "A: 1\r\nHost: h\r\n"},
      {{"A: 1", "Host: old", "B: 2"}, "Host", "", "A: 1\r\nB: 2\r\n"},
      {{"A: 1"}, "Host", "", "A: 1\r\n"},
      {{"Host", "A: 1"}, "Host", "h", "Host\r\nA: 1\r\nHost: h\r\n"},  // a bare word is no header
      {{"Host: 1", "Host: 2"}, "Host", "", "Host: 2\r\n"},             // only the first goes
  };
  for (const auto& c : cases) {
    TExStringList list = ListOf(c.before);
    list.SetHeaderValue(c.name, c.value);
    EXPECT_EQ(list.Text(), c.after) << c.name << "=" << c.value;
  }
}

TEST(HeaderList, SetHeaderValueOnASortedListKeepsItSorted) {
  TExStringList list = ListOf({"B: 1", "D: 2"}, true);
  list.SetHeaderValue("C", "3");
  list.SetHeaderValue("b", "9");
  list.SetHeaderValue("D", "");
  EXPECT_EQ(list.Text(), "b: 9\r\nC: 3\r\n");
}

}  // namespace
}  // namespace velloran
