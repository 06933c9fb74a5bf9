#pragma once
// Whether a downloaded page is a server list at all. The scraper turns any
// page into rows, and a page without the list's table (an error page, a
// maintenance notice, an empty reply) into no rows, which would replace a
// good list with an empty one; the refresh asks this first.

#include <string_view>

namespace velloran {

// True when the page, cut into texts as the scraper cuts it, holds the
// table's last header text "Gigabytes": a table, possibly without rows.
bool HoldsServerTable(std::string_view body);

}  // namespace velloran
