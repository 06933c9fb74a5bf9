#include "winsearch/RWSWin32.h"

namespace velloran {

WindowHandle Win32WindowTree::FirstChild(WindowHandle parent) const {
  return FromHwnd(GetWindow(ToHwnd(parent), GW_CHILD));
}

WindowHandle Win32WindowTree::NextSibling(WindowHandle window) const {
  return FromHwnd(GetWindow(ToHwnd(window), GW_HWNDNEXT));
}

std::string Win32WindowTree::ClassName(WindowHandle window) const {
  char buffer[TextBufferSize];
  int length = GetClassNameA(ToHwnd(window), buffer, TextBufferSize);
  return std::string(buffer, length > 0 ? length : 0);
}

std::string Win32WindowTree::Text(WindowHandle window) const {
  char buffer[TextBufferSize];
  int length = GetWindowTextA(ToHwnd(window), buffer, TextBufferSize);
  return std::string(buffer, length > 0 ? length : 0);
}

int FindChildWindows(HWND parent, const std::string& classFilter, const std::string& captionFilter,
                     hWndList& list) {
  return FindChildWindows(Win32WindowTree(), FromHwnd(parent), classFilter, captionFilter, list);
}

}  // namespace velloran
