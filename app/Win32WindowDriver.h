#pragma once
// The add-servers run's window operations over user32, for WinMX's windows in
// another process. Sent messages wait at most SendLimit for WinMX to handle
// them, so that a WinMX that stops answering cannot hold the run forever.
// Messages that the system refuses, because WinMX runs with higher rights
// (User Interface Privilege Isolation), are told apart by the error code that
// PostMessageA and SendMessageTimeoutA leave: ERROR_ACCESS_DENIED.
//
// Threading: the caller's thread; while a sent message waits, only messages
// sent to that thread are handled.

#include <chrono>

#include "app/AddServers.h"

namespace velloran {

class Win32WindowDriver final : public WindowDriver {
 public:
  explicit Win32WindowDriver(std::chrono::milliseconds sendLimit = std::chrono::seconds(10))
      : sendLimit_(sendLimit) {}

  WindowHandle DesktopWindow() override;
  WindowHandle Parent(WindowHandle window) override;
  bool IsVisible(WindowHandle window) override;
  int FindChildWindows(WindowHandle parent, const std::string& classFilter,
                       const std::string& captionFilter, hWndList& list) override;
  Delivery PostClick(WindowHandle button) override;
  Delivery SendText(WindowHandle edit, const std::string& text) override;
  Delivery SendCheck(WindowHandle box) override;
  Delivery SendClick(WindowHandle button) override;

 private:
  std::chrono::milliseconds sendLimit_;
};

}  // namespace velloran
