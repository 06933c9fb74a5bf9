#pragma once
// A plausible server-list page of the directory site, made up on the spot so
// that no large file has to be kept.

#include <string>

namespace velloran::bench {

// A page with a header row ending in "Gigabytes", Servers rows of seven cells
// in <td> tags, and a "Privacy Policy" link after the table.
std::string ServerListPage(int servers);

}  // namespace velloran::bench
