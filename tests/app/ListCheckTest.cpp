#include "app/ListCheck.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/PageScraper.h"
#include "tests/support/MemoryCellTable.h"

namespace velloran {
namespace {

TEST(HoldsServerTable, TellsAListFromAnyOtherPage) {
  struct Case {
    const char* name;
    std::string body;
    bool list;
  } cases[] = {
      {"empty reply", "", false},
      {"plain text", "Gigabytes", false},
      {"maintenance page", "<html><body><h1>Down for maintenance</h1></body></html>", false},
      {"header word inside a longer text", "<p>Gigabytes served</p>", false},
      {"header word in a tag's attribute", "<td title=\"Gigabytes\">x</td>", false},
      {"header word after the last tag", "<html>Gigabytes", false},
      {"header word before the first tag", "Gigabytes<html>", false},
      {"table with rows",
       "<tr><th>Users</th><th>Gigabytes</th></tr><tr><td>a</td></tr><a>Privacy Policy</a>", true},
      {"table without rows", "<th>Gigabytes</th></table><a>Privacy Policy</a>", true},
      {"blanks and line ends dropped", "<th>\r\n Giga\tbytes </th>", true},
      {"non-breaking spaces dropped", "<th>Giga&nbsp;bytes&nbsp;</th>", true},
      {"other entities kept", "<th>Giga&amp;bytes</th>", false},
      {"case counts", "<th>gigabytes</th>", false},
      {"a stray > inside the text", "<th>Giga>bytes</th>", true},
  };
  for (const Case& c : cases) EXPECT_EQ(HoldsServerTable(c.body), c.list) << c.name;
}

// The scraper's own answer on random pages made of the bytes that matter to
// the cutting: a cell text added after the page lands in the grid exactly
// when the page opened the table (no privacy-policy text closes it here).
TEST(HoldsServerTable, AgreesWithTheScraperOnRandomPages) {
  const std::string pieces[] = {"<", ">",    "Gigabytes", "Giga",  "bytes", "&nbsp;", " ",
                                "x", "\r\n", "&",         "nbsp;", "\x01",  "\xE9"};
  std::mt19937 random(20261210);
  int lists = 0;
  for (int page = 0; page < 3000; ++page) {
    std::string body;
    const int length = static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) body += pieces[random() % std::size(pieces)];
    body += "<";  // the last text counts for both
    MemoryCellTable grid;
    ScrapeServerList(body + ">cell<", grid);
    const bool list = HoldsServerTable(body);
    EXPECT_EQ(list, grid.RowCount() > 0) << body;
    lists += list;
  }
  // The pages were varied enough to hold both kinds.
  EXPECT_GT(lists, 30);
  EXPECT_LT(lists, 2900);
}

}  // namespace
}  // namespace velloran
