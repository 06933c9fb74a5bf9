// The server grid's shortcut menu, opened by a right click, the menu key or
// Shift+F10 at the position the grid computes for it.
#include "app/MainUnit.h"
#include "framework/PopupMenu.h"

namespace velloran {
namespace {
constexpr const char* StopRefreshCaption = "Stop refresh";
}

void TForm1::GridContextPopup(int screenX, int screenY) {
  TPopupMenu menu;
  if (refreshing_) {
    menu.Add(StopRefreshCaption, [this] { StopRefresh(); });
    menu.AddSeparator();
  }
  AddServerCheckItems(menu);
  // The list's own commands apart from those that bring another list.
  if (!menu.Empty()) menu.AddSeparator();
  AddListFileItems(menu);
  if (menu.Empty()) return;
  menu.Popup(Handle(), screenX, screenY);
}

}  // namespace velloran
