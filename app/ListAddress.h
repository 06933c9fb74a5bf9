#pragma once
// Where the server list comes from. A user can point the program at other
// list sites (mirrors, a copy served locally) without rebuilding it: the
// command-line option --list-url, as often as there are addresses to try,
// first; then the environment variable VELLORAN_LIST_URL, which may hold
// several addresses separated by blanks; then the built-in address. Other
// words of the command line name list files to load (a file association or
// "Open with" passes the file's name this way).

#include <string>
#include <string_view>
#include <vector>

namespace velloran {

inline constexpr const char* ListUrlOption = "--list-url";
inline constexpr const char* ListUrlVariable = "VELLORAN_LIST_URL";

// "http://" + the list site's host + "/list.php".
std::string BuiltInListUrl();

struct ListSources {
  // In the order a refresh tries them; never empty.
  std::vector<std::string> urls;
  // List files to load at start-up, in the order given.
  std::vector<std::string> files;
};

// Arguments are the command line's words after the program's name;
// Environment is the variable's value, or null when it is not set.
// - "--list-url URL" and "--list-url=URL" add an address; one without a word
//   after it adds the empty address, which the refresh then reports. Given
//   once or more, the option replaces the variable.
// - Any other word starting with "--" is an option of no meaning here and is
//   passed over; after the word "--" every word is a file name, so that a
//   file whose name starts with "--" can be named too.
// - Every other word is a file name.
// A variable of blanks only counts as not set.
ListSources ChooseListSources(const std::vector<std::string>& arguments, const char* environment);

// The host that a request for Url goes to, without a port, as the HTTP client
// reads the address; empty when Url names none (a bare path).
std::string ListUrlHost(std::string_view url);

}  // namespace velloran
