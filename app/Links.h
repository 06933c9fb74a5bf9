#pragma once
// The program's web addresses, handed to the shell as they are, and the
// placeholder e-mail address, in one place.

namespace velloran {

inline constexpr const char* ProgramHomePage = "http://velloran.example.org/";
inline constexpr const char* WinMXHomePage = "http://www.winmx.example.net/";
inline constexpr const char* OpenNapProjectPage = "http://opennap.example.org/";
inline constexpr const char* ServerListHomePage = "http://www.napservers.example.com/";
// The list site's host, whose "/list.php" page "Refresh" downloads.
inline constexpr const char* ServerListHost = "www.napservers.example.com";
inline constexpr const char* PlaceholderEmail = "yourname@example.com";

}  // namespace velloran
