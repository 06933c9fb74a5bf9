#pragma once
// Drives a shortcut menu on the screen as a person at the keyboard would:
// tests open a menu, read its items and pick one. Every wait has a limit.
//
// Wine cannot read another process's menus, so for a menu of another process
// the items are read inside that process: its user-interface thread must
// carry the status hook library's hook (tests/e2e), which answers the
// message named by MenuItemsMessageName.

#include <windows.h>

#include <string>
#include <vector>

namespace velloran::test {

inline constexpr const char* MenuItemsMessageName = "VelloranTestMenuItems";

struct PopupMenuItem {
  std::string caption;  // empty for a separator
  bool enabled = false;
  bool separator = false;
  bool operator==(const PopupMenuItem&) const = default;
};

// The visible shortcut menu of process Pid, once one shows within TimeoutMs;
// null when none did. Handles this thread's messages while it waits.
HWND WaitForPopupMenu(DWORD pid, DWORD timeoutMs = 5000);

// The items of the menu that MenuWindow shows, in their order.
std::vector<PopupMenuItem> PopupMenuItems(HWND menuWindow);
// The captions only, separators left out.
std::vector<std::string> PopupMenuCaptions(HWND menuWindow);

// Picks the enabled item Caption with the arrow keys and Enter. Returns false,
// touching nothing, when the menu has no enabled item of that caption, and
// false too when the arrow keys never brought the highlight to it.
bool ChooseMenuItem(HWND menuWindow, const std::string& caption);

// Dismisses the menu with Escape.
void ClosePopupMenu(HWND menuWindow);

// Reads the text that MenuItemsText (tests/support/MenuItemsText.h) makes.
std::vector<PopupMenuItem> ParseMenuItemsText(const std::string& text);

}  // namespace velloran::test
