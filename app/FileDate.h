#pragma once
// The "Last refreshed" text of a file, in the user's own date and time formats.

#include <string>

namespace velloran {

// The file's last-write time in local time and two-second steps, as the
// user's short date, a blank and the user's long time; the date alone at
// exactly midnight. A file that can't be opened raises EInOutError.
std::string FileDateText(const std::string& path);

}  // namespace velloran
