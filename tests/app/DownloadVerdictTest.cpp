#include "app/DownloadVerdict.h"

#include <gtest/gtest.h>

#include <limits>

namespace velloran {
namespace {

TEST(DownloadVerdict, TellsACutReplyFromAWholeOne) {
  const ReplyFacts whole{true, true, true, 15372, 15372};
  struct Case {
    const char* name;
    ReplyFacts facts;
    ServerTableState table;
    std::string cut;  // empty: the page is taken
  } cases[] = {
      {"whole with a length", whole, ServerTableState::Complete, ""},
      {"longer than announced", {true, true, true, 10, 12}, ServerTableState::Complete, ""},
      {"short of its length",
       {true, true, true, 15372, 7686},
       ServerTableState::Complete,
       "closed the connection after 7,686 of 15,372 bytes"},
      // Of a whole reply with a length, the page is taken as it is.
      {"whole with a length, table open", whole, ServerTableState::Unfinished, ""},
      {"length 0 is a length", {true, true, true, 0, 0}, ServerTableState::None, ""},
      {"no length, table ended", {true, true, false, 0, 900}, ServerTableState::Complete, ""},
      {"no length, table open",
       {true, true, false, 0, 7686},
       ServerTableState::Unfinished,
       "closed the connection in the middle of the server table, after 7,686 bytes"},
      {"no length, no table", {true, true, false, 0, 50}, ServerTableState::None, ""},
      {"header cut",
       {true, false, true, 15372, 0},
       ServerTableState::None,
       "closed the connection in the middle of the reply's header"},
      // Nothing at all: no list, which the refresh says in its own words.
      {"nothing", {false, false, false, 0, 0}, ServerTableState::None, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HowThePageWasCut(c.facts, c.table), c.cut) << c.name;
  }
  EXPECT_EQ(HowTheReplyWasCut({true, true, false, 0, 10}), "");
}

TEST(DownloadVerdict, WordsForABrokenConnectionAndGroupedNumbers) {
  EXPECT_EQ(BrokenOffText("10054:Connection reset by peer", 7686),
            "broke off the connection (10054:Connection reset by peer) after 7,686 bytes");
  EXPECT_EQ(BrokenOffText("10053:Software caused connection abort", 0),
            "broke off the connection (10053:Software caused connection abort) before any of "
            "the page arrived");
  struct Case {
    std::int64_t number;
    const char* text;
  } cases[] = {
      {0, "0"},          {999, "999"},
      {1000, "1,000"},   {23456789, "23,456,789"},
      {-1234, "-1,234"}, {std::numeric_limits<std::int64_t>::min(), "-9,223,372,036,854,775,808"}};
  for (const Case& c : cases) EXPECT_EQ(GroupedNumber(c.number), c.text);
}

}  // namespace
}  // namespace velloran
