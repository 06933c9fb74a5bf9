#pragma once
// The window search over the live window system (user32).

#include <windows.h>

#include <string>

#include "winsearch/RWSUnit.h"

namespace velloran {

class Win32WindowTree final : public WindowTree {
 public:
  WindowHandle FirstChild(WindowHandle parent) const override;
  WindowHandle NextSibling(WindowHandle window) const override;
  std::string ClassName(WindowHandle window) const override;
  std::string Text(WindowHandle window) const override;
};

inline HWND ToHwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(window);
}
inline WindowHandle FromHwnd(HWND window) {
  return reinterpret_cast<WindowHandle>(window);
}

// FindChildWindows over the live windows below Parent.
int FindChildWindows(HWND parent, const std::string& classFilter, const std::string& captionFilter,
                     hWndList& list);

}  // namespace velloran
