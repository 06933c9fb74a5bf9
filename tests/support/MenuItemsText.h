#pragma once
// A menu's items as one text, a line each: "+caption" enabled, "-caption"
// disabled, "|" a separator; the highlighted item's line starts with "*".
// The test hook library inside velloran.exe sends this form to the menu
// driver of a test, so both include it.

#include <windows.h>

#include <string>

namespace velloran::test {

inline std::string MenuItemsText(HMENU menu) {
  std::string text;
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    UINT state = GetMenuState(menu, i, MF_BYPOSITION);
    if (state & MF_SEPARATOR) {
      text += "|\n";
      continue;
    }
    if (state & MF_HILITE) text += '*';
    char caption[256] = {};
    GetMenuStringA(menu, i, caption, sizeof caption, MF_BYPOSITION);
    text += (state & (MF_GRAYED | MF_DISABLED)) ? '-' : '+';
    text += caption;
    text += '\n';
  }
  return text;
}

}  // namespace velloran::test
