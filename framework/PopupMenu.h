#pragma once
// A shortcut menu built for one showing: its items are captions with the
// action each one runs.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace velloran {

class TPopupMenu {
 public:
  void Add(std::string caption, std::function<void()> onClick, bool enabled = true);
  void AddSeparator();
  bool Empty() const { return items_.empty(); }

  // Shows the menu with its top left corner at a screen position, owned by
  // Owner, and waits until the user picks an item or dismisses it. The picked
  // item's action runs after the menu has closed, so that an error it raises
  // goes to the caller and never through the system's menu loop.
  void Popup(HWND owner, int screenX, int screenY) const;

 private:
  struct Item {
    std::string caption;
    std::function<void()> onClick;
    bool enabled = true;
    bool separator = false;
  };
  std::vector<Item> items_;
};

}  // namespace velloran
