#pragma once
// Turns the server-list page into the rows of the server grid. The page is
// not parsed as HTML: it is cut into the texts between tags, and the texts
// after the table's last header text ("Gigabytes") are counted off into
// cells, seven a row, up to the text of the privacy-policy link.

#include <string_view>

#include "app/ListBounds.h"
#include "grid/CellTable.h"

namespace velloran {

// Where the page left the server table: never started (no "Gigabytes" text),
// still open when the page ended (no "PrivacyPolicy" text after the last
// start: a page that was cut off in the table), or ended.
enum class ServerTableState { None, Unfinished, Complete };

// Empties Grid and fills it from the page Body, byte by byte as delivered:
// blanks and control bytes are dropped from every text, "&nbsp;" is removed,
// and nothing else is decoded. Returns where the page left the table. A page
// of more than MaxRows rows raises EListTooLarge (TooManyServersText) before
// the row past the bound is made; Grid then holds the rows made so far.
ServerTableState ScrapeServerList(std::string_view body, CellTable& grid,
                                  int maxRows = MaxListRows);

}  // namespace velloran
