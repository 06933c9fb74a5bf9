#include "framework/PopupMenu.h"

#include <utility>

#include "framework/Handles.h"

namespace velloran {
namespace {

inline void DestroyMenuHandle(HMENU menu) {
  DestroyMenu(menu);
}
using UniqueMenu = UniqueHandle<NullHandleTraits<HMENU, DestroyMenuHandle>>;

}  // namespace

void TPopupMenu::Add(std::string caption, std::function<void()> onClick, bool enabled) {
  items_.push_back({std::move(caption), std::move(onClick), enabled, false});
}

void TPopupMenu::AddSeparator() {
  items_.push_back({{}, {}, false, true});
}

void TPopupMenu::Popup(HWND owner, int screenX, int screenY) const {
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const Item& item = items_[i];
    // Identifiers start at 1: TrackPopupMenu returns 0 for "nothing picked".
    UINT flags =
        item.separator ? MF_SEPARATOR : MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED);
    AppendMenuA(menu.get(), flags, i + 1, item.separator ? nullptr : item.caption.c_str());
  }
  // The owner must be the foreground window, or the menu would not close
  // when the user clicks elsewhere.
  SetForegroundWindow(owner);
  UINT picked = static_cast<UINT>(TrackPopupMenu(
      menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
      screenX, screenY, 0, owner, nullptr));
  PostMessageA(owner, WM_NULL, 0, 0);
  if (picked == 0 || picked > items_.size()) return;
  const Item& chosen = items_[picked - 1];
  if (chosen.enabled && chosen.onClick) chosen.onClick();
}

}  // namespace velloran
