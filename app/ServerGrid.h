#pragma once
// The main window's server grid settings: seven columns with their captions
// and widths, fonts, colours, row height, options and the numeric comparison.
// The window and velloran-tool set up their grids with it, so both sort alike.

#include "grid/kstrgrid.h"

namespace velloran {

// The registry key of the main window's column layout, under the current user.
inline constexpr const char* ServerListKey = "\\Software\\Velloran\\ServerList";

enum ServerColumn { colServer, colIP, colPort, colNetwork, colUsers, colFiles, colGigabytes };

void SetUpServerGrid(TKStringGrid& grid);

}  // namespace velloran
