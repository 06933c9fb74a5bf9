#pragma once
// The address of the server-list page that "Refresh" downloads. A user can
// point the program at another list site (a mirror, a copy served locally)
// without rebuilding it: the command-line option --list-url first, then the
// environment variable VELLORAN_LIST_URL, then the built-in address.

#include <string>
#include <string_view>
#include <vector>

namespace velloran {

inline constexpr const char* ListUrlOption = "--list-url";
inline constexpr const char* ListUrlVariable = "VELLORAN_LIST_URL";

// "http://" + the list site's host + "/list.php".
std::string BuiltInListUrl();

// Arguments are the command line's words after the program's name;
// Environment is the variable's value, or null when it is not set. The last
// --list-url wins; one without a word after it gives the empty address, which
// the refresh then reports. An empty variable counts as not set.
std::string ChooseListUrl(const std::vector<std::string>& arguments, const char* environment);

// The host that a request for Url goes to, without a port, as the HTTP client
// reads the address; empty when Url names none (a bare path).
std::string ListUrlHost(std::string_view url);

}  // namespace velloran
