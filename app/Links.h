#pragma once
// The program's web addresses and the placeholder e-mail address, in one place.

#include <string>
#include <string_view>

namespace velloran {

inline constexpr const char* ProgramHomePage = "http://velloran.example.org/";
inline constexpr const char* WinMXHomePage = "http://www.winmx.example.net/";
inline constexpr const char* OpenNapProjectPage = "http://opennap.example.org/";
inline constexpr const char* ServerListHomePage = "http://www.napservers.example.com/";
// The list site's host, whose "/list.php" page "Refresh" downloads.
inline constexpr const char* ServerListHost = "www.napservers.example.com";
inline constexpr const char* PlaceholderEmail = "yourname@example.com";

// The file name handed to the shell for a page: the browser then loads the
// page through its own script engine.
inline std::string LinkFileName(std::string_view address) {
  std::string name = "javascript:document.location='";
  name.append(address).append("'");
  return name;
}

}  // namespace velloran
