#pragma once
// Turns the server-list page into the rows of the server grid. The page is
// not parsed as HTML: it is cut into the texts between tags, and the texts
// after the table's last header text ("Gigabytes") are counted off into
// cells, seven a row, up to the text of the privacy-policy link.

#include <string_view>

#include "grid/CellTable.h"

namespace velloran {

// Empties Grid and fills it from the page Body, byte by byte as delivered:
// blanks and control bytes are dropped from every text, "&nbsp;" is removed,
// and nothing else is decoded.
void ScrapeServerList(std::string_view body, CellTable& grid);

}  // namespace velloran
