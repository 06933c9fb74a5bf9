#include "app/PageScraper.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tests/support/MemoryCellTable.h"

// The same cases run against the scan without SSE2, under a name of their own.
#ifdef VELLORAN_PORTABLE_SCAN
#define ScraperSuite PortableScrapeServerList
#else
#define ScraperSuite ScrapeServerList
#endif

#include "tests/support/ByteByByteScrape.h"
#include "tests/support/CellRows.h"

namespace velloran {
namespace {

using test::ByteByByteScrape;
using test::Rows;
using test::RowsOf;

Rows Scrape(const std::string& body) {
  MemoryCellTable grid;
  ScrapeServerList(body, grid);
  return RowsOf(grid);
}

const std::string Head =
    "<html><head><title>Servers</title></head><body>\n<table border=\"1\">\n"
    "<tr><th>Server</th><th>IP</th><th>Port</th><th>Network</th>"
    "<th>Users</th><th>Files</th><th>Giga bytes</th></tr>\n";
const std::string Foot =
    "</table>\n<p><a href=\"/privacy.php\">Privacy Policy</a></p></body></html>";

// A table row of the given cell texts, laid out as the site does.
std::string Row(const std::vector<std::string>& cells) {
  std::string row = "<tr>\n";
  for (const std::string& cell : cells) row += "  <td>" + cell + "</td>\n";
  return row + "</tr>\n";
}

std::vector<std::string> Numbered(int first, int count) {
  std::vector<std::string> cells;
  for (int i = first; i < first + count; ++i) {
    std::string cell = "c";
    cell += std::to_string(i);
    cells.push_back(cell);
  }
  return cells;
}

TEST(ScraperSuite, CountsTheTextsOffSevenARow) {
  struct Case {
    const char* name;
    std::string body;
    Rows rows;
  } cases[] = {
      {"14 texts",
       Head + Row(Numbered(0, 7)) + Row(Numbered(7, 7)) + Foot,
       {Numbered(0, 7), Numbered(7, 7)}},
      {"15 texts",
       Head + Row(Numbered(0, 7)) + Row(Numbered(7, 7)) + Row({"c14"}) + Foot,
       {Numbered(0, 7), Numbered(7, 7), {"c14", "", "", "", "", "", ""}}},
      {"an &nbsp; cell moves the rest left",
       Head + Row({"a", "&nbsp;", "b", "c", "d", "e", "f", "g"}) + Foot,
       {{"a", "b", "c", "d", "e", "f", "g"}}},
      {"&nbsp; inside a text, other entities kept",
       Head + Row({"1&nbsp;234", "&amp;", "x&lt;y", "&NBSP;", "&nbsp;&nbsp;5", "6", "7"}) + Foot,
       {{"1234", "&amp;", "x&lt;y", "&NBSP;", "5", "6", "7"}}},
      {"a header row inside the table is a data row",
       Head + Row(Numbered(0, 7)) +
           "<tr><th>Server</th><th>IP</th><th>Port</th><th>Network</th><th>Users</th>"
           "<th>Files</th><th>Gigabytes</th></tr>" +
           Row(Numbered(7, 7)) + Foot,
       {Numbered(0, 7),
        {"Server", "IP", "Port", "Network", "Users", "Files", "Gigabytes"},
        Numbered(7, 7)}},
      {"blanks and control bytes dropped, upper-half bytes kept",
       Head +
           Row({"Nap \t Hub\r\n", " 10.0.0.1 ",
                "88\x01"
                "88",
                "Caf\xE9 Net", "\xA0", "1\x7F", "x>y"}) +
           Foot,
       {{"NapHub", "10.0.0.1", "8888", "Caf\xE9Net", "\xA0", "1\x7F", "xy"}}},
      {"a tag inside a cell splits it",
       Head + Row({"<b>Big</b> Hub", "ip", "port", "net", "u", "f"}) + Foot,
       {{"Big", "Hub", "ip", "port", "net", "u", "f"}}},
      {"comments, scripts and attributes outside the table",
       "<!-- Gigabytes --><script>var Gigabytes = 1;</script><th title=\"Gigabytes\">x</th>" +
           Head + Row(Numbered(0, 7)) + Foot + "<script>alert(1)</script>",
       {Numbered(0, 7)}},
      {"a script inside the table is cells",
       Head + "<script>go()</script>" + Row(Numbered(0, 6)) + Foot,
       {{"go()", "c0", "c1", "c2", "c3", "c4", "c5"}}},
      {"\"Privacy&nbsp;Policy\" does not end the table",
       Head + Row(Numbered(0, 6)) + "<a>Privacy&nbsp;Policy</a>" + Row({"late"}) + Foot,
       {{"c0", "c1", "c2", "c3", "c4", "c5", "PrivacyPolicy"}, {"late", "", "", "", "", "", ""}}},
      {"no privacy link: the rest of the page is cells",
       Head + Row(Numbered(0, 6)) + "</table><p>Bye</p><",
       {{"c0", "c1", "c2", "c3", "c4", "c5", "Bye"}}},
      {"a second table starts a new row",
       Head + Row(Numbered(0, 3)) + Foot + Head + Row({"x"}) + Foot,
       {{"c0", "c1", "c2", "", "", "", ""}, {"x", "", "", "", "", "", ""}}},
      {"a text that no \"<\" ends is lost",
       Head + "<td>a</td><td>b",
       {{"a", "", "", "", "", "", ""}}},
      {"no \"Gigabytes\"", "<html><body><h1>Error 500</h1><td>x</td></body></html>", {}},
      {"empty body", "", {}},
      {"only tags and blanks", "<><<>>< >\r\n<a b='>'>", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Scrape(c.body), c.rows) << c.name;
}

TEST(ScraperSuite, GivesTheSameRowsWhereverTheTextsFallInThePage) {
  // Texts long and short, with blanks, entities and ">" inside, shifted
  // through every position of the scan's 64-byte blocks.
  const std::string longName = "Nap Hub " + std::string(150, 'x') + " &nbsp;end>";
  const std::string table =
      Head + Row({longName, " 10.0.0.1 ", "8888", "a\r\n\t b", "1&nbsp;2", "", "&amp;", "x"}) +
      Row({"\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9 \xE9", "\n      \n", "9"}) + Foot;
  const Rows expected = {
      {"NapHub" + std::string(150, 'x') + "end", "10.0.0.1", "8888", "ab", "12", "&amp;", "x"},
      {"\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9", "9", "", "", "", "", ""},
  };
  for (int shift = 0; shift < 64; ++shift) {
    std::string padding = "<!--" + std::string(shift, '-') + ">";
    EXPECT_EQ(Scrape(padding + table), expected) << shift;
    // The page may also end anywhere in a block, right after the last "<".
    std::string cut = table.substr(0, table.rfind('<') + 1);
    EXPECT_EQ(Scrape(padding + cut), expected) << shift;
  }
}

TEST(ScraperSuite, MatchesAByteByByteScanOnRandomPages) {
  // Pieces that make regular and broken markup alike, texts within a block and across blocks.
  const std::string pieces[] = {"<",
                                ">",
                                "<td>",
                                "</td>",
                                "<tr>\n  ",
                                " ",
                                "\n",
                                "\t",
                                "a",
                                "bc",
                                "12",
                                "&nbsp;",
                                "&amp;",
                                "&",
                                "nbsp;",
                                "\xE9",
                                "\x01",
                                "\x7F",
                                "Gigabytes",
                                "PrivacyPolicy",
                                "Privacy Policy",
                                "<a b='>'>",
                                "<!-- > -->",
                                "<<",
                                ">>",
                                std::string(70, 'x'),
                                "Giga bytes",
                                "x y z"};
  std::mt19937 random(20030405);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
  std::uniform_int_distribution<int> length(0, 400);
  for (int page = 0; page < 3000; ++page) {
    std::string body;
    for (int n = length(random); n > 0; --n) body += pieces[pick(random)];
    ASSERT_EQ(Scrape(body), ByteByByteScrape(body)) << "page " << page << ": " << body;
  }
}

// A page cut off inside the table must be told from a whole one.
TEST(ScraperSuite, SaysWhereThePageLeftTheTable) {
  const std::string row = Row(Numbered(1, 7));
  struct Case {
    const char* name;
    std::string page;
    ServerTableState state;
  } cases[] = {
      {"no table", "<html><p>Down for maintenance</p></html>", ServerTableState::None},
      {"whole", Head + row + Foot, ServerTableState::Complete},
      {"no rows", Head + Foot, ServerTableState::Complete},
      {"cut after the header row", Head, ServerTableState::Unfinished},
      {"cut in a row", Head + row + "<tr><td>half", ServerTableState::Unfinished},
      {"cut in the end text", Head + row + "</table><a>Privacy Pol", ServerTableState::Unfinished},
      // The end text's own "<" never came: the text is lost, as every such text is.
      {"end text not closed", Head + row + "</table><a>Privacy Policy",
       ServerTableState::Unfinished},
      {"end text with a space entity", Head + row + "<a>Privacy&nbsp;Policy</a>",
       ServerTableState::Unfinished},
      {"ended, then a second table cut", Head + row + Foot + Head, ServerTableState::Unfinished},
  };
  for (const Case& c : cases) {
    MemoryCellTable grid;
    EXPECT_EQ(ScrapeServerList(c.page, grid), c.state) << c.name;
  }
}

// A page of more rows than a list may have is refused, naming the bound,
// before the row past it is made.
TEST(ScraperSuite, RefusesMoreRowsThanItsBound) {
  const std::string page =
      Head + Row(Numbered(1, 7)) + Row(Numbered(8, 7)) + Row(Numbered(15, 3)) + Foot;
  MemoryCellTable grid;
  EXPECT_EQ(ScrapeServerList(page, grid, 3), ServerTableState::Complete);
  EXPECT_EQ(grid.RowCount(), 3);
  try {
    ScrapeServerList(page, grid, 2);
    ADD_FAILURE() << "no error";
  } catch (const EListTooLarge& error) {
    EXPECT_EQ(error.Message(), TooManyServersText(2));
  }
  EXPECT_EQ(grid.RowCount(), 2);
}

TEST(ScraperSuite, EmptiesTheGridFirst) {
  MemoryCellTable grid;
  grid.SetRowCount(3);
  grid.SetCell(0, 2, "old");
  ScrapeServerList(Head + Row({"new"}) + Foot, grid);
  EXPECT_EQ(RowsOf(grid), (Rows{{"new", "", "", "", "", "", ""}}));
  ScrapeServerList("", grid);
  EXPECT_EQ(grid.RowCount(), 0);
}

}  // namespace
}  // namespace velloran
