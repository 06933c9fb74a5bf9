#include "app/Win32WindowDriver.h"

#include <windows.h>

#include "winsearch/RWSWin32.h"

namespace velloran {
namespace {

static_assert(AccessDeniedError == ERROR_ACCESS_DENIED);

// Reads the error of the call that just failed, before anything else can change it.
Delivery Failure(WindowHandle window) {
  DWORD error = GetLastError();
  return FailedDelivery(error, IsWindow(ToHwnd(window)) != FALSE);
}

Delivery SendWithLimit(WindowHandle window, UINT message, WPARAM wParam, LPARAM lParam,
                       std::chrono::milliseconds limit) {
  DWORD_PTR result = 0;
  // A failure that sets no error of its own must not read an old one.
  SetLastError(ERROR_SUCCESS);
  if (SendMessageTimeoutA(ToHwnd(window), message, wParam, lParam, SMTO_NORMAL,
                          static_cast<UINT>(limit.count()), &result))
    return Delivery::Done;
  return Failure(window);
}

}  // namespace

WindowHandle Win32WindowDriver::DesktopWindow() {
  return FromHwnd(GetDesktopWindow());
}

WindowHandle Win32WindowDriver::Parent(WindowHandle window) {
  return FromHwnd(GetParent(ToHwnd(window)));
}

bool Win32WindowDriver::IsVisible(WindowHandle window) {
  return IsWindowVisible(ToHwnd(window)) != FALSE;
}

int Win32WindowDriver::FindChildWindows(WindowHandle parent, const std::string& classFilter,
                                        const std::string& captionFilter, hWndList& list) {
  return velloran::FindChildWindows(ToHwnd(parent), classFilter, captionFilter, list);
}

Delivery Win32WindowDriver::PostClick(WindowHandle button) {
  SetLastError(ERROR_SUCCESS);
  if (PostMessageA(ToHwnd(button), BM_CLICK, 0, 0)) return Delivery::Done;
  // A full message queue is a WinMX that has stopped taking its messages.
  return Failure(button);
}

Delivery Win32WindowDriver::SendText(WindowHandle edit, const std::string& text) {
  return SendWithLimit(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), sendLimit_);
}

Delivery Win32WindowDriver::SendCheck(WindowHandle box) {
  return SendWithLimit(box, BM_SETCHECK, BST_CHECKED, 0, sendLimit_);
}

Delivery Win32WindowDriver::SendClick(WindowHandle button) {
  return SendWithLimit(button, BM_CLICK, 0, 0, sendLimit_);
}

}  // namespace velloran
